// SDL's game controllers through the SDL host reach the engine as the keys they map to:
// a virtual pad drives SDL's real event path, on SDL's dummy video driver (no display),
// and the engine's own key table tells what arrived, frame by frame.
#include "virtual_pad.h"

#include "engine/display/windows_dx.h"
#include "engine/platform/hosts/sdl/sdl.h"
#include "engine/platform/subset/test_controls/test_controls.h"
#include "engine/platform/subset/seam/gamepad.h"
#include "engine/platform/subset/seam/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const int HOLD = subset::GAMEPAD_HOLD_FRAMES;

struct Change {
    int frame;
    int key;
    bool down;
    bool operator==(const Change& other) const {
        return frame == other.frame && key == other.key && down == other.down;
    }
};

std::string Describe(const std::vector<Change>& changes) {
    std::string text;
    for (const Change& change : changes) {
        text += " " + std::to_string(change.frame) + (change.down ? " down " : " up ") +
                std::to_string(change.key);
    }
    return text.empty() ? " nothing" : text;
}

class SdlGamepad : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        char folder[] = "/tmp/tolvo-sdl-gamepad-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        ASSERT_EQ(chdir(folder), 0); // for the engine's debug.txt
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("TOLVO_FPS", "0", 1);
        // The dummy video driver gives no window the keyboard focus, and SDL holds back the
        // pads of an application without it.
        setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
        subset::Settings settings;
        settings.unpaced = true;
        settings.scale = 1;
        std::string error;
        ASSERT_TRUE(sdl::Start(settings, &error)) << error;
        static char module;
        Tolvo.SetInstance(reinterpret_cast<HINSTANCE>(&module), SW_SHOWNORMAL);
        ASSERT_TRUE(Tolvo.Initialize(false, 900, 500));
    }

    static void TearDownTestSuite() {
        Tolvo.CleanUp();
        sdl::Stop();
    }

    // Runs `frames` frames of the engine's loop, with `act` setting the pads before each
    // (given the frame about to run), and returns every change of the engine's keys.
    std::vector<Change> Frames(int frames, const std::function<void(int)>& act = nullptr) {
        std::vector<Change> changes;
        for (int i = 0; i < frames; i++) {
            int frame = subset::FramesRun() + 1;
            if (act) {
                act(frame);
            }
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    quits++;
                    continue;
                }
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            for (int key = 0; key < 256; key++) {
                bool down = Tolvo.IsKeyDown(key) != 0;
                if (down != held[key]) {
                    held[key] = down;
                    changes.push_back({frame, key, down});
                }
            }
        }
        return changes;
    }

    // Frames from now on, counted from 1 for the next.
    int Next(int offset) const { return subset::FramesRun() + offset; }

    bool held[256] = {};
    int quits = 0;
};

TEST_F(SdlGamepad, EachButtonPressesItsKeyAndLetsGo) {
    VirtualPad pad;
    ASSERT_TRUE(pad.Plugged()) << SDL_GetError();
    Frames(3); // the host opens the pad
    const struct {
        SDL_GameControllerButton button;
        int key;
        int held; // frames the key stays down after a one-frame press
    } BUTTONS[] = {
        {SDL_CONTROLLER_BUTTON_A, VK_SPACE, HOLD},
        {SDL_CONTROLLER_BUTTON_X, 'F', HOLD},
        {SDL_CONTROLLER_BUTTON_Y, 'G', HOLD},
        {SDL_CONTROLLER_BUTTON_B, 'T', HOLD},
        {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 'R', HOLD},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, VK_LEFT, 1},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, VK_RIGHT, 1},
    };
    for (const auto& entry : BUTTONS) {
        int first = Next(1);
        std::vector<Change> changes = Frames(HOLD + 5, [&](int frame) {
            pad.Button(entry.button, frame == first); // pressed for one frame
        });
        std::vector<Change> expected = {{first, entry.key, true},
                                        {first + entry.held, entry.key, false}};
        EXPECT_EQ(changes, expected) << "button " << entry.button << ": got" << Describe(changes);
    }
    // Held, a key stays down as long as the button, with no repeats.
    int first = Next(1);
    std::vector<Change> changes =
        Frames(40, [&](int frame) { pad.Button(SDL_CONTROLLER_BUTTON_A, frame < first + 30); });
    EXPECT_EQ(changes,
              (std::vector<Change>{{first, VK_SPACE, true}, {first + 30, VK_SPACE, false}}))
        << Describe(changes);
    // Buttons without a key press nothing.
    changes = Frames(20, [&](int frame) {
        bool down = frame < Next(1) + 10;
        pad.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, down);
        pad.Button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, down);
        pad.Button(SDL_CONTROLLER_BUTTON_GUIDE, down);
    });
    EXPECT_TRUE(changes.empty()) << Describe(changes);
}

