// The 24 to 16-bit conversion against the straightforward formula, for 5-6-5, 5-5-5 and
// other layouts, every width from 1 to 17 (the vector steps and the tail), and the
// colour key made after it.
#include "engine/image/image.h"
#include "engine/image/pixel_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Masks {
    uint32_t red, green, blue;
};

uint16_t Straightforward(const uint8_t* rgb) {
    const PixelFormat& f = pixelFormat;
    return uint16_t((((rgb[0] << f.redWidth) >> 8) << f.redShift) |
                    (((rgb[1] << f.greenWidth) >> 8) << f.greenShift) |
                    (((rgb[2] << f.blueWidth) >> 8) << f.blueShift));
}

class ConvertFast : public ::testing::Test {
  protected:
    void TearDown() override { SetPixelFormat(0xF800, 0x07E0, 0x001F); }
};

TEST_F(ConvertFast, EveryLayoutAndWidthGivesTheStraightforwardWords) {
    // 5-6-5, 5-5-5, blue on top, 4-4-4, one channel missing, and a 9-bit green the
    // vector form leaves to the plain loop.
    const Masks layouts[] = {{0xF800, 0x07E0, 0x001F}, {0x7C00, 0x03E0, 0x001F},
                             {0x001F, 0x07E0, 0xF800}, {0x0F00, 0x00F0, 0x000F},
                             {0xF800, 0x07E0, 0},      {0xE000, 0x1FF0, 0x000F}};
    uint32_t state = 3;
    for (const Masks& masks : layouts) {
        SetPixelFormat(masks.red, masks.green, masks.blue);
        for (int width = 1; width <= 17; ++width)
            for (int height = 1; height <= 3; ++height) {
                Image image(width, height, IMG_24BIT);
                const size_t count = size_t(width) * height;
                for (size_t i = 0; i < count * 3; ++i) {
                    state = state * 1664525u + 1013904223u;
                    image.pixels[i] = uint8_t(state >> 24);
                }
                std::vector<uint8_t> rgb(image.pixels, image.pixels + count * 3);
                image.ConvertDepth(IMG_16BIT);
                const uint16_t* words = reinterpret_cast<const uint16_t*>(image.pixels);
                for (size_t i = 0; i < count; ++i)
                    ASSERT_EQ(words[i], Straightforward(&rgb[i * 3]))
                        << std::hex << masks.red << " width " << std::dec << width << " pixel "
                        << i;
                EXPECT_EQ(image.flags & (IMG_16BIT | IMG_24BIT), IMG_16BIT);
            }
    }
}

TEST_F(ConvertFast, ExtremeChannelValuesKeepTheirTopBits) {
    SetPixelFormat(0xF800, 0x07E0, 0x001F);
    const uint8_t values[] = {0, 7, 8, 127, 128, 248, 255};
    Image image(7 * 7 * 7, 1, IMG_24BIT);
    int i = 0;
    for (uint8_t r : values)
        for (uint8_t g : values)
            for (uint8_t b : values) {
                image.pixels[i * 3] = r;
                image.pixels[i * 3 + 1] = g;
                image.pixels[i * 3 + 2] = b;
                ++i;
            }
    image.ConvertDepth(IMG_16BIT);
    const uint16_t* words = reinterpret_cast<const uint16_t*>(image.pixels);
    EXPECT_EQ(words[0], 0);
    EXPECT_EQ(words[7 * 7 * 7 - 1], 0xFFFF);
    EXPECT_EQ(words[6 * 49], 0xF800); // red 255 alone
    EXPECT_EQ(words[3 * 49 + 3 * 7 + 3], (15 << 11) | (31 << 5) | 15);
}

TEST_F(ConvertFast, ColourKeyAfterConversionForEveryWidth) {
    SetPixelFormat(0xF800, 0x07E0, 0x001F);
    for (int width = 1; width <= 17; ++width) {
        Image image(width, 2, IMG_24BIT | IMG_ALPHA);
        std::memset(image.pixels, 0, size_t(width) * 2 * 3); // opaque black becomes 1
        for (int i = 0; i < width * 2; ++i)
            image.alpha[i] = uint8_t(i % 3 == 0 ? 0 : i % 3 == 1 ? 1 : 255);
        image.pixels[3] = 255; // pixel 1 red: stays as converted
        image.Convert(1);
        const uint16_t* words = reinterpret_cast<const uint16_t*>(image.pixels);
        for (int i = 0; i < width * 2; ++i) {
            uint16_t expected = i % 3 == 0 ? 0 : (i == 1 ? 0xF800 : 1);
            ASSERT_EQ(words[i], expected) << "width " << width << " pixel " << i;
        }
        EXPECT_EQ(image.alpha, nullptr);
        EXPECT_TRUE(image.flags & IMG_COLORKEY);
    }
}

} // namespace
