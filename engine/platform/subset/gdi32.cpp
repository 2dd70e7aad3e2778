// gdi32 (and user32's device-context calls): the desktop's capabilities, stock objects and
// text output with the built-in bitmap font into DirectDraw surfaces.
#include "engine/platform/subset/gdi32.h"

#include "engine/platform/subset/calls.h"
#include "engine/platform/subset/display.h"
#include "engine/platform/subset/font.h"
#include "engine/platform/subset/surface.h"
#include "engine/platform/subset/user32.h"

#include <map>

namespace subset {
namespace {

const COLORREF CLR_INVALID_VALUE = 0xFFFFFFFFu;

struct DeviceContext {
    Surface* surface = nullptr; // NULL: the screen (a window's or the desktop's)
    int backgroundMode = OPAQUE;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF backgroundColor = RGB(255, 255, 255);
};

struct DeviceContexts {
    std::map<HDC, DeviceContext> contexts;
    uintptr_t next = 0x20010;
};

DeviceContexts& Contexts() {
    static DeviceContexts contexts;
    return contexts;
}

DeviceContext* Find(HDC dc) {
    auto found = Contexts().contexts.find(dc);
    return found == Contexts().contexts.end() ? nullptr : &found->second;
}

HDC Create(Surface* surface) {
    HDC handle = reinterpret_cast<HDC>(Contexts().next);
    Contexts().next += 0x10;
    DeviceContext context;
    context.surface = surface;
    Contexts().contexts[handle] = context;
    return handle;
}

uint16_t ToPixel(COLORREF color, bool rgb555) {
    unsigned red = color & 0xff, green = (color >> 8) & 0xff, blue = (color >> 16) & 0xff;
    if (rgb555) {
        return static_cast<uint16_t>(((red >> 3) << 10) | ((green >> 3) << 5) | (blue >> 3));
    }
    return static_cast<uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
}

void Plot(Surface& surface, int x, int y, uint16_t value) {
    if (x < 0 || y < 0 || x >= surface.Width() || y >= surface.Height()) {
        return;
    }
    uint8_t* row =
        reinterpret_cast<uint8_t*>(surface.Pixels()) + static_cast<size_t>(y) * surface.Pitch();
    reinterpret_cast<uint16_t*>(row)[x] = value;
}

void DrawCharacter(Surface& surface, const DeviceContext& context, int left, int top,
                   unsigned char character) {
    uint16_t ink = ToPixel(context.textColor, surface.Rgb555());
    uint16_t paper = ToPixel(context.backgroundColor, surface.Rgb555());
    const uint8_t* rows = GlyphRows(character);
    for (int y = 0; y < FONT_CELL_HEIGHT; y++) {
        int glyphRow = y / FONT_SCALE;
        for (int x = 0; x < FONT_CELL_WIDTH; x++) {
            int glyphColumn = x / FONT_SCALE;
            bool on = glyphRow < FONT_GLYPH_HEIGHT && glyphColumn < FONT_GLYPH_WIDTH &&
                      (rows[glyphRow] >> (FONT_GLYPH_WIDTH - 1 - glyphColumn)) & 1;
            if (on) {
                Plot(surface, left + x, top + y, ink);
            } else if (context.backgroundMode == OPAQUE) {
                Plot(surface, left + x, top + y, paper);
            }
        }
    }
}

} // namespace

HDC CreateSurfaceDC(Surface* surface) {
    return Create(surface);
}

void DeleteSurfaceDC(HDC dc) {
    Contexts().contexts.erase(dc);
}

void ResetDeviceContexts() {
    Contexts().contexts.clear();
}

} // namespace subset

using namespace subset;

// ---- user32: device contexts ------------------------------------------------------
// Named "user32!GetDC" and "user32!ReleaseDC" for fault injection, apart from the
// surface methods "GetDC" and "ReleaseDC".

HDC GetDC(HWND window) {
    if (CallFails("user32!GetDC") || (window && !IsWindowHandle(window))) {
        return nullptr;
    }
    return Create(nullptr);
}

int ReleaseDC(HWND, HDC dc) {
    DeviceContext* context = Find(dc);
    if (CallFails("user32!ReleaseDC") || !context || context->surface) {
        return 0;
    }
    Contexts().contexts.erase(dc);
    return 1;
}

// ---- gdi32 -------------------------------------------------------------------------

int GetDeviceCaps(HDC dc, int index) {
    DeviceContext* context = Find(dc);
    if (CallFails("GetDeviceCaps") || !context) {
        return 0;
    }
    switch (index) {
    case BITSPIXEL:
        return context->surface ? 16 : CurrentDesktop().bitsPerPixel;
    case VREFRESH:
        return CurrentDesktop().refreshRate;
    default:
        return 0;
    }
}

HGDIOBJ GetStockObject(int object) {
    // The stock objects of Windows are numbered 0 to 19 (no 9).
    static char stock[20];
    if (CallFails("GetStockObject") || object < 0 || object >= 20 || object == 9) {
        return nullptr;
    }
    return reinterpret_cast<HGDIOBJ>(&stock[object]);
}

int SetBkMode(HDC dc, int mode) {
    DeviceContext* context = Find(dc);
    if (CallFails("SetBkMode") || !context || (mode != TRANSPARENT && mode != OPAQUE)) {
        return 0;
    }
    int previous = context->backgroundMode;
    context->backgroundMode = mode;
    return previous;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
    DeviceContext* context = Find(dc);
    if (CallFails("SetTextColor") || !context) {
        return CLR_INVALID_VALUE;
    }
    COLORREF previous = context->textColor;
    context->textColor = color & 0x00FFFFFF;
    return previous;
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    DeviceContext* context = Find(dc);
    if (CallFails("TextOutA") || !context || length < 0 || (!text && length > 0)) {
        return FALSE;
    }
    // Text on the screen itself is not kept: the engine draws only into its back buffer.
    if (!context->surface) {
        return TRUE;
    }
    for (int i = 0; i < length; i++) {
        DrawCharacter(*context->surface, *context, x + i * FONT_CELL_WIDTH, y,
                      static_cast<unsigned char>(text[i]));
    }
    return TRUE;
}
