// The reader on malformed and oversized files: it never reads or writes outside its
// buffers, never hangs, and treats impossible sizes as a corrupted file.
#include "engine/image/image.h"
#include "engine/image/tiff.h"
#include "engine/platform/hosts/headless/headless.h"
#include "tests/engine/image/test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using ::testing::HasSubstr;

namespace {

const char* const CORRUPTED = "Load:Tiff: File is corrupted, or is not a .TIFF file.\n";

class TiffBadInput : public ::testing::Test {
  protected:
    void SetUp() override { headless::Start(); }

    static TiffLayout Rgb(uint32_t width, uint32_t height) {
        TiffLayout layout;
        layout.width = width;
        layout.height = height;
        layout.bits = {8, 8, 8};
        layout.photometric = 2;
        layout.rowsPerStrip = height;
        layout.strips = {
            PatternRows(static_cast<int>(width), 0, static_cast<int>(height), 3, 1, false)};
        return layout;
    }

    // Offset of the value field of the directory entry with this tag.
    static size_t ValueAt(const BuiltTiff& built, uint16_t tag) {
        const std::vector<uint8_t>& b = built.bytes;
        size_t count = b[built.ifdOffset] | b[built.ifdOffset + 1] << 8;
        for (size_t i = 0; i < count; ++i) {
            size_t at = built.ifdOffset + 2 + 12 * i;
            if ((b[at] | b[at + 1] << 8) == tag) {
                return at + 8;
            }
        }
        ADD_FAILURE() << "no entry " << tag;
        return 0;
    }

    void Load(const std::vector<uint8_t>& bytes, Tiff& tiff, Image& image) {
        std::string name = TestFile(".tif");
        WriteBytes(name, bytes);
        tiff.LoadTiff(name.c_str(), image);
    }

    static bool AllPattern(const Image& image, int channels) {
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const uint8_t* p = image.pixels + (static_cast<size_t>(y) * image.width + x) * 3;
                for (int c = 0; c < 3; ++c) {
                    if (p[c] != Pattern(x, y, c)) {
                        ADD_FAILURE() << "pixel " << x << "," << y << " channel " << c;
                        return false;
                    }
                }
                if (channels == 4 && image.alpha[y * image.width + x] != Pattern(x, y, 3)) {
                    ADD_FAILURE() << "alpha " << x << "," << y;
                    return false;
                }
            }
        }
        return true;
    }

    static bool AllZero(const Image& image) {
        for (size_t i = 0; i < static_cast<size_t>(image.width) * image.height * 3; ++i) {
            if (image.pixels[i] != 0) {
                return false;
            }
        }
        return true;
    }
};

// --- Rows longer than the old 10000-byte row buffers ------------------------------

TEST_F(TiffBadInput, WideRowsDecodeCompletely) {
    struct Case {
        uint32_t width;
        int channels;
        int bytes;
    };
    for (Case c : {Case{4000, 3, 1}, Case{2600, 4, 1}, Case{700, 4, 4}}) {
        TiffLayout layout = Rgb(c.width, 3);
        layout.bits.assign(c.channels, static_cast<uint16_t>(8 * c.bytes));
        layout.extraSamples = c.channels == 4;
        layout.strips = {PatternRows(static_cast<int>(c.width), 0, 3, c.channels, c.bytes, false)};
        Tiff tiff;
        Image image;
        Load(BuildTiff(layout).bytes, tiff, image);
        EXPECT_GT(tiff.bytesPerRow, 10000);
        EXPECT_TRUE(AllPattern(image, c.channels)) << c.width << " pixels wide";
    }
}

TEST_F(TiffBadInput, WideBilevelRowsDecodeCompletely) {
    const uint32_t width = 12004; // 1501 bytes a row, the last one half used
    TiffLayout layout;
    layout.width = width;
    layout.height = 2;
    layout.bits = {1};
    layout.photometric = 1;
    layout.rowsPerStrip = 2;
    std::vector<uint8_t> rows;
    for (int y = 0; y < 2; ++y) {
        for (uint32_t i = 0; i < (width + 7) / 8; ++i) {
            rows.push_back(static_cast<uint8_t>(i * 13 + y * 101));
        }
    }
    layout.strips = {rows};
    Tiff tiff;
    Image image;
    Load(BuildTiff(layout).bytes, tiff, image);
    for (int y = 0; y < 2; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t byte = static_cast<uint8_t>((x / 8) * 13 + y * 101);
            uint8_t v = (byte >> (7 - x % 8)) & 1 ? 255 : 0;
            ASSERT_EQ(image.pixels[(y * width + x) * 3 + 1], v) << x << "," << y;
        }
    }
}

