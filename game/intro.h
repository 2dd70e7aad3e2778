// The intro: eight pictures over the press-space page, one step every 40 frames
// of the intro screen, then the last one held until play starts.
#ifndef TOLVO_GAME_INTRO_H
#define TOLVO_GAME_INTRO_H

#include "engine/image/image.h"

#include <cstdint>

constexpr int32_t INTRO_PICTURES = 8;
constexpr int32_t INTRO_SLOTS = 12;

class Intro {
  public:
    void Init();
    void Update(int32_t introTick);
    void Draw() const;

    float x = 100.0f;
    float y = 150.0f;
    int32_t picture = 0;
    int32_t finished = 0;
    Image pictures[INTRO_SLOTS];
};

#endif
