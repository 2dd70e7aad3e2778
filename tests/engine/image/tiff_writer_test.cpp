// SaveTiff: the fixed 204-byte layout, pixel rows, refusals, and a round trip through
// the reader.
#include "engine/image/image.h"
#include "engine/image/tiff.h"
#include "engine/platform/hosts/headless/headless.h"
#include "tests/engine/image/test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unistd.h>

using ::testing::HasSubstr;

namespace {

uint32_t Short(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8;
}
uint32_t Long(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

struct Entry {
    uint32_t tag, type, count, value;
};

// Entry n (0-based) as written: a SHORT of count 1 holds its value in the first two bytes
// and 0 in the other two.
Entry EntryAt(const std::vector<uint8_t>& b, int n) {
    size_t at = 10 + 12 * n;
    Entry e{Short(b, at), Short(b, at + 2), Long(b, at + 4), Long(b, at + 8)};
    if (e.type == 3 && e.count == 1) {
        EXPECT_EQ(Short(b, at + 10), 0u) << "padding of entry " << n;
        e.value = Short(b, at + 8);
    }
    return e;
}

void ExpectEntries(const std::vector<uint8_t>& b, const std::vector<Entry>& expected) {
    ASSERT_GE(b.size(), 204u);
    ASSERT_EQ(Short(b, 8), 14u);
    for (size_t n = 0; n < expected.size(); ++n) {
        Entry e = EntryAt(b, static_cast<int>(n));
        EXPECT_EQ(e.tag, expected[n].tag) << "entry " << n;
        EXPECT_EQ(e.type, expected[n].type) << "entry " << n;
        EXPECT_EQ(e.count, expected[n].count) << "entry " << n;
        EXPECT_EQ(e.value, expected[n].value) << "entry " << n;
    }
}

Image PatternImage(int width, int height) {
    Image image(width, height, IMG_24BIT);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                image.pixels[(y * width + x) * 3 + c] = Pattern(x, y, c);
            }
        }
    }
    return image;
}

class TiffWriter : public ::testing::Test {
  protected:
    void SetUp() override { headless::Start(); }

    std::vector<uint8_t> Save(Image& image, int mode, int depth, const std::string& suffix = "") {
        std::string name = TestFile(suffix + ".tif");
        Tiff tiff;
        tiff.mode = mode;
        tiff.bitsPerPixel = depth;
        tiff.SaveTiff(name.c_str(), image);
        EXPECT_EQ(tiff.done, 1);
        return ReadBytes(name);
    }
};

TEST_F(TiffWriter, RgbFilesHaveTheFixedLayoutAndTheRowsAt204) {
    Image image = PatternImage(2, 2);
    std::vector<uint8_t> b = Save(image, TIFF_RGB, 8);
    ASSERT_EQ(b.size(), 216u);
    EXPECT_EQ(b[0], 'I');
    EXPECT_EQ(b[1], 'I');
    EXPECT_EQ(Short(b, 2), 42u);
    EXPECT_EQ(Long(b, 4), 8u);
    ExpectEntries(b, {{254, 4, 1, 0},
                      {256, 3, 1, 2},
                      {257, 3, 1, 2},
                      {258, 3, 3, 182},
                      {259, 3, 1, 1},
                      {262, 3, 1, 2},
                      {273, 4, 1, 204},
                      {277, 3, 1, 3},
                      {278, 3, 1, 2},
                      {279, 4, 1, 12},
                      {282, 5, 1, 188},
                      {283, 5, 1, 196},
                      {296, 3, 1, 2},
                      {320, 3, 0, 0}});
    EXPECT_EQ(Long(b, 178), 0u);
    EXPECT_EQ(Short(b, 182), 8u);
    EXPECT_EQ(Short(b, 184), 8u);
    EXPECT_EQ(Short(b, 186), 8u);
    for (size_t at : {188u, 192u, 196u, 200u}) {
        EXPECT_EQ(Long(b, at), 1u);
    }
    EXPECT_EQ(0, std::memcmp(b.data() + 204, image.pixels, 12));
}

TEST_F(TiffWriter, BilevelAndGreyscaleWriteTheDirectoryOnly) {
    Image image = PatternImage(16, 3);
    std::vector<uint8_t> bilevel = Save(image, TIFF_BILEVEL, 1, "bilevel");
    ASSERT_EQ(bilevel.size(), 204u);
    EXPECT_EQ(EntryAt(bilevel, 3).count, 1u);
    EXPECT_EQ(EntryAt(bilevel, 3).value, 1u);
    EXPECT_EQ(EntryAt(bilevel, 5).value, 1u); // BlackIsZero
    EXPECT_EQ(EntryAt(bilevel, 7).value, 1u);
    // 16 * 0.125 + 1.0: one byte more than a row needs, when the width divides by 8.
    EXPECT_EQ(EntryAt(bilevel, 9).value, 3u * 3u);

    std::vector<uint8_t> grey = Save(image, TIFF_GREYSCALE, 8, "grey");
    ASSERT_EQ(grey.size(), 204u);
    EXPECT_EQ(EntryAt(grey, 3).value, 8u);
    EXPECT_EQ(EntryAt(grey, 9).value, 16u * 3u);
    EXPECT_EQ(Short(grey, 182), 8u); // written in every mode
}

