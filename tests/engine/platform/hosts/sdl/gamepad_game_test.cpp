// The game played with a gamepad on the SDL host (a virtual pad on SDL's dummy video
// driver, in this process, through the engine's own WinMain) is recorded as keys, and the
// recording replayed by the game program on the headless host gives the same game, frame
// for frame, while its sound device goes and comes back and its renderer resets.
#include "virtual_pad.h"

#include "engine/platform/hosts/sdl/sdl.h"
#include "engine/platform/platform.h"
#include "engine/platform/subset/test_controls/test_controls.h"
#include "engine/platform/subset/seam/settings.h"
#include "tests/program/game_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// What the thumbs do, by frame: a control held from `from` up to (not including) `to`.
struct Hold {
    int from, to;
    SDL_GameControllerButton button; // SDL_CONTROLLER_BUTTON_INVALID: the stick
    Sint16 stickX;
};

// The demo's game, played on a pad (see tools/demo/demo.script for the timing): the title
// and instructions pass, A starts, the stick and the D-pad walk, X picks up a rolling pin,
// Y takes milk, B splashes it at a muffin, the right shoulder swings, Start pauses and
// resumes, the D-pad walks back, and Back, held, quits.
const Hold PLAN[] = {
    {1702, 1703, SDL_CONTROLLER_BUTTON_A, 0},
    {1711, 1714, SDL_CONTROLLER_BUTTON_INVALID, 32767},
    {1742, 1743, SDL_CONTROLLER_BUTTON_X, 0},
    {1895, 1901, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0},
    {1912, 1913, SDL_CONTROLLER_BUTTON_Y, 0},
    {2075, 2100, SDL_CONTROLLER_BUTTON_INVALID, 30000},
    {2100, 2150, SDL_CONTROLLER_BUTTON_B, 0},
    {2200, 2202, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 0},
    {2300, 2302, SDL_CONTROLLER_BUTTON_START, 0},
    {2400, 2403, SDL_CONTROLLER_BUTTON_START, 0},
    {2450, 2470, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0},
    {2600, 2700, SDL_CONTROLLER_BUTTON_BACK, 0},
};
const int LAST_FRAME = 2600 + 60 - 1; // Escape comes before frame 2660, which never runs

// Devices going away and coming back while the pad plays, told by SDL's events as SDL
// sends them (a removed device by its id: the one playing, or another), with whether a
// sound device plays when each comes; the window shows the frame before each. Nothing of
// the game may notice.
const struct {
    int frame;
    Uint32 event, another;
    bool playing;
} DEVICES[] = {{1700, SDL_AUDIODEVICEREMOVED, 1, true},
               {1720, SDL_AUDIODEVICEREMOVED, 0, true},
               {1760, SDL_RENDER_DEVICE_RESET, 0, false},
               {1800, SDL_RENDER_TARGETS_RESET, 0, false},
               {1900, SDL_AUDIODEVICEADDED, 0, false}};

// The sound device open and playing; 0 when none is.
SDL_AudioDeviceID PlayingDevice() {
    for (SDL_AudioDeviceID device = 1; device < 64; device++) {
        if (SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_PLAYING) {
            return device;
        }
    }
    return 0;
}

// The game's window shows the frame presented last (the client area of the captured
// screen), pixel for pixel.
bool ShowsTheScreen() {
    SDL_Window* window = SDL_GetWindowFromID(1); // the game's one window
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    std::vector<uint16_t> shown(static_cast<size_t>(width) * height);
    SDL_RenderReadPixels(SDL_GetRenderer(window), nullptr, SDL_PIXELFORMAT_RGB565, shown.data(),
                         width * 2);
    POINT client = {0, 0};
    ClientToScreen(subset::MainWindow(), &client);
    bool same = width > 0;
    for (int y = 0; y < height; y++) {
        const uint16_t* row = &subset::ScreenPixels()[(client.y + y) * subset::ScreenWidth()];
        same = same && std::equal(row + client.x, row + client.x + width, &shown[y * width]);
    }
    return same;
}

VirtualPad* pad = nullptr;

