// The display pixel format: masks measured into shifts and widths.
#include "engine/image/pixel_format.h"

#include <gtest/gtest.h>

namespace {

void ExpectFormat(int32_t rs, int32_t gs, int32_t bs, int32_t rw, int32_t gw, int32_t bw) {
    EXPECT_EQ(pixelFormat.redShift, rs);
    EXPECT_EQ(pixelFormat.greenShift, gs);
    EXPECT_EQ(pixelFormat.blueShift, bs);
    EXPECT_EQ(pixelFormat.redWidth, rw);
    EXPECT_EQ(pixelFormat.greenWidth, gw);
    EXPECT_EQ(pixelFormat.blueWidth, bw);
}

TEST(PixelFormat, Holds565UntilStartUpFillsIt) {
    EXPECT_EQ(pixelFormat.redMask, 0xF800);
    EXPECT_EQ(pixelFormat.greenMask, 0x07E0);
    EXPECT_EQ(pixelFormat.blueMask, 0x001F);
    ExpectFormat(11, 5, 0, 5, 6, 5);
}

TEST(PixelFormat, MeasuresTheTwo16BitLayouts) {
    SetPixelFormat(0x7C00, 0x03E0, 0x001F);
    EXPECT_EQ(pixelFormat.redMask, 0x7C00);
    ExpectFormat(10, 5, 0, 5, 5, 5);
    SetPixelFormat(0xF800, 0x07E0, 0x001F);
    ExpectFormat(11, 5, 0, 5, 6, 5);
}

TEST(PixelFormat, OddAndZeroMasksNeverLoop) {
    // Width counts from the lowest set bit to the highest, gaps included.
    SetPixelFormat(0xF000, 0x0900, 0);
    ExpectFormat(12, 8, 0, 4, 4, 0);
    EXPECT_EQ(pixelFormat.blueMask, 0);
    SetPixelFormat(0x80000000u, 0, 1);
    ExpectFormat(31, 0, 0, 1, 0, 1);
}

} // namespace
