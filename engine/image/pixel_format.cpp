#include "engine/image/pixel_format.h"

PixelFormat pixelFormat = {0xF800, 0x07E0, 0x001F, 11, 5, 0, 5, 6, 5};

namespace {

// Shift: the zero bits below the lowest set bit. Width: the further shifts until the
// mask runs out, as start-up counts them. A zero mask has neither (and must not loop).
void Measure(uint32_t mask, int32_t* shift, int32_t* width) {
    *shift = 0;
    *width = 0;
    if (mask == 0) {
        return;
    }
    while ((mask & 1u) == 0) {
        mask >>= 1;
        ++*shift;
    }
    while (mask != 0) {
        mask >>= 1;
        ++*width;
    }
}

} // namespace

void SetPixelFormat(uint32_t redMask, uint32_t greenMask, uint32_t blueMask) {
    pixelFormat.redMask = static_cast<int32_t>(redMask);
    pixelFormat.greenMask = static_cast<int32_t>(greenMask);
    pixelFormat.blueMask = static_cast<int32_t>(blueMask);
    Measure(redMask, &pixelFormat.redShift, &pixelFormat.redWidth);
    Measure(greenMask, &pixelFormat.greenShift, &pixelFormat.greenWidth);
    Measure(blueMask, &pixelFormat.blueShift, &pixelFormat.blueWidth);
}
