// The web host: the program in a browser page (Emscripten with Asyncify). The main window
// is a <canvas>, the keyboard, the gamepads and the page's focus are the user's input,
// message boxes are the page's modal dialog, the sound is Web Audio's, and time is the
// browser's: every sleep yields to the page.
#ifndef TOLVO_ENGINE_PLATFORM_HOSTS_WEB_WEB_H
#define TOLVO_ENGINE_PLATFORM_HOSTS_WEB_WEB_H

#include "engine/platform/subset/seam/settings.h"

#include <string>

namespace web {

// main(): makes this host current, listening to the page's canvas. False, with the
// reason, when the page has no canvas for the game.
bool Start(const subset::Settings& settings, std::string* error);
// main(), after WinMain returns.
void Stop();

} // namespace web

#endif
