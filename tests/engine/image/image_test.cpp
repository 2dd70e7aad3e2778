// Image: plane sizes, conversion to the display format, colour key, premultiplied alpha
// and the rotate-and-scale copy.
#include "engine/image/image.h"
#include "engine/image/pixel_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <utility>

namespace {

uint16_t* Words(Image& image) {
    return reinterpret_cast<uint16_t*>(image.pixels);
}

// A 16-bit picture with an alpha plane, its words and alpha values given.
Image Make16(int width, int height, const std::vector<uint16_t>& words,
             const std::vector<uint8_t>& alpha) {
    Image image(width, height, IMG_16BIT | IMG_ALPHA);
    std::memcpy(image.pixels, words.data(), words.size() * 2);
    std::memcpy(image.alpha, alpha.data(), alpha.size());
    return image;
}

// --- Construction and planes ----------------------------------------------------------

TEST(ImagePlanes, StartEmptyAndRawAndFreeResetsAllButRaw) {
    Image image;
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.alpha, nullptr);
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.flags, 0);
    EXPECT_TRUE(image.raw);
    image.Free(); // nothing to release

    Image sized(3, 2, IMG_24BIT);
    EXPECT_NE(sized.pixels, nullptr);
    sized.Convert(0);
    EXPECT_FALSE(sized.raw);
    sized.Free();
    EXPECT_EQ(sized.pixels, nullptr);
    EXPECT_EQ(sized.alpha, nullptr);
    EXPECT_EQ(sized.width, 0);
    EXPECT_EQ(sized.height, 0);
    EXPECT_EQ(sized.flags, 0);
    EXPECT_FALSE(sized.raw);
}

TEST(ImagePlanes, BytesPerPixelFollowTheFirstDepthBit) {
    EXPECT_EQ(Image::BytesPerPixel(IMG_8BIT), 1);
    EXPECT_EQ(Image::BytesPerPixel(IMG_8BIT | IMG_PIXELALPHA), 2);
    EXPECT_EQ(Image::BytesPerPixel(IMG_DEPTHX), 0);
    EXPECT_EQ(Image::BytesPerPixel(IMG_DEPTHX | IMG_PIXELALPHA), 2);
    EXPECT_EQ(Image::BytesPerPixel(IMG_16BIT | IMG_ALPHA), 2);
    EXPECT_EQ(Image::BytesPerPixel(IMG_16BIT | IMG_PIXELALPHA), 3);
    EXPECT_EQ(Image::BytesPerPixel(IMG_24BIT), 3);
    EXPECT_EQ(Image::BytesPerPixel(IMG_24BIT | IMG_PIXELALPHA), 4);
    EXPECT_EQ(Image::BytesPerPixel(IMG_8BIT | IMG_24BIT), 1);
    EXPECT_EQ(Image::BytesPerPixel(IMG_ALPHA | IMG_COLORKEY), 0);
}

TEST(ImagePlanes, AnyFlagsAllocateAnAlphaPlaneAndFlagsZeroKeepTheOldOne) {
    Image image;
    image.Size(4, 3, IMG_24BIT);
    ASSERT_NE(image.alpha, nullptr); // even without IMG_ALPHA
    std::memset(image.alpha, 9, 12);
    std::memset(image.pixels, 1, 36);
    uint8_t* alpha = image.alpha;
    image.Size(4, 3, 0);
    EXPECT_EQ(image.alpha, alpha);
    EXPECT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.flags, 0);
    EXPECT_EQ(image.alpha[11], 9);
}

TEST(ImagePlanes, MovingHandsThePlanesOver) {
    Image a(2, 2, IMG_24BIT);
    uint8_t* pixels = a.pixels;
    Image b(std::move(a));
    EXPECT_EQ(b.pixels, pixels);
    EXPECT_EQ(a.pixels, nullptr);
    Image c;
    c = std::move(b);
    EXPECT_EQ(c.pixels, pixels);
    EXPECT_EQ(c.width, 2);
    EXPECT_EQ(b.width, 0);
}

// --- Depth conversion -------------------------------------------------------------------

class ImageConvert : public ::testing::Test {
  protected:
    void TearDown() override { SetPixelFormat(0xF800, 0x07E0, 0x001F); }

    static Image Rgb(const std::vector<uint8_t>& bytes) {
        Image image(static_cast<int>(bytes.size() / 3), 1, IMG_24BIT);
        std::memcpy(image.pixels, bytes.data(), bytes.size());
        return image;
    }
};

