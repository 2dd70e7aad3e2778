// The player's full-screen keys, which every host asks before posting a key.
#include "engine/platform/subset/sdk/windows.h"
#include "engine/platform/subset/seam/full_screen_keys.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// One key event as a host gets it, and what the host does with it.
struct KeyStep {
    int virtualKey;
    bool alt, down, repeat;
    subset::FullScreenKeys::Action action;
};

struct KeyCase {
    const char* situation;
    std::vector<KeyStep> steps;
};

const subset::FullScreenKeys::Action PASS = subset::FullScreenKeys::PASS;
const subset::FullScreenKeys::Action TAKE = subset::FullScreenKeys::TAKE;
const subset::FullScreenKeys::Action TOGGLE = subset::FullScreenKeys::TOGGLE;

const KeyCase FULL_SCREEN_KEYS[] = {
    {"F11 toggles on its press; held, its repeats and release stay the host's",
     {{VK_F11, false, true, false, TOGGLE},
      {VK_F11, false, true, true, TAKE},
      {VK_F11, false, false, false, TAKE},
      {VK_F11, false, true, false, TOGGLE},
      {VK_F11, false, false, false, TAKE}}},
    {"F11 with Alt held toggles too",
     {{VK_F11, true, true, false, TOGGLE}, {VK_F11, true, false, false, TAKE}}},
    {"Alt+Enter toggles; Enter's release is the host's even after Alt went up",
     {{VK_MENU, false, true, false, PASS},
      {VK_RETURN, true, true, false, TOGGLE},
      {VK_MENU, true, false, false, PASS},
      {VK_RETURN, false, false, false, TAKE}}},
    {"Enter alone, and its repeats, are the game's",
     {{VK_RETURN, false, true, false, PASS},
      {VK_RETURN, false, true, true, PASS},
      {VK_RETURN, false, false, false, PASS}}},
    {"Enter held before Alt: its repeats with Alt are kept from the game, not toggled, and "
     "its release goes to the game that heard it go down",
     {{VK_RETURN, false, true, false, PASS},
      {VK_RETURN, true, true, true, TAKE},
      {VK_RETURN, true, false, false, PASS}}},
    {"the other function keys, and the game's keys with Alt, are not the host's",
     {{VK_F1 + 9, false, true, false, PASS},
      {VK_F1 + 11, false, true, false, PASS},
      {VK_SPACE, true, true, false, PASS},
      {VK_SPACE, true, false, false, PASS}}},
    {"a release of F11 pressed while the page was away is not taken",
     {{VK_F11, false, false, false, PASS}}},
};

TEST(FullScreenKeys, F11AndAltEnterAreTheHostsOwn) {
    for (const KeyCase& c : FULL_SCREEN_KEYS) {
        subset::FullScreenKeys keys;
        int step = 0;
        for (const KeyStep& s : c.steps) {
            EXPECT_EQ(keys.Key(s.virtualKey, s.alt, s.down, s.repeat), s.action)
                << c.situation << ", step " << step;
            step++;
        }
    }
}

} // namespace
