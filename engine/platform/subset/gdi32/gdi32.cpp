// gdi32 (and user32's device-context calls): the desktop's capabilities, stock objects and
// text output with the built-in bitmap font into DirectDraw surfaces.
#include "engine/platform/subset/test_controls/calls.h"
#include "engine/platform/subset/ddraw/desktop.h"
#include "engine/platform/subset/gdi32/device_context.h"
#include "engine/platform/subset/gdi32/font.h"
#include "engine/platform/subset/user32/window_manager.h"

namespace subset {
namespace {

const COLORREF CLR_INVALID_VALUE = 0xFFFFFFFFu;

uint16_t ToPixel(COLORREF color, const PixelMasks& masks) {
    return PackPixel(masks, color & 0xff, (color >> 8) & 0xff, (color >> 16) & 0xff);
}

void Plot(const Canvas& canvas, int x, int y, uint16_t value) {
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) {
        return;
    }
    uint8_t* row = canvas.pixels + static_cast<size_t>(y) * canvas.pitch;
    reinterpret_cast<uint16_t*>(row)[x] = value;
}

void DrawCharacter(const DeviceContext& context, int left, int top, unsigned char character) {
    const Canvas& canvas = context.canvas;
    uint16_t ink = ToPixel(context.textColor, canvas.masks);
    uint16_t paper = ToPixel(context.backgroundColor, canvas.masks);
    const uint8_t* rows = GlyphRows(character);
    for (int y = 0; y < FONT_CELL_HEIGHT; y++) {
        int glyphRow = y / FONT_SCALE;
        for (int x = 0; x < FONT_CELL_WIDTH; x++) {
            int glyphColumn = x / FONT_SCALE;
            bool on = glyphRow < FONT_GLYPH_HEIGHT && glyphColumn < FONT_GLYPH_WIDTH &&
                      (rows[glyphRow] >> (FONT_GLYPH_WIDTH - 1 - glyphColumn)) & 1;
            if (on) {
                Plot(canvas, left + x, top + y, ink);
            } else if (context.backgroundMode == OPAQUE) {
                Plot(canvas, left + x, top + y, paper);
            }
        }
    }
}

} // namespace
} // namespace subset

using namespace subset;

// ---- user32: device contexts ------------------------------------------------------
// Named "user32!GetDC" and "user32!ReleaseDC" for fault injection, apart from the
// surface methods "GetDC" and "ReleaseDC".

HDC GetDC(HWND window) {
    if (CallFails("user32!GetDC") || (window && !IsWindowHandle(window))) {
        return nullptr;
    }
    return CreateScreenDC();
}

int ReleaseDC(HWND, HDC dc) {
    DeviceContext* context = FindDC(dc);
    if (CallFails("user32!ReleaseDC") || !context || context->onCanvas) {
        return 0;
    }
    ForgetDC(dc);
    return 1;
}

// ---- gdi32 -------------------------------------------------------------------------

int GetDeviceCaps(HDC dc, int index) {
    DeviceContext* context = FindDC(dc);
    if (CallFails("GetDeviceCaps") || !context) {
        return 0;
    }
    switch (index) {
    case BITSPIXEL:
        return context->onCanvas ? 16 : CurrentDesktop().bitsPerPixel;
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
    DeviceContext* context = FindDC(dc);
    if (CallFails("SetBkMode") || !context || (mode != TRANSPARENT && mode != OPAQUE)) {
        return 0;
    }
    int previous = context->backgroundMode;
    context->backgroundMode = mode;
    return previous;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
    DeviceContext* context = FindDC(dc);
    if (CallFails("SetTextColor") || !context) {
        return CLR_INVALID_VALUE;
    }
    COLORREF previous = context->textColor;
    context->textColor = color & 0x00FFFFFF;
    return previous;
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    DeviceContext* context = FindDC(dc);
    if (CallFails("TextOutA") || !context || length < 0 || (!text && length > 0)) {
        return FALSE;
    }
    // Text on the screen itself is not kept: the engine draws only into its back buffer.
    if (!context->onCanvas) {
        return TRUE;
    }
    for (int i = 0; i < length; i++) {
        DrawCharacter(*context, x + i * FONT_CELL_WIDTH, y, static_cast<unsigned char>(text[i]));
    }
    return TRUE;
}
