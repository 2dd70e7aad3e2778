// Gamepads press the game's keys: the mapping by itself, frame by frame, and through the
// event sink to a window on the headless host, recorded and replayed as keys.
#include "engine/platform/hosts/headless/headless.h"
#include "engine/platform/platform.h"
#include "engine/platform/subset/test_controls/test_controls.h"
#include "engine/platform/subset/seam/events.h"
#include "engine/platform/subset/seam/gamepad.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using subset::GamepadButton;
using subset::GamepadKey;
using subset::GamepadKeys;
typedef std::vector<GamepadKey> Keys;

const int HOLD = subset::GAMEPAD_HOLD_FRAMES;
const int BACK = subset::GAMEPAD_BACK_FRAMES;

GamepadKey Down(int key) {
    return {key, true};
}
GamepadKey Up(int key) {
    return {key, false};
}

std::string Describe(const Keys& keys) {
    std::string text;
    for (const GamepadKey& key : keys) {
        text += (key.down ? " down " : " up ") + std::to_string(key.virtualKey);
    }
    return text.empty() ? " nothing" : text;
}

// One step of a pad's life on a frame, and the keys it should post.
struct Step {
    enum Kind { PRESS, RELEASE, STICK, ADVANCE, REMOVE } kind;
    int frame;
    int pad;
    GamepadButton button;
    float x, y;
    Keys keys;
};

Step Press(int frame, GamepadButton button, Keys keys, int pad = 0) {
    return {Step::PRESS, frame, pad, button, 0, 0, keys};
}
Step Release(int frame, GamepadButton button, Keys keys, int pad = 0) {
    return {Step::RELEASE, frame, pad, button, 0, 0, keys};
}
Step Stick(int frame, float x, float y, Keys keys, int pad = 0) {
    return {Step::STICK, frame, pad, subset::GAMEPAD_A, x, y, keys};
}
Step Advance(int frame, Keys keys) {
    return {Step::ADVANCE, frame, 0, subset::GAMEPAD_A, 0, 0, keys};
}
Step Remove(int pad, Keys keys) {
    return {Step::REMOVE, 0, pad, subset::GAMEPAD_A, 0, 0, keys};
}

void Play(const std::string& name, const std::vector<Step>& steps) {
    GamepadKeys pads;
    for (size_t i = 0; i < steps.size(); i++) {
        const Step& step = steps[i];
        Keys keys;
        switch (step.kind) {
        case Step::PRESS:
        case Step::RELEASE:
            pads.Button(step.pad, step.button, step.kind == Step::PRESS, step.frame, &keys);
            break;
        case Step::STICK:
            pads.Stick(step.pad, step.x, step.y, step.frame, &keys);
            break;
        case Step::ADVANCE:
            pads.Advance(step.frame, &keys);
            break;
        case Step::REMOVE:
            pads.Removed(step.pad, &keys);
            break;
        }
        EXPECT_EQ(keys, step.keys) << name << ", step " << i + 1 << ": got" << Describe(keys)
                                   << ", expected" << Describe(step.keys);
    }
}

TEST(GamepadKeys, EachActionButtonHoldsItsKeyAtLeastOneLookOfTheGame) {
    const struct {
        GamepadButton button;
        int key;
    } BUTTONS[] = {
        {subset::GAMEPAD_A, VK_SPACE},
        {subset::GAMEPAD_X, 'F'},
        {subset::GAMEPAD_Y, 'G'},
        {subset::GAMEPAD_B, 'T'},
        {subset::GAMEPAD_RIGHT_SHOULDER, 'R'},
    };
    for (const auto& entry : BUTTONS) {
        const int key = entry.key;
        const GamepadButton button = entry.button;
        // A tap: down at once, up when the hold is over, not before.
        Play("tap of " + std::to_string(key),
             {Press(1, button, {Down(key)}), Advance(1, {}), Release(2, button, {}), Advance(2, {}),
              Advance(HOLD, {}), Advance(HOLD + 1, {Up(key)}), Advance(HOLD + 2, {})});
        // Held longer than the hold: up with the button.
        Play("long press of " + std::to_string(key),
             {Press(1, button, {Down(key)}), Advance(HOLD + 5, {}),
              Release(HOLD + 6, button, {Up(key)}), Advance(HOLD + 7, {})});
        // Pressed again during a tap's hold: one key-down, held for the new press.
        Play("double tap of " + std::to_string(key),
             {Press(1, button, {Down(key)}), Release(2, button, {}), Press(5, button, {}),
              Release(6, button, {}), Advance(HOLD + 1, {}), Advance(HOLD + 5, {Up(key)})});
    }
}

