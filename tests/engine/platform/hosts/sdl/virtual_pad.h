// A gamepad that exists only in SDL (SDL_JoystickAttachVirtual): plugged in while the
// object lives, with every button and axis of SDL's game-controller layout, so the SDL
// host meets it through its ordinary game-controller events.
#ifndef TOLVO_TESTS_SDL_VIRTUAL_PAD_H
#define TOLVO_TESTS_SDL_VIRTUAL_PAD_H

#include <SDL.h>

class VirtualPad {
  public:
    // `update`, when given, is called each time SDL reads the pad, to set its state.
    explicit VirtualPad(void (*update)(void* userdata) = nullptr, void* userdata = nullptr);
    ~VirtualPad();
    bool Plugged() const { return joystick != nullptr; }
    SDL_Joystick* Joystick() const { return joystick; }
    void Button(SDL_GameControllerButton button, bool down);
    void Axis(SDL_GameControllerAxis axis, Sint16 value);
    // Unplugs it now (the destructor does too).
    void Unplug();

  private:
    SDL_Joystick* joystick = nullptr;
    SDL_JoystickID id = -1;
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;
};

#endif
