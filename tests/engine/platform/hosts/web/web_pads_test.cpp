// The web host's gamepads: the browser's standard layout as the event sink's buttons, and
// the changes between two looks at the pads that the event sink hears of.
#include "engine/platform/hosts/web/web_pads.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using web::PadChange;
using web::PadReading;

TEST(WebPads, TheStandardLayoutNamesTheGamesButtons) {
    const struct {
        int index;
        bool mapped;
        subset::GamepadButton button;
    } LAYOUT[] = {
        {0, true, subset::GAMEPAD_A},
        {1, true, subset::GAMEPAD_B},
        {2, true, subset::GAMEPAD_X},
        {3, true, subset::GAMEPAD_Y},
        {4, true, subset::GAMEPAD_LEFT_SHOULDER},
        {5, true, subset::GAMEPAD_RIGHT_SHOULDER},
        {6, false, subset::GAMEPAD_A}, // the triggers
        {7, false, subset::GAMEPAD_A},
        {8, true, subset::GAMEPAD_BACK},
        {9, true, subset::GAMEPAD_START},
        {10, false, subset::GAMEPAD_A}, // the sticks pressed
        {11, false, subset::GAMEPAD_A},
        {12, true, subset::GAMEPAD_DPAD_UP},
        {13, true, subset::GAMEPAD_DPAD_DOWN},
        {14, true, subset::GAMEPAD_DPAD_LEFT},
        {15, true, subset::GAMEPAD_DPAD_RIGHT},
        {16, false, subset::GAMEPAD_A}, // home
        {-1, false, subset::GAMEPAD_A},
        {31, false, subset::GAMEPAD_A},
    };
    for (const auto& entry : LAYOUT) {
        subset::GamepadButton button = subset::GAMEPAD_BUTTONS;
        EXPECT_EQ(web::StandardButton(entry.index, &button), entry.mapped) << entry.index;
        if (entry.mapped) {
            EXPECT_EQ(button, entry.button) << entry.index;
        }
    }
}

PadReading Pad(int index, uint32_t buttons = 0, float x = 0, float y = 0) {
    PadReading reading;
    reading.index = index;
    reading.buttons = buttons;
    reading.x = x;
    reading.y = y;
    return reading;
}

uint32_t Bit(int index) {
    return 1u << index;
}

// The changes in a form that reads well in a failure.
std::string Describe(const std::vector<PadChange>& changes) {
    std::string text;
    for (const PadChange& change : changes) {
        text += " " + std::to_string(change.pad) + ":";
        switch (change.kind) {
        case PadChange::BUTTON:
            text += "button " + std::to_string(change.button) + (change.down ? " down" : " up");
            break;
        case PadChange::STICK:
            text += "stick " + std::to_string(change.x) + "," + std::to_string(change.y);
            break;
        case PadChange::REMOVED:
            text += "removed";
            break;
        }
    }
    return text.empty() ? " nothing" : text;
}

std::string Button(int pad, subset::GamepadButton button, bool down) {
    return Describe({PadChange{PadChange::BUTTON, pad, button, down, 0, 0}});
}
std::string Stick(int pad, float x, float y) {
    return Describe({PadChange{PadChange::STICK, pad, subset::GAMEPAD_A, false, x, y}});
}
std::string Removed(int pad) {
    return Describe({PadChange{PadChange::REMOVED, pad, subset::GAMEPAD_A, false, 0, 0}});
}

// Looks at the pads one after another; each look's changes as described.
struct PadCase {
    const char* situation;
    std::vector<std::vector<PadReading>> looks;
    std::vector<std::string> changes;
};

const PadCase CASES[] = {
    {"a pad at rest, looked at again and again, changes nothing",
     {{Pad(0)}, {Pad(0)}},
     {" nothing", " nothing"}},
    {"a button pressed and released",
     {{Pad(0)}, {Pad(0, Bit(15))}, {Pad(0, Bit(15))}, {Pad(0)}},
     {" nothing", Button(0, subset::GAMEPAD_DPAD_RIGHT, true), " nothing",
      Button(0, subset::GAMEPAD_DPAD_RIGHT, false)}},
    {"a pad first seen already holding buttons and its stick reports them",
     {{Pad(1, Bit(0) | Bit(9), -0.75f, 0.25f)}},
     {Button(1, subset::GAMEPAD_A, true) + Button(1, subset::GAMEPAD_START, true) +
      Stick(1, -0.75f, 0.25f)}},
    {"the buttons the game has no use for are not reported",
     {{Pad(0, Bit(6) | Bit(7) | Bit(10) | Bit(16) | Bit(31))}, {Pad(0)}},
     {" nothing", " nothing"}},
    {"the stick moving, each axis alone, and back to rest",
     {{Pad(0, 0, 0.5f, 0)}, {Pad(0, 0, 0.5f, 0)}, {Pad(0, 0, 0.5f, -1)}, {Pad(0)}},
     {Stick(0, 0.5f, 0), " nothing", Stick(0, 0.5f, -1), Stick(0, 0, 0)}},
    {"a pad unplugged is removed once; plugged in again it starts afresh",
     {{Pad(0, Bit(14))}, {}, {}, {Pad(0, Bit(14))}},
     {Button(0, subset::GAMEPAD_DPAD_LEFT, true), Removed(0), " nothing",
      Button(0, subset::GAMEPAD_DPAD_LEFT, true)}},
    {"two pads apart; one going does not touch the other",
     {{Pad(0, Bit(1)), Pad(2, Bit(2))}, {Pad(2, Bit(2) | Bit(3))}},
     {Button(0, subset::GAMEPAD_B, true) + Button(2, subset::GAMEPAD_X, true),
      Removed(0) + Button(2, subset::GAMEPAD_Y, true)}},
};

TEST(WebPads, EachLookReportsWhatChanged) {
    for (const PadCase& c : CASES) {
        web::PadTracker tracker;
        ASSERT_EQ(c.looks.size(), c.changes.size()) << c.situation;
        for (size_t look = 0; look < c.looks.size(); look++) {
            std::vector<PadChange> changes;
            tracker.Update(c.looks[look], &changes);
            EXPECT_EQ(Describe(changes), c.changes[look]) << c.situation << ", look " << look;
        }
    }
}

TEST(WebPads, LosingThePageRemovesEveryPadToBeSeenAfresh) {
    web::PadTracker tracker;
    std::vector<PadChange> changes;
    tracker.Update({Pad(0, Bit(5)), Pad(3, 0, 1, 0)}, &changes);
    changes.clear();
    tracker.ForgetAll(&changes);
    EXPECT_EQ(Describe(changes), Removed(0) + Removed(3));
    EXPECT_TRUE(tracker.Empty());
    changes.clear();
    tracker.ForgetAll(&changes);
    EXPECT_EQ(Describe(changes), " nothing");
    // Back: what the pads still hold goes down again.
    tracker.Update({Pad(0, Bit(5))}, &changes);
    EXPECT_EQ(Describe(changes), Button(0, subset::GAMEPAD_RIGHT_SHOULDER, true));
}

} // namespace