// --- Impossible sizes ---------------------------------------------------------------

TEST_F(TiffBadInput, ZeroOrHugeSizesAreACorruptedFile) {
    const std::pair<uint32_t, uint32_t> sizes[] = {
        {0, 4}, {4, 0}, {16385, 1}, {1, 16385}, {0x80000000u, 1}, {0xFFFFFFFFu, 0xFFFFu}};
    for (auto [width, height] : sizes) {
        TiffLayout layout = Rgb(1, 1);
        layout.width = 0;
        layout.height = 0;
        layout.extra = {{256, 4, 1, width}, {257, 4, 1, height}};
        Tiff tiff;
        Image image;
        std::string name = TestFile(std::to_string(width) + "x" + std::to_string(height) + ".tif");
        WriteBytes(name, BuildTiff(layout).bytes);
        EXPECT_FATAL(tiff.LoadTiff(name.c_str(), image), CORRUPTED) << width << "x" << height;
    }
}

TEST_F(TiffBadInput, TheLargestSideIsAccepted) {
    TiffLayout layout = Rgb(16384, 1);
    Tiff tiff;
    Image image;
    Load(BuildTiff(layout).bytes, tiff, image);
    EXPECT_EQ(image.width, 16384);
    EXPECT_TRUE(AllPattern(image, 3));
}

// --- What a file may make the reader allocate ---------------------------------------

// A picture's planes take 4 bytes a pixel; a file that declares far more pixels than it
// holds is refused before anything is allocated, while big pictures that are there, or
// only a little short, still load (their missing rows black).
TEST_F(TiffBadInput, DeclaredPixelsMustBeBackedByTheFile) {
    struct Case {
        const char* what;
        uint32_t side;
        uint16_t bits; // one 8-bit grey sample, or 8-bit RGB
        double stored; // share of the pixel data the file really holds
        bool loads;
    };
    const Case cases[] = {
        {"the largest side in a tiny file", 16384, 24, 0.0, false},
        {"4100 x 4100 grey in a tiny file", 4100, 8, 0.0, false},
        {"4096 x 4096 in a tiny file: within the allowance", 4096, 24, 0.0, true},
        {"4100 x 4100 grey, whole", 4100, 8, 1.0, true},
        {"4100 x 4100 grey, a tenth short", 4100, 8, 0.9, true},
    };
    for (const Case& c : cases) {
        TiffLayout layout;
        layout.width = c.side;
        layout.height = c.side;
        layout.bits = c.bits == 24 ? std::vector<uint16_t>{8, 8, 8} : std::vector<uint16_t>{8};
        layout.photometric = c.bits == 24 ? 2 : 1;
        layout.rowsPerStrip = c.side;
        const size_t full = static_cast<size_t>(c.side) * c.side * (c.bits / 8);
        layout.strips = {std::vector<uint8_t>(static_cast<size_t>(full * c.stored), 0x5A)};
        BuiltTiff built = BuildTiff(layout);
        if (c.stored == 0.0) {
            PutLong(built.bytes, ValueAt(built, 273), 0x7FFFFFF0u, false); // strip past the end
        }
        std::string name = TestFile(".tif");
        WriteBytes(name, built.bytes);
        Tiff tiff;
        Image image;
        if (!c.loads) {
            EXPECT_FATAL(tiff.LoadTiff(name.c_str(), image), CORRUPTED) << c.what;
            continue;
        }
        tiff.LoadTiff(name.c_str(), image);
        ASSERT_EQ(image.width, static_cast<int>(c.side)) << c.what;
        const size_t last = (static_cast<size_t>(c.side) * c.side - 1) * 3;
        EXPECT_EQ(image.pixels[0], c.stored > 0 ? 0x5A : 0) << c.what;
        EXPECT_EQ(image.pixels[last], c.stored == 1.0 ? 0x5A : 0) << c.what;
    }
}

// --- RowsPerStrip ----------------------------------------------------------------------

TEST_F(TiffBadInput, MissingZeroOrAllOnesRowsPerStripReadOneStrip) {
    for (int64_t rows : {int64_t{-1}, int64_t{0}, int64_t{0xFFFFFFFF}}) {
        TiffLayout layout = Rgb(5, 4);
        layout.rowsPerStrip = rows;
        Tiff tiff;
        Image image;
        Load(BuildTiff(layout).bytes, tiff, image);
        EXPECT_EQ(tiff.strips, 1) << rows;
        EXPECT_TRUE(AllPattern(image, 3)) << rows;
    }
}

