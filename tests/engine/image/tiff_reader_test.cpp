// The TIF reader on files the tests write themselves: every accepted format, strips,
// byte orders, the fields a Tiff keeps between loads, and its messages.
#include "engine/image/image.h"
#include "engine/image/tiff.h"
#include "engine/platform/hosts/headless/headless.h"
#include "tests/engine/image/test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <unistd.h>

using ::testing::HasSubstr;

namespace {

const char* const NOT_FOUND_TAIL =
    "\n\nMake sure paths and names of TIF images are correct. If you started the game outside "
    "of Visual C++, make sure the executable is in the correct location to find images.";

class TiffReader : public ::testing::Test {
  protected:
    void SetUp() override { headless::Start(); }

    std::string Write(const TiffLayout& layout, const std::string& suffix = ".tif") {
        std::string name = TestFile(suffix);
        WriteBytes(name, BuildTiff(layout).bytes);
        return name;
    }

    static void ExpectPixel(const Image& image, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        const uint8_t* p = image.pixels + (static_cast<size_t>(y) * image.width + x) * 3;
        EXPECT_EQ(p[0], r) << "red at " << x << "," << y;
        EXPECT_EQ(p[1], g) << "green at " << x << "," << y;
        EXPECT_EQ(p[2], b) << "blue at " << x << "," << y;
    }

    // Every pixel (and alpha value, if asked) is the pattern's top byte.
    static void ExpectPattern(const Image& image, bool withAlpha) {
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                ExpectPixel(image, x, y, Pattern(x, y, 0), Pattern(x, y, 1), Pattern(x, y, 2));
                if (withAlpha) {
                    ASSERT_EQ(image.alpha[y * image.width + x], Pattern(x, y, 3));
                }
            }
        }
    }
};

// --- Accepted formats -------------------------------------------------------------

class RgbFormats : public TiffReader,
                   public ::testing::WithParamInterface<std::tuple<bool, int, bool>> {};

TEST_P(RgbFormats, LoadTheTopByteOfEachSample) {
    const auto [bigEndian, bytes, withAlpha] = GetParam();
    const int channels = withAlpha ? 4 : 3;
    TiffLayout layout;
    layout.bigEndian = bigEndian;
    layout.width = 7;
    layout.height = 3;
    layout.bits.assign(channels, static_cast<uint16_t>(bytes * 8));
    layout.photometric = 2;
    layout.extraSamples = withAlpha;
    layout.rowsPerStrip = 3;
    layout.strips = {PatternRows(7, 0, 3, channels, bytes, bigEndian)};
    std::string name = Write(layout);

    Tiff tiff;
    Image image;
    tiff.LoadTiff(name.c_str(), image);
    EXPECT_EQ(tiff.done, 1);
    EXPECT_EQ(tiff.mode, TIFF_RGB);
    EXPECT_EQ(image.width, 7);
    EXPECT_EQ(image.height, 3);
    EXPECT_EQ(image.flags, withAlpha ? (IMG_24BIT | IMG_ALPHA) : IMG_24BIT);
    EXPECT_EQ(tiff.bitsPerPixel, channels * bytes * 8);
    EXPECT_EQ(tiff.bytesPerRow, 7 * channels * bytes);
    ExpectPattern(image, withAlpha);
}

INSTANTIATE_TEST_SUITE_P(AllDepths, RgbFormats,
                         ::testing::Combine(::testing::Bool(), ::testing::Values(1, 2, 4),
                                            ::testing::Bool()));

class GreyFormats : public TiffReader,
                    public ::testing::WithParamInterface<std::tuple<bool, int>> {};

