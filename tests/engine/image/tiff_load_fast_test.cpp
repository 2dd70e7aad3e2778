// The reader's fast paths: a small file fetched whole, a large one by its two ends with
// the strips read where they lie, and planes that are not cleared before a load. Every
// path gives the pixels of the plain reading, and missing bytes still read as zero.
#include "engine/image/image.h"
#include "engine/image/tiff.h"
#include "engine/platform/hosts/headless/headless.h"
#include "tests/engine/image/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

class TiffLoadFast : public ::testing::Test {
  protected:
    void SetUp() override { headless::Start(); }

    // width x height pixels of `channels` 8-bit samples, rowsPerStrip rows a strip.
    static TiffLayout Picture(int width, int height, int channels, int rowsPerStrip,
                              bool bigEndian) {
        TiffLayout layout;
        layout.bigEndian = bigEndian;
        layout.width = static_cast<uint32_t>(width);
        layout.height = static_cast<uint32_t>(height);
        layout.bits.assign(static_cast<size_t>(channels), 8);
        layout.extraSamples = channels == 4;
        layout.photometric = 2;
        layout.rowsPerStrip = rowsPerStrip;
        for (int row = 0; row < height; row += rowsPerStrip) {
            const int count = std::min(rowsPerStrip, height - row);
            layout.strips.push_back(PatternRows(width, row, count, channels, 1, bigEndian));
        }
        return layout;
    }

    static std::string Write(const std::vector<uint8_t>& bytes) {
        std::string name = TestFile(".tif");
        WriteBytes(name, bytes);
        return name;
    }

    // The pixel at index i (RGB bytes and alpha) is the pattern for the first
    // `patterned` pixels and zero after them.
    static void ExpectPatternThenBlack(const Image& image, int channels, int64_t patterned) {
        for (int64_t i = 0; i < int64_t(image.width) * image.height; ++i) {
            const int x = static_cast<int>(i % image.width);
            const int y = static_cast<int>(i / image.width);
            for (int c = 0; c < 3; ++c) {
                const uint8_t want = i < patterned ? Pattern(x, y, c) : 0;
                ASSERT_EQ(image.pixels[i * 3 + c], want) << "pixel " << i << " channel " << c;
            }
            const uint8_t alpha = channels == 4 && i < patterned ? Pattern(x, y, 3) : 0;
            ASSERT_EQ(image.alpha[i], alpha) << "alpha " << i;
        }
    }
};

// Small files come whole into memory; files above 256 KiB by their ends, with the
// strips between read from the stream. Both byte orders, one strip or many.
TEST_F(TiffLoadFast, SmallAndLargeFilesGiveThePattern) {
    struct Case {
        int width, height, channels, rowsPerStrip;
    };
    const Case cases[] = {{37, 11, 3, 11},    {37, 11, 4, 3},   {500, 300, 3, 300},
                          {500, 300, 4, 300}, {500, 300, 4, 7}, {301, 257, 3, 16}};
    Tiff tiff; // one reader for all: its kept buffer must not leak between files
    for (const Case& c : cases) {
        for (bool bigEndian : {false, true}) {
            const std::string name = Write(
                BuildTiff(Picture(c.width, c.height, c.channels, c.rowsPerStrip, bigEndian)).bytes);
            Image image;
            tiff.LoadTiff(name.c_str(), image);
            ASSERT_EQ(image.width, c.width);
            SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " channels " +
                         std::to_string(c.channels) + (bigEndian ? " big" : " little"));
            ExpectPatternThenBlack(image, c.channels, int64_t(c.width) * c.height);
        }
    }
}

// A strip that runs past the end of the file: the bytes there are read, the pixel they
// end in is completed with zeros, and the rest of the picture is black and transparent,
// even in an image whose planes held another picture just before.
TEST_F(TiffLoadFast, AStripCutByTheEndIsBlackAfterItsLastByte) {
    for (int channels : {3, 4}) {
        for (int height : {10, 400}) { // a file read whole, and one read by its ends
            for (size_t readable : {size_t(1001), size_t(1002), size_t(1003), size_t(1004)}) {
                SCOPED_TRACE(std::to_string(channels) + " channels, height " +
                             std::to_string(height) + ", " + std::to_string(readable) + " bytes");
                const int width = 200;
                BuiltTiff built = BuildTiff(Picture(width, height, channels, height, false));
                Tiff tiff;
                Image image;
                tiff.LoadTiff(Write(built.bytes).c_str(), image);
                ExpectPatternThenBlack(image, channels, int64_t(width) * height);

                // The strip now starts `readable` bytes before the end of the file.
                const size_t offset = built.bytes.size() - readable;
                const size_t entry = built.ifdOffset + 2;
                size_t at = entry;
                while ((built.bytes[at] | built.bytes[at + 1] << 8) != 273) {
                    at += 12;
                }
                PutLong(built.bytes, at + 8, static_cast<uint32_t>(offset), false);
                tiff.LoadTiff(Write(built.bytes).c_str(), image);
                ASSERT_EQ(tiff.done, 1);
                ASSERT_EQ(image.width, width);
                for (int64_t i = 0; i < int64_t(width) * height; ++i) {
                    for (int c = 0; c < channels; ++c) {
                        const size_t from = offset + size_t(i) * channels + c;
                        const uint8_t want = from < built.bytes.size() ? built.bytes[from] : 0;
                        const uint8_t got = c < 3 ? image.pixels[i * 3 + c] : image.alpha[i];
                        ASSERT_EQ(got, want) << "pixel " << i << " sample " << c;
                    }
                    if (channels == 3) {
                        ASSERT_EQ(image.alpha[i], 0) << "alpha " << i;
                    }
                }
            }
        }
    }
}

} // namespace
