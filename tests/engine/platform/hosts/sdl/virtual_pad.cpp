#include "virtual_pad.h"

#include "engine/platform/hosts/sdl/sdl_host.h"

VirtualPad::VirtualPad(void (*update)(void* userdata), void* userdata) {
    sdl::SystemAllocations system;
    SDL_VirtualJoystickDesc description;
    SDL_zero(description);
    description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    description.naxes = SDL_CONTROLLER_AXIS_MAX;
    description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    description.Update = update;
    description.userdata = userdata;
    int index = SDL_JoystickAttachVirtualEx(&description);
    if (index >= 0) {
        joystick = SDL_JoystickOpen(index);
        id = joystick ? SDL_JoystickInstanceID(joystick) : -1;
    }
}

VirtualPad::~VirtualPad() {
    Unplug();
}

void VirtualPad::Button(SDL_GameControllerButton button, bool down) {
    // SDL lays a virtual game controller's buttons and axes out in its own order.
    if (joystick) {
        SDL_JoystickSetVirtualButton(joystick, button, down ? SDL_PRESSED : SDL_RELEASED);
    }
}

void VirtualPad::Axis(SDL_GameControllerAxis axis, Sint16 value) {
    if (joystick) {
        SDL_JoystickSetVirtualAxis(joystick, axis, value);
    }
}

void VirtualPad::Unplug() {
    if (!joystick) {
        return;
    }
    sdl::SystemAllocations system;
    // Detached by its device index, which moves as other pads come and go.
    for (int index = 0; index < SDL_NumJoysticks(); index++) {
        if (SDL_JoystickGetDeviceInstanceID(index) == id) {
            SDL_JoystickDetachVirtual(index);
            break;
        }
    }
    SDL_JoystickClose(joystick);
    joystick = nullptr;
}