TEST_F(SdlGamepad, TheLeftStickWalksBeyondItsDeadZone) {
    VirtualPad pad;
    ASSERT_TRUE(pad.Plugged()) << SDL_GetError();
    Frames(3);
    const struct {
        const char* situation;
        std::vector<Sint16> positions; // one a frame
        std::vector<Change> expected;  // frames counted from the first position's
    } CASES[] = {
        {"resting", {0, 8000, -12000, 0}, {}},
        {"left", {-32768, -32768, 0}, {{1, VK_LEFT, true}, {3, VK_LEFT, false}}},
        {"right", {20000, 32767, 14000, 9000}, {{1, VK_RIGHT, true}, {4, VK_RIGHT, false}}},
        {"flicked across",
         {-32768, 32767, 0},
         {{1, VK_LEFT, true}, {2, VK_LEFT, false}, {2, VK_RIGHT, true}, {3, VK_RIGHT, false}}},
    };
    for (const auto& c : CASES) {
        int first = Next(1);
        std::vector<Change> changes =
            Frames(static_cast<int>(c.positions.size()) + 2, [&](int frame) {
                size_t step = static_cast<size_t>(frame - first);
                pad.Axis(SDL_CONTROLLER_AXIS_LEFTX,
                         step < c.positions.size() ? c.positions[step] : 0);
                pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 30000); // up and down walk nowhere
            });
        std::vector<Change> expected;
        for (Change change : c.expected) {
            change.frame += first - 1;
            expected.push_back(change);
        }
        EXPECT_EQ(changes, expected) << c.situation << ": got" << Describe(changes);
    }
}

TEST_F(SdlGamepad, StartHoldsPAndOForOneLookOfTheGame) {
    VirtualPad pad;
    ASSERT_TRUE(pad.Plugged()) << SDL_GetError();
    Frames(3);
    int first = Next(1);
    std::vector<Change> changes =
        Frames(30, [&](int frame) { pad.Button(SDL_CONTROLLER_BUTTON_START, frame < first + 2); });
    std::vector<Change> expected = {{first, 'O', true},
                                    {first, 'P', true},
                                    {first + HOLD, 'O', false},
                                    {first + HOLD, 'P', false}};
    EXPECT_EQ(changes, expected) << Describe(changes);
}

TEST_F(SdlGamepad, BackQuitsOnlyWhenHeldASecond) {
    VirtualPad pad;
    ASSERT_TRUE(pad.Plugged()) << SDL_GetError();
    Frames(3);
    int first = Next(1);
    std::vector<Change> changes =
        Frames(80, [&](int frame) { pad.Button(SDL_CONTROLLER_BUTTON_BACK, frame < first + 40); });
    EXPECT_TRUE(changes.empty()) << Describe(changes);
    EXPECT_EQ(quits, 0);
    first = Next(1);
    changes = Frames(80, [&](int frame) {
        pad.Button(SDL_CONTROLLER_BUTTON_BACK, frame < first + subset::GAMEPAD_BACK_FRAMES + 5);
    });
    int escape = first + subset::GAMEPAD_BACK_FRAMES;
    EXPECT_EQ(changes,
              (std::vector<Change>{{escape, VK_ESCAPE, true}, {escape + 5, VK_ESCAPE, false}}))
        << Describe(changes);
    EXPECT_EQ(quits, 1); // Escape types the character that ends the engine's loop
}

TEST_F(SdlGamepad, PadsPluggedInAndOutWhilePlaying) {
    VirtualPad first;
    ASSERT_TRUE(first.Plugged()) << SDL_GetError();
    Frames(3);
    first.Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    std::vector<Change> changes = Frames(2);
    ASSERT_EQ(changes.size(), 1u) << Describe(changes);

    // A second pad, plugged in later, holds the same key: it goes up with the last.
    VirtualPad second;
    ASSERT_TRUE(second.Plugged()) << SDL_GetError();
    Frames(3);
    second.Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    second.Button(SDL_CONTROLLER_BUTTON_A, true);
    changes = Frames(2);
    EXPECT_EQ(changes, (std::vector<Change>{{Next(-1), VK_SPACE, true}})) << Describe(changes);

    // Unplugged while held: its keys go up, the other pad's stay down.
    first.Unplug();
    changes = Frames(2);
    EXPECT_TRUE(changes.empty()) << Describe(changes);
    int unplugged = Next(1);
    second.Unplug();
    changes = Frames(2);
    EXPECT_EQ(changes,
              (std::vector<Change>{{unplugged, VK_SPACE, false}, {unplugged, VK_RIGHT, false}}))
        << Describe(changes);
}

} // namespace