TEST_F(ImageConvert, KeepsTheTopBitsOfEachChannelIn565And555) {
    const std::vector<uint8_t> rgb = {255, 255, 255, 8, 4, 8, 7, 3, 7, 0x80, 0x40, 0x20};
    Image a = Rgb(rgb);
    a.ConvertDepth(IMG_16BIT);
    EXPECT_EQ(a.flags, IMG_16BIT);
    EXPECT_EQ(Words(a)[0], 0xFFFF);
    EXPECT_EQ(Words(a)[1], (1 << 11) | (1 << 5) | 1);
    EXPECT_EQ(Words(a)[2], 0); // no rounding up
    EXPECT_EQ(Words(a)[3], (16 << 11) | (16 << 5) | 4);

    SetPixelFormat(0x7C00, 0x03E0, 0x001F);
    Image b = Rgb(rgb);
    b.ConvertDepth(IMG_16BIT);
    EXPECT_EQ(Words(b)[0], 0x7FFF);
    EXPECT_EQ(Words(b)[1], (1 << 10) | 1);
    EXPECT_EQ(Words(b)[3], (16 << 10) | (8 << 5) | 4);
}

TEST_F(ImageConvert, OnlyMovesTheDepthBitWhenThereIsNothingToConvert) {
    Image never;
    never.ConvertDepth(IMG_16BIT);
    EXPECT_EQ(never.flags, IMG_16BIT);
    EXPECT_EQ(never.pixels, nullptr);

    Image words = Make16(2, 1, {0x1234, 0x5678}, {255, 255});
    uint8_t* before = words.pixels;
    words.ConvertDepth(IMG_16BIT);
    EXPECT_EQ(words.pixels, before);
    EXPECT_EQ(words.flags, IMG_16BIT | IMG_ALPHA);
    EXPECT_EQ(Words(words)[1], 0x5678);

    // A target of 8-bit only relabels: the first depth bit goes, the target's comes.
    Image rgb = Rgb({1, 2, 3});
    rgb.ConvertDepth(IMG_8BIT | IMG_16BIT);
    EXPECT_EQ(rgb.flags, IMG_8BIT);
    EXPECT_EQ(rgb.pixels[2], 3);
}

TEST_F(ImageConvert, ModeOneMakesTheColourKey) {
    Image image = Make16(4, 1, {0, 0x1234, 0, 0x4321}, {255, 0, 0, 1});
    image.flags = IMG_16BIT | IMG_ALPHA;
    image.Convert(1);
    EXPECT_EQ(image.flags, IMG_16BIT | IMG_COLORKEY);
    EXPECT_EQ(image.alpha, nullptr);
    EXPECT_FALSE(image.raw);
    EXPECT_EQ(Words(image)[0], 1); // opaque black moves off the key
    EXPECT_EQ(Words(image)[1], 0); // transparent
    EXPECT_EQ(Words(image)[2], 0);
    EXPECT_EQ(Words(image)[3], 0x4321); // any alpha above 0 is opaque
}

TEST_F(ImageConvert, ModeOneWithoutAlphaOnlyConvertsTheDepth) {
    Image image = Rgb({0, 0, 0});
    image.flags = IMG_24BIT; // as loaded from a file without an extra sample
    image.Convert(1);
    EXPECT_EQ(image.flags, IMG_16BIT);
    EXPECT_EQ(Words(image)[0], 0);
}

TEST_F(ImageConvert, ModesTwoAndThreePremultiplyAndInvertAlpha) {
    for (int mode : {2, 3}) {
        Image image = Make16(3, 1, {0xFFFF, 0xFFFF, 0xFFFF}, {255, 0, 128});
        image.Convert(mode);
        EXPECT_EQ(image.flags, IMG_16BIT | IMG_ALPHA);
        EXPECT_EQ(Words(image)[0], (30 << 11) | (62 << 5) | 30); // 31 * 255 / 256 = 30
        EXPECT_EQ(Words(image)[1], 0);
        EXPECT_EQ(Words(image)[2], (15 << 11) | (31 << 5) | 15);
        EXPECT_EQ(image.alpha[0], 0);
        EXPECT_EQ(image.alpha[1], 255);
        EXPECT_EQ(image.alpha[2], 127);
    }
    Image other = Make16(1, 1, {0xFFFF}, {0});
    other.Convert(7);
    EXPECT_EQ(Words(other)[0], 0xFFFF);
    EXPECT_EQ(other.alpha[0], 0);
}

TEST_F(ImageConvert, PremultiplyWorksOn24BitAndSkipsWhatItCannotHandle) {
    Image rgb(2, 1, IMG_24BIT | IMG_ALPHA);
    const uint8_t bytes[] = {255, 100, 1, 200, 200, 200};
    std::memcpy(rgb.pixels, bytes, 6);
    rgb.alpha[0] = 255;
    rgb.alpha[1] = 64;
    rgb.Premultiply();
    const uint8_t expected[] = {254, 99, 0, 50, 50, 50};
    EXPECT_EQ(0, std::memcmp(rgb.pixels, expected, 6));
    EXPECT_EQ(rgb.alpha[1], 191);

    Image noAlpha = Make16(1, 1, {0xFFFF}, {10});
    noAlpha.flags = IMG_16BIT;
    noAlpha.Premultiply();
    EXPECT_EQ(Words(noAlpha)[0], 0xFFFF);
    Image eight(1, 1, IMG_8BIT | IMG_ALPHA);
    eight.pixels[0] = 200;
    eight.alpha[0] = 0;
    eight.Premultiply();
    EXPECT_EQ(eight.pixels[0], 200);
    EXPECT_EQ(eight.alpha[0], 0);
}

