// The full-screen demo: the engine in full screen at 640x480. Every frame shows a one
// pixel white border, a red, green, blue and yellow square in the four corners, a grid
// every 32 pixels and a bar sweeping across, so a screenshot tells whether the whole
// frame is shown, where, and at what scale. Escape or closing the window ends it.
#include "engine/display/windows_dx.h"
#include "engine/image/pixel_format.h"

#include <cstdio>

namespace {

const int32_t FULL_WIDTH = 640;
const int32_t FULL_HEIGHT = 480;
const int32_t FULL_CORNER = 24;
const int32_t FULL_GRID = 32;

int32_t frame = 0;

// An 8-bit colour in the display's 16-bit layout.
uint16_t Pack(int red, int green, int blue) {
    auto field = [](int value, int32_t width, int32_t shift) {
        return uint32_t(value >> (8 - width)) << shift;
    };
    return uint16_t(field(red, pixelFormat.redWidth, pixelFormat.redShift) |
                    field(green, pixelFormat.greenWidth, pixelFormat.greenShift) |
                    field(blue, pixelFormat.blueWidth, pixelFormat.blueShift));
}

// Written straight into the locked back buffer in the display's own pixel format, so the
// screenshot's colours are exactly these.
void Fill(int32_t left, int32_t top, int32_t right, int32_t bottom, int red, int green, int blue) {
    uint16_t value = Pack(red, green, blue);
    uint8_t* first = reinterpret_cast<uint8_t*>(Tolvo.GetPixels());
    for (int32_t y = top; y <= bottom; ++y) {
        uint16_t* row = reinterpret_cast<uint16_t*>(first + y * Tolvo.GetPitch());
        for (int32_t x = left; x <= right; ++x)
            row[x] = value;
    }
}

} // namespace

void initialize() {
    // The engine reports a failed start-up itself, and then never calls run.
    Tolvo.Initialize(true, FULL_WIDTH, FULL_HEIGHT);
}

int run() {
    ++frame;
    if (Tolvo.LockBuffer()) {
        const int32_t right = FULL_WIDTH - 1;
        const int32_t bottom = FULL_HEIGHT - 1;
        Fill(0, 0, right, bottom, 16, 24, 48);
        for (int32_t x = FULL_GRID; x < FULL_WIDTH; x += FULL_GRID)
            Fill(x, 0, x, bottom, 48, 64, 96);
        for (int32_t y = FULL_GRID; y < FULL_HEIGHT; y += FULL_GRID)
            Fill(0, y, right, y, 48, 64, 96);
        // A bar sweeping left to right, so a still picture is not mistaken for a live one.
        int32_t bar = (frame * 4) % FULL_WIDTH;
        Fill(bar, 200, bar + 15 < right ? bar + 15 : right, 279, 120, 120, 140);
        Fill(0, 0, FULL_CORNER - 1, FULL_CORNER - 1, 255, 0, 0);
        Fill(right - FULL_CORNER + 1, 0, right, FULL_CORNER - 1, 0, 255, 0);
        Fill(0, bottom - FULL_CORNER + 1, FULL_CORNER - 1, bottom, 0, 0, 255);
        Fill(right - FULL_CORNER + 1, bottom - FULL_CORNER + 1, right, bottom, 255, 255, 0);
        // The border last, over the corner squares: its outermost pixels must show.
        Fill(0, 0, right, 0, 255, 255, 255);
        Fill(0, bottom, right, bottom, 255, 255, 255);
        Fill(0, 0, 0, bottom, 255, 255, 255);
        Fill(right, 0, right, bottom, 255, 255, 255);
        Tolvo.UnlockBuffer();
    }
    char line[80];
    std::snprintf(line, sizeof(line), "Tolvo full screen 640x480  frame %d  Esc quits", int(frame));
    Tolvo.SetColor(255, 255, 255);
    Tolvo.DrawText(40, 232, line);
    // Typed characters are not used (the engine itself quits on Escape).
    while (Tolvo.GetKey() != 0) {
    }
    Tolvo.ViewUpdate();
    return 0;
}
