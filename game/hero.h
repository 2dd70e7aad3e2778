// The hero: walks and scrolls the kitchen, takes milk from fridges, picks up
// rolling pins, spends them on the muffins that reach it, and is knocked down
// when it has nothing to spend. It also owns the pick-up lists and reach tests.
#ifndef TOLVO_GAME_HERO_H
#define TOLVO_GAME_HERO_H

#include "engine/image/image.h"
#include "game/pickup_list.h"

#include <cstdint>

class MuffinTrack;

enum WalkState : int32_t {
    StandLeft = 1,
    StandRight = 2,
    WalkRight = 3,
    WalkLeft = 4,
};

// Action codes share one number range with the PickupState codes (13..16).
enum HeroAction : int32_t {
    MilkRequested = 8,
    MilkReady = 9,
    MilkReaching = 10,
    MilkTaken = 11,
    MilkUsing = 12,
    RollingPinRequested = 17,
    RollingPinReady = 18,
    RollingPinReaching = 19,
    RollingPinTaken = 20,
    RollingPinUsing = 21,
};

// Picture slots of `frames`: six sequences of 12, then five singles.
constexpr int32_t HERO_SLOT_RIGHT = 0;
constexpr int32_t HERO_SLOT_LEFT = 12;
constexpr int32_t HERO_SLOT_FALLING = 24;
constexpr int32_t HERO_SLOT_REACHING = 36;
constexpr int32_t HERO_SLOT_MILK = 48;
constexpr int32_t HERO_SLOT_ROLLING_PIN = 60;
constexpr int32_t HERO_SLOT_JUMP = 72;
constexpr int32_t HERO_SLOT_TRIAL = 74;
constexpr int32_t HERO_SLOT_FRIDGE_EMPTY = 75;
constexpr int32_t HERO_SLOT_FRIDGE_FULL = 76;
constexpr int32_t HERO_SLOTS = 77;

constexpr float HERO_STEP = 18.0f;          // pixels per walking step
constexpr float HERO_SCREEN_RIGHT = 425.0f; // screenX limits
constexpr float HERO_KNOCKED_DOWN_Y = 240.0f;
constexpr int32_t HERO_LAST_FALL_FRAME = 8;
constexpr int32_t HERO_CARRY_LIMIT = 5;
constexpr float HERO_FRIDGE_WIDTH = 180.0f;
constexpr float HERO_PIN_RADIUS = 25.0f;
constexpr float HERO_MUFFIN_RADIUS = 30.0f;

class Hero {
  public:
    // Loads every picture, empties both pick-up lists and resets every field.
    void Init();
    void SetMuffinTrack(MuffinTrack* track) { muffins = track; }
    void Update(int32_t tick);
    // Draws fridges, rolling pins, carried items and the hero. With paint false the
    // frame's effects on the hero (knock-down position, end of the run) still happen
    // but nothing is drawn: for frames whose back buffer could not be locked.
    void Draw(bool paint = true);
    bool IsFinished() const { return finished; }

    // Pick-ups and collisions.
    void AddFridge(float x, float y);
    void AddRollingPin(float x, float y);
    bool TakeFromFridge();
    bool PickUpRollingPin(float x, float y);
    bool CheckMuffins(float x, float y);
    // Whether point (px, py) lies closer than `radius` to the hero's box at (x, y).
    bool InReach(float px, float py, float x, float y, float radius) const;

    float screenX = 10.0f;
    float y = 280.0f;
    float worldX = 10.0f;
    int32_t walkState = StandRight;
    int32_t action = MilkReady;
    int32_t width = 70;
    int32_t height = 150;
    int32_t milkCartons = 0;
    int32_t lastScrollX = 10;
    int32_t rollingPins = 0;
    int32_t walkFrame = 1;
    int32_t fallFrame = 1;
    int32_t reachFrame = 0;
    int32_t milkFrame = 0;
    int32_t pinReachFrame = 0;
    int32_t pinFrame = 0;
    bool clear = false;
    bool finished = false;
    MuffinTrack* muffins = nullptr;
    Image frames[HERO_SLOTS];
    PickupList fridgeList;
    Image milkCartonIcon;
    PickupList rollingPinList;
    Image rollingPinEmptyIcon;
    Image rollingPinIcon;

  private:
    void LoadFrames();
    void StepAction();
    void WalkStep();
    void ScrollPickups();
    void DrawHero(bool paint);
};

#endif