TEST_P(GreyFormats, CopyTheTopByteToRedGreenAndBlue) {
    const auto [bigEndian, bytes] = GetParam();
    TiffLayout layout;
    layout.bigEndian = bigEndian;
    layout.width = 5;
    layout.height = 4;
    layout.bits = {static_cast<uint16_t>(bytes * 8)};
    layout.photometric = 0; // WhiteIsZero greyscale is not inverted
    layout.rowsPerStrip = 4;
    layout.strips = {PatternRows(5, 0, 4, 1, bytes, bigEndian)};
    std::string name = Write(layout);

    Tiff tiff;
    Image image;
    tiff.LoadTiff(name.c_str(), image);
    EXPECT_EQ(tiff.mode, TIFF_GREYSCALE);
    EXPECT_EQ(image.flags, IMG_24BIT);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            uint8_t v = Pattern(x, y, 0);
            ExpectPixel(image, x, y, v, v, v);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllDepths, GreyFormats,
                         ::testing::Combine(::testing::Bool(), ::testing::Values(1, 2, 4)));

TEST_F(TiffReader, AnyMarkOtherThanIISelectsMotorolaOrder) {
    TiffLayout layout;
    layout.bigEndian = true;
    layout.width = 4;
    layout.height = 2;
    layout.bits = {8, 8, 8};
    layout.photometric = 2;
    layout.rowsPerStrip = 2;
    layout.strips = {PatternRows(4, 0, 2, 3, 1, true)};
    std::vector<uint8_t> bytes = BuildTiff(layout).bytes;
    bytes[0] = 'X';
    bytes[1] = 'Y';
    std::string name = TestFile(".tif");
    WriteBytes(name, bytes);

    Tiff tiff;
    Image image;
    tiff.LoadTiff(name.c_str(), image);
    ExpectPattern(image, false);
}

TEST_F(TiffReader, BilevelRowsArePaddedToWholeBytesAndWhiteIsZeroIsInverted) {
    // 10 pixels: rows of 2 bytes, the last 6 bits padding.
    const std::vector<uint8_t> rows = {0xA5, 0xC0, 0x0F, 0x40};
    const uint8_t expected[2][10] = {{1, 0, 1, 0, 0, 1, 0, 1, 1, 1},
                                     {0, 0, 0, 0, 1, 1, 1, 1, 0, 1}};
    for (int photometric : {1, 0}) {
        TiffLayout layout;
        layout.width = 10;
        layout.height = 2;
        layout.bits = {1};
        layout.photometric = photometric;
        layout.rowsPerStrip = 2;
        layout.strips = {rows};
        std::string name = Write(layout, std::to_string(photometric) + ".tif");

        Tiff tiff;
        Image image;
        tiff.LoadTiff(name.c_str(), image);
        EXPECT_EQ(tiff.mode, TIFF_BILEVEL);
        EXPECT_EQ(tiff.bytesPerRow, 2);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 10; ++x) {
                uint8_t v = expected[y][x] ? 255 : 0;
                if (photometric == 0) {
                    v = static_cast<uint8_t>(255 - v);
                }
                ExpectPixel(image, x, y, v, v, v);
            }
        }
    }
}

TEST_F(TiffReader, FourSamplesWithoutExtraSamplesAreReadThreeBytesAPixel) {
    TiffLayout layout;
    layout.width = 4;
    layout.height = 2;
    layout.bits = {8, 8, 8, 8};
    layout.photometric = 2;
    layout.rowsPerStrip = 2;
    std::vector<uint8_t> rows(32);
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i] = static_cast<uint8_t>(i + 1);
    }
    layout.strips = {rows};
    std::string name = Write(layout);

    Tiff tiff;
    Image image;
    tiff.LoadTiff(name.c_str(), image);
    EXPECT_EQ(image.flags, IMG_24BIT);
    // Without an extra sample the fourth depth does not count: rows are taken as 12
    // bytes from 16-byte rows, so the picture is skewed.
    EXPECT_EQ(tiff.bitsPerPixel, 24);
    EXPECT_EQ(tiff.bytesPerRow, 12);
    ExpectPixel(image, 0, 0, 1, 2, 3);
    ExpectPixel(image, 1, 0, 4, 5, 6);
    ExpectPixel(image, 3, 0, 10, 11, 12);
    ExpectPixel(image, 0, 1, 13, 14, 15);
    ExpectPixel(image, 3, 1, 22, 23, 24);
}

// --- Strips -------------------------------------------------------------------------

