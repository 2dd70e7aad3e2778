// The player's full screen: F11 or Alt+Enter turn the window into desktop full screen
// (the screen keeps its mode, the view is scaled into it, the pointer hidden) and back.
// The keys are the host's: the engine and the game never see them, and the engine is
// not asked to change its display mode.
#include "engine/platform/hosts/sdl/sdl_host.h"

#include <algorithm>

namespace sdl {

bool SdlHost::HostKey(const SDL_KeyboardEvent& event) {
    SDL_Keycode key = event.keysym.sym;
    if (event.type == SDL_KEYUP) {
        // The release of a key the host took goes with it, whatever the modifiers now.
        auto taken = std::find(hostKeys.begin(), hostKeys.end(), key);
        if (taken == hostKeys.end()) {
            return false;
        }
        hostKeys.erase(taken);
        return true;
    }
    bool enter = key == SDLK_RETURN || key == SDLK_KP_ENTER;
    if (key != SDLK_F11 && !(enter && (event.keysym.mod & KMOD_ALT))) {
        return false;
    }
    if (!event.repeat) {
        hostKeys.push_back(key);
        ToggleDesktopFullScreen();
    }
    return true;
}

void SdlHost::ToggleDesktopFullScreen() {
    if (!window || fullScreen) {
        return; // no window yet, or the engine's own full screen already fills the screen
    }
    if (!desktopFull) {
        // The window as the player left it, to give back.
        SDL_GetWindowPosition(window, &windowed.x, &windowed.y);
        SDL_GetWindowSize(window, &windowed.w, &windowed.h);
        windowKept = windowed.w > 0 && windowed.h > 0;
    }
    desktopFull = !desktopFull;
    // Opened again rather than switched: a window switched to full screen is left at its
    // old size where no window manager acts on the request (see DisplayMode), while a
    // window opened full screen covers the screen everywhere. The next frame fills it.
    Open();
}

} // namespace sdl