// SDL reads the pad: its state for the frame about to run.
void PlayPlan(void*) {
    const int frame = subset::FramesRun() + 1;
    Sint16 stickX = 0;
    bool pressed[SDL_CONTROLLER_BUTTON_MAX] = {};
    for (const Hold& hold : PLAN) {
        if (frame >= hold.from && frame < hold.to) {
            if (hold.button == SDL_CONTROLLER_BUTTON_INVALID) {
                stickX = hold.stickX;
            } else {
                pressed[hold.button] = true;
            }
        }
    }
    static int done = 0; // SDL reads the pad more than once a frame
    for (const auto& device : DEVICES) {
        if (device.frame == frame && done != frame) {
            done = frame;
            EXPECT_EQ(PlayingDevice() != 0, device.playing) << "frame " << frame;
            EXPECT_TRUE(ShowsTheScreen()) << "frame " << frame;
            SDL_Event event = {};
            event.type = device.event;
            event.adevice.which = PlayingDevice() + device.another;
            SDL_PushEvent(&event);
        }
    }
    SDL_Joystick* joystick = pad ? pad->Joystick() : nullptr;
    if (!joystick) {
        return;
    }
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, stickX);
    for (int button = 0; button < SDL_CONTROLLER_BUTTON_MAX; button++) {
        SDL_JoystickSetVirtualButton(joystick, button,
                                     pressed[button] ? SDL_PRESSED : SDL_RELEASED);
    }
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(GamepadGame, ARecordingMadeWithAPadReplaysToTheSameGame) {
    char made[] = "/tmp/tolvo-pad-game-XXXXXX";
    ASSERT_NE(mkdtemp(made), nullptr);
    const std::string folder = made;
    ASSERT_EQ(symlink(MUFFINS_IMAGES, (folder + "/Images").c_str()), 0);
    ASSERT_EQ(symlink(MUFFINS_SOUNDS, (folder + "/Sounds").c_str()), 0);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1); // writes what reaches the device to a file
    setenv("SDL_DISKAUDIOFILE", (folder + "/audio.raw").c_str(), 1);
    // The dummy video driver gives no window the keyboard focus, and SDL holds back the
    // pads of an application without it.
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    setenv("TOLVO_FPS", "0", 1);
    setenv("TOLVO_TRACE", (folder + "/trace.jsonl").c_str(), 1);

    subset::Settings settings;
    settings.unpaced = true;
    settings.scale = 1;
    std::string error;
    ASSERT_TRUE(sdl::Start(settings, &error)) << error;
    const std::string recording = folder + "/recording.script";
    ASSERT_TRUE(subset::RecordInput(recording));
    subset::StopAfterFrames(4000); // in case Back never quits
    int exitCode = -1;
    {
        VirtualPad plugged(PlayPlan);
        ASSERT_TRUE(plugged.Plugged()) << SDL_GetError();
        pad = &plugged;
        static char module;
        char commandLine[] = "";
        exitCode =
            WinMain(reinterpret_cast<HINSTANCE>(&module), nullptr, commandLine, SW_SHOWNORMAL);
        pad = nullptr;
    }
    sdl::Stop(); // also closes the recording
    EXPECT_EQ(exitCode, 0);
    // One line in the log for the device that went away; the one opened again emptied its
    // file (the disk driver's way), and the game's sounds reached it after.
    const std::string log = ReadFile(folder + "/debug.txt");
    const std::string lost = "SDL: The sound device went away";
    EXPECT_NE(log.find(lost), std::string::npos) << log;
    EXPECT_EQ(log.find(lost), log.rfind(lost)) << log;
    EXPECT_NE(ReadFile(folder + "/audio.raw").find_first_not_of('\0'), std::string::npos);

    std::vector<std::string> trace = Lines(folder + "/trace.jsonl");
    ASSERT_EQ(static_cast<int>(trace.size()), LAST_FRAME);
    // The pad played the game: it started, picked up, took milk, paused and resumed.
    int pins = 0, cartons = 0, pausedFrames = 0;
    for (const std::string& line : trace) {
        pins = std::max(pins, TraceInt(line, "rollingPins"));
        cartons = std::max(cartons, TraceInt(line, "milkCartons"));
        pausedFrames += TraceValue(line, "screen") == "paused" ? 1 : 0;
    }
    EXPECT_EQ(TraceValue(trace[1710], "screen"), "play");
    EXPECT_GE(pins, 1);
    EXPECT_GE(cartons, 1);
    EXPECT_GE(pausedFrames, 90);
    EXPECT_LE(pausedFrames, 110);
    EXPECT_EQ(TraceValue(trace.back(), "screen"), "play");

    // Keys only: the pad's buttons as the keys they pressed.
    std::string script;
    for (const std::string& line : Lines(recording)) {
        script += line + "\n";
    }
    for (const char* key :
         {"1702 down 32\n", "1712 up 32\n", "1711 down 39\n", "1714 up 39\n", "1742 down 70\n",
          "1912 down 71\n", "2100 down 84\n", "2200 down 82\n", "2300 down 80\n", "2300 down 79\n",
          "2310 up 80\n", "2450 down 37\n", "2660 down 27\n"}) {
        EXPECT_NE(script.find(key), std::string::npos) << key << "in\n" << script;
    }

    GameRun replayed = GameRun::Play(recording);
    EXPECT_EQ(replayed.exitCode, 0) << replayed.errors;
    ASSERT_EQ(replayed.trace.size(), trace.size());
    for (size_t i = 0; i < trace.size(); i++) {
        ASSERT_EQ(replayed.trace[i], trace[i]) << "frame " << i + 1;
    }
    std::system(("rm -rf '" + folder + "'").c_str());
}

} // namespace
