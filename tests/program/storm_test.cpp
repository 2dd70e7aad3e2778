// Hostile window input: 100,000 random messages (keys 0..255 down and up, characters,
// mouse, focus, activation, moves, system keys) posted between frames of a running
// engine on the headless host, then a close. After every batch the engine's input state
// must equal a plain model of the window procedure; the key buffer never passes 1000,
// the log holds one overflow line per dropped character, and the close quits with 0.
#include "engine/display/windows_dx.h"
#include "engine/file/debug_log.h"
#include "engine/platform/hosts/headless/headless.h"
#include "engine/platform/subset/test_controls/test_controls.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

constexpr int STORM_MESSAGES = 100000;
constexpr int KEY_BUFFER = 1000;
constexpr int VK_ESC = 27; // would end the run early: never sent
const char* const OVERFLOW_LINE = "WinDX: Keyboard buffer overflow.\n";

bool TypesCharacter(int key) {
    return (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') ||
           (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9) || key == VK_SPACE || key == VK_RETURN ||
           key == VK_BACK;
}

// What the window procedure promises, kept alongside the engine.
struct Model {
    int keyCount = 0;
    long dropped = 0;
    uint8_t keys[256] = {};
    int mouseX = 0, mouseY = 0, mouseButton = 0;
    int clientX = 0, clientY = 0;
    bool moved = false;
    int active = 1;

    void Character() {
        if (keyCount < KEY_BUFFER) {
            ++keyCount;
        } else {
            ++dropped;
        }
    }
};

struct Storm {
    std::mt19937 random{20240611};
    Model model;
    int posted = 0;
    int frames = 0;
    bool closed = false;
    std::string failure; // first disagreement with the model

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    void Post(UINT message, WPARAM wParam, LPARAM lParam) {
        subset::PostToMainWindow(message, wParam, lParam);
        ++posted;
    }

    void PostOne() {
        const int kind = Pick(0, 99);
        const int word1 = Pick(0, 0xFFFF), word2 = Pick(0, 0xFFFF);
        const LPARAM words = static_cast<LPARAM>(static_cast<uint32_t>(word2) << 16 | word1);
        if (kind < 25) {
            int key = Pick(0, 255);
            key = key == VK_ESC ? VK_ESC + 1 : key;
            Post(WM_KEYDOWN, key, 1);
            model.keys[key] = 1;
            if (TypesCharacter(key)) {
                model.Character();
            }
        } else if (kind < 45) {
            const int key = Pick(0, 255);
            Post(WM_KEYUP, key, 0xC0000001);
            model.keys[key] = 0;
        } else if (kind < 65) {
            int code = Pick(0, 255);
            code = code == VK_ESC ? VK_ESC + 1 : code;
            Post(WM_CHAR, code, 1);
            model.Character();
        } else if (kind < 75) {
            Post(WM_MOUSEMOVE, 0, words);
            model.mouseX = word1;
            model.mouseY = word2;
        } else if (kind < 83) {
            static const UINT BUTTONS[] = {WM_LBUTTONDOWN, WM_LBUTTONUP,   WM_RBUTTONDOWN,
                                           WM_RBUTTONUP,   WM_MBUTTONDOWN, WM_MBUTTONUP};
            static const int CODES[] = {1, 0, 2, 0, 16, 0};
            const int which = Pick(0, 5);
            Post(BUTTONS[which], 0, words);
            model.mouseButton = CODES[which];
        } else if (kind < 87) {
            const bool gain = Pick(0, 1) == 1;
            Post(gain ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0);
            model.active = gain ? 1 : 0; // status is READY: focus activates
        } else if (kind < 91) {
            const int on = Pick(0, 1);
            Post(WM_ACTIVATEAPP, on, 0);
            model.active = on;
        } else if (kind < 95) {
            Post(WM_MOVE, 0, words);
            model.clientX = word1;
            model.clientY = word2;
            model.moved = true;
        } else {
            // System keys, double-clicks and others the engine does not handle.
            static const UINT IGNORED[] = {WM_SYSKEYDOWN, WM_SYSKEYUP, 0x0203,  0x0206,
                                           0x0209,        WM_PAINT,    WM_SIZE, 0x020A};
            Post(IGNORED[Pick(0, 7)], Pick(0, 255), words);
        }
    }

    void Check() {
        std::ostringstream out;
        if (Tolvo.keyCount != model.keyCount) {
            out << "keyCount " << Tolvo.keyCount << ", expected " << model.keyCount;
        } else if (Tolvo.keyCount < 0 || Tolvo.keyCount > KEY_BUFFER) {
            out << "keyCount " << Tolvo.keyCount << " outside 0..1000";
        } else if (Tolvo.mouseX != model.mouseX || Tolvo.mouseY != model.mouseY) {
            out << "mouse at " << Tolvo.mouseX << "," << Tolvo.mouseY;
        } else if (Tolvo.mouseButton != model.mouseButton) {
            out << "mouseButton " << Tolvo.mouseButton << ", expected " << model.mouseButton;
        } else if (Tolvo.active != model.active) {
            out << "active " << Tolvo.active << ", expected " << model.active;
        } else if (model.moved &&
                   (Tolvo.clientX != model.clientX || Tolvo.clientY != model.clientY)) {
            out << "client at " << Tolvo.clientX << "," << Tolvo.clientY;
        } else {
            for (int key = 0; key < 256; key++) {
                if (Tolvo.keyState[key] != model.keys[key]) {
                    out << "keyState[" << key << "] " << int(Tolvo.keyState[key]);
                    break;
                }
            }
        }
        if (failure.empty() && !out.str().empty()) {
            failure = "frame " + std::to_string(frames) + ": " + out.str();
        }
    }

    // One frame of the game: check the input state, take one character as the game
    // does, then post the next batch.
    void Frame() {
        ++frames;
        Check();
        Tolvo.GetKey();
        if (model.keyCount > 0) {
            --model.keyCount;
        }
        if (posted < STORM_MESSAGES) {
            // Bursts big enough to fill the key buffer now and then, small ones too.
            const int batch = Pick(0, 3) == 0 ? Pick(50, 400) : Pick(1, 20);
            for (int i = 0; i < batch && posted < STORM_MESSAGES; i++) {
                PostOne();
            }
        } else if (!closed) {
            Post(WM_CLOSE, 0, 0);
            closed = true;
        }
    }
};

Storm* storm = nullptr;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

long Count(const std::string& text, const std::string& part) {
    long count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

} // namespace

// The game's hooks, bound by name.
void initialize() {
    Tolvo.Initialize(false, 900, 500);
}

int run() {
    if (storm) {
        storm->Frame();
    }
    return 0;
}

TEST(HostileInput, StormOfRandomMessagesKeepsTheModelAndQuitsWithZero) {
    char folder[] = "/tmp/tolvo-storm-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder), 0);
    headless::Start();

    Storm state;
    storm = &state;
    const int code = WinMain(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL);
    storm = nullptr;
    const std::string log = ReadFile("debug.txt");
    debugLog.Close();
    std::remove("debug.txt");
    ASSERT_EQ(chdir(previous), 0);
    rmdir(folder);

    EXPECT_EQ(code, 0);
    EXPECT_TRUE(state.closed);
    EXPECT_EQ(state.posted, STORM_MESSAGES + 1);
    EXPECT_EQ(state.failure, "");
    EXPECT_GT(state.model.dropped, 0) << "the storm never filled the key buffer";
    EXPECT_EQ(Count(log, OVERFLOW_LINE), state.model.dropped);
    EXPECT_TRUE(headless::MessageBoxes().empty());
}
