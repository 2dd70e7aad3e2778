// The muffins: they drop in from the top, land on the floor at y 320 and roll
// towards the hero. Positions are screen pixels; the track shifts every muffin
// itself whenever the kitchen scrolls.
#ifndef TOLVO_GAME_MUFFIN_TRACK_H
#define TOLVO_GAME_MUFFIN_TRACK_H

#include "engine/image/image.h"

#include <cstdint>
#include <cstddef>
#include <vector>

constexpr int32_t MUFFIN_FALLING = 0;
constexpr int32_t MUFFIN_ROLLING = 3;
constexpr int32_t MUFFIN_MELTING = 100;

constexpr int32_t MUFFIN_CAPACITY = 100;
constexpr int32_t MUFFIN_ROLL_SLOTS = 72;
constexpr int32_t MUFFIN_ROLL_PICTURES = 12;
constexpr int32_t MUFFIN_MELT_SLOTS = 12;
constexpr int32_t MUFFIN_MELT_LAST = 6;
constexpr float MUFFIN_FLOOR_Y = 320.0f;
constexpr int32_t MUFFIN_MELT_DROP = 80; // melting pictures sit lower than rolling ones

struct Muffin {
    float x;
    float y;
    int32_t state;
    int32_t direction;   // 0 none, 1 rolling right, 2 rolling left
    int32_t rollPicture; // 0..11
    int32_t meltPicture; // 1..6
};

class MuffinTrack {
  public:
    // Empties the track (reusing its storage), loads the pictures again and
    // remembers the scroll position the muffins are placed for.
    void Init(int32_t previousScroll);
    void Add(float x, float y);
    int32_t Count() const { return count; }
    // Copies muffin i (0 <= i < Count()) into `out` and returns it.
    const Muffin& GetMuffin(int32_t i, Muffin& out) const;
    void SetState(int32_t i, int32_t state);
    void Update(int32_t animationTick, int32_t movementTick, int32_t scroll, int32_t heroX);
    void Draw() const;

    int32_t count = 0;
    int32_t capacity = 0;
    std::vector<Muffin> muffins;
    int32_t previousScroll = 0;
    Image rollPictures[MUFFIN_ROLL_SLOTS];
    Image meltPictures[MUFFIN_MELT_SLOTS];
};

#endif
