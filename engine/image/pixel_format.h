// The display's 16-bit pixel layout, shared by the drawing code and Image conversion.
#ifndef TOLVO_ENGINE_IMAGE_PIXEL_FORMAT_H
#define TOLVO_ENGINE_IMAGE_PIXEL_FORMAT_H

#include <cstdint>

// Where each colour lies in a 16-bit pixel (5-6-5 or 5-5-5).
struct PixelFormat {
    int32_t redMask, greenMask, blueMask;    // bits of a 16-bit pixel holding each colour
    int32_t redShift, greenShift, blueShift; // zero bits below each mask
    int32_t redWidth, greenWidth, blueWidth; // bits in each mask
};

// The one engine-wide instance. It holds 5-6-5 until start-up fills it from the back
// buffer, so conversions before start-up still produce a sensible picture.
extern PixelFormat pixelFormat;

// Fills all nine fields from three masks. A zero mask gives shift 0 and width 0.
void SetPixelFormat(uint32_t redMask, uint32_t greenMask, uint32_t blueMask);

#endif
