// Text output into a surface through its device context, checked pixel by pixel.
#include "engine/platform/hosts/headless/headless.h"
#include "engine/platform/subset/test_controls/test_controls.h"
#include "engine/platform/platform.h"
#include "engine/platform/subset/test_controls/capture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const uint16_t PAPER = 0x001F; // blue
const uint16_t RED = 0xF800;
const int W = 40, H = 24;

class TextOutput : public ::testing::Test {
  protected:
    LPDIRECTDRAW directDraw = nullptr;
    LPDIRECTDRAWSURFACE surface = nullptr;

    void SetUp() override {
        headless::Start();
        ASSERT_EQ(DirectDrawCreate(nullptr, &directDraw, nullptr), DD_OK);
        ASSERT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
        DDSURFACEDESC description = {};
        description.dwSize = sizeof description;
        description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        description.dwWidth = W;
        description.dwHeight = H;
        description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        ASSERT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DD_OK);
        Paint(PAPER);
    }

    void TearDown() override {
        surface->Release();
        directDraw->Release();
    }

    std::vector<uint16_t> Pixels() {
        DDSURFACEDESC description = {};
        description.dwSize = sizeof description;
        std::vector<uint16_t> out;
        EXPECT_EQ(surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DD_OK);
        for (int y = 0; y < H; y++) {
            const uint16_t* row = reinterpret_cast<const uint16_t*>(
                static_cast<uint8_t*>(description.lpSurface) + y * description.lPitch);
            out.insert(out.end(), row, row + W);
        }
        surface->Unlock(nullptr);
        return out;
    }

    void Paint(uint16_t value) {
        DDSURFACEDESC description = {};
        description.dwSize = sizeof description;
        ASSERT_EQ(surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DD_OK);
        for (int y = 0; y < H; y++) {
            uint16_t* row = reinterpret_cast<uint16_t*>(
                static_cast<uint8_t*>(description.lpSurface) + y * description.lPitch);
            for (int x = 0; x < W; x++) {
                row[x] = value;
            }
        }
        surface->Unlock(nullptr);
    }

    bool Write(int x, int y, const char* text, int mode) {
        HDC dc = nullptr;
        EXPECT_EQ(surface->GetDC(&dc), DD_OK);
        SetBkMode(dc, mode);
        SetTextColor(dc, RGB(255, 0, 0));
        BOOL written = TextOutA(dc, x, y, text, static_cast<int>(std::string(text).size()));
        EXPECT_EQ(surface->ReleaseDC(dc), DD_OK);
        return written != FALSE;
    }

    // Compares with a picture; on a mismatch the picture is written out to look at.
    void ExpectPicture(const std::vector<uint16_t>& expected, const char* name) {
        std::vector<uint16_t> actual = Pixels();
        if (actual != expected) {
            std::string error;
            subset::WritePng(std::string(name) + "-actual.png", actual.data(), W, W, H,
                             subset::RGB565, &error);
            subset::WritePng(std::string(name) + "-expected.png", expected.data(), W, W, H,
                             subset::RGB565, &error);
            ADD_FAILURE() << name << ": pictures differ; see " << name << "-actual.png";
        }
    }
};

// 'T' drawn doubled: two rows of ten across the top, then a stem two pixels wide.
std::vector<uint16_t> ExpectedT(int left, int top, bool opaque) {
    std::vector<uint16_t> picture(W * H, PAPER);
    for (int y = 0; y < 16; y++) {
        for (int x = 0; x < 12; x++) {
            bool ink = (y < 2 && x < 10) || (y < 14 && (x == 4 || x == 5));
            int px = left + x, py = top + y;
            if (px < 0 || py < 0 || px >= W || py >= H) {
                continue;
            }
            if (ink) {
                picture[py * W + px] = RED;
            } else if (opaque) {
                picture[py * W + px] = 0xFFFF;
            }
        }
    }
    return picture;
}

TEST_F(TextOutput, TransparentTextLeavesTheBackground) {
    ASSERT_TRUE(Write(3, 4, "T", TRANSPARENT));
    ExpectPicture(ExpectedT(3, 4, false), "text-transparent");
}

TEST_F(TextOutput, OpaqueTextFillsItsCellWithTheBackgroundColour) {
    ASSERT_TRUE(Write(3, 4, "T", OPAQUE)); // the default mode of a new context
    ExpectPicture(ExpectedT(3, 4, true), "text-opaque");
}

TEST_F(TextOutput, TextIsClippedToTheSurface) {
    ASSERT_TRUE(Write(-2, -3, "T", TRANSPARENT));
    ExpectPicture(ExpectedT(-2, -3, false), "text-clipped-top-left");
    Paint(PAPER);
    ASSERT_TRUE(Write(W - 5, H - 6, "TTTT", TRANSPARENT));
    ExpectPicture(ExpectedT(W - 5, H - 6, false), "text-clipped-bottom-right");
}

TEST_F(TextOutput, CharactersAdvanceByTwelvePixels) {
    ASSERT_TRUE(Write(0, 0, "TT", TRANSPARENT));
    std::vector<uint16_t> pixels = Pixels();
    EXPECT_EQ(pixels[0 * W + 12], RED);
    EXPECT_EQ(pixels[0 * W + 21], RED);
    EXPECT_EQ(pixels[0 * W + 22], PAPER);
}

TEST_F(TextOutput, BadContextsAndLengthsDrawNothing) {
    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    EXPECT_EQ(surface->GetDC(&dc), DDERR_SURFACEBUSY);
    EXPECT_FALSE(TextOutA(dc, 0, 0, "T", -1));
    EXPECT_FALSE(TextOutA(dc, 0, 0, nullptr, 3));
    EXPECT_TRUE(TextOutA(dc, 0, 0, "", 0));
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(dc, 99), 0);
    ASSERT_EQ(surface->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(surface->ReleaseDC(dc), DDERR_NODC);
    EXPECT_FALSE(TextOutA(dc, 0, 0, "T", 1)); // released
    ExpectPicture(std::vector<uint16_t>(W * H, PAPER), "text-nothing");
}

TEST_F(TextOutput, EveryPrintableCharacterHasInkAndOthersABox) {
    for (int c = 33; c < 127; c++) {
        Paint(PAPER);
        char text[2] = {static_cast<char>(c), 0};
        ASSERT_TRUE(Write(0, 0, text, TRANSPARENT));
        std::vector<uint16_t> pixels = Pixels();
        int ink = 0;
        for (uint16_t p : pixels) {
            ink += p == RED;
        }
        EXPECT_GT(ink, 0) << "character " << c;
        EXPECT_EQ(ink % 4, 0) << "character " << c; // every dot is 2 x 2
    }
    Paint(PAPER);
    ASSERT_TRUE(Write(0, 0, "\x80", TRANSPARENT));
    EXPECT_EQ(Pixels()[0], RED); // the box's corner
}

} // namespace
