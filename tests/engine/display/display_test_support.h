// Shared by the display tests: the game hooks, a fresh engine on a fresh headless
// desktop in a private working directory, the debug log's text, and picture checks.
#ifndef TOLVO_TESTS_DISPLAY_DISPLAY_TEST_SUPPORT_H
#define TOLVO_TESTS_DISPLAY_DISPLAY_TEST_SUPPORT_H

#include "engine/display/windows_dx.h"
#include "engine/platform/hosts/headless/headless.h"
#include "engine/platform/subset/test_controls/test_controls.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What the linked-in game hooks do; empty functions do nothing.
extern std::function<void()> testInitialize;
extern std::function<int()> testRun;
// Where SamePicture writes the pictures of a failed comparison: the tests' own
// working directory.
extern std::string pictureFailureFolder;

// Each test gets its own folder for debug.txt, a newly constructed engine object
// and a reset headless desktop.
class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    void ResetDesktop(const subset::DesktopInfo& desktop);
    // Runs Initialize on the current desktop.
    bool Start(int32_t fullScreen = 0, int32_t width = 900, int32_t height = 500);
    std::string ReadLog() const;
    std::string folder;
    std::string previousFolder;
};

// The debug log text the engine writes for these messages, in order.
std::string LogText(const std::vector<std::string>& messages);

// A 16-bit picture in the display's layout.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint16_t> pixels;
    Picture() = default;
    Picture(int w, int h, uint16_t fill = 0) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    uint16_t& At(int x, int y) { return pixels[size_t(y) * width + x]; }
    uint16_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// Passes when the pictures are equal; otherwise fails naming the first differing
// pixel and writes both pictures as PAM files (display-failures/NAME-expected.pam,
// NAME-actual.pam, under pictureFailureFolder) for a person to look at.
::testing::AssertionResult SamePicture(const std::string& name, const Picture& expected,
                                       const Picture& actual, bool rgb555);

#endif
