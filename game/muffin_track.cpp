#include "game/muffin_track.h"

#include "engine/display/windows_dx.h"
#include "engine/image/tiff.h"
#include "game/random.h"

#include <cstdio>

void MuffinTrack::Init(int32_t initialScroll) {
    count = 0;
    capacity = MUFFIN_CAPACITY;
    muffins.assign(static_cast<size_t>(capacity), Muffin{0.0f, 0.0f, MUFFIN_FALLING, 0, 0, 1});

    // Free first: a picture missing on a restart leaves its slot empty, as on the first run.
    Tiff tiff;
    char name[64];
    for (int32_t i = 0; i < MUFFIN_ROLL_PICTURES; i++) {
        std::snprintf(name, sizeof name, "Images\\muf%1d.tif", i);
        rollPictures[i].Free();
        tiff.Load(name, rollPictures[i], IMG_MODE_COLORKEY);
    }
    for (int32_t i = 1; i <= MUFFIN_MELT_LAST; i++) {
        std::snprintf(name, sizeof name, "Images\\melting muffin %1d.tif", i);
        meltPictures[i].Free();
        tiff.Load(name, meltPictures[i], IMG_MODE_COLORKEY);
    }
    previousScroll = initialScroll;
}

void MuffinTrack::Add(float x, float y) {
    if (capacity <= 0) {
        return; // never initialised: no storage
    }
    int32_t index;
    if (count == capacity) {
        index = RandomOverwriteIndex(capacity);
    } else {
        index = count;
        count++;
    }
    muffins[static_cast<size_t>(index)] = Muffin{x, y, MUFFIN_FALLING, 0, 0, 1};
}

const Muffin& MuffinTrack::GetMuffin(int32_t i, Muffin& out) const {
    out = muffins[static_cast<size_t>(i)];
    return out;
}

void MuffinTrack::SetState(int32_t i, int32_t state) {
    muffins[static_cast<size_t>(i)].state = state;
}

void MuffinTrack::Update(int32_t animationTick, int32_t movementTick, int32_t scroll,
                         int32_t heroX) {
    const bool moving = movementTick == 9;
    const bool animating = animationTick == 29;
    const int32_t delta = scroll - previousScroll;
    for (int32_t i = 0; i < count; i++) {
        Muffin& muffin = muffins[static_cast<size_t>(i)];
        if (moving) {
            if (muffin.state == MUFFIN_FALLING) {
                // Only a muffin landing exactly on the floor starts to roll.
                if (muffin.y == MUFFIN_FLOOR_Y) {
                    muffin.state = MUFFIN_ROLLING;
                } else {
                    muffin.y += 10.0f;
                    muffin.x -= static_cast<float>(delta);
                }
            } else if (muffin.state == MUFFIN_ROLLING) {
                if (static_cast<float>(heroX) > muffin.x) {
                    muffin.x += static_cast<float>(4 - delta);
                    muffin.direction = 1;
                } else {
                    muffin.x += static_cast<float>(-4 - delta);
                    muffin.direction = 2;
                }
            } else if (muffin.state == MUFFIN_MELTING) {
                muffin.x -= static_cast<float>(delta);
            }
        }
        if (animating) {
            if (muffin.state == MUFFIN_MELTING) {
                if (muffin.meltPicture < MUFFIN_MELT_LAST) {
                    muffin.meltPicture++;
                }
            } else {
                if (muffin.direction == 2) {
                    muffin.rollPicture--;
                } else if (muffin.direction == 1) {
                    muffin.rollPicture++;
                }
                if (muffin.rollPicture < 0) {
                    muffin.rollPicture = MUFFIN_ROLL_PICTURES - 1;
                } else if (muffin.rollPicture > MUFFIN_ROLL_PICTURES - 1) {
                    muffin.rollPicture = 0;
                }
            }
        }
    }
    if (moving) {
        previousScroll = scroll;
    }
}

void MuffinTrack::Draw() const {
    for (int32_t i = 0; i < count; i++) {
        const Muffin& muffin = muffins[static_cast<size_t>(i)];
        const int32_t x = static_cast<int32_t>(muffin.x);
        const int32_t y = static_cast<int32_t>(muffin.y);
        if (muffin.state == MUFFIN_MELTING) {
            Tolvo.DrawImage(x, y + MUFFIN_MELT_DROP, meltPictures[muffin.meltPicture]);
        } else {
            Tolvo.DrawImage(x, y, rollPictures[muffin.rollPicture]);
        }
    }
}
