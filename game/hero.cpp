#include "game/hero.h"

#include "engine/display/windows_dx.h"
#include "engine/image/tiff.h"
#include "game/game_keys.h"

#include <cstdio>

namespace {

// Frees the slot first, so a file missing on a restart leaves it empty as on the first run.
void LoadPicture(Tiff& tiff, const char* name, Image& image) {
    image.Free();
    tiff.Load(name, image, IMG_MODE_COLORKEY);
}

bool KeyDown(int32_t key) {
    return Tolvo.IsKeyDown(key) != 0;
}

int32_t Truncate(float value) {
    return static_cast<int32_t>(value);
}

} // namespace

void Hero::LoadFrames() {
    Tiff tiff;
    char name[64];
    for (int32_t n = 0; n <= 11; n++) {
        std::snprintf(name, sizeof name, "Images\\%1d.tif", n);
        LoadPicture(tiff, name, frames[HERO_SLOT_RIGHT + n]);
    }
    // Left-facing pictures are stored in reverse so that walking left counts down.
    for (int32_t n = 11; n >= 1; n--) {
        std::snprintf(name, sizeof name, "Images\\%1db.tif", n);
        LoadPicture(tiff, name, frames[HERO_SLOT_LEFT + 12 - n]);
    }
    LoadPicture(tiff, "Images\\0b.tif", frames[HERO_SLOT_LEFT]);
    LoadPicture(tiff, "Images\\0trial.tif", frames[HERO_SLOT_TRIAL]);
    for (int32_t n = 1; n <= 8; n++) {
        std::snprintf(name, sizeof name, "images\\falling%1d.tif", n);
        LoadPicture(tiff, name, frames[HERO_SLOT_FALLING + n]);
    }
    LoadPicture(tiff, "Images\\jump0.tif", frames[HERO_SLOT_JUMP]);
    for (int32_t n = 1; n <= 7; n++) {
        std::snprintf(name, sizeof name, "images\\reaching%1d.tif", n);
        LoadPicture(tiff, name, frames[HERO_SLOT_REACHING + n]);
    }
    for (int32_t n = 1; n <= 7; n++) {
        std::snprintf(name, sizeof name, "images\\milk%1d.tif", n);
        LoadPicture(tiff, name, frames[HERO_SLOT_MILK + n]);
    }
    for (int32_t n = 1; n <= 7; n++) {
        std::snprintf(name, sizeof name, "images\\rolling pin%1d.tif", n);
        LoadPicture(tiff, name, frames[HERO_SLOT_ROLLING_PIN + n]);
    }
    LoadPicture(tiff, "Images\\fridge.tif", frames[HERO_SLOT_FRIDGE_EMPTY]);
    LoadPicture(tiff, "Images\\fridge_full.tif", frames[HERO_SLOT_FRIDGE_FULL]);
}

void Hero::Init() {
    LoadFrames();
    Tiff tiff;
    fridgeList.Reset();
    LoadPicture(tiff, "Images\\rolling pin by itself.tif", rollingPinIcon);
    LoadPicture(tiff, "Images\\rolling pin by itself-empty.tif", rollingPinEmptyIcon);
    rollingPinList.Reset();
    LoadPicture(tiff, "Images\\milk carton.tif", milkCartonIcon);

    screenX = 10.0f;
    y = 280.0f;
    worldX = 10.0f;
    walkState = StandRight;
    action = MilkReady;
    width = 70;
    height = 150;
    milkCartons = 0;
    lastScrollX = 10;
    rollingPins = 0;
    walkFrame = 1;
    fallFrame = 1;
    reachFrame = 0;
    milkFrame = 0;
    pinReachFrame = 0;
    pinFrame = 0;
    clear = false;
    finished = false;
}

void Hero::Update(int32_t tick) {
    clear = CheckMuffins(screenX, y);
    if (tick == 9 && clear) {
        StepAction();
        if (screenX >= HERO_SCREEN_RIGHT) {
            screenX = HERO_SCREEN_RIGHT;
        } else if (screenX <= 0.0f) {
            screenX = 0.0f;
        }
    } else if (tick == 9) {
        fallFrame++;
        if (fallFrame >= HERO_LAST_FALL_FRAME + 1) {
            fallFrame = HERO_LAST_FALL_FRAME;
        }
    }

    // Keys are read on every call, also while knocked down; they take effect once clear.
    if (walkState == StandRight || walkState == StandLeft) {
        if (KeyDown(KEY_LEFT)) {
            walkState = WalkLeft;
        } else if (KeyDown(KEY_RIGHT)) {
            walkState = WalkRight;
        }
    }
    const bool reaching = action == MilkReaching || action == RollingPinReaching;
    if (KeyDown(KEY_G) && !reaching) {
        action = MilkRequested;
    }
    if (KeyDown(KEY_F) && !reaching && rollingPins < HERO_CARRY_LIMIT) {
        action = RollingPinRequested;
    }
    if (tick == 9) {
        ScrollPickups();
    }
}

