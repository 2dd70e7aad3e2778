// The web host's keyboard: KeyboardEvent.code to the virtual keys the other hosts report,
// which keys the browser keeps, the key changes the engine hears of, and the host's own
// full-screen keys.
#include "engine/platform/hosts/web/web_keys.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct CodeCase {
    const char* code;
    int virtualKey;
};

// Every key the game reads, and each family of names at its ends.
const CodeCase CODES[] = {
    {"ArrowLeft", VK_LEFT},  {"ArrowRight", VK_RIGHT},
    {"ArrowUp", VK_UP},      {"ArrowDown", VK_DOWN},
    {"Space", VK_SPACE},     {"Escape", VK_ESCAPE},
    {"KeyG", 'G'},           {"KeyF", 'F'},
    {"KeyT", 'T'},           {"KeyR", 'R'},
    {"KeyP", 'P'},           {"KeyO", 'O'},
    {"KeyA", 'A'},           {"KeyZ", 'Z'},
    {"Digit0", '0'},         {"Digit9", '9'},
    {"Numpad0", VK_NUMPAD0}, {"Numpad9", VK_NUMPAD0 + 9},
    {"F1", VK_F1},           {"F9", VK_F1 + 8},
    {"F10", VK_F1 + 9},      {"F12", VK_F1 + 11},
    {"Enter", VK_RETURN},    {"NumpadEnter", VK_RETURN},
    {"Backspace", VK_BACK},  {"Tab", VK_TAB},
    {"ShiftLeft", VK_SHIFT}, {"ShiftRight", VK_SHIFT},
    {"AltRight", VK_MENU},   {"ControlLeft", VK_CONTROL},
    {"Quote", VK_OEM_7},     {"Backquote", VK_OEM_3},
    {"Slash", VK_OEM_2},
};

TEST(WebKeys, CodesBecomeTheVirtualKeysOfTheOtherHosts) {
    for (const CodeCase& c : CODES) {
        EXPECT_EQ(web::VirtualKey(c.code), c.virtualKey) << c.code;
    }
}

// Names that only look like the families above, and keys the engine never sees.
const char* const UNKNOWN[] = {
    "",        "Key",           "KeyAA",        "Keya",      "Key1",  "Digit",
    "Digit10", "DigitA",        "F0",           "F13",       "F1x",   "F01",
    "F",       "Numpad",        "NumpadA",      "NumpadAdd", "Fn",    "Meta",
    "OSLeft",  "AudioVolumeUp", "Unidentified", "arrowleft", "space",
};

TEST(WebKeys, OtherCodesAreNoKey) {
    for (const char* code : UNKNOWN) {
        EXPECT_EQ(web::VirtualKey(code), 0) << '"' << code << '"';
    }
    EXPECT_EQ(web::VirtualKey(nullptr), 0);
}

struct KeepCase {
    int virtualKey;
    bool control, meta, kept;
};

const KeepCase KEEPS[] = {
    // The game's keys never scroll or type elsewhere while it has the focus.
    {VK_LEFT, false, false, false},
    {VK_RIGHT, false, false, false},
    {VK_SPACE, false, false, false},
    {'G', false, false, false},
    {VK_ESCAPE, false, false, false},
    // The browser's shortcuts, function keys and moving the focus stay the browser's.
    {'R', true, false, true},
    {'R', false, true, true},
    {VK_F1 + 4, false, false, true},
    {VK_F1 + 10, false, false, true},
    {VK_TAB, false, false, true},
};

TEST(WebKeys, TheBrowserKeepsItsShortcuts) {
    for (const KeepCase& c : KEEPS) {
        EXPECT_EQ(web::BrowserKeeps(c.virtualKey, c.control, c.meta), c.kept)
            << c.virtualKey << " control " << c.control << " meta " << c.meta;
    }
}

TEST(WebKeys, RepeatsAreFurtherKeyDownsAndEachKeyComesUpOnce) {
    web::HeldKeys keys;
    EXPECT_TRUE(keys.Change(VK_RIGHT, true));
    EXPECT_TRUE(keys.Change(VK_RIGHT, true)); // the keyboard's repeat
    EXPECT_TRUE(keys.Change(VK_RIGHT, false));
    EXPECT_FALSE(keys.Change(VK_RIGHT, false));
}

TEST(WebKeys, AKeyUpOfAKeyPressedElsewhereIsNotHeard) {
    // Pressed while the page had no focus: the engine never heard it go down.
    web::HeldKeys keys;
    EXPECT_FALSE(keys.Change(VK_SPACE, false));
}

TEST(WebKeys, LosingTheFocusLetsGoOfEveryHeldKeyOnce) {
    web::HeldKeys keys;
    keys.Change(VK_RIGHT, true);
    keys.Change('G', true);
    keys.Change(VK_SPACE, true);
    keys.Change(VK_SPACE, false);
    EXPECT_EQ(keys.ReleaseAll(), (std::vector<int>{VK_RIGHT, 'G'}));
    EXPECT_TRUE(keys.ReleaseAll().empty());
    // The real key-up arriving later, after focus came back, is not a second one.
    EXPECT_FALSE(keys.Change(VK_RIGHT, false));
}

} // namespace
