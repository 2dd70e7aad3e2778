// The SDL host's real window: opened for the main window (or the whole screen in full
// screen), showing each presented frame by uploading its 16-bit pixels to a streaming
// texture of the same format, scaled by nearest neighbour to fit the window as it is
// now (sdl_view.h), with vsync where the renderer offers it (sdl_pacing.h). The frame is
// kept, so a renderer that resets (its device lost, or its textures' pixels) is rebuilt
// and shows it again without the engine.
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
    if (info.handle != shown) {
        windowKept = false; // another window: its own size, not the one given the last
    }
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
    if (frame.width != keptWidth || frame.height != keptHeight) {
        keptWidth = frame.width;
        keptHeight = frame.height;
        kept.assign(static_cast<size_t>(keptWidth) * keptHeight, 0);
    }
    if (frame.width != textureWidth || frame.height != textureHeight) {
        Resize(frame.width, frame.height);
    }
    // Only the part of the view that lies on the desktop has pixels.
    const RECT& part = frame.shown;
    const int partWidth = part.right - part.left;
    for (int y = part.top; frame.pixels && partWidth > 0 && y < part.bottom; y++) {
        const uint16_t* row = frame.pixels + static_cast<size_t>(y - part.top) * frame.stride;
        std::copy(row, row + partWidth, &kept[static_cast<size_t>(y) * keptWidth + part.left]);
    }
    Refill();
    Show();
}

void SdlHost::Close() {
    Destroy();
    shown = nullptr;
}

// The real window for the shown window in the current mode: the whole screen in full
// screen (the engine's, or the player's on F11), else the client area at TOLVO_SCALE (or 2
// where the screen has room), or the size and place the player last gave it.
void SdlHost::Open() {
    SystemAllocations system;
    bool focused = window && (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS);
    if (window) {
        display = std::max(0, SDL_GetWindowDisplayIndex(window));
    }
    Destroy();
    Uint32 flags =
        SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI | (popup ? SDL_WINDOW_BORDERLESS : 0);
    // The frame's size: the display mode in full screen, else the client area.
    int width = fullScreen ? fullWidth : clientWidth;
    int height = fullScreen ? fullHeight : clientHeight;
    int x = SDL_WINDOWPOS_CENTERED_DISPLAY(display), y = SDL_WINDOWPOS_CENTERED_DISPLAY(display);
    int outerWidth = 0, outerHeight = 0;
    SDL_Rect screen;
    if ((fullScreen || desktopFull) && SDL_GetDisplayBounds(display, &screen) == 0) {
        // Borderless and covering the screen from the start: without a window manager
        // nobody acts on the full-screen request, and SDL draws as if someone had.
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
        x = screen.x;
        y = screen.y;
        outerWidth = screen.w;
        outerHeight = screen.h;
    } else if (windowKept) {
        flags |= SDL_WINDOW_RESIZABLE;
        x = windowed.x;
        y = windowed.y;
        outerWidth = windowed.w;
        outerHeight = windowed.h;
    } else {
        flags |= SDL_WINDOW_RESIZABLE;
        int scale = settings.scale;
        if (!scale) {
            // Twice the size where the screen has room for it, as small pictures are
            // hard to see.
            SDL_Rect usable;
            bool room = SDL_GetDisplayUsableBounds(display, &usable) == 0 &&
                        usable.w >= 2 * width && usable.h >= 2 * height;
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
    // The player's full screen has no pointer to show; the engine's keeps the one it had.
    SDL_ShowCursor(desktopFull ? SDL_DISABLE : SDL_ENABLE);
    if (focused) {
        // The window replaces one that had the keyboard: it keeps it.
        SDL_RaiseWindow(window);
        SDL_SetWindowInputFocus(window);
    }
    if (MakeRenderer(width, height)) {
        SDL_RenderClear(renderer);
        SDL_RenderPresent(renderer);
    }
}

bool SdlHost::MakeRenderer(int width, int height) {
    // Vsync unless frames were asked to come unpaced; sdl_pacing.h keeps the engine's
    // pacing and vsync from both waiting for one frame.
    Uint32 vsync = settings.unpaced ? 0 : SDL_RENDERER_PRESENTVSYNC;
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | vsync);
    if (!renderer) {
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE | vsync);
    }
    if (!renderer) {
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (!renderer) {
        std::fprintf(stderr, "sdl: no renderer: %s\n", SDL_GetError());
        return false;
    }
    SDL_RendererInfo info;
    bool waits =
        SDL_GetRendererInfo(renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    // The engine paces at the refresh rate it was told, or 60 where it is unknown; a rate
    // the user chose is the engine's alone to keep.
    int rate = desktop.refreshRate > 1 ? desktop.refreshRate : 60;
    pacing.Start(waits, settings.rateAsked ? 0.0 : 1000.0 / rate,
                 displayRefresh > 1 ? 1000.0 / displayRefresh : 0.0);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    Resize(width, height);
    return true;
}

// A renderer that lost its device is made again, with its texture; one that lost only
// its textures' pixels has the frame put back. Either shows the last frame at once, as
// the engine may not present another soon (it does not in the background).
void SdlHost::RendererReset(bool device) {
    if (!window) {
        return;
    }
    if (device) {
        if (texture) {
            SDL_DestroyTexture(texture);
            texture = nullptr;
        }
        if (renderer) {
            SDL_DestroyRenderer(renderer);
            renderer = nullptr;
        }
        MakeRenderer(textureWidth, textureHeight);
    } else {
        Refill();
    }
    if (renderer && texture) {
        Show();
    }
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
    Uint32 format =
        desktop.masks == subset::RGB555 ? SDL_PIXELFORMAT_RGB555 : SDL_PIXELFORMAT_RGB565;
    texture = SDL_CreateTexture(renderer, format, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!texture) {
        std::fprintf(stderr, "sdl: no texture: %s\n", SDL_GetError());
        return;
    }
    // Nearest neighbour: scaled pixels stay crisp squares.
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    Refill(); // a window opened again shows the last frame, not whatever the texture held
}

void SdlHost::Refill() {
    if (texture && keptWidth == textureWidth && keptHeight == textureHeight && !kept.empty()) {
        SDL_UpdateTexture(texture, nullptr, kept.data(), keptWidth * 2);
    }
}

ViewPlace SdlHost::Place(int* drawableWidth, int* drawableHeight) const {
    // The drawable's own pixels: on a high-DPI display more than the window's points.
    *drawableWidth = *drawableHeight = 0;
    if (renderer && SDL_GetRendererOutputSize(renderer, drawableWidth, drawableHeight) != 0) {
        *drawableWidth = *drawableHeight = 0;
    }
    return PlaceView(textureWidth, textureHeight, *drawableWidth, *drawableHeight);
}

void SdlHost::Show() {
    int drawableWidth = 0, drawableHeight = 0;
    ViewPlace place = Place(&drawableWidth, &drawableHeight);
    SDL_RenderClear(renderer); // the border around the view is black
    if (place.width > 0 && place.height > 0) {
        SDL_Rect target = {place.x, place.y, place.width, place.height};
        SDL_RenderCopy(renderer, texture, nullptr, &target);
    }
    SDL_RenderPresent(renderer);
    lastShown = Milliseconds();
    pacing.Presented(lastShown);
    redraw = false;
}

} // namespace sdl
