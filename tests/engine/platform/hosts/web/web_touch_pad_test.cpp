// The page's touch controls as a pad: the buttons the event sink hears of, in order, the
// sound control's M held long enough to be seen, and letting go when the page is left.
#include "engine/platform/hosts/web/web_touch_pad.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace web;

const int RELEASE = -1; // a look that is the page losing the user's attention
const uint32_t LEFT = 1u << TOUCH_WALK_LEFT, RIGHT = 1u << TOUCH_WALK_RIGHT,
               SOUND = 1u << TOUCH_SOUND, ACTIONS = 0xfcu; // milk to pause

TEST(WebTouchPad, LooksBecomeThePadsButtonsAndM) {
    // Looks: (controls held, frames presented). Heard: GamepadButton or M down (+), up (-).
    const struct {
        const char* situation;
        std::vector<std::pair<uint32_t, int>> looks;
        std::string heard;
    } CASES[] = {
        {"milk, pin, splash, swing, start, pause: Y X B RB A Start",
         {{ACTIONS, 1}},
         " 3+ 2+ 1+ 7+ 0+ 5+"},
        {"a thumb sliding from left to right lets go of left first; held, heard once",
         {{LEFT, 1}, {RIGHT, 2}, {RIGHT, 3}},
         " 10+ 10- 11+"},
        {"a tap of sound holds M until ten frames are presented",
         {{SOUND, 4}, {0, 5}, {0, 13}, {0, 14}, {0, 15}},
         " M+ M-"},
        {"leaving the page lets go of all at once, once; the controls are then heard afresh",
         {{LEFT | SOUND, 1}, {0, RELEASE}, {0, RELEASE}, {LEFT, 2}},
         " 10+ removed 10+ M+ M-"},
    };
    for (const auto& entry : CASES) {
        TouchPad pad;
        std::vector<PadChange> changes;
        std::vector<TouchKey> keys;
        for (const auto& look : entry.looks) {
            if (look.second == RELEASE) {
                pad.Release(&changes, &keys);
            } else {
                pad.Update(look.first, look.second, &changes, &keys);
            }
        }
        std::string heard;
        for (const PadChange& change : changes) {
            EXPECT_EQ(change.pad, TOUCH_PAD) << entry.situation;
            heard += change.kind == PadChange::REMOVED
                         ? " removed"
                         : " " + std::to_string(change.button) + (change.down ? "+" : "-");
        }
        for (const TouchKey& key : keys) {
            heard += std::string(" ") + char(key.virtualKey) + (key.down ? "+" : "-");
        }
        EXPECT_EQ(heard, entry.heard) << entry.situation;
    }
}

} // namespace
