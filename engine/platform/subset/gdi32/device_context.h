// Device contexts: the screen's (GetDC of a window or the desktop) and those of
// DirectDraw surfaces, whose text output lands in the surface's pixels.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_GDI32_DEVICE_CONTEXT_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_GDI32_DEVICE_CONTEXT_H

#include "engine/platform/subset/seam/pixel_masks.h"
#include "engine/platform/subset/sdk/windows.h"

#include <cstdint>

namespace subset {

// 16-bit pixels a device context draws into. They stay where they are while the context
// exists: a surface with a device context cannot be locked or flipped.
struct Canvas {
    uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0; // bytes from one row to the next
    PixelMasks masks = RGB565;
};

struct DeviceContext {
    bool onCanvas = false; // false: the screen, where text is not kept
    Canvas canvas;
    int backgroundMode = OPAQUE;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF backgroundColor = RGB(255, 255, 255);
};

// user32!GetDC (the screen) and IDirectDrawSurface::GetDC (a surface's pixels).
HDC CreateScreenDC();
HDC CreateCanvasDC(const Canvas& canvas);
// NULL for a handle that is not a live device context.
DeviceContext* FindDC(HDC dc);
void ForgetDC(HDC dc);
// UseHost(): every device context is forgotten.
void ResetDeviceContexts();

} // namespace subset

#endif