TEST(GamepadKeys, DpadWalksExactlyAsLongAsItIsHeld) {
    Play("left", {Press(3, subset::GAMEPAD_DPAD_LEFT, {Down(VK_LEFT)}),
                  Release(4, subset::GAMEPAD_DPAD_LEFT, {Up(VK_LEFT)})});
    Play("right", {Press(3, subset::GAMEPAD_DPAD_RIGHT, {Down(VK_RIGHT)}), Advance(50, {}),
                   Release(51, subset::GAMEPAD_DPAD_RIGHT, {Up(VK_RIGHT)})});
    Play("both", {Press(1, subset::GAMEPAD_DPAD_LEFT, {Down(VK_LEFT)}),
                  Press(2, subset::GAMEPAD_DPAD_RIGHT, {Down(VK_RIGHT)}),
                  Release(3, subset::GAMEPAD_DPAD_LEFT, {Up(VK_LEFT)}),
                  Release(3, subset::GAMEPAD_DPAD_RIGHT, {Up(VK_RIGHT)})});
}

TEST(GamepadKeys, ButtonsWithoutAKeyAndRepeatsPressNothing) {
    Play("unused", {Press(1, subset::GAMEPAD_DPAD_UP, {}), Press(1, subset::GAMEPAD_DPAD_DOWN, {}),
                    Press(1, subset::GAMEPAD_LEFT_SHOULDER, {}), Advance(100, {}),
                    Release(101, subset::GAMEPAD_DPAD_UP, {})});
    Play("repeat", {Press(1, subset::GAMEPAD_DPAD_LEFT, {Down(VK_LEFT)}),
                    Press(2, subset::GAMEPAD_DPAD_LEFT, {}),
                    Release(3, subset::GAMEPAD_DPAD_LEFT, {Up(VK_LEFT)}),
                    Release(4, subset::GAMEPAD_DPAD_LEFT, {})});
    Play("release never pressed", {Release(1, subset::GAMEPAD_A, {}), Advance(50, {})});
    Play("out of range", {Press(1, static_cast<GamepadButton>(-1), {}),
                          Press(1, subset::GAMEPAD_BUTTONS, {}), Advance(50, {})});
}

TEST(GamepadKeys, StickHasADeadZoneAndHysteresis) {
    const float NOT_A_NUMBER = std::nanf("");
    const struct {
        const char* name;
        std::vector<Step> steps;
    } CASES[] = {
        {"inside the dead zone",
         {Stick(1, 0.2f, 0, {}), Stick(2, 0.49f, 0, {}), Stick(3, -0.49f, 0.9f, {})}},
        {"right and back",
         {Stick(1, 0.5f, 0, {Down(VK_RIGHT)}), Stick(2, 0.9f, 0, {}), Stick(3, 0.4f, 0, {}),
          Stick(4, 0.36f, 0, {}), Stick(5, 0.34f, 0, {Up(VK_RIGHT)}), Stick(6, 0.45f, 0, {})}},
        {"left, wobbling at the edge",
         {Stick(1, -0.6f, 0.1f, {Down(VK_LEFT)}), Stick(2, -0.45f, 0, {}), Stick(3, -0.55f, 0, {}),
          Stick(4, -0.3f, 0, {Up(VK_LEFT)}), Stick(5, -0.6f, 0, {Down(VK_LEFT)})}},
        {"flicked across",
         {Stick(1, -1, 0, {Down(VK_LEFT)}), Stick(2, 1, 0, {Up(VK_LEFT), Down(VK_RIGHT)}),
          Stick(3, 0, 0, {Up(VK_RIGHT)})}},
        {"up and down press nothing", {Stick(1, 0, -1, {}), Stick(2, 0, 1, {})}},
        {"out of range and not a number",
         {Stick(1, 7.0f, 0, {Down(VK_RIGHT)}), Stick(2, NOT_A_NUMBER, 0, {Up(VK_RIGHT)}),
          Stick(3, -INFINITY, 0, {})}},
    };
    for (const auto& entry : CASES) {
        Play(entry.name, entry.steps);
    }
}