TEST_F(TiffReader, StripsFillTheirRowsWhereverTheyLie) {
    for (bool bigEndian : {false, true}) {
        TiffLayout layout;
        layout.bigEndian = bigEndian;
        layout.width = 6;
        layout.height = 5;
        layout.bits = {8, 8, 8};
        layout.photometric = 2;
        layout.rowsPerStrip = 2;
        layout.strips = {PatternRows(6, 0, 2, 3, 1, bigEndian),
                         PatternRows(6, 2, 2, 3, 1, bigEndian),
                         PatternRows(6, 4, 1, 3, 1, bigEndian)}; // the last strip is shorter
        layout.stripsReversed = true;
        std::string name = Write(layout, bigEndian ? "mm.tif" : "ii.tif");

        Tiff tiff;
        Image image;
        tiff.LoadTiff(name.c_str(), image);
        EXPECT_EQ(tiff.strips, 3);
        ExpectPattern(image, false);
    }
}

TEST_F(TiffReader, RowsPerStripNotBelowHeightIsOneStrip) {
    TiffLayout layout;
    layout.width = 3;
    layout.height = 4;
    layout.bits = {8};
    layout.photometric = 1;
    layout.rowsPerStrip = 9;
    layout.strips = {PatternRows(3, 0, 4, 1, 1, false)};
    std::string name = Write(layout);

    Tiff tiff;
    Image image;
    tiff.LoadTiff(name.c_str(), image);
    EXPECT_EQ(tiff.strips, 1);
    ExpectPixel(image, 2, 3, Pattern(2, 3, 0), Pattern(2, 3, 0), Pattern(2, 3, 0));
}

// --- Directory and fields ----------------------------------------------------------------

TEST_F(TiffReader, FurtherImagesDrawAWarningAndOnlyTheFirstIsRead) {
    TiffLayout layout;
    layout.width = 2;
    layout.height = 2;
    layout.bits = {8, 8, 8};
    layout.photometric = 2;
    layout.rowsPerStrip = 2;
    layout.strips = {PatternRows(2, 0, 2, 3, 1, false)};
    layout.nextIfd = 8;
    std::string name = Write(layout);

    Tiff tiff;
    Image image;
    ::testing::internal::CaptureStdout();
    tiff.LoadTiff(name.c_str(), image);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Load:Tiff: (Warning only) File contains multiple tiff images - reading only "
              "first.\n");
    EXPECT_EQ(tiff.done, 1);
    ExpectPattern(image, false);
}

TEST_F(TiffReader, FieldsAFileDoesNotSetKeepTheirValuesFromTheLastLoad) {
    TiffLayout first;
    first.width = 8;
    first.height = 1;
    first.bits = {1};
    first.photometric = 0;
    first.rowsPerStrip = 1;
    first.strips = {{0xF0}};
    std::string one = Write(first, "1.tif");
    TiffLayout second = first;
    second.photometric = -1; // no PhotometricInterpretation entry
    second.strips = {{0x0F}};
    std::string two = Write(second, "2.tif");

    Tiff tiff;
    Image image;
    tiff.LoadTiff(one.c_str(), image);
    tiff.LoadTiff(two.c_str(), image);
    EXPECT_EQ(tiff.photometric, 0);
    ExpectPixel(image, 0, 0, 255, 255, 255); // inverted by the earlier WhiteIsZero
    ExpectPixel(image, 7, 0, 0, 0, 0);
}

TEST_F(TiffReader, WidthHeightAndExtraSamplesStartAfreshEachLoad) {
    TiffLayout rgba;
    rgba.width = 3;
    rgba.height = 2;
    rgba.bits = {8, 8, 8, 8};
    rgba.extraSamples = true;
    rgba.photometric = 2;
    rgba.rowsPerStrip = 2;
    rgba.strips = {PatternRows(3, 0, 2, 4, 1, false)};
    TiffLayout rgb = rgba;
    rgb.bits = {8, 8, 8};
    rgb.extraSamples = false;
    rgb.strips = {PatternRows(3, 0, 2, 3, 1, false)};
    std::string a = Write(rgba, "a.tif");
    std::string b = Write(rgb, "b.tif");

    Tiff tiff;
    Image image;
    tiff.LoadTiff(a.c_str(), image);
    EXPECT_EQ(image.flags, IMG_24BIT | IMG_ALPHA);
    tiff.LoadTiff(b.c_str(), image);
    EXPECT_EQ(tiff.extraSamples, 0);
    EXPECT_EQ(tiff.alphaBits, 0);
    EXPECT_EQ(image.flags, IMG_24BIT);
    ExpectPattern(image, false);
}

