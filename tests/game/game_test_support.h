// Helpers shared by the game's unit tests: a headless display to draw into, test
// pictures of one colour, and direct control of the engine's key-state table.
#ifndef TOLVO_TESTS_GAME_GAME_TEST_SUPPORT_H
#define TOLVO_TESTS_GAME_GAME_TEST_SUPPORT_H

#include "engine/display/windows_dx.h"
#include "engine/image/image.h"
#include "engine/platform/hosts/headless/headless.h"
#include "engine/platform/subset/test_controls/test_controls.h"

#include <cstdint>
#include <cstring>
#include <unistd.h>

namespace gametest {

// Starts the engine on the headless host once per test program, so pictures can be
// loaded (missing ones are only reported) and drawn.
inline void StartDisplay() {
    static bool started = false;
    if (!started) {
        // Tests run in <build>/tests; the generated art, when there, is in <build>/Images.
        if (access("../Images", F_OK) == 0 && chdir("..") != 0) {
            return;
        }
        headless::Start();
        Tolvo.Initialize(false, 900, 500);
        started = true;
    }
}

// A locked back buffer cleared to 0; false if the display could not be had.
inline bool LockClearedDisplay() {
    StartDisplay();
    if (Tolvo.GetStatus() != READY && Tolvo.GetStatus() != LOCK_FAILED) {
        return false;
    }
    if (!Tolvo.LockBuffer()) {
        return false;
    }
    Tolvo.ClearBuffer();
    return true;
}

inline uint16_t PixelAt(int32_t x, int32_t y) {
    return Tolvo.pixels[y * Tolvo.width + x];
}

// A solid picture of one 16-bit value, ready to draw.
inline void MakePicture(Image& image, int32_t width, int32_t height, uint16_t value) {
    image.Free();
    image.Size(width, height, IMG_16BIT);
    uint16_t* pixels = reinterpret_cast<uint16_t*>(image.pixels);
    for (int32_t i = 0; i < width * height; i++) {
        pixels[i] = value;
    }
}

inline void ReleaseAllKeys() {
    std::memset(Tolvo.keyState, 0, sizeof Tolvo.keyState);
}

inline void HoldKey(int32_t key, bool down = true) {
    Tolvo.keyState[key] = down ? 1 : 0;
}

} // namespace gametest

#endif