TEST_F(TiffBadInput, AMissingRowsPerStripIsNotTakenFromTheLastFile) {
    TiffLayout striped = Rgb(4, 4);
    striped.rowsPerStrip = 1;
    striped.strips = {PatternRows(4, 0, 1, 3, 1, false), PatternRows(4, 1, 1, 3, 1, false),
                      PatternRows(4, 2, 1, 3, 1, false), PatternRows(4, 3, 1, 3, 1, false)};
    TiffLayout plain = Rgb(4, 4);
    plain.rowsPerStrip = -1;
    std::string a = TestFile("a.tif");
    std::string b = TestFile("b.tif");
    WriteBytes(a, BuildTiff(striped).bytes);
    WriteBytes(b, BuildTiff(plain).bytes);
    Tiff tiff;
    Image image;
    tiff.LoadTiff(a.c_str(), image);
    EXPECT_EQ(tiff.strips, 4);
    tiff.LoadTiff(b.c_str(), image);
    EXPECT_TRUE(AllPattern(image, 3));
}

// --- Offsets past the end of the file: zeros, and the load ends normally ----------

TEST_F(TiffBadInput, AStripPastTheEndComesOutBlack) {
    BuiltTiff built = BuildTiff(Rgb(3, 2));
    PutLong(built.bytes, ValueAt(built, 273), 0xFFFFFFF0u, false);
    Tiff tiff;
    Image image;
    Load(built.bytes, tiff, image);
    EXPECT_EQ(tiff.done, 1);
    EXPECT_EQ(image.width, 3);
    EXPECT_TRUE(AllZero(image));
}

TEST_F(TiffBadInput, AStripOffsetArrayPastTheEndComesOutBlack) {
    TiffLayout layout = Rgb(3, 2);
    layout.rowsPerStrip = 1;
    layout.strips = {PatternRows(3, 0, 1, 3, 1, false), PatternRows(3, 1, 1, 3, 1, false)};
    BuiltTiff built = BuildTiff(layout);
    PutLong(built.bytes, ValueAt(built, 273), static_cast<uint32_t>(built.bytes.size() + 100),
            false);
    Tiff tiff;
    Image image;
    Load(built.bytes, tiff, image);
    EXPECT_EQ(tiff.done, 1);
    EXPECT_TRUE(AllZero(image));
}

TEST_F(TiffBadInput, ABitsPerSampleArrayPastTheEndDecodesNothing) {
    BuiltTiff built = BuildTiff(Rgb(3, 2));
    PutLong(built.bytes, ValueAt(built, 258), 0x7FFFFFFFu, false);
    Tiff tiff;
    Image image;
    Load(built.bytes, tiff, image);
    EXPECT_EQ(tiff.done, 1);
    EXPECT_EQ(tiff.redBits, 0);
    EXPECT_TRUE(AllZero(image));
}

TEST_F(TiffBadInput, RowsCutShortByTheEndReadTheMissingBytesAsZero) {
    BuiltTiff built = BuildTiff(Rgb(4, 3));
    // Point the strip at the last 5 bytes of the file (the next-directory field and one
    // byte before it), so the first row is cut short.
    const uint32_t at = static_cast<uint32_t>(built.bytes.size() - 5);
    PutLong(built.bytes, ValueAt(built, 273), at, false);
    const std::vector<uint8_t> tail(built.bytes.end() - 5, built.bytes.end());
    Tiff tiff;
    Image image;
    Load(built.bytes, tiff, image);
    EXPECT_EQ(tiff.done, 1);
    for (int i = 0; i < 4 * 3 * 3; ++i) {
        ASSERT_EQ(image.pixels[i], i < 5 ? tail[i] : 0) << i;
    }
}

TEST_F(TiffBadInput, AnEntryCountPastTheEndStopsAtTheEnd) {
    BuiltTiff built = BuildTiff(Rgb(3, 2));
    PutShort(built.bytes, built.ifdOffset, 0xFFFF, false);
    Tiff tiff;
    Image image;
    Load(built.bytes, tiff, image);
    EXPECT_EQ(tiff.done, 1);
    EXPECT_TRUE(AllPattern(image, 3));
}

