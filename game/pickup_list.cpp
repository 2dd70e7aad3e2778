#include "game/pickup_list.h"

#include "game/random.h"

void PickupList::Reset() {
    count = 0;
    capacity = PICKUP_CAPACITY;
    storage.assign(static_cast<size_t>(capacity), Pickup{0.0f, 0.0f, 0});
}

void PickupList::Add(float x, float y, int32_t state) {
    if (capacity <= 0) {
        return; // never Reset: there is no room at all
    }
    int32_t index;
    if (count == capacity) {
        index = RandomOverwriteIndex(capacity);
    } else {
        index = count;
        count++;
    }
    storage[static_cast<size_t>(index)] = Pickup{x, y, state};
}