void Hero::StepAction() {
    switch (action) {
    case MilkRequested:
        if (TakeFromFridge()) {
            milkCartons++;
            reachFrame = 1;
            action = MilkReaching;
        } else {
            action = MilkReady;
        }
        break;
    case MilkReaching:
        if (reachFrame >= 7) {
            reachFrame = 0;
            action = MilkTaken;
        } else {
            reachFrame++;
        }
        break;
    case MilkUsing:
        if (milkFrame >= 7) {
            milkFrame = 0;
            action = MilkReady;
        } else {
            milkFrame++;
        }
        break;
    case RollingPinRequested:
        if (PickUpRollingPin(screenX, y)) {
            rollingPins++;
            pinReachFrame = 1;
            action = RollingPinReaching;
        } else {
            action = RollingPinReady;
        }
        break;
    case RollingPinReaching:
        if (pinReachFrame >= 7) {
            pinReachFrame = 0;
            action = RollingPinTaken;
        } else {
            pinReachFrame++;
        }
        break;
    case RollingPinUsing:
        if (pinFrame >= 7) {
            pinFrame = 0;
            action = RollingPinReady;
        } else {
            pinFrame++;
        }
        break;
    default:
        WalkStep();
        break;
    }
}

void Hero::WalkStep() {
    if (walkState == WalkLeft) {
        if (walkFrame > 1) {
            walkFrame--;
        } else if (KeyDown(KEY_LEFT)) {
            walkFrame = 11;
        } else {
            walkFrame = 0;
            walkState = StandLeft;
        }
        screenX -= HERO_STEP;
        worldX -= HERO_STEP;
    } else if (walkState == WalkRight) {
        if (walkFrame != 11) {
            walkFrame++;
        } else if (KeyDown(KEY_RIGHT)) {
            walkFrame = 1;
        } else {
            walkFrame = 0;
            walkState = StandRight;
        }
        screenX += HERO_STEP;
        worldX += HERO_STEP;
    }
}

void Hero::ScrollPickups() {
    const float shift = worldX - static_cast<float>(lastScrollX);
    for (int32_t i = 0; i < fridgeList.count; i++) {
        fridgeList.storage[static_cast<size_t>(i)].x -= shift;
    }
    for (int32_t i = 0; i < rollingPinList.count; i++) {
        rollingPinList.storage[static_cast<size_t>(i)].x -= shift;
    }
    lastScrollX = Truncate(worldX);
}

void Hero::Draw(bool paint) {
    if (paint) {
        for (int32_t i = 0; i < fridgeList.count; i++) {
            const Pickup& fridge = fridgeList.storage[static_cast<size_t>(i)];
            const int32_t slot =
                fridge.state == FridgeFull ? HERO_SLOT_FRIDGE_FULL : HERO_SLOT_FRIDGE_EMPTY;
            Tolvo.DrawImage(Truncate(fridge.x), Truncate(fridge.y), frames[slot]);
        }
        for (int32_t i = 0; i < rollingPinList.count; i++) {
            const Pickup& pin = rollingPinList.storage[static_cast<size_t>(i)];
            const Image& icon = pin.state == RollingPinLying ? rollingPinIcon : rollingPinEmptyIcon;
            Tolvo.DrawImage(Truncate(pin.x), Truncate(pin.y), icon);
        }
        // Carried items: milk from the right edge inwards, rolling pins from the left.
        for (int32_t k = 0; k < milkCartons; k++) {
            Tolvo.DrawImage(785 - 15 * k, 50, milkCartonIcon);
        }
        for (int32_t k = 0; k < rollingPins; k++) {
            Tolvo.DrawImage(25 + 15 * k, 50, rollingPinEmptyIcon);
        }
    }
    DrawHero(paint);
}

void Hero::DrawHero(bool paint) {
    const int32_t x = Truncate(screenX);
    if (!clear) {
        y = HERO_KNOCKED_DOWN_Y;
        if (paint) {
            Tolvo.DrawImage(x, Truncate(HERO_KNOCKED_DOWN_Y),
                            frames[HERO_SLOT_FALLING + fallFrame]);
        }
        if (fallFrame == HERO_LAST_FALL_FRAME) {
            finished = true;
        }
        return;
    }
    if (!paint) {
        return;
    }
    int32_t slot;
    int32_t drawY = Truncate(y);
    switch (action) {
    case MilkReaching:
        slot = HERO_SLOT_REACHING + reachFrame;
        break;
    case MilkUsing:
        slot = HERO_SLOT_MILK + milkFrame;
        break;
    case RollingPinReaching:
        slot = HERO_SLOT_REACHING + pinReachFrame;
        break;
    case RollingPinUsing:
        slot = HERO_SLOT_ROLLING_PIN + pinFrame;
        drawY -= 50; // the swing is drawn higher than the hero
        break;
    default:
        slot = (walkState == StandLeft || walkState == WalkLeft) ? HERO_SLOT_LEFT + walkFrame
                                                                 : HERO_SLOT_RIGHT + walkFrame;
        break;
    }
    Tolvo.DrawImage(x, drawY, frames[slot]);
}
