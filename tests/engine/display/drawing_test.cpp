// The drawing operations on a back buffer of our own, for both 16-bit layouts:
// clipping, the four image operations, tiling, pixels, rectangles and clearing.
#include "display_test_support.h"

#include "engine/image/pixel_format.h"

#include <new>

namespace {

const uint16_t BACKDROP = 0x1234;

// A test image; pixel and alpha values come from the given functions.
void Fill(Image& image, int width, int height, const std::function<uint16_t(int, int)>& pixel,
          const std::function<uint8_t(int, int)>& alpha = nullptr) {
    image.Size(width, height, IMG_16BIT);
    uint16_t* pixels = reinterpret_cast<uint16_t*>(image.pixels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            pixels[y * width + x] = pixel(x, y);
            image.alpha[y * width + x] = alpha ? alpha(x, y) : 0;
        }
}

// A distinct, never-zero value for each image pixel.
uint16_t Numbered(int x, int y) {
    return uint16_t(0x0100 + y * 64 + x + 1);
}

class DrawingTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        rgb555 = GetParam();
        if (rgb555)
            SetPixelFormat(0x7C00, 0x03E0, 0x001F);
        else
            SetPixelFormat(0xF800, 0x07E0, 0x001F);
        Tolvo.~WindowsDX();
        new (&Tolvo) WindowsDX();
        // Rows of 48 pixels of which 40 are in view, as with a padded pitch.
        UseBuffer(48, 30, 40, 30);
    }
    void TearDown() override {
        Tolvo.~WindowsDX();
        new (&Tolvo) WindowsDX();
    }

    void UseBuffer(int rowPixels, int rows, int viewWidth, int viewHeight) {
        buffer.assign(size_t(rowPixels) * rows, BACKDROP);
        Tolvo.pixels = buffer.data();
        Tolvo.width = rowPixels;
        Tolvo.height = rows;
        Tolvo.pitch = rowPixels * 2;
        for (int row = 0; row <= rows; ++row)
            Tolvo.rowOffsets[row] = row * Tolvo.pitch;
        Tolvo.SetClipRect(0, 0, viewWidth - 1, viewHeight - 1);
        Tolvo.locked = true;
    }

    Picture Screen() const {
        Picture picture(Tolvo.width, Tolvo.height);
        picture.pixels = buffer;
        return picture;
    }
    Picture Backdrop() const { return Picture(Tolvo.width, Tolvo.height, BACKDROP); }

    // Packs 5-bit red and blue and green in the layout's own width.
    uint16_t Pack(int red, int green, int blue) const {
        return rgb555 ? uint16_t(red << 10 | green << 5 | blue)
                      : uint16_t(red << 11 | green << 5 | blue);
    }
    int GreenMax() const { return rgb555 ? 31 : 63; }

    std::string Name(const std::string& what) const { return what + (rgb555 ? "-555" : "-565"); }

    bool rgb555 = false;
    std::vector<uint16_t> buffer;
};

TEST_P(DrawingTest, ImagePartlyAboveAndLeftOfTheViewDrawsOnlyItsVisibleQuarter) {
    Image image;
    Fill(image, 20, 20, Numbered);
    Tolvo.DrawImage(-10, -10, image);
    Picture expected = Backdrop();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            expected.At(x, y) = Numbered(x + 10, y + 10);
    EXPECT_TRUE(SamePicture(Name("quarter"), expected, Screen(), rgb555));
}

TEST_P(DrawingTest, ImageEdgesAgainstTheClipRectangle) {
    Image image;
    Fill(image, 4, 3, Numbered);
    Tolvo.SetClipRect(10, 5, 30, 20);

    // Right edge at clipLeft - 1, left edge past clipRight, bottom above, top below: nothing.
    Tolvo.DrawImage(6, 8, image);
    Tolvo.DrawImage(31, 8, image);
    Tolvo.DrawImage(12, 2, image);
    Tolvo.DrawImage(12, 21, image);
    EXPECT_TRUE(SamePicture(Name("outside"), Backdrop(), Screen(), rgb555));

    // Right edge exactly at clipLeft: one column; bottom edge at clipTop: one row.
    Tolvo.DrawImage(7, 8, image);
    Tolvo.DrawImage(20, 3, image);
    // Overhanging the right and bottom edges.
    Tolvo.DrawImage(29, 19, image);
    Picture expected = Backdrop();
    for (int y = 0; y < 3; ++y)
        expected.At(10, 8 + y) = Numbered(3, y);
    for (int x = 0; x < 4; ++x)
        expected.At(20 + x, 5) = Numbered(x, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            expected.At(29 + x, 19 + y) = Numbered(x, y);
    EXPECT_TRUE(SamePicture(Name("edges"), expected, Screen(), rgb555));
}

TEST_P(DrawingTest, ClipRectangleBeyondTheBufferStillKeepsWritesInside) {
    Image image;
    Fill(image, 10, 10, Numbered);
    Tolvo.SetClipRect(-100, -100, 1000, 1000);
    Tolvo.DrawOpaque(44, 25, image);
    Tolvo.DrawKeyed(-5, -5, image);
    Picture expected = Backdrop();
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 4; ++x)
            expected.At(44 + x, 25 + y) = Numbered(x, y);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            expected.At(x, y) = Numbered(x + 5, y + 5);
    EXPECT_TRUE(SamePicture(Name("wide-clip"), expected, Screen(), rgb555));
}

