// The SDL2 host: start and stop, time and message boxes. The subset keeps windows,
// messages and surfaces; this host shows each presented frame and turns SDL's events into
// the user's input (sdl_window.cpp, sdl_input.cpp).
#include "engine/platform/hosts/sdl/sdl.h"

#include "engine/platform/hosts/sdl/sdl_host.h"

namespace sdl {
namespace {

SdlHost* host = nullptr;

} // namespace

void SdlHost::ShowMessageBox(HWND, const std::string& text, const std::string& caption, UINT) {
    SystemAllocations system;
    // Modal: returns when the user dismisses it. Already written to standard error.
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(), text.c_str(), window);
}

void SdlHost::Sleep(DWORD milliseconds) {
    unsigned wait = pacing.SleepFor(milliseconds);
    if (wait > 0) {
        SDL_Delay(wait);
    }
}

int EngineRefreshRate(int displayRefreshRate) {
    return displayRefreshRate > 60 ? 60 : displayRefreshRate;
}

double Milliseconds() {
    static const double frequency = static_cast<double>(SDL_GetPerformanceFrequency());
    return static_cast<double>(SDL_GetPerformanceCounter()) * 1000.0 / frequency;
}

bool Start(const subset::Settings& settings, std::string* error) {
    SystemAllocations system;
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        *error = SDL_GetError();
        return false;
    }
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        *error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    host = new SdlHost(settings);
    host->desktop.width = mode.w;
    host->desktop.height = mode.h;
    host->desktop.bitsPerPixel = 16; // the emulated display, whatever the real one is
    // On a 120 or 144 Hz display the game still runs 60 frames a second.
    host->displayRefresh = mode.refresh_rate;
    host->desktop.refreshRate = EngineRefreshRate(mode.refresh_rate);
    host->desktop.masks = settings.desktop.masks;
    subset::UseHost(host);
    host->OpenGamepads();
    return true;
}

void Stop() {
    SystemAllocations system;
    if (!host) {
        return;
    }
    subset::UseHost(nullptr);
    host->CloseGamepads();
    host->Close();
    delete host;
    host = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
}

} // namespace sdl
