// The web host's main window: the page's canvas, sized to the view and showing each
// presented frame as 5-6-5 pixels that WebGL expands, or as RGBA expanded here for a 2D
// canvas; the page scales it (web_bridge.js).
#include "engine/platform/hosts/web/web_host.h"
#include "engine/platform/hosts/web/web_bridge.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace web {

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
    // A paced frame is drawn at once, so it is on the display frame it waited for (or, a
    // late one, on the next); unpaced, one in UNPACED_EVERY_MS.
    framesPresented = frame.number; // the touch controls' time
    if (!unpaced || emscripten_get_now() - lastDraw >= UNPACED_EVERY_MS) {
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
    const RECT& part = frame.shown;
    int left = std::max(0, int(part.left)), top = std::max(0, int(part.top));
    int right = std::min(frame.width, int(part.right));
    int bottom = std::min(frame.height, int(part.bottom));
    bool any = frame.pixels && right > left && bottom > top;
    int renderer = tolvo_web_renderer();
    if (renderer == TOLVO_WEB_ROWS_565 && any && left == 0 && top == 0 && right == frame.width &&
        bottom == frame.height) {
        // The whole view on the desktop: the browser takes the rows where they lie.
        tolvo_web_present(frame.pixels, frame.width, frame.height, frame.stride, frame.number);
        return;
    }
    // Otherwise packed, the part of the view off the desktop black: as 5-6-5 for WebGL, or
    // expanded here to the 2D canvas's RGBA, a loop the compiler vectorises (far quicker
    // than the same in JavaScript).
    size_t count = static_cast<size_t>(frame.width) * frame.height;
    if (renderer == TOLVO_WEB_RGBA) {
        rgba.assign(count, 0xff000000u);
    } else {
        pixels.assign(count, 0);
    }
    for (int y = top; any && y < bottom; y++) {
        const uint16_t* from =
            frame.pixels + static_cast<size_t>(y - part.top) * frame.stride + (left - part.left);
        size_t at = static_cast<size_t>(y) * frame.width + left;
        if (renderer == TOLVO_WEB_RGBA) {
            ExpandRow(from, &rgba[at], right - left);
        } else {
            std::memcpy(&pixels[at], from, sizeof(uint16_t) * (right - left));
        }
    }
    const void* packed = renderer == TOLVO_WEB_RGBA ? static_cast<const void*>(rgba.data())
                                                    : static_cast<const void*>(pixels.data());
    tolvo_web_present(packed, frame.width, frame.height, frame.width, frame.number);
}

void ExpandRow(const uint16_t* from, uint32_t* to, int count) {
    // Each channel widened as the browser widens 5-6-5 textures: its top bits repeated below.
    for (int i = 0; i < count; i++) {
        uint32_t pixel = from[i];
        uint32_t r = pixel >> 11, g = (pixel >> 5) & 63, b = pixel & 31;
        r = (r << 3) | (r >> 2);
        g = (g << 2) | (g >> 4);
        b = (b << 3) | (b >> 2);
        to[i] = 0xff000000u | (b << 16) | (g << 8) | r; // R, G, B, A in memory
    }
}

} // namespace web
