// The SDL host's gamepads: SDL's game controllers, plugged in before the start or at any
// time after, reported to the event sink, which presses the game's keys for them
// (subset/gamepad.h). A pad is numbered by its SDL instance id, which no other pad gets
// while this one is plugged in.
#include "engine/platform/hosts/sdl/sdl_host.h"

#include "engine/platform/subset/seam/events.h"

#include <cstdio>

namespace sdl {
namespace {

// SDL's buttons the game has a use for, as the event sink names them.
bool PadButton(Uint8 button, subset::GamepadButton* pad) {
    static const struct {
        SDL_GameControllerButton button;
        subset::GamepadButton pad;
    } BUTTONS[] = {
        {SDL_CONTROLLER_BUTTON_A, subset::GAMEPAD_A},
        {SDL_CONTROLLER_BUTTON_B, subset::GAMEPAD_B},
        {SDL_CONTROLLER_BUTTON_X, subset::GAMEPAD_X},
        {SDL_CONTROLLER_BUTTON_Y, subset::GAMEPAD_Y},
        {SDL_CONTROLLER_BUTTON_BACK, subset::GAMEPAD_BACK},
        {SDL_CONTROLLER_BUTTON_START, subset::GAMEPAD_START},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, subset::GAMEPAD_LEFT_SHOULDER},
        {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, subset::GAMEPAD_RIGHT_SHOULDER},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, subset::GAMEPAD_DPAD_UP},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, subset::GAMEPAD_DPAD_DOWN},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, subset::GAMEPAD_DPAD_LEFT},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, subset::GAMEPAD_DPAD_RIGHT},
    };
    for (const auto& entry : BUTTONS) {
        if (entry.button == button) {
            *pad = entry.pad;
            return true;
        }
    }
    return false;
}

// An axis of SDL's (-32768 to 32767) as -1 to 1.
float AxisValue(Sint16 value) {
    return value < 0 ? value / 32768.0f : value / 32767.0f;
}

} // namespace

void SdlHost::OpenGamepads() {
    SystemAllocations system;
    // The pads plugged in already arrive as SDL_CONTROLLERDEVICEADDED events.
    gamepads = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    if (!gamepads) {
        std::fprintf(stderr, "sdl: no gamepads: %s\n", SDL_GetError());
    }
}

void SdlHost::CloseGamepads() {
    SystemAllocations system;
    for (const auto& entry : controllers) {
        SDL_GameControllerClose(entry.second.controller);
    }
    controllers.clear();
    if (gamepads) {
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        gamepads = false;
    }
}

bool SdlHost::HandleGamepad(const SDL_Event& event) {
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: {
        // `which` is a device index here, an instance id in every other event.
        SDL_GameController* controller = SDL_GameControllerOpen(event.cdevice.which);
        if (!controller) {
            std::fprintf(stderr, "sdl: cannot open gamepad %d: %s\n", event.cdevice.which,
                         SDL_GetError());
            return true;
        }
        SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
        if (controllers.count(id)) {
            SDL_GameControllerClose(controller); // already open: SDL counts the opens
        } else {
            controllers[id].controller = controller;
        }
        return true;
    }
    case SDL_CONTROLLERDEVICEREMOVED: {
        auto found = controllers.find(event.cdevice.which);
        if (found != controllers.end()) {
            SDL_GameControllerClose(found->second.controller);
            controllers.erase(found);
            subset::PostGamepadRemoved(event.cdevice.which);
        }
        return true;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        subset::GamepadButton button;
        if (controllers.count(event.cbutton.which) && PadButton(event.cbutton.button, &button)) {
            subset::PostGamepadButton(event.cbutton.which, button,
                                      event.type == SDL_CONTROLLERBUTTONDOWN);
        }
        return true;
    }
    case SDL_CONTROLLERAXISMOTION: {
        auto found = controllers.find(event.caxis.which);
        if (found != controllers.end() && (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX ||
                                           event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY)) {
            // Each event's own value, so a flick that is over within one poll still counts.
            Gamepad& pad = found->second;
            float value = AxisValue(event.caxis.value);
            (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX ? pad.x : pad.y) = value;
            subset::PostGamepadStick(event.caxis.which, pad.x, pad.y);
        }
        return true;
    }
    default:
        return false;
    }
}

} // namespace sdl