TEST_P(DrawingTest, KeyedSkipsZeroAndCopiesEveryOtherValueExactly) {
    Image image;
    Fill(image, 3, 2,
         [](int x, int y) { return uint16_t(x == 1 ? 0 : (y == 0 ? 0x0001 : 0xFFFF)); });
    Tolvo.DrawKeyed(5, 5, image);
    Picture expected = Backdrop();
    expected.At(5, 5) = 0x0001;
    expected.At(7, 5) = 0x0001;
    expected.At(5, 6) = 0xFFFF;
    expected.At(7, 6) = 0xFFFF;
    EXPECT_TRUE(SamePicture(Name("keyed"), expected, Screen(), rgb555));

    // Opaque copies the zeros too.
    Tolvo.DrawOpaque(5, 5, image);
    expected.At(6, 5) = 0;
    expected.At(6, 6) = 0;
    EXPECT_TRUE(SamePicture(Name("opaque"), expected, Screen(), rgb555));
}

TEST_P(DrawingTest, AlphaBlendKeepsAlphaOver256OfTheDestination) {
    const uint16_t white = Pack(31, GreenMax(), 31);
    const uint16_t source = Pack(1, 2, 3);
    UseBuffer(48, 30, 40, 30);
    std::fill(buffer.begin(), buffer.end(), white);
    Image image;
    // Columns: alpha 0 (source replaces), 255 (untouched), 128 (half kept, rounded down).
    Fill(
        image, 3, 1, [&](int, int) { return source; },
        [](int x, int) {
            return uint8_t(x == 0 ? 0 : x == 1 ? 255 : 128);
        });
    Tolvo.DrawAlpha(0, 0, image);
    EXPECT_EQ(buffer[0], source);
    EXPECT_EQ(buffer[1], white);
    // 31 * 128 >> 8 = 15 in each 5-bit field; the green field keeps half of its own.
    EXPECT_EQ(buffer[2], uint16_t(Pack(15, GreenMax() / 2, 15) + source));
}

TEST_P(DrawingTest, AdditiveSaturatesEachFieldAtItsMask) {
    const uint16_t destination = Pack(20, 1, 30);
    UseBuffer(48, 30, 40, 30);
    std::fill(buffer.begin(), buffer.end(), destination);
    Image image;
    // Columns: added; alpha 255 skipped; source 0 skipped.
    Fill(
        image, 3, 1, [&](int x, int) { return x == 2 ? uint16_t(0) : Pack(20, 2, 1); },
        [](int x, int) { return uint8_t(x == 1 ? 255 : 7); });
    Tolvo.DrawAdditive(0, 0, image);
    EXPECT_EQ(buffer[0], Pack(31, 3, 31)); // red 20 + 20 -> 31, not 40
    EXPECT_EQ(buffer[1], destination);
    EXPECT_EQ(buffer[2], destination);
}

TEST_P(DrawingTest, ImagesWithoutPixelsOrWithoutTheNeededAlphaDrawNothing) {
    Image empty;
    Tolvo.DrawImage(0, 0, empty);
    Tolvo.DrawBackground(0, 0, empty);
    Image noAlpha;
    Fill(noAlpha, 4, 4, Numbered);
    delete[] noAlpha.alpha;
    noAlpha.alpha = nullptr;
    Tolvo.DrawAlpha(0, 0, noAlpha);
    Tolvo.DrawAdditive(0, 0, noAlpha);
    EXPECT_TRUE(SamePicture(Name("nothing"), Backdrop(), Screen(), rgb555));
}

TEST_P(DrawingTest, NothingIsWrittenUnlessTheBufferIsLocked) {
    Image image;
    Fill(image, 4, 4, Numbered, [](int, int) { return uint8_t(0); });
    Tolvo.locked = false;
    Tolvo.DrawImage(0, 0, image);
    Tolvo.DrawOpaque(0, 0, image);
    Tolvo.DrawAlpha(0, 0, image);
    Tolvo.DrawAdditive(0, 0, image);
    Tolvo.DrawBackground(0, 0, image);
    Tolvo.DrawPixel(1, 1, 1, 1, 1);
    Tolvo.FillRectangle(0, 0, 5, 5, 255, 255, 255);
    Tolvo.ClearBuffer();
    EXPECT_TRUE(SamePicture(Name("unlocked"), Backdrop(), Screen(), rgb555));
}