TEST_F(TiffBadInput, ADirectoryCutShortKeepsTheEntriesThatAreThere) {
    TiffLayout layout = Rgb(3, 2);
    layout.extra = {{400, 4, 1, 1}, {401, 4, 1, 2}, {402, 4, 1, 3}};
    BuiltTiff built = BuildTiff(layout);
    built.bytes.resize(built.bytes.size() - 4 - 12 - 6); // half of entry 401 is left
    Tiff tiff;
    Image image;
    Load(built.bytes, tiff, image);
    EXPECT_EQ(tiff.done, 1);
    EXPECT_TRUE(AllPattern(image, 3));
}

TEST_F(TiffBadInput, ADirectoryWhollyPastTheEndHasNoSizeSoTheFileIsCorrupted) {
    BuiltTiff built = BuildTiff(Rgb(3, 2));
    PutLong(built.bytes, 4, 0x10000000u, false);
    std::string name = TestFile(".tif");
    WriteBytes(name, built.bytes);
    Tiff tiff;
    Image image;
    EXPECT_FATAL(tiff.LoadTiff(name.c_str(), image), CORRUPTED);
}

// --- Depths that disagree with each other ----------------------------------------------

TEST_F(TiffBadInput, SampleDepthsThatDisagreeStayInsideTheRow) {
    // Red 16 but green and blue 1: a row is 18 bits a pixel in the file, while the
    // conversion wants 6 bytes a pixel. And huge green and blue depths: rows far larger
    // than the file, read without a row buffer of that size.
    for (std::vector<uint16_t> bits :
         {std::vector<uint16_t>{16, 1, 1}, std::vector<uint16_t>{8, 65535, 65535, 65535}}) {
        TiffLayout layout = Rgb(50, 40);
        layout.bits = bits;
        layout.extraSamples = bits.size() == 4;
        Tiff tiff;
        Image image;
        Load(BuildTiff(layout).bytes, tiff, image);
        EXPECT_EQ(tiff.done, 1);
        EXPECT_EQ(image.width, 50);
    }
}

// --- Any damage: no fault, no hang --------------------------------------------------------

// Runs one load in a child process: it must end by itself (a normal return or the
// reader's exit code -1), never by a sanitizer report, a signal or a hang.
int LoadInChild(const std::string& name) {
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
        (void)quiet;
        alarm(20);
        Tiff tiff;
        Image image;
        tiff.LoadTiff(name.c_str(), image);
        tiff.LoadTiff(name.c_str(), image); // the kept fields meet the same file again
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

TEST_F(TiffBadInput, DamagedFilesNeverFaultOrHang) {
    std::vector<std::vector<uint8_t>> seeds;
    TiffLayout rgba = Rgb(9, 7);
    rgba.bits = {8, 8, 8, 8};
    rgba.extraSamples = true;
    rgba.rowsPerStrip = 3;
    rgba.strips = {PatternRows(9, 0, 3, 4, 1, true), PatternRows(9, 3, 3, 4, 1, true),
                   PatternRows(9, 6, 1, 4, 1, true)};
    rgba.bigEndian = true;
    seeds.push_back(BuildTiff(rgba).bytes);
    TiffLayout bilevel;
    bilevel.width = 13;
    bilevel.height = 3;
    bilevel.bits = {1};
    bilevel.photometric = 0;
    bilevel.rowsPerStrip = 3;
    bilevel.strips = {std::vector<uint8_t>(6, 0x5A)};
    seeds.push_back(BuildTiff(bilevel).bytes);

    uint32_t state = 12345;
    auto next = [&state]() {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    std::string name = TestFile(".tif");
    int runs = 0;
    int completed = 0; // loads that ran to their end rather than to a fatal message
    for (const std::vector<uint8_t>& seed : seeds) {
        for (int i = 0; i < 150; ++i) {
            std::vector<uint8_t> bytes = seed;
            int changes = 1 + static_cast<int>(next() % 4);
            for (int k = 0; k < changes; ++k) {
                size_t at = next() % bytes.size();
                uint32_t pick = next() % 4;
                bytes[at] = pick == 0 ? 0 : pick == 1 ? 0xFF : static_cast<uint8_t>(next());
            }
            if (next() % 8 == 0) {
                bytes.resize(next() % bytes.size());
            }
            WriteBytes(name, bytes);
            int status = LoadInChild(name);
            ASSERT_TRUE(WIFEXITED(status) &&
                        (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 255))
                << "mutation " << i << " ended with status " << status;
            ++runs;
            completed += WEXITSTATUS(status) == 0;
        }
    }
    EXPECT_EQ(runs, 300);
    EXPECT_GT(completed, 100);
}

} // namespace