TEST_F(TiffReader, LoadConvertsToTheDisplayFormatByMode) {
    TiffLayout layout;
    layout.width = 2;
    layout.height = 1;
    layout.bits = {8, 8, 8, 8};
    layout.extraSamples = true;
    layout.photometric = 2;
    layout.rowsPerStrip = 1;
    layout.strips = {{0, 0, 0, 255, 255, 255, 255, 0}}; // opaque black, transparent white
    std::string name = Write(layout);

    Tiff tiff;
    Image sprite;
    tiff.Load(name.c_str(), sprite, 1);
    EXPECT_EQ(sprite.flags, IMG_16BIT | IMG_COLORKEY);
    EXPECT_FALSE(sprite.raw);
    EXPECT_EQ(sprite.alpha, nullptr);
    const uint16_t* words = reinterpret_cast<const uint16_t*>(sprite.pixels);
    EXPECT_EQ(words[0], 1);
    EXPECT_EQ(words[1], 0);

    Image page;
    tiff.Load(name.c_str(), page, 0);
    EXPECT_EQ(page.flags, IMG_16BIT | IMG_ALPHA);
    EXPECT_EQ(reinterpret_cast<const uint16_t*>(page.pixels)[1], 0xFFFF);
}

// --- What the reader refuses or ignores --------------------------------------------

TEST_F(TiffReader, MissingFileShowsABoxAndLeavesTheImageAlone) {
    Tiff tiff;
    Image image;
    tiff.Load("Images\\no_such_picture.tif", image, 1);
    ASSERT_EQ(headless::MessageBoxes().size(), 1u);
    const headless::MessageBoxRecord& box = headless::MessageBoxes()[0];
    EXPECT_EQ(box.caption, "Tolvo Error");
    EXPECT_EQ(box.text,
              std::string(".TIF File Not Found: Images\\no_such_picture.tif") + NOT_FOUND_TAIL);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.type, MB_OK);
    EXPECT_EQ(tiff.done, 0);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.width, 0);
}