TEST(GamepadKeys, AKeyHeldTwiceGoesDownOnceAndUpWithTheLast) {
    Play("D-pad and stick",
         {Press(1, subset::GAMEPAD_DPAD_LEFT, {Down(VK_LEFT)}), Stick(2, -1, 0, {}),
          Release(3, subset::GAMEPAD_DPAD_LEFT, {}), Stick(4, 0, 0, {Up(VK_LEFT)})});
    Play("two pads", {Press(1, subset::GAMEPAD_A, {Down(VK_SPACE)}, 0),
                      Press(2, subset::GAMEPAD_A, {}, 7), Release(30, subset::GAMEPAD_A, {}, 0),
                      Release(31, subset::GAMEPAD_A, {Up(VK_SPACE)}, 7)});
}

TEST(GamepadKeys, StartTogglesPauseByHoldingPAndOForOneLook) {
    const int P = 'P', O = 'O';
    Play("one press", {Press(5, subset::GAMEPAD_START, {Down(P), Down(O)}),
                       Release(6, subset::GAMEPAD_START, {}), Advance(5 + HOLD - 1, {}),
                       Advance(5 + HOLD, {Up(P), Up(O)}), Advance(5 + HOLD, {}), Advance(50, {})});
    Play("held long: still one toggle",
         {Press(1, subset::GAMEPAD_START, {Down(P), Down(O)}), Advance(1 + HOLD, {Up(P), Up(O)}),
          Advance(100, {}), Release(101, subset::GAMEPAD_START, {})});
    // A second press during a toggle toggles once more, after a frame with both keys up.
    Play("pressed twice quickly",
         {Press(1, subset::GAMEPAD_START, {Down(P), Down(O)}),
          Release(2, subset::GAMEPAD_START, {}), Press(3, subset::GAMEPAD_START, {}),
          Press(4, subset::GAMEPAD_START, {}), Advance(1 + HOLD, {Up(P), Up(O)}),
          Advance(2 + HOLD, {Down(P), Down(O)}), Advance(2 + 2 * HOLD, {Up(P), Up(O)}),
          Advance(3 + 2 * HOLD, {})});
    Play("pressed on the frame the toggle ends",
         {Press(1, subset::GAMEPAD_START, {Down(P), Down(O)}),
          Release(2, subset::GAMEPAD_START, {}), Press(1 + HOLD, subset::GAMEPAD_START, {}),
          Advance(1 + HOLD, {Up(P), Up(O)}), Advance(2 + HOLD, {Down(P), Down(O)})});
    Play("pressed again later",
         {Press(1, subset::GAMEPAD_START, {Down(P), Down(O)}), Advance(1 + HOLD, {Up(P), Up(O)}),
          Release(40, subset::GAMEPAD_START, {}),
          Press(41, subset::GAMEPAD_START, {Down(P), Down(O)})});
}

TEST(GamepadKeys, BackPressesEscapeOnlyWhenHeldASecond) {
    Play("brushed", {Press(1, subset::GAMEPAD_BACK, {}), Advance(30, {}),
                     Release(31, subset::GAMEPAD_BACK, {}), Advance(200, {})});
    Play("held", {Press(1, subset::GAMEPAD_BACK, {}), Advance(BACK, {}),
                  Advance(BACK + 1, {Down(VK_ESCAPE)}), Advance(BACK + 2, {}), Advance(500, {}),
                  Release(501, subset::GAMEPAD_BACK, {Up(VK_ESCAPE)})});
    Play("held again", {Press(1, subset::GAMEPAD_BACK, {}), Release(59, subset::GAMEPAD_BACK, {}),
                        Press(70, subset::GAMEPAD_BACK, {}), Advance(BACK + 1, {}),
                        Advance(70 + BACK, {Down(VK_ESCAPE)})});
}

TEST(GamepadKeys, AnUnpluggedPadLetsGoOfEverything) {
    Play("unplugged",
         {Press(1, subset::GAMEPAD_A, {Down(VK_SPACE)}), Stick(1, -1, 0, {Down(VK_LEFT)}),
          Press(1, subset::GAMEPAD_START, {Down('P'), Down('O')}),
          Press(1, subset::GAMEPAD_BACK, {}),
          Advance(1 + BACK, {Up('P'), Up('O'), Down(VK_ESCAPE)}),
          Remove(0, {Up(VK_LEFT), Up(VK_SPACE), Up(VK_ESCAPE)}),
          Release(100, subset::GAMEPAD_A, {}), Advance(200, {}), Remove(0, {})});
    Play("another pad keeps its keys", {Press(1, subset::GAMEPAD_DPAD_RIGHT, {Down(VK_RIGHT)}, 1),
                                        Press(1, subset::GAMEPAD_DPAD_RIGHT, {}, 2), Remove(1, {}),
                                        Release(5, subset::GAMEPAD_DPAD_RIGHT, {Up(VK_RIGHT)}, 2)});
}

