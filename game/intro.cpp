#include "game/intro.h"

#include "engine/display/windows_dx.h"
#include "engine/image/tiff.h"

#include <cstdio>

void Intro::Init() {
    Tiff tiff;
    char name[64];
    for (int32_t i = 0; i < INTRO_PICTURES; i++) {
        std::snprintf(name, sizeof name, "Images\\intro%1d.tif", i);
        pictures[i].Free();
        tiff.Load(name, pictures[i], IMG_MODE_COLORKEY);
    }
    x = 100.0f;
    y = 150.0f;
    picture = 0;
    finished = 0;
}

void Intro::Update(int32_t introTick) {
    if (introTick != 39 || finished == 1) {
        return;
    }
    picture++;
    if (picture == INTRO_PICTURES) {
        picture = INTRO_PICTURES - 1;
        finished = 1;
    }
}

void Intro::Draw() const {
    Tolvo.DrawImage(static_cast<int32_t>(x), static_cast<int32_t>(y), pictures[picture]);
}
