// The 16-bit pixel formats of the emulated display as data: the masks of red, green and
// blue, as DDPIXELFORMAT gives them. 5-6-5 and 5-5-5 differ only here.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_SEAM_PIXEL_MASKS_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_SEAM_PIXEL_MASKS_H

#include <cstdint>

namespace subset {

struct PixelMasks {
    uint32_t red;
    uint32_t green;
    uint32_t blue;
};

inline bool operator==(const PixelMasks& a, const PixelMasks& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}
inline bool operator!=(const PixelMasks& a, const PixelMasks& b) {
    return !(a == b);
}

constexpr PixelMasks RGB565 = {0xF800, 0x07E0, 0x001F};
constexpr PixelMasks RGB555 = {0x7C00, 0x03E0, 0x001F};

// Position and width of a contiguous mask.
inline int MaskShift(uint32_t mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        shift++;
    }
    return shift;
}
inline int MaskBits(uint32_t mask) {
    int bits = 0;
    for (mask >>= MaskShift(mask); mask & 1; mask >>= 1) {
        bits++;
    }
    return bits;
}

// An 8-bit channel into its field: its top bits.
inline uint16_t PackPixel(const PixelMasks& masks, unsigned red, unsigned green, unsigned blue) {
    auto field = [](uint32_t mask, unsigned value) {
        return ((value & 0xff) >> (8 - MaskBits(mask))) << MaskShift(mask);
    };
    return static_cast<uint16_t>(field(masks.red, red) | field(masks.green, green) |
                                 field(masks.blue, blue));
}

// A field widened to 8 bits by repeating its top bits, so full intensity stays 255.
inline uint8_t UnpackChannel(uint32_t mask, uint16_t pixel) {
    const int bits = MaskBits(mask);
    const unsigned value = (pixel & mask) >> MaskShift(mask);
    return static_cast<uint8_t>((value << (8 - bits)) | (value >> (2 * bits - 8)));
}

} // namespace subset

#endif
