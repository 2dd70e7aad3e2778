// The SDL2 host: the main window as a real window showing the emulated 16-bit desktop's
// client area, real keyboard, mouse, sound and message boxes.
#ifndef TOLVO_ENGINE_PLATFORM_HOSTS_SDL_SDL_H
#define TOLVO_ENGINE_PLATFORM_HOSTS_SDL_SDL_H

#include "engine/platform/subset/seam/settings.h"

#include <string>

namespace sdl {

// main(): starts SDL's video and makes this host current. False, with the reason, when
// there is no display to open windows on.
bool Start(const subset::Settings& settings, std::string* error);
// main(), after WinMain returns: closes the window and SDL.
void Stop();

} // namespace sdl

#endif
