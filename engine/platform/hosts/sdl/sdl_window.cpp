// The SDL host's real window: opened for the main window (or the whole screen in full
// screen), showing each presented frame by uploading its 16-bit pixels to a streaming
// texture of the same format, scaled by nearest neighbour.
#include "engine/platform/hosts/sdl/sdl_host.h"

#include <algorithm>
#include <cstdio>

namespace sdl {

void SdlHost::WindowShown(const subset::WindowInfo& info) {
    int width = info.client.right - info.client.left;
    int height = info.client.bottom - info.client.top;
    if (width <= 0 || height <= 0) {
        return;
    }
    // An untitled window (the engine's is, as on Windows) takes TOLVO_TITLE when set.
    title = !info.title.empty() ? info.title : !settings.title.empty() ? settings.title : "Tolvo";
    popup = info.popup;
    clientWidth = width;
    clientHeight = height;
    shown = info.handle;
    Open();
}

void SdlHost::WindowHidden(HWND handle) {
    if (handle == shown) {
        Close();
    }
}

bool SdlHost::DisplayMode(bool full, int width, int height) {
    SystemAllocations system;
    bool reopen = window && full != fullScreen;
    fullScreen = full;
    fullWidth = width;
    fullHeight = height;
    if (reopen) {
        // A window made full screen after it was opened is left at its old size by X
        // servers without a window manager, while SDL believes it covers the screen and
        // draws the frame off centre. A window opened full screen covers it on every
        // system, so the real window is opened again in the new mode.
        Open();
    } else if (window && full) {
        Resize(width, height); // another full-screen mode: only the frame's size changes
    }
    return true;
}

void SdlHost::Present(const subset::Frame& frame) {
    SystemAllocations system;
    if (!renderer || !texture) {
        return;
    }
    if (frame.width != textureWidth || frame.height != textureHeight) {
        Resize(frame.width, frame.height);
    }
    // Only the part of the view that lies on the desktop has pixels.
    const RECT& shownPart = frame.shown;
    SDL_Rect part = {shownPart.left, shownPart.top, shownPart.right - shownPart.left,
                     shownPart.bottom - shownPart.top};
    if (frame.pixels && part.w > 0 && part.h > 0) {
        SDL_UpdateTexture(texture, &part, frame.pixels, frame.stride * 2);
    }
    Show();
}

void SdlHost::Close() {
    Destroy();
    shown = nullptr;
}

// The real window for the shown window in the current mode: the whole screen in full
// screen, else the client area at TOLVO_SCALE (or 2 where the screen has room).
void SdlHost::Open() {
    SystemAllocations system;
    Destroy();
    Uint32 flags = SDL_WINDOW_SHOWN | (popup ? SDL_WINDOW_BORDERLESS : 0);
    // The frame's size: the display mode in full screen, else the client area.
    int width = fullScreen ? fullWidth : clientWidth;
    int height = fullScreen ? fullHeight : clientHeight;
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    int outerWidth = 0, outerHeight = 0;
    SDL_Rect screen;
    if (fullScreen && SDL_GetDisplayBounds(0, &screen) == 0) {
        // Borderless and covering the screen from the start: without a window manager
        // nobody acts on the full-screen request, and SDL draws as if someone had.
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
        x = screen.x;
        y = screen.y;
        outerWidth = screen.w;
        outerHeight = screen.h;
    } else {
        int scale = settings.scale;
        if (!scale) {
            // Twice the size where the screen has room for it, as small pictures are
            // hard to see.
            SDL_Rect usable;
            bool room = SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w >= 2 * width &&
                        usable.h >= 2 * height;
            scale = room ? 2 : 1;
        }
        outerWidth = width * scale;
        outerHeight = height * scale;
    }
    window = SDL_CreateWindow(title.c_str(), x, y, outerWidth, outerHeight, flags);
    if (!window) {
        std::fprintf(stderr, "sdl: cannot open a window: %s\n", SDL_GetError());
        return;
    }
    // No vsync here: the engine paces its own frames.
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer) {
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (!renderer) {
        std::fprintf(stderr, "sdl: no renderer: %s\n", SDL_GetError());
        return;
    }
    Resize(width, height);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
}

void SdlHost::Destroy() {
    SystemAllocations system;
    if (texture) {
        SDL_DestroyTexture(texture);
    }
    if (renderer) {
        SDL_DestroyRenderer(renderer);
    }
    if (window) {
        SDL_DestroyWindow(window);
    }
    texture = nullptr;
    renderer = nullptr;
    window = nullptr;
    textureWidth = textureHeight = 0;
}

void SdlHost::Resize(int width, int height) {
    if (texture) {
        SDL_DestroyTexture(texture);
        texture = nullptr;
    }
    textureWidth = width;
    textureHeight = height;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    SDL_RenderSetLogicalSize(renderer, width, height);
    SDL_RenderSetIntegerScale(renderer, SDL_TRUE);
    Uint32 format =
        desktop.masks == subset::RGB555 ? SDL_PIXELFORMAT_RGB555 : SDL_PIXELFORMAT_RGB565;
    texture = SDL_CreateTexture(renderer, format, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!texture) {
        std::fprintf(stderr, "sdl: no texture: %s\n", SDL_GetError());
    }
}

void SdlHost::Show() {
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
}

} // namespace sdl