TEST_F(TiffWriter, WhatItWritesTheReaderReadsBack) {
    for (int width : {1, 7, 3500}) { // 3500 pixels: 10500-byte rows
        Image image = PatternImage(width, 5);
        std::string name = TestFile(std::to_string(width) + ".tif");
        Tiff writer;
        writer.mode = TIFF_RGB;
        writer.bitsPerPixel = 8;
        writer.SaveTiff(name.c_str(), image);

        Tiff reader;
        Image back;
        reader.LoadTiff(name.c_str(), back);
        ASSERT_EQ(back.width, width);
        ASSERT_EQ(back.height, 5);
        EXPECT_EQ(back.flags, IMG_24BIT);
        EXPECT_EQ(0, std::memcmp(back.pixels, image.pixels, static_cast<size_t>(width) * 5 * 3));
    }
}

TEST_F(TiffWriter, TheSaveSetsTheFieldsALaterLoadStartsFrom) {
    Image image = PatternImage(4, 2);
    Tiff tiff;
    tiff.mode = TIFF_RGB;
    tiff.bitsPerPixel = 8;
    std::string name = TestFile(".tif");
    tiff.SaveTiff(name.c_str(), image);
    EXPECT_EQ(tiff.width, 4);
    EXPECT_EQ(tiff.samples, 3);
    EXPECT_EQ(tiff.photometric, 2);
    EXPECT_EQ(tiff.rowsPerStrip, 2);
    EXPECT_EQ(tiff.strips, 1);
    EXPECT_EQ(tiff.bytesPerRow, 12);
    EXPECT_EQ(tiff.stripByteCounts, 24);
    EXPECT_EQ(std::string(tiff.fileName), name);
}

TEST_F(TiffWriter, UnknownModesAndDepthsEndTheProcessAfterTheDirectoryStarted) {
    Image image = PatternImage(2, 2);
    std::string modeName = TestFile("mode.tif");
    Tiff badMode;
    badMode.mode = 4;
    badMode.bitsPerPixel = 8;
    EXPECT_FATAL(badMode.SaveTiff(modeName.c_str(), image), "Save:Tiff: Unknown TIFF mode.\n");
    EXPECT_EQ(ReadBytes(modeName).size(), 8u + 2u + 3u * 12u); // header and three entries

    std::string depthName = TestFile("depth.tif");
    Tiff badDepth;
    badDepth.mode = TIFF_RGB;
    badDepth.bitsPerPixel = 16;
    EXPECT_FATAL(badDepth.SaveTiff(depthName.c_str(), image),
                 "SaveTiff: Given pixel depth and color mode not supported.\n");
    EXPECT_EQ(ReadBytes(depthName).size(), 204u);
}

TEST_F(TiffWriter, AfterALoadTheTotalDepthIsRefusedAsBitsPerSample) {
    Image image = PatternImage(2, 2);
    std::string name = TestFile(".tif");
    Tiff tiff;
    tiff.mode = TIFF_RGB;
    tiff.bitsPerPixel = 8;
    tiff.SaveTiff(name.c_str(), image);
    Image loaded;
    tiff.LoadTiff(name.c_str(), loaded);
    EXPECT_EQ(tiff.bitsPerPixel, 24);
    std::string again = TestFile("again.tif");
    EXPECT_FATAL(tiff.SaveTiff(again.c_str(), loaded),
                 "SaveTiff: Given pixel depth and color mode not supported.\n");
}

TEST_F(TiffWriter, ImagesOtherThan24BitWithPixelsAreRefusedBeforeAnyFileIsMade) {
    Image converted = PatternImage(2, 2);
    converted.Convert(0); // now 16-bit
    Image empty;
    std::string name = TestFile(".tif");
    for (Image* image : {&converted, &empty}) {
        Tiff tiff;
        tiff.mode = TIFF_RGB;
        tiff.bitsPerPixel = 8;
        EXPECT_FATAL(tiff.SaveTiff(name.c_str(), *image), "SaveTiff: Only a 24-bit RGB image");
        EXPECT_TRUE(ReadBytes(name).empty());
    }
}

TEST_F(TiffWriter, NamesOf100CharactersOrMoreAreRefused) {
    Image image = PatternImage(1, 1);
    std::string name = TestFile("");
    name += std::string(100 - 4 - name.size(), 'n') + ".tif";
    std::string cut = name.substr(0, 99);
    Tiff tiff;
    tiff.mode = TIFF_RGB;
    tiff.bitsPerPixel = 8;
    EXPECT_FATAL(tiff.SaveTiff(name.c_str(), image), "SaveTiff: File name must be shorter");
    EXPECT_TRUE(ReadBytes(name).empty());
    EXPECT_TRUE(ReadBytes(cut).empty());
}

TEST_F(TiffWriter, ANullNameHasItsOwnLine) {
    Image image = PatternImage(1, 1);
    Tiff tiff;
    tiff.mode = TIFF_RGB;
    tiff.bitsPerPixel = 8;
    EXPECT_FATAL(tiff.SaveTiff(nullptr, image), "SaveTiff: No file name given.\n");
}

// A 24-bit picture whose pixels carry their own alpha byte is four bytes a pixel: the
// file gets its colours, not a three-byte walk through the four-byte pixels.
TEST_F(TiffWriter, PixelsWithTheirOwnAlphaByteAreWrittenAsTheirColours) {
    const int width = 3, height = 2;
    Image image(width, height, IMG_24BIT | IMG_PIXELALPHA);
    for (int i = 0; i < width * height; ++i) {
        for (int c = 0; c < 4; ++c) {
            image.pixels[i * 4 + c] = uint8_t(c == 3 ? 0xEE : Pattern(i % width, i / width, c));
        }
    }
    std::vector<uint8_t> b = Save(image, TIFF_RGB, 8);
    ASSERT_EQ(b.size(), 204u + width * height * 3);
    for (int i = 0; i < width * height; ++i) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(b[204 + i * 3 + c], Pattern(i % width, i / width, c)) << i << "/" << c;
        }
    }
}

} // namespace
