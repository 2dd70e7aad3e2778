#include "engine/platform/hosts/web/web_pads.h"

namespace web {
namespace {

// Button bits a reading can hold.
const int BUTTON_BITS = 32;

PadChange Removed(int pad) {
    return PadChange{PadChange::REMOVED, pad, subset::GAMEPAD_A, false, 0, 0};
}

} // namespace

bool StandardButton(int index, subset::GamepadButton* button) {
    static const subset::GamepadButton LAYOUT[] = {
        subset::GAMEPAD_A,
        subset::GAMEPAD_B,
        subset::GAMEPAD_X,
        subset::GAMEPAD_Y,
        subset::GAMEPAD_LEFT_SHOULDER,
        subset::GAMEPAD_RIGHT_SHOULDER,
        subset::GAMEPAD_BUTTONS, // 6, 7: the triggers
        subset::GAMEPAD_BUTTONS,
        subset::GAMEPAD_BACK,
        subset::GAMEPAD_START,
        subset::GAMEPAD_BUTTONS, // 10, 11: the sticks pressed
        subset::GAMEPAD_BUTTONS,
        subset::GAMEPAD_DPAD_UP,
        subset::GAMEPAD_DPAD_DOWN,
        subset::GAMEPAD_DPAD_LEFT,
        subset::GAMEPAD_DPAD_RIGHT,
    };
    if (index < 0 || index >= static_cast<int>(sizeof(LAYOUT) / sizeof(LAYOUT[0])) ||
        LAYOUT[index] == subset::GAMEPAD_BUTTONS) {
        return false;
    }
    *button = LAYOUT[index];
    return true;
}

void PadTracker::Update(const std::vector<PadReading>& pads, std::vector<PadChange>* changes) {
    std::map<int, PadReading> now;
    for (const PadReading& pad : pads) {
        now[pad.index] = pad;
    }
    // Pads gone first, so that a pad's keys are up before another's go down.
    for (auto it = known.begin(); it != known.end();) {
        if (now.count(it->first)) {
            ++it;
        } else {
            changes->push_back(Removed(it->first));
            it = known.erase(it);
        }
    }
    for (const auto& entry : now) {
        const PadReading& pad = entry.second;
        auto found = known.find(pad.index);
        const bool fresh = found == known.end();
        const PadReading before = fresh ? PadReading() : found->second;
        for (int bit = 0; bit < BUTTON_BITS; bit++) {
            const bool down = (pad.buttons >> bit) & 1u;
            subset::GamepadButton button;
            if (down != (((before.buttons >> bit) & 1u) != 0) && StandardButton(bit, &button)) {
                changes->push_back(PadChange{PadChange::BUTTON, pad.index, button, down, 0, 0});
            }
        }
        if (pad.x != before.x || pad.y != before.y) {
            changes->push_back(
                PadChange{PadChange::STICK, pad.index, subset::GAMEPAD_A, false, pad.x, pad.y});
        }
        known[pad.index] = pad;
    }
}

void PadTracker::ForgetAll(std::vector<PadChange>* changes) {
    for (const auto& entry : known) {
        changes->push_back(Removed(entry.first));
    }
    known.clear();
}

} // namespace web
