// The player's full screen: F11 or Alt+Enter turn the window into desktop full screen
// (the screen keeps its mode, the view is scaled into it, the pointer hidden) and back.
// The keys are the host's: the engine and the game never see them, and the engine is
// not asked to change its display mode.
#include "engine/platform/hosts/sdl/sdl_host.h"

namespace sdl {

bool SdlHost::FullScreenKey(const SDL_KeyboardEvent& event) {
    const bool alt = (event.keysym.mod & KMOD_ALT) != 0;
    switch (fullScreenKeys.Key(VirtualKey(event.keysym.sym), alt, event.type == SDL_KEYDOWN,
                               event.repeat != 0)) {
    case subset::FullScreenKeys::TOGGLE:
        ToggleDesktopFullScreen();
        return true;
    case subset::FullScreenKeys::TAKE:
        return true;
    case subset::FullScreenKeys::PASS:
        break;
    }
    return false;
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
