#include "engine/platform/subset/seam/gamepad.h"

#include "engine/platform/subset/sdk/windows.h"

#include <climits>
#include <cmath>

namespace subset {
namespace {

// The key each source holds down, in the order of GamepadKeys::Source.
const int SOURCE_KEYS[] = {
    VK_LEFT, VK_RIGHT, VK_LEFT, VK_RIGHT, VK_SPACE, 'T', 'F', 'G', 'R', 'P', 'O', VK_ESCAPE,
};

// A value a host may hand over that is not a position on the stick's travel counts as
// the stick at rest.
float Axis(float value) {
    if (!std::isfinite(value)) {
        return 0.0f;
    }
    return value < -1.0f ? -1.0f : value > 1.0f ? 1.0f : value;
}

} // namespace

GamepadKeys::Pad* GamepadKeys::Find(int pad, bool create) {
    auto found = pads.find(pad);
    if (found != pads.end()) {
        return &found->second;
    }
    if (!create || static_cast<int>(pads.size()) >= GAMEPAD_MAX_PADS) {
        return nullptr;
    }
    Pad& added = pads[pad];
    added.toggleEnd = INT_MIN;
    return &added;
}

void GamepadKeys::Hold(Pad& pad, Source source, int frame, std::vector<GamepadKey>* keys) {
    pad.heldSince[source] = frame;
    if (pad.holding[source]) {
        return;
    }
    pad.holding[source] = true;
    if (holders[SOURCE_KEYS[source]]++ == 0) {
        keys->push_back({SOURCE_KEYS[source], true});
    }
}

void GamepadKeys::Let(Pad& pad, Source source, std::vector<GamepadKey>* keys) {
    if (!pad.holding[source]) {
        return;
    }
    pad.holding[source] = false;
    if (--holders[SOURCE_KEYS[source]] == 0) {
        keys->push_back({SOURCE_KEYS[source], false});
    }
}

void GamepadKeys::StartToggle(Pad& pad, int frame, std::vector<GamepadKey>* keys) {
    Hold(pad, SOURCE_PAUSE_P, frame, keys);
    Hold(pad, SOURCE_PAUSE_O, frame, keys);
    pad.toggleEnd = frame + GAMEPAD_HOLD_FRAMES;
}

void GamepadKeys::Button(int padNumber, GamepadButton button, bool down, int frame,
                         std::vector<GamepadKey>* keys) {
    if (button < 0 || button >= GAMEPAD_BUTTONS) {
        return;
    }
    Pad* pad = Find(padNumber, down);
    if (!pad || pad->pressed[button] == down) {
        return; // a release of a button never pressed, or a repeat
    }
    pad->pressed[button] = down;
    Source source = SOURCES;
    switch (button) {
    case GAMEPAD_DPAD_LEFT:
    case GAMEPAD_DPAD_RIGHT: {
        // The walk keys follow the pad exactly: the game reads them on every frame.
        Source direction = button == GAMEPAD_DPAD_LEFT ? SOURCE_DPAD_LEFT : SOURCE_DPAD_RIGHT;
        if (down) {
            Hold(*pad, direction, frame, keys);
        } else {
            Let(*pad, direction, keys);
        }
        return;
    }
    case GAMEPAD_START:
        if (!down) {
            return;
        }
        if (pad->holding[SOURCE_PAUSE_P] || frame <= pad->toggleEnd) {
            pad->toggleWaiting = true; // one more toggle once this one is over
        } else {
            StartToggle(*pad, frame, keys);
        }
        return;
    case GAMEPAD_BACK:
        if (down) {
            pad->backSince = frame;
        } else {
            Let(*pad, SOURCE_BACK, keys);
        }
        return;
    case GAMEPAD_A:
        source = SOURCE_A;
        break;
    case GAMEPAD_B:
        source = SOURCE_B;
        break;
    case GAMEPAD_X:
        source = SOURCE_X;
        break;
    case GAMEPAD_Y:
        source = SOURCE_Y;
        break;
    case GAMEPAD_RIGHT_SHOULDER:
        source = SOURCE_RIGHT_SHOULDER;
        break;
    default:
        return; // buttons the game has no key for
    }
    if (down) {
        Hold(*pad, source, frame, keys);
    } else if (frame - pad->heldSince[source] >= GAMEPAD_HOLD_FRAMES) {
        Let(*pad, source, keys);
    } // else Advance lets it go when its hold is over
}

void GamepadKeys::Stick(int padNumber, float x, float, int frame, std::vector<GamepadKey>* keys) {
    x = Axis(x);
    Pad* pad = Find(padNumber, std::fabs(x) >= GAMEPAD_STICK_PRESS);
    if (!pad) {
        return;
    }
    // Letting go first, so a stick flicked from one side to the other releases the old
    // direction before it presses the new one.
    if (x > -GAMEPAD_STICK_RELEASE) {
        Let(*pad, SOURCE_STICK_LEFT, keys);
    }
    if (x < GAMEPAD_STICK_RELEASE) {
        Let(*pad, SOURCE_STICK_RIGHT, keys);
    }
    if (x <= -GAMEPAD_STICK_PRESS) {
        Hold(*pad, SOURCE_STICK_LEFT, frame, keys);
    } else if (x >= GAMEPAD_STICK_PRESS) {
        Hold(*pad, SOURCE_STICK_RIGHT, frame, keys);
    }
}

void GamepadKeys::Removed(int padNumber, std::vector<GamepadKey>* keys) {
    Pad* pad = Find(padNumber, false);
    if (!pad) {
        return;
    }
    for (int source = 0; source < SOURCES; source++) {
        Let(*pad, static_cast<Source>(source), keys);
    }
    pads.erase(padNumber);
}

void GamepadKeys::Advance(int frame, std::vector<GamepadKey>* keys) {
    static const struct {
        GamepadButton button;
        Source source;
    } SHORT_PRESSES[] = {
        {GAMEPAD_A, SOURCE_A},
        {GAMEPAD_B, SOURCE_B},
        {GAMEPAD_X, SOURCE_X},
        {GAMEPAD_Y, SOURCE_Y},
        {GAMEPAD_RIGHT_SHOULDER, SOURCE_RIGHT_SHOULDER},
    };
    for (auto& entry : pads) {
        Pad& pad = entry.second;
        for (const auto& press : SHORT_PRESSES) {
            if (pad.holding[press.source] && !pad.pressed[press.button] &&
                frame - pad.heldSince[press.source] >= GAMEPAD_HOLD_FRAMES) {
                Let(pad, press.source, keys);
            }
        }
        if (pad.holding[SOURCE_PAUSE_P]) {
            if (frame >= pad.toggleEnd) {
                Let(pad, SOURCE_PAUSE_P, keys);
                Let(pad, SOURCE_PAUSE_O, keys);
                pad.toggleEnd = frame; // a waiting toggle starts on a later frame
            }
        } else if (pad.toggleWaiting && frame > pad.toggleEnd) {
            // A frame with both keys up between two toggles, so the game sees two presses.
            pad.toggleWaiting = false;
            StartToggle(pad, frame, keys);
        }
        if (pad.pressed[GAMEPAD_BACK] && !pad.holding[SOURCE_BACK] &&
            frame - pad.backSince >= GAMEPAD_BACK_FRAMES) {
            Hold(pad, SOURCE_BACK, frame, keys);
        }
    }
}

void GamepadKeys::Reset() {
    pads.clear();
    holders.clear();
}

GamepadKeys& Gamepads() {
    static GamepadKeys gamepads;
    return gamepads;
}

void ResetGamepads() {
    Gamepads().Reset();
}

} // namespace subset