TEST_P(DrawingTest, BackgroundTilesFromTheFlooredOffset) {
    UseBuffer(40, 30, 40, 30);
    Image tile;
    Fill(tile, 16, 12, Numbered);
    auto expectTiled = [&](int xOffset, int yOffset) {
        Picture expected(40, 30);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                int u = ((x + xOffset) % 16 + 16) % 16;
                int v = ((y + yOffset) % 12 + 12) % 12;
                expected.At(x, y) = Numbered(u, v);
            }
        std::fill(buffer.begin(), buffer.end(), BACKDROP);
        Tolvo.DrawBackground(xOffset, yOffset, tile);
        return SamePicture(Name("tiled-" + std::to_string(xOffset) + "-" + std::to_string(yOffset)),
                           expected, Screen(), rgb555);
    };
    EXPECT_TRUE(expectTiled(0, 0));
    EXPECT_TRUE(expectTiled(5, 0));
    EXPECT_TRUE(expectTiled(-16, 0)); // an exact negative multiple: same as offset 0
    EXPECT_TRUE(expectTiled(-5, -7));
    EXPECT_TRUE(expectTiled(-37, 13));
    EXPECT_TRUE(expectTiled(1000, -1000));
}

TEST_P(DrawingTest, PixelAndRectangleUseFiveFiveFiveValuesAndStayInTheBuffer) {
    Tolvo.DrawPixel(3, 4, 1, 2, 3);
    Tolvo.DrawPixel(-1, 0, 31, 31, 31);
    Tolvo.DrawPixel(48, 0, 31, 31, 31); // padding column 47 is the last in the buffer
    Tolvo.DrawPixel(0, 30, 31, 31, 31);
    Tolvo.DrawPixel(47, 29, 40, 0, 0); // components are not masked: 40 * 1024 = 0xA000
    Tolvo.FillRectangle(45, 27, 60, 40, 255, 128, 7);
    Tolvo.FillRectangle(-3, -3, 1, 0, 8, 16, 24);
    Tolvo.FillRectangle(10, 10, 9, 12, 255, 255, 255); // x1 > x2: nothing
    Picture expected = Backdrop();
    expected.At(3, 4) = 1 * 1024 + 2 * 32 + 3;
    for (int y = 27; y < 30; ++y)
        for (int x = 45; x < 48; ++x)
            expected.At(x, y) = 31 * 1024 + 16 * 32 + 0;
    for (int x = 0; x <= 1; ++x)
        expected.At(x, 0) = 1 * 1024 + 2 * 32 + 3;
    EXPECT_TRUE(SamePicture(Name("pixels"), expected, Screen(), rgb555));
    Tolvo.DrawPixel(47, 29, 40, 0, 0);
    EXPECT_EQ(buffer[29 * 48 + 47], 0xA000);
}

TEST_P(DrawingTest, ClearBufferZeroesEveryRowIncludingPadding) {
    Tolvo.ClearBuffer();
    EXPECT_TRUE(SamePicture(Name("clear"), Picture(48, 30, 0), Screen(), rgb555));
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, DrawingTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "RGB555" : "RGB565";
                         });

TEST(FloorDivideTest, RemainderRangeDependsOnTheSign) {
    struct Case {
        int32_t a, c, q, r;
    } cases[] = {
        {0, 16, 0, 0},     {15, 16, 0, 15},   {16, 16, 1, 0},    {-1, 16, -1, 15},
        {-16, 16, -2, 16}, {-17, 16, -2, 15}, {-32, 16, -3, 16},
    };
    for (const Case& c : cases) {
        int32_t q, r;
        FloorDivide(c.a, c.c, q, r);
        EXPECT_EQ(q, c.q) << c.a << " / " << c.c;
        EXPECT_EQ(r, c.r) << c.a << " / " << c.c;
    }
}

TEST(TextColourAndTables, SetColorPacksLowBytesAndSaturationTableIsMinOfSum) {
    WindowsDX engine;
    EXPECT_EQ(engine.textColor, 0);
    engine.SetColor(0x1FF, 0x02, 0x103);
    EXPECT_EQ(engine.textRed, 0x1FF);
    EXPECT_EQ(engine.textColor, 0x0302FF);
    EXPECT_EQ(engine.saturationTable, nullptr);
    engine.BuildSaturationTable();
    ASSERT_NE(engine.saturationTable, nullptr);
    EXPECT_EQ(engine.saturationTable[0], 0);
    EXPECT_EQ(engine.saturationTable[3 * 32 + 4], 7);
    EXPECT_EQ(engine.saturationTable[20 * 32 + 20], 31);
    EXPECT_EQ(engine.saturationTable[31 * 32 + 31], 31);
}

} // namespace
