#include "engine/platform/hosts/web/web_touch_pad.h"

namespace web {
namespace {

// The pad button of each control before TOUCH_SOUND, in the order of TouchControl.
const subset::GamepadButton BUTTONS[] = {
    subset::GAMEPAD_DPAD_LEFT, subset::GAMEPAD_DPAD_RIGHT, subset::GAMEPAD_Y,
    subset::GAMEPAD_X,         subset::GAMEPAD_B,          subset::GAMEPAD_RIGHT_SHOULDER,
    subset::GAMEPAD_A,         subset::GAMEPAD_START,
};
static_assert(sizeof(BUTTONS) / sizeof(BUTTONS[0]) == TOUCH_SOUND, "a button for each control");

const int KEY_M = 'M';

} // namespace

void TouchPad::Update(uint32_t held, int presented, std::vector<PadChange>* changes,
                      std::vector<TouchKey>* keys) {
    // Walk left goes up before walk right goes down, so a thumb sliding across turns the
    // hero round without a frame of both.
    for (bool down : {false, true}) {
        for (int control = 0; control < TOUCH_SOUND; control++) {
            const uint32_t bit = 1u << control;
            if (((held & bit) != 0) == down && ((pressed & bit) != 0) != down) {
                pressed ^= bit;
                changes->push_back(
                    PadChange{PadChange::BUTTON, TOUCH_PAD, BUTTONS[control], down, 0, 0});
            }
        }
    }
    // M is looked at every frame: held for as long as a pad's short press, so a tap
    // between two frames is seen.
    const bool sound = (held >> TOUCH_SOUND) & 1u;
    if (sound && !soundDown) {
        soundDown = true;
        soundSince = presented;
        keys->push_back(TouchKey{KEY_M, true});
    } else if (!sound && soundDown && presented - soundSince >= subset::GAMEPAD_HOLD_FRAMES) {
        soundDown = false;
        keys->push_back(TouchKey{KEY_M, false});
    }
}

void TouchPad::Release(std::vector<PadChange>* changes, std::vector<TouchKey>* keys) {
    if (pressed) {
        changes->push_back(
            PadChange{PadChange::REMOVED, TOUCH_PAD, subset::GAMEPAD_A, false, 0, 0});
        pressed = 0;
    }
    if (soundDown) {
        soundDown = false;
        keys->push_back(TouchKey{KEY_M, false});
    }
}

} // namespace web
