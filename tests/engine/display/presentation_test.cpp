// Locking, presenting and text on the headless desktop.
#include "display_test_support.h"

#include "engine/file/debug_log.h"

#include <cstring>

namespace {

using PresentationTest = EngineTest;

const int VIEW_WIDTH = 64;
const int VIEW_HEIGHT = 40;

// The window's client area as the desktop shows it.
Picture ClientArea() {
    Picture picture(VIEW_WIDTH, VIEW_HEIGHT);
    const std::vector<uint16_t>& desktop = subset::ScreenPixels();
    for (int y = 0; y < VIEW_HEIGHT; ++y)
        for (int x = 0; x < VIEW_WIDTH; ++x)
            picture.At(x, y) =
                desktop[size_t(Tolvo.clientY + y) * subset::ScreenWidth() + Tolvo.clientX + x];
    return picture;
}

void DrawFrame(uint8_t red) {
    ASSERT_TRUE(Tolvo.LockBuffer());
    Tolvo.FillRectangle(0, 0, VIEW_WIDTH - 1, VIEW_HEIGHT - 1, red, 0, 0);
    Tolvo.UnlockBuffer();
}

TEST_F(PresentationTest, WindowedFrameIsCopiedToTheClientArea) {
    ASSERT_TRUE(Start(0, VIEW_WIDTH + 1, VIEW_HEIGHT + 1));
    DrawFrame(255);
    int presented = subset::FramesPresented();
    EXPECT_EQ(Tolvo.ViewUpdate(), 1);
    EXPECT_EQ(subset::FramesPresented(), presented + 1);
    EXPECT_TRUE(SamePicture("windowed-frame", Picture(VIEW_WIDTH, VIEW_HEIGHT, 31 * 1024),
                            ClientArea(), false));
}

TEST_F(PresentationTest, NothingIsShownWhenInactiveOrInTheBackground) {
    ASSERT_TRUE(Start(0, VIEW_WIDTH + 1, VIEW_HEIGHT + 1));
    DrawFrame(255);
    int presented = subset::FramesPresented();
    Tolvo.active = 0;
    EXPECT_EQ(Tolvo.ViewUpdate(), 1);
    Tolvo.active = 1;
    subset::SetFocusWithoutMessages(nullptr);
    EXPECT_EQ(Tolvo.ViewUpdate(), 1);
    EXPECT_EQ(subset::FramesPresented(), presented);
    subset::SetFocusWithoutMessages(Tolvo.window);
    EXPECT_EQ(Tolvo.ViewUpdate(), 1);
    EXPECT_EQ(subset::FramesPresented(), presented + 1);
}

TEST_F(PresentationTest, WindowedLostSurfaceShowsTheBoxAndRestoresBoth) {
    ASSERT_TRUE(Start());
    subset::LoseSurfaces();
    int restores = subset::CallCount("Restore");
    EXPECT_EQ(Tolvo.ViewUpdate(), 1);
    ASSERT_EQ(headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(headless::MessageBoxes()[0].text, "<WinDX::ViewUpdate> Error: Surface Lost");
    EXPECT_EQ(headless::MessageBoxes()[0].caption, "");
    EXPECT_EQ(headless::MessageBoxes()[0].owner, Tolvo.window);
    EXPECT_EQ(subset::CallCount("Restore"), restores + 2);

    // A restore that fails makes the frame count as not shown.
    subset::LoseSurfaces();
    subset::FailCall("Restore", DDERR_GENERIC, 1);
    EXPECT_EQ(Tolvo.ViewUpdate(), 0);
    subset::LoseSurfaces();
    subset::FailCall("Restore", DDERR_GENERIC, 1, 1);
    EXPECT_EQ(Tolvo.ViewUpdate(), 0);
}

TEST_F(PresentationTest, BlitStillDrawingReturnsZeroOtherErrorsOne) {
    ASSERT_TRUE(Start());
    subset::FailCall("BltFast", DDERR_WASSTILLDRAWING, 1);
    EXPECT_EQ(Tolvo.ViewUpdate(), 0);
    subset::FailCall("BltFast", DDERR_GENERIC, 1);
    EXPECT_EQ(Tolvo.ViewUpdate(), 1);
    EXPECT_TRUE(headless::MessageBoxes().empty());
}

TEST_F(PresentationTest, FullScreenFlipsAndRepairsLostSurfacesSilently) {
    ASSERT_TRUE(Start(1, 640, 480));
    int presented = subset::FramesPresented();
    EXPECT_EQ(Tolvo.ViewUpdate(), 1);
    EXPECT_EQ(subset::CallCount("Flip"), 1);
    EXPECT_EQ(subset::FramesPresented(), presented + 1);
    subset::LoseSurfaces();
    int restores = subset::CallCount("Restore");
    EXPECT_EQ(Tolvo.ViewUpdate(), 1);
    EXPECT_EQ(subset::CallCount("Restore"), restores + 1);
    EXPECT_TRUE(headless::MessageBoxes().empty());
}

// After the surfaces come back the game goes on: every later frame locks, draws and
// reaches the screen. Restoring a flip chain's primary restores its back buffer too.
TEST_F(PresentationTest, AfterLostSurfacesAreRepairedFramesLockDrawAndShow) {
    struct Case {
        const char* what;
        int32_t fullScreen;
        size_t boxes; // the windowed loss is reported once
    };
    for (const Case& c : {Case{"full screen", 1, 0}, Case{"windowed", 0, 1}}) {
        SCOPED_TRACE(c.what);
        ResetDesktop(subset::DesktopInfo());
        ASSERT_TRUE(c.fullScreen ? Start(1, 640, 480) : Start(0, VIEW_WIDTH + 1, VIEW_HEIGHT + 1));
        DrawFrame(255);
        Tolvo.ViewUpdate();
        subset::LoseSurfaces();
        Tolvo.ViewUpdate(); // finds the loss and repairs it
        for (int frame = 0; frame < 5; ++frame) {
            const uint8_t red = uint8_t(8 * (frame + 1));
            ASSERT_TRUE(Tolvo.LockBuffer()) << "frame " << frame;
            Tolvo.FillRectangle(0, 0, VIEW_WIDTH - 1, VIEW_HEIGHT - 1, red, 0, 0);
            Tolvo.UnlockBuffer();
            int presented = subset::FramesPresented();
            EXPECT_EQ(Tolvo.ViewUpdate(), 1);
            EXPECT_EQ(subset::FramesPresented(), presented + 1);
            const size_t at = c.fullScreen ? 0
                                           : size_t(Tolvo.clientY) * subset::ScreenWidth() +
                                                 size_t(Tolvo.clientX);
            EXPECT_EQ(subset::ScreenPixels()[at], uint16_t((red >> 3) * 1024)) << frame;
        }
        EXPECT_EQ(Tolvo.status, READY);
        EXPECT_EQ(headless::MessageBoxes().size(), c.boxes);
        Tolvo.CleanUp();
    }
}

TEST_F(PresentationTest, FailedLockShowsTheBoxAndLeavesDrawingHarmless) {
    ASSERT_TRUE(Start(0, VIEW_WIDTH + 1, VIEW_HEIGHT + 1));
    DrawFrame(255);
    uint16_t* previous = Tolvo.pixels;
    subset::FailCall("Lock", DDERR_SURFACEBUSY, 1);
    EXPECT_FALSE(Tolvo.LockBuffer());
    EXPECT_EQ(Tolvo.status, LOCK_FAILED);
    EXPECT_EQ(Tolvo.pixels, previous);
    ASSERT_EQ(headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(headless::MessageBoxes()[0].caption, "Tolvo");
    // Drawing now must not reach the old address.
    Tolvo.FillRectangle(0, 0, VIEW_WIDTH - 1, VIEW_HEIGHT - 1, 0, 255, 0);
    Tolvo.ClearBuffer();
    EXPECT_TRUE(Tolvo.LockBuffer());
    Tolvo.UnlockBuffer();
    Tolvo.ViewUpdate();
    EXPECT_TRUE(SamePicture("after-failed-lock", Picture(VIEW_WIDTH, VIEW_HEIGHT, 31 * 1024),
                            ClientArea(), false));
}

TEST_F(PresentationTest, TextIsDrawnOntoTheBackBufferInTheSetColour) {
    ASSERT_TRUE(Start(0, VIEW_WIDTH + 1, VIEW_HEIGHT + 1));
    DrawFrame(0);
    Tolvo.SetColor(255, 255, 255);
    EXPECT_EQ(Tolvo.DrawText(2, 2, "Hi"), 1);
    ASSERT_TRUE(Tolvo.LockBuffer());
    int white = 0, other = 0;
    for (int y = 0; y < VIEW_HEIGHT; ++y)
        for (int x = 0; x < VIEW_WIDTH; ++x) {
            uint16_t p = Tolvo.pixels[y * Tolvo.width + x];
            if (p == 0xFFFF)
                ++white;
            else if (p != 0)
                ++other;
        }
    Tolvo.UnlockBuffer();
    EXPECT_GT(white, 4);
    EXPECT_EQ(other, 0); // transparent background: nothing but the glyphs changed
    EXPECT_EQ(Tolvo.DrawText(2, 2, nullptr), 1);

    subset::FailCall("GetDC", DDERR_CANTCREATEDC, 1);
    EXPECT_EQ(Tolvo.DrawText(2, 2, "Hi"), 0);
    std::string line = "WinDX::DrawText: Unable to get device context handle.\n  ";
    std::string log = ReadLog();
    EXPECT_EQ(log.substr(log.size() - line.size()), line);
}

} // namespace
