// The web host's gamepads: the browser's Gamepad API, read each time the engine asks for
// input once the page has seen a pad (the browser shows pads only after one of them is
// used). What changed goes to the event sink, which presses the game's keys for it
// (subset/gamepad.h), so pads are recorded and replayed as keys, as on the SDL host.
#include "engine/platform/hosts/web/web_host.h"

#include "engine/platform/subset/seam/events.h"

#include <emscripten/html5.h>

#include <cmath>

namespace web {
namespace {

// A pad in the browser's standard layout has 17 buttons; any more are not read.
const int BUTTONS_READ = 32;

float Axis(const EmscriptenGamepadEvent& state, int axis) {
    if (axis >= state.numAxes) {
        return 0;
    }
    double value = state.axis[axis];
    if (!std::isfinite(value)) {
        return 0;
    }
    return static_cast<float>(value < -1 ? -1 : value > 1 ? 1 : value);
}

PadReading Reading(const EmscriptenGamepadEvent& state) {
    PadReading reading;
    reading.index = state.index;
    for (int i = 0; i < state.numButtons && i < BUTTONS_READ && i < 64; i++) {
        if (state.digitalButton[i]) {
            reading.buttons |= 1u << i;
        }
    }
    reading.x = Axis(state, 0);
    reading.y = Axis(state, 1);
    return reading;
}

EM_BOOL OnPadConnected(int, const EmscriptenGamepadEvent*, void* data) {
    static_cast<WebHost*>(data)->PadsSeen();
    return EM_FALSE;
}

void Post(const std::vector<PadChange>& changes) {
    for (const PadChange& change : changes) {
        switch (change.kind) {
        case PadChange::BUTTON:
            subset::PostGamepadButton(change.pad, change.button, change.down);
            break;
        case PadChange::STICK:
            subset::PostGamepadStick(change.pad, change.x, change.y);
            break;
        case PadChange::REMOVED:
            subset::PostGamepadRemoved(change.pad);
            break;
        }
    }
}

} // namespace

void WebHost::ListenToPads() {
    // Unplugging needs no handler: the pad is missing from the next look.
    emscripten_set_gamepadconnected_callback(this, false, OnPadConnected);
}

void WebHost::PollPads() {
    if (!padsSeen || !pageFocused ||
        emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) {
        return;
    }
    std::vector<PadReading> readings;
    const int count = emscripten_get_num_gamepads();
    for (int index = 0; index < count; index++) {
        EmscriptenGamepadEvent state;
        if (emscripten_get_gamepad_status(index, &state) == EMSCRIPTEN_RESULT_SUCCESS &&
            state.connected) {
            readings.push_back(Reading(state));
        }
    }
    std::vector<PadChange> changes;
    pads.Update(readings, &changes);
    Post(changes);
}

void WebHost::ReleasePads() {
    std::vector<PadChange> changes;
    pads.ForgetAll(&changes);
    Post(changes);
}

} // namespace web
