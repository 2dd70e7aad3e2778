// The hero's pick-up lists and its three reach tests (fridges, rolling pins, muffins).
#include "game/hero.h"

#include "engine/display/windows_dx.h"
#include "game/game_keys.h"
#include "game/muffin_track.h"

void Hero::AddFridge(float x, float y) {
    fridgeList.Add(x, y, FridgeFull);
}

void Hero::AddRollingPin(float x, float y) {
    rollingPinList.Add(x, y, RollingPinLying);
}

bool Hero::InReach(float px, float py, float x, float y, float radius) const {
    const float right = x + static_cast<float>(width);
    const float bottom = y + static_cast<float>(height);
    const float radiusSquared = radius * radius;
    // A point on an edge counts as level with the box on that side.
    float dx = 0.0f;
    bool horizontal = true;
    if (px > right) {
        dx = px - right;
    } else if (px < x) {
        dx = x - px;
    } else {
        horizontal = false;
    }
    float dy = 0.0f;
    bool vertical = true;
    if (py > bottom) {
        dy = py - bottom;
    } else if (py < y) {
        dy = y - py;
    } else {
        vertical = false;
    }
    if (horizontal && vertical) {
        return dx * dx + dy * dy < radiusSquared;
    }
    if (horizontal) {
        return dx < radius;
    }
    if (vertical) {
        return dy < radius;
    }
    return true;
}

bool Hero::TakeFromFridge() {
    const float left = screenX;
    const float right = screenX + static_cast<float>(width);
    for (int32_t i = 0; i < fridgeList.count; i++) {
        Pickup& fridge = fridgeList.storage[static_cast<size_t>(i)];
        const float fx = fridge.x;
        const float fr = fx + HERO_FRIDGE_WIDTH;
        // The box must span one of the fridge's sides; standing wholly inside it is no reach.
        const bool inReach = (left < fx && right >= fx) || (right > fr && left <= fr);
        if (!inReach || fridge.state == FridgeEmpty || milkCartons > HERO_CARRY_LIMIT - 1) {
            continue;
        }
        fridge.state = FridgeEmpty;
        return true;
    }
    return false;
}

bool Hero::PickUpRollingPin(float x, float y) {
    for (int32_t i = 0; i < rollingPinList.count; i++) {
        Pickup& pin = rollingPinList.storage[static_cast<size_t>(i)];
        if (pin.state != RollingPinGone && InReach(pin.x, pin.y, x, y, HERO_PIN_RADIUS)) {
            pin.state = RollingPinGone;
            return true;
        }
    }
    return false;
}

bool Hero::CheckMuffins(float x, float y) {
    if (muffins == nullptr) {
        return true;
    }
    const int32_t count = muffins->Count();
    // Only the first live muffin in reach is dealt with; the next one is met next frame.
    for (int32_t i = 0; i < count; i++) {
        Muffin muffin;
        muffins->GetMuffin(i, muffin);
        if (muffin.state == MUFFIN_MELTING) {
            continue;
        }
        if (!InReach(muffin.x, muffin.y, x, y, HERO_MUFFIN_RADIUS)) {
            continue;
        }
        if (milkCartons > 0 && Tolvo.IsKeyDown(KEY_T) != 0) {
            muffins->SetState(i, MUFFIN_MELTING);
            milkCartons--;
            action = MilkUsing;
            milkFrame = 0;
            return true;
        }
        if (rollingPins > 0 && Tolvo.IsKeyDown(KEY_R) != 0) {
            muffins->SetState(i, MUFFIN_MELTING);
            rollingPins--;
            action = RollingPinUsing;
            pinFrame = 0;
            return true;
        }
        milkCartons = 0;
        rollingPins = 0;
        return false;
    }
    return true;
}