TEST_F(TiffReader, NamesOf99CharactersLoadAndLongerOnesAreRefusedWhole) {
    TiffLayout layout;
    layout.width = 1;
    layout.height = 1;
    layout.bits = {8};
    layout.photometric = 1;
    layout.rowsPerStrip = 1;
    layout.strips = {{200}};
    std::string name = TestFile("");
    name += std::string(99 - 4 - name.size(), 'n') + ".tif";
    ASSERT_EQ(name.size(), 99u);
    WriteBytes(name, BuildTiff(layout).bytes);

    Tiff tiff;
    Image image;
    tiff.LoadTiff(name.c_str(), image);
    EXPECT_EQ(tiff.done, 1);
    EXPECT_EQ(std::string(tiff.fileName), name);
    EXPECT_TRUE(headless::MessageBoxes().empty());

    // One character more: its first 99 characters name the file above, which must not
    // be what gets loaded.
    Tiff other;
    Image untouched;
    std::string longer = name + "x";
    other.LoadTiff(longer.c_str(), untouched);
    EXPECT_EQ(other.done, 0);
    EXPECT_EQ(untouched.pixels, nullptr);
    ASSERT_EQ(headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(headless::MessageBoxes()[0].text, ".TIF File Not Found: " + longer + NOT_FOUND_TAIL);
}

TEST_F(TiffReader, CompressedFilesShowABoxAndAreReadAsIfUncompressed) {
    TiffLayout layout;
    layout.width = 2;
    layout.height = 1;
    layout.bits = {8};
    layout.photometric = 1;
    layout.compression = 5;
    layout.rowsPerStrip = 1;
    layout.strips = {{10, 20}};
    std::string name = Write(layout);

    Tiff tiff;
    Image image;
    tiff.LoadTiff(name.c_str(), image);
    ASSERT_EQ(headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(headless::MessageBoxes()[0].caption, "Tolvo Error");
    EXPECT_EQ(headless::MessageBoxes()[0].text,
              "TIF Load Error: LZW Compression not supported.\n\nTolvo does not support LZW "
              "compressed TIF images. Save your TIF image again and be sure that the LZW "
              "compression option is turned off.\n");
    EXPECT_EQ(tiff.done, 1);
    ExpectPixel(image, 1, 0, 20, 20, 20);
}

TEST_F(TiffReader, PalettePicturesAreNotDecodedAndTheImageKeepsItsPlanes) {
    TiffLayout layout;
    layout.width = 2;
    layout.height = 2;
    layout.bits = {8};
    layout.photometric = 3;
    layout.rowsPerStrip = 2;
    layout.strips = {{1, 2, 3, 4}};
    std::string name = Write(layout);

    Image image(3, 3, IMG_24BIT);
    std::memset(image.pixels, 77, 27);
    uint8_t* before = image.pixels;
    Tiff tiff;
    tiff.LoadTiff(name.c_str(), image);
    EXPECT_EQ(tiff.mode, TIFF_PALETTE);
    EXPECT_EQ(tiff.done, 1);
    EXPECT_EQ(image.pixels, before);
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.pixels[26], 77);
}

TEST_F(TiffReader, UndecodableDepthsComeOutBlack) {
    // RGB with 4-bit samples and greyscale of 12 bits: sized, nothing decoded.
    for (std::vector<uint16_t> bits : {std::vector<uint16_t>{4, 4, 4}, std::vector<uint16_t>{12}}) {
        TiffLayout layout;
        layout.width = 4;
        layout.height = 2;
        layout.bits = bits;
        layout.photometric = bits.size() == 1 ? 1 : 2;
        layout.rowsPerStrip = 2;
        layout.strips = {std::vector<uint8_t>(24, 0xEE)};
        std::string name = Write(layout, std::to_string(bits.size()) + ".tif");

        Tiff tiff;
        Image image;
        tiff.LoadTiff(name.c_str(), image);
        EXPECT_EQ(image.width, 4);
        for (int i = 0; i < 24; ++i) {
            ASSERT_EQ(image.pixels[i], 0);
        }
    }
}

// --- Fatal cases: message on standard output, exit code -1 -------------------------------

TEST_F(TiffReader, ASecondWordOtherThan42EndsTheProcess) {
    TiffLayout layout;
    layout.width = 1;
    layout.height = 1;
    layout.bits = {8};
    layout.strips = {{0}};
    std::vector<uint8_t> bytes = BuildTiff(layout).bytes;
    bytes[2] = 43;
    std::string name = TestFile(".tif");
    WriteBytes(name, bytes);
    std::string empty = TestFile("empty.tif");
    WriteBytes(empty, {});

    Tiff tiff;
    Image image;
    EXPECT_FATAL(tiff.LoadTiff(name.c_str(), image),
                 "Load:Tiff: File is corrupted, or is not a .TIFF file.\n");
    EXPECT_FATAL(tiff.LoadTiff(empty.c_str(), image),
                 "Load:Tiff: File is corrupted, or is not a .TIFF file.\n");
}

TEST_F(TiffReader, BitsPerSampleCountsOutside1To4EndTheProcess) {
    for (uint32_t count : {0u, 5u}) {
        TiffLayout layout;
        layout.width = 1;
        layout.height = 1;
        layout.extra = {{258, 3, count, 8}};
        layout.strips = {{0}};
        std::string name = Write(layout, std::to_string(count) + ".tif");
        Tiff tiff;
        Image image;
        EXPECT_FATAL(tiff.LoadTiff(name.c_str(), image), "Load:Tiff: Unknown TIFF mode.\n");
    }
}

} // namespace
