// The web host's main window: the page's canvas, sized to the view and showing each
// presented frame as 5-6-5 pixels that the browser expands and scales (web_bridge.js).
#include "engine/platform/hosts/web/web_host.h"
#include "engine/platform/hosts/web/web_bridge.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace web {
namespace {

// Unpaced (tests and recordings), the engine presents far more often than a display
// shows: one frame in this many milliseconds is drawn, enough to follow the run, and the
// rest only counted.
const double DRAW_EVERY_MS = 50;

} // namespace

void WebHost::WindowShown(const subset::WindowInfo& info) {
    int width = info.client.right - info.client.left;
    int height = info.client.bottom - info.client.top;
    if (width <= 0 || height <= 0) {
        return;
    }
    shown = info.handle;
    viewWidth = width;
    viewHeight = height;
    tolvo_web_window(width, height);
}

void WebHost::WindowHidden(HWND handle) {
    if (handle == shown) {
        shown = nullptr;
        tolvo_web_window(0, 0);
    }
}

bool WebHost::DisplayMode(bool, int width, int height) {
    // A page cannot change the display's mode: the canvas takes the mode's size and the
    // page scales it like the window's view.
    if (width > 0 && height > 0) {
        viewWidth = width;
        viewHeight = height;
        tolvo_web_window(width, height);
    }
    return true;
}

void WebHost::Present(const subset::Frame& frame) {
    // A paced frame (one the engine slept for) is drawn at once, so it is on the display
    // frame it waited for; unpaced, one in DRAW_EVERY_MS.
    framesPresented = frame.number; // the touch controls' time
    bool paced = sleptSincePresent;
    sleptSincePresent = false;
    if (paced || emscripten_get_now() - lastDraw >= DRAW_EVERY_MS) {
        Draw(frame);
    }
}

void WebHost::Draw(const subset::Frame& frame) {
    if (frame.width <= 0 || frame.height <= 0) {
        return;
    }
    if (frame.masks != subset::RGB565) {
        // The web host's desktop is always 5-6-5; anything else would show wrong colours.
        static bool told = false;
        if (!told) {
            std::fprintf(stderr, "web: only 5-6-5 frames can be shown\n");
            told = true;
        }
        return;
    }
    lastDraw = emscripten_get_now();
    viewWidth = frame.width;
    viewHeight = frame.height;
    // The frame's rows lie in the desktop's surface; the canvas takes them packed, and the
    // part of the view off the desktop stays black.
    pixels.assign(static_cast<size_t>(frame.width) * frame.height, 0);
    const RECT& part = frame.shown;
    int left = std::max(0, int(part.left)), top = std::max(0, int(part.top));
    int right = std::min(frame.width, int(part.right));
    int bottom = std::min(frame.height, int(part.bottom));
    if (frame.pixels && right > left && bottom > top) {
        for (int y = top; y < bottom; y++) {
            const uint16_t* from = frame.pixels + static_cast<size_t>(y - part.top) * frame.stride +
                                   (left - part.left);
            std::memcpy(&pixels[static_cast<size_t>(y) * frame.width + left], from,
                        sizeof(uint16_t) * (right - left));
        }
    }
    tolvo_web_present(pixels.data(), frame.width, frame.height, frame.number);
}

} // namespace web