// --- Rotate -------------------------------------------------------------------------------

// A 16-bit picture whose every pixel and alpha value is distinct from the fill values.
Image Numbered(int width, int height) {
    Image image(width, height, IMG_16BIT | IMG_ALPHA);
    for (int i = 0; i < width * height; ++i) {
        Words(image)[i] = static_cast<uint16_t>(1000 + i);
        image.alpha[i] = static_cast<uint8_t>(i % 200 + 1);
    }
    return image;
}

TEST(ImageRotate, AngleZeroShiftsTheSquareDownOneRow) {
    // The degree factor is slightly below pi / 180, so every source point lies a hair
    // above its ideal place: row 0 falls outside, and row j shows source row j - 1.
    for (int size : {8, 64, 300}) {
        Image source = Numbered(size, size);
        Image destination(size, size, IMG_16BIT | IMG_ALPHA);
        source.Rotate(destination, 0.0f, 1.0f);
        for (int x = 0; x < size; ++x) {
            ASSERT_EQ(Words(destination)[x], 0) << size;
            ASSERT_EQ(destination.alpha[x], 255) << size;
        }
        for (int y = 1; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const int at = y * size + x;
                const int from = (y - 1) * size + x;
                ASSERT_EQ(Words(destination)[at], Words(source)[from])
                    << size << ": " << x << "," << y;
                ASSERT_EQ(destination.alpha[at], source.alpha[from]);
            }
        }
    }
}

TEST(ImageRotate, UncoveredCornersAreFilledWithTheKeyAndTransparency) {
    Image source = Numbered(4, 4);
    Image destination(12, 12, IMG_16BIT | IMG_ALPHA);
    source.Rotate(destination, 0.0f, 1.0f);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            const int at = y * 12 + x;
            const bool inside = x >= 4 && x < 8 && y >= 5 && y < 9;
            if (inside) {
                EXPECT_EQ(Words(destination)[at], Words(source)[(y - 5) * 4 + (x - 4)]);
            } else {
                EXPECT_EQ(Words(destination)[at], 0) << x << "," << y;
                EXPECT_EQ(destination.alpha[at], 255) << x << "," << y;
            }
        }
    }
}

TEST(ImageRotate, AnyAngleAndScaleStaysOnBothPlanes) {
    // Every destination pixel is either the fill or some source pixel; the sanitizers
    // watch the planes' ends.
    const std::pair<int, int> sizes[] = {{1, 1}, {5, 3}, {17, 40}, {64, 64}};
    for (auto [sw, sh] : sizes) {
        Image source = Numbered(sw, sh);
        std::set<uint16_t> values(Words(source), Words(source) + sw * sh);
        for (auto [dw, dh] : sizes) {
            Image destination(dw, dh, IMG_16BIT | IMG_ALPHA);
            for (float angle = -400.0f; angle <= 400.0f; angle += 23.5f) {
                for (float scale : {0.25f, 0.7f, 1.0f, 3.0f}) {
                    source.Rotate(destination, angle, scale);
                    for (int i = 0; i < dw * dh; ++i) {
                        uint16_t w = Words(destination)[i];
                        ASSERT_TRUE(w == 0 || values.count(w))
                            << angle << " " << scale << " " << sw << "x" << sh;
                        ASSERT_EQ(w == 0, destination.alpha[i] == 255);
                    }
                }
            }
        }
    }
}

TEST(ImageRotate, MissingPlanesMakeItANoOp) {
    Image source = Numbered(4, 4);
    Image empty;
    source.Rotate(empty, 10.0f, 1.0f); // no destination planes

    Image noAlpha(4, 4, IMG_16BIT);
    delete[] noAlpha.alpha;
    noAlpha.alpha = nullptr;
    Words(noAlpha)[0] = 77;
    Image destination(4, 4, IMG_16BIT | IMG_ALPHA);
    std::memset(destination.alpha, 3, 16);
    noAlpha.Rotate(destination, 0.0f, 1.0f);
    EXPECT_EQ(destination.alpha[0], 3); // alpha untouched: the source has none
    EXPECT_EQ(Words(destination)[4], 77);

    // A destination narrower than a word a pixel is not written.
    Image narrow(4, 4, IMG_8BIT);
    std::memset(narrow.pixels, 5, 16);
    source.RotatePixels(narrow, 0.0f, 1.0f);
    EXPECT_EQ(narrow.pixels[15], 5);
}

} // namespace
