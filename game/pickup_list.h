// The hero's fridges and lying rolling pins: fixed-capacity lists of Pickup
// records that are never shrunk; a full list overwrites a record at random.
#ifndef TOLVO_GAME_PICKUP_LIST_H
#define TOLVO_GAME_PICKUP_LIST_H

#include <cstdint>
#include <cstddef>
#include <vector>

// Pickup states share one number range with the hero's action codes.
enum PickupState : int32_t {
    FridgeFull = 13,
    FridgeEmpty = 14,
    RollingPinLying = 15,
    RollingPinGone = 16,
};

struct Pickup {
    float x;       // screen x of the picture's top-left corner; follows the scroll
    float y;       // screen y; never changes
    int32_t state; // a PickupState
};

constexpr int32_t PICKUP_CAPACITY = 100;

class PickupList {
  public:
    // Empties the list, keeping its storage so that restarts do not allocate again.
    void Reset();
    void Add(float x, float y, int32_t state);

    int32_t count = 0;
    int32_t capacity = 0;
    std::vector<Pickup> storage;
};

#endif
