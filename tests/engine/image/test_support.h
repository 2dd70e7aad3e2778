// Support for the imaging tests: TIF files built byte by byte in either byte order
// (including files no sane writer would make), test patterns and per-test file names.
#ifndef TOLVO_TESTS_IMAGE_TEST_SUPPORT_H
#define TOLVO_TESTS_IMAGE_TEST_SUPPORT_H

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <unistd.h>
#include <string>
#include <vector>

struct TiffEntry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t value; // a SHORT of count 1 goes into the first two value bytes
};

// A picture description; BuildTiff lays it out as header, strips, arrays, directory.
struct TiffLayout {
    bool bigEndian = false;
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint16_t> bits;               // BitsPerSample: one value inline, more as an array
    int photometric = -1;                     // -1: no entry
    bool extraSamples = false;                // ExtraSamples entry (value 2, unassociated alpha)
    int compression = 1;                      // -1: no entry
    int64_t rowsPerStrip = -1;                // -1: no entry
    std::vector<std::vector<uint8_t>> strips; // strip data in file order of the strips
    bool stripsReversed = false;              // store the strips' bytes last one first
    uint32_t nextIfd = 0;
    std::vector<TiffEntry> extra; // more entries, sorted in with the rest
};

struct BuiltTiff {
    std::vector<uint8_t> bytes;
    uint32_t ifdOffset = 0;
    uint32_t bitsOffset = 0;       // of the BitsPerSample array, if any
    uint32_t stripArrayOffset = 0; // of the StripOffsets array, if any
    std::vector<uint32_t> stripOffsets;
};

BuiltTiff BuildTiff(const TiffLayout& layout);

// Sample value of `bytes` bytes in the file's byte order.
void AppendSample(std::vector<uint8_t>& out, uint32_t value, int bytes, bool bigEndian);
void PutShort(std::vector<uint8_t>& out, size_t at, uint16_t v, bool bigEndian);
void PutLong(std::vector<uint8_t>& out, size_t at, uint32_t v, bool bigEndian);

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

// A file name in the working directory unique to the running test (tests run in
// parallel processes).
std::string TestFile(const std::string& suffix);

// Test pattern: distinct, irregular values per pixel and channel.
uint8_t Pattern(int x, int y, int channel);
// Rows firstRow .. firstRow + count - 1 of a width-pixel picture, `channels` samples of
// `bytes` bytes each; the pattern is the top byte, lower bytes hold filler that a reader
// taking the wrong byte would show.
std::vector<uint8_t> PatternRows(int width, int firstRow, int count, int channels, int bytes,
                                 bool bigEndian);

// The reader's and writer's fatal paths print on standard output and exit with -1.
// Runs statement in a child whose standard output goes to its standard error, where
// the death test looks for the message.
#define EXPECT_FATAL(statement, message)                                                           \
    EXPECT_EXIT(                                                                                   \
        {                                                                                          \
            dup2(2, 1);                                                                            \
            statement;                                                                             \
        },                                                                                         \
        ::testing::ExitedWithCode(255), ::testing::HasSubstr(message))

#endif
