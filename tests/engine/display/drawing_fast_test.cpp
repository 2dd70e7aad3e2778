// The vector forms of the row loops against the portable ones, and the image
// operations against a pixel-by-pixel reference, for both 16-bit layouts, every way an
// image can meet the clip rectangle, and odd widths.
#include "display_test_support.h"

#include "engine/display/draw_rows.h"
#include "engine/image/pixel_format.h"

#include <new>

namespace {

struct Layout {
    const char* name;
    DrawMasks masks;
};

const Layout LAYOUTS[] = {{"565", {0xF800, 0x07E0, 0x001F}}, {"555", {0x7C00, 0x03E0, 0x001F}}};

uint32_t Next(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// Mostly noise, with the values the loops treat specially mixed in: source 0 (the key),
// alpha 255 (keep) and 0 (replace), and saturating fields.
uint16_t Pixel(uint32_t& state) {
    uint32_t pick = Next(state) % 8;
    return pick == 0 ? 0 : pick == 1 ? 0xFFFF : uint16_t(Next(state));
}

uint8_t Alpha(uint32_t& state) {
    uint32_t pick = Next(state) % 6;
    return pick == 0 ? 255 : pick == 1 ? 0 : uint8_t(Next(state));
}

TEST(DrawRowsFast, EveryRowLoopMatchesThePortableOneForWidthsOneToSeventeen) {
    for (const Layout& layout : LAYOUTS) {
        uint32_t state = 11;
        for (int width = 1; width <= 17; ++width) {
            for (int trial = 0; trial < 20; ++trial) {
                std::vector<uint16_t> source(width), destination(width);
                std::vector<uint8_t> alpha(width);
                for (int i = 0; i < width; ++i) {
                    source[i] = Pixel(state);
                    destination[i] = Pixel(state);
                    alpha[i] = Alpha(state);
                }
                auto fast = destination, portable = destination;
                DRAW_ROWS_FAST.keyed(fast.data(), source.data(), width);
                DRAW_ROWS_PORTABLE.keyed(portable.data(), source.data(), width);
                ASSERT_EQ(fast, portable) << "keyed " << layout.name << " width " << width;
                fast = portable = destination;
                DRAW_ROWS_FAST.alpha(fast.data(), source.data(), alpha.data(), width, layout.masks);
                DRAW_ROWS_PORTABLE.alpha(portable.data(), source.data(), alpha.data(), width,
                                         layout.masks);
                ASSERT_EQ(fast, portable) << "alpha " << layout.name << " width " << width;
                fast = portable = destination;
                DRAW_ROWS_FAST.additive(fast.data(), source.data(), alpha.data(), width,
                                        layout.masks);
                DRAW_ROWS_PORTABLE.additive(portable.data(), source.data(), alpha.data(), width,
                                            layout.masks);
                ASSERT_EQ(fast, portable) << "additive " << layout.name << " width " << width;
            }
        }
    }
}

TEST(DrawRowsFast, EveryFormOfKeyedRunsMatchesThePixelTestForEveryRunLengthAndCut) {
    std::vector<std::pair<const char*, const DrawRows*>> forms = {{"portable", &DRAW_ROWS_PORTABLE},
                                                                  {"fast", &DRAW_ROWS_FAST}};
#if defined(__SSE2__)
    forms.push_back({"sse2", &DRAW_ROWS_SSE2});
#endif
    uint32_t state = 3;
    for (int length = 1; length <= 70; ++length) {
        // A run of `length` from column 2, a key, then a run to the end of the row.
        std::vector<uint16_t> row(length + 20);
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = i < 2 || int(i) == length + 2 ? 0 : uint16_t(Next(state) | 1);
        // Eight such rows, so that the runs are worth keeping; the fourth is drawn.
        const int width = int(row.size());
        std::vector<uint16_t> picture;
        for (int k = 0; k < 8; ++k)
            picture.insert(picture.end(), row.begin(), row.end());
        KeyedRuns runs;
        ASSERT_TRUE(runs.Make(picture.data(), width, 8, 0));
        for (auto cut : {std::make_pair(0, width), {3, width - 3}, {1, length}, {length, 5}})
            for (const auto& form : forms) {
                std::vector<uint16_t> drawn(width, 0x5555), expected(width, 0x5555);
                form.second->keyedRuns(drawn.data(), width, runs, 3, 1, cut.first, cut.second);
                DRAW_ROWS_PORTABLE.keyed(expected.data(), row.data() + cut.first, cut.second);
                ASSERT_EQ(drawn, expected) << form.first << " length " << length << " cut "
                                           << cut.first << "+" << cut.second;
            }
    }
}

TEST(DrawRowsFast, BlendFieldsSaturateAndScaleAsWritten) {
    const DrawMasks m565 = LAYOUTS[0].masks;
    // Red 20 + 20 saturates at 31; the sum of two red fields passes 16 bits.
    uint16_t destination[9] = {20 << 11, 0xF800, 0x001F, 0, 0, 0, 0, 0, 0};
    uint16_t source[9] = {20 << 11, 0xF800, 0x0001, 0, 0, 0, 0, 0, 0};
    uint8_t alpha[9] = {};
    DRAW_ROWS_FAST.additive(destination, source, alpha, 9, m565);
    EXPECT_EQ(destination[0], 0xF800);
    EXPECT_EQ(destination[1], 0xF800);
    EXPECT_EQ(destination[2], 0x001F);
    // Alpha 128 keeps 15 of a blue field of 31; alpha 0 leaves only the source.
    uint16_t blended[9] = {0x001F, 0xFFFF, 0, 0, 0, 0, 0, 0, 0x001F};
    uint16_t add[9] = {0, 0x1234, 0, 0, 0, 0, 0, 0, 0};
    uint8_t weights[9] = {128, 0, 255, 255, 255, 255, 255, 255, 128};
    DRAW_ROWS_FAST.alpha(blended, add, weights, 9, m565);
    EXPECT_EQ(blended[0], 15);
    EXPECT_EQ(blended[1], 0x1234);
    EXPECT_EQ(blended[8], 15); // the same pixel in the portable tail
}

// The image operations on a padded back buffer, against a reference that visits every
// image pixel and keeps those inside the clip rectangle.
class DrawingFastTest : public ::testing::TestWithParam<int> {
  protected:
    static const int ROW_PIXELS = 40, ROWS = 24;
    static const int CLIP_LEFT = 3, CLIP_TOP = 2, CLIP_RIGHT = 30, CLIP_BOTTOM = 19;

    void SetUp() override {
        layout = LAYOUTS[GetParam()];
        SetPixelFormat(layout.masks.red, layout.masks.green, layout.masks.blue);
        Tolvo.~WindowsDX();
        new (&Tolvo) WindowsDX();
        buffer.assign(ROW_PIXELS * ROWS, 0);
        Tolvo.pixels = buffer.data();
        Tolvo.width = ROW_PIXELS;
        Tolvo.height = ROWS;
        Tolvo.pitch = ROW_PIXELS * 2;
        for (int row = 0; row < ROWS; ++row)
            Tolvo.rowOffsets[row] = row * Tolvo.pitch;
        Tolvo.SetClipRect(CLIP_LEFT, CLIP_TOP, CLIP_RIGHT, CLIP_BOTTOM);
        Tolvo.locked = true;
    }
    void TearDown() override {
        Tolvo.~WindowsDX();
        new (&Tolvo) WindowsDX();
        SetPixelFormat(0xF800, 0x07E0, 0x001F);
    }

    void Backdrop(uint32_t seed) {
        for (auto& p : buffer)
            p = Pixel(seed);
    }

    // kind 0 keyed, 1 alpha, 2 additive.
    std::vector<uint16_t> Reference(int kind, int x, int y, const Image& image) const {
        std::vector<uint16_t> out = buffer;
        const uint16_t* source = reinterpret_cast<const uint16_t*>(image.pixels);
        for (int j = 0; j < image.height; ++j)
            for (int i = 0; i < image.width; ++i) {
                int column = x + i, row = y + j;
                if (column < CLIP_LEFT || column > CLIP_RIGHT || row < CLIP_TOP ||
                    row > CLIP_BOTTOM)
                    continue;
                uint16_t s = source[j * image.width + i];
                uint8_t a = image.alpha ? image.alpha[j * image.width + i] : 0;
                uint16_t& d = out[row * ROW_PIXELS + column];
                if (kind == 0 && s != 0)
                    d = s;
                uint16_t row1[1] = {d}, src1[1] = {s};
                uint8_t a1[1] = {a};
                if (kind == 1)
                    DRAW_ROWS_PORTABLE.alpha(row1, src1, a1, 1, layout.masks);
                if (kind == 2)
                    DRAW_ROWS_PORTABLE.additive(row1, src1, a1, 1, layout.masks);
                d = row1[0];
            }
        return out;
    }

    Layout layout;
    std::vector<uint16_t> buffer;
};

// Pictures the keyed draw meets: noise with scattered keys; a disc with a split down
// its middle, keyed around it (two runs a row: drawn from runs from width 16 on); a
// checkerboard of keys (never worth runs).
struct Pattern {
    const char* name;
    uint16_t (*pixel)(int x, int y, int width, int height, uint32_t& state);
    int runsFrom; // runs kept from this width on; 0 never; -1 not checked
};

const Pattern PATTERNS[] = {
    {"noise", [](int, int, int, int, uint32_t& state) { return Pixel(state); }, -1},
    {"split disc",
     [](int x, int y, int width, int height, uint32_t& state) {
         double dx = (2 * x + 1 - width) / double(width),
                dy = (2 * y + 1 - height) / double(height);
         bool key = dx * dx + dy * dy > 1 || x == width / 2;
         return key ? uint16_t(0) : uint16_t(Pixel(state) | 1);
     },
     16},
    {"checkerboard",
     [](int x, int y, int, int, uint32_t& state) {
         return (x + y) % 2 ? uint16_t(Pixel(state) | 1) : uint16_t(0);
     },
     0},
};

TEST_P(DrawingFastTest, EveryClipCaseAndOddWidthMatchesThePixelByPixelReference) {
    uint32_t seed = 5;
    // Widths 1 to 17 and two whose runs pass 16 pixels; positions wholly outside,
    // across each edge, inside, and covering the clip rectangle on both sides.
    std::vector<int> widths = {24, 33};
    for (int width = 1; width <= 17; ++width)
        widths.push_back(width);
    const int xs[] = {-18, -17, -5, 0, 2, 3, 4, 10, 20, 29, 30, 31, 35};
    const int ys[] = {-4, 0, 1, 2, 3, 8, 17, 19, 20};
    for (const Pattern& pattern : PATTERNS)
        for (int width : widths) {
            Image image;
            int height = 1 + width % 5;
            image.Size(width, height, IMG_16BIT | IMG_ALPHA);
            uint16_t* pixels = reinterpret_cast<uint16_t*>(image.pixels);
            for (int i = 0; i < width * height; ++i) {
                pixels[i] = pattern.pixel(i % width, i / width, width, height, seed);
                image.alpha[i] = Alpha(seed);
            }
            const bool runs = image.Runs(0) != nullptr;
            if (pattern.runsFrom >= 0 && width >= pattern.runsFrom) {
                EXPECT_EQ(runs, pattern.runsFrom > 0) << pattern.name << " width " << width;
            }
            for (int x : xs)
                for (int y : ys)
                    for (int kind = 0; kind < 3; ++kind) {
                        Backdrop(uint32_t(x * 31 + y * 7 + kind));
                        std::vector<uint16_t> expected = Reference(kind, x, y, image);
                        if (kind == 0)
                            Tolvo.DrawKeyed(x, y, image);
                        else if (kind == 1)
                            Tolvo.DrawAlpha(x, y, image);
                        else
                            Tolvo.DrawAdditive(x, y, image);
                        ASSERT_EQ(buffer, expected)
                            << layout.name << " " << pattern.name << " kind " << kind << " width "
                            << width << " at " << x << "," << y;
                    }
        }
}

// Keys at every fifth pixel, `step` apart elsewhere.
Image& Paint(Image& image, uint16_t step) {
    uint16_t* pixels = reinterpret_cast<uint16_t*>(image.pixels);
    for (int i = 0; i < image.width * image.height; ++i)
        pixels[i] = i % 5 == 0 ? 0 : uint16_t(i * step + 1);
    return image;
}

// Whatever writes a picture's pixels after a keyed draw shows in the next one.
const struct Change {
    const char* name;
    void (*apply)(Image& image);
} CHANGES[] = {
    {"written, then told",
     [](Image& image) {
         Paint(image, 3);
         image.PixelsChanged();
     }},
    {"sized anew",
     [](Image& image) {
         image.Size(21, 8, IMG_16BIT);
         Paint(image, 5);
     }},
    {"premultiplied", [](Image& image) { image.Premultiply(); }},
    {"keyed by its alpha", [](Image& image) { image.MakeColorKey(); }},
    {"rotated into",
     [](Image& image) {
         Image source(8, 24, IMG_16BIT);
         Paint(source, 9).RotatePixels(image, 90, 1);
     }},
    {"moved into",
     [](Image& image) {
         Image other(24, 8, IMG_16BIT);
         image = std::move(Paint(other, 11));
     }},
};

TEST_P(DrawingFastTest, KeyedDrawsAfterAChangeShowThePicturesNewPixels) {
    for (const Change& change : CHANGES) {
        uint32_t seed = 9;
        Image image(24, 8, IMG_16BIT | IMG_ALPHA);
        uint16_t* pixels = reinterpret_cast<uint16_t*>(image.pixels);
        for (int i = 0; i < 24 * 8; ++i) {
            pixels[i] = PATTERNS[1].pixel(i % 24, i / 24, 24, 8, seed);
            image.alpha[i] = uint8_t(i % 3 == 0 ? 0 : 200);
        }
        for (int draw = 0; draw < 2; ++draw) {
            Backdrop(17);
            std::vector<uint16_t> expected = Reference(0, 4, 3, image);
            Tolvo.DrawKeyed(4, 3, image);
            ASSERT_EQ(buffer, expected) << change.name << " draw " << draw;
            change.apply(image);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, DrawingFastTest, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(LAYOUTS[info.param].name);
                         });

} // namespace