TEST(GamepadKeys, PadsBeyondTheLimitAreIgnored) {
    GamepadKeys pads;
    Keys keys;
    for (int pad = 0; pad < subset::GAMEPAD_MAX_PADS + 4; pad++) {
        pads.Button(pad, subset::GAMEPAD_DPAD_LEFT, true, 1, &keys);
    }
    EXPECT_EQ(keys, Keys{Down(VK_LEFT)});
    keys.clear();
    for (int pad = 0; pad < subset::GAMEPAD_MAX_PADS + 4; pad++) {
        pads.Button(pad, subset::GAMEPAD_DPAD_LEFT, false, 2, &keys);
    }
    EXPECT_EQ(keys, Keys{Up(VK_LEFT)});
}

// Through the event sink: the messages a window gets, by frame.
struct Delivered {
    int frame;
    UINT message;
    WPARAM key;
    bool operator==(const Delivered& other) const {
        return frame == other.frame && message == other.message && key == other.key;
    }
};

std::vector<Delivered> delivered;

LRESULT CALLBACK PadProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_KEYUP) {
        delivered.push_back({subset::FramesRun() + 1, message, wParam});
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class PadSink : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::Start();
        delivered.clear();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = PadProc;
        windowClass.lpszClassName = "Pad";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        HWND window = CreateWindowExA(0, "Pad", "", WS_SYSMENU, 0, 0, 100, 100, nullptr, nullptr,
                                      nullptr, nullptr);
        ShowWindow(window, SW_SHOWNORMAL);
    }
    void TearDown() override { headless::Stop(); }

    // Runs the loop until `frames` have been counted in all.
    void RunTo(int frames) {
        MSG message;
        while (subset::FramesRun() < frames) {
            if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    return;
                }
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    }

    static std::string TempPath(const std::string& name) {
        return ::testing::TempDir() + "tolvo-gamepad-" + std::to_string(getpid()) + "-" + name;
    }
};

TEST_F(PadSink, PadKeysReachTheWindowBeforeTheirFrameAndAreRecordedAsKeys) {
    std::string path = TempPath("record.script");
    ASSERT_TRUE(subset::RecordInput(path));
    RunTo(2);
    subset::PostGamepadButton(3, subset::GAMEPAD_A, true); // before frame 3
    subset::PostGamepadStick(3, 0.9f, 0.0f);
    RunTo(3);
    subset::PostGamepadButton(3, subset::GAMEPAD_A, false);
    RunTo(6);
    subset::PostGamepadStick(3, 0.1f, 0.0f);
    RunTo(20);
    std::vector<Delivered> expected = {{3, WM_KEYDOWN, VK_SPACE},
                                       {3, WM_KEYDOWN, VK_RIGHT},
                                       {7, WM_KEYUP, VK_RIGHT},
                                       {3 + HOLD, WM_KEYUP, VK_SPACE}};
    EXPECT_EQ(delivered, expected);

    // The recording holds keys only, and replays to the same messages with no pad at all.
    std::vector<Delivered> played = delivered;
    SetUp(); // a new host: the recording is closed
    ASSERT_TRUE(subset::PlayScript(path));
    RunTo(20);
    EXPECT_EQ(delivered, played);
    std::remove(path.c_str());
}

TEST_F(PadSink, BackHeldASecondPressesEscape) {
    subset::PostGamepadButton(0, subset::GAMEPAD_BACK, true);
    RunTo(BACK);
    EXPECT_TRUE(delivered.empty());
    RunTo(BACK + 1);
    EXPECT_EQ(delivered, (std::vector<Delivered>{{BACK + 1, WM_KEYDOWN, VK_ESCAPE}}));
}

TEST_F(PadSink, ANewHostStartsWithNoPadHoldingAKey) {
    subset::PostGamepadButton(0, subset::GAMEPAD_DPAD_LEFT, true);
    RunTo(2);
    ASSERT_EQ(delivered.size(), 1u);
    SetUp();
    subset::PostGamepadButton(0, subset::GAMEPAD_DPAD_LEFT, false);
    subset::PostGamepadButton(0, subset::GAMEPAD_DPAD_LEFT, true);
    RunTo(2);
    EXPECT_EQ(delivered, (std::vector<Delivered>{{1, WM_KEYDOWN, VK_LEFT}}));
}

} // namespace
