// Start-up on the headless desktop: every status, both modes, the geometry read
// back from the surfaces, the debug log, the error box, and CleanUp.
#include "display_test_support.h"

#include "engine/file/debug_log.h"
#include "engine/image/pixel_format.h"
#include "tests/support/startup_faults.h"

namespace {

using StartupTest = EngineTest;

// Each step of start-up that fails stops it with that step's status; failures start-up
// survives leave it READY.
TEST_F(StartupTest, EachFailingStepStopsWithItsStatus) {
    for (const StartupFault& c : StartupFaultTable()) {
        ResetDesktop(subset::DesktopInfo());
        subset::FailCall(c.call, c.result, c.times, c.skip);
        bool started = Start(c.fullScreen, 640, 480);
        EXPECT_EQ(Tolvo.status, c.status) << Describe(c);
        EXPECT_EQ(started, c.status == READY) << Describe(c);
    }
}

TEST_F(StartupTest, WindowedSurfaceRetriesAreCounted) {
    subset::FailCall("CreateSurface", DDERR_OUTOFVIDEOMEMORY, 1, 0);
    ASSERT_TRUE(Start());
    EXPECT_EQ(subset::CallCount("CreateSurface"), 3); // primary twice, back once
    EXPECT_EQ(subset::CallCount("SetDisplayMode"), 0);
}

TEST_F(StartupTest, DesktopDepthOtherThanSixteenIsRefusedBeforeAnyWindow) {
    for (int depth : {8, 24, 32}) {
        subset::DesktopInfo desktop;
        desktop.bitsPerPixel = depth;
        ResetDesktop(desktop);
        EXPECT_FALSE(Start());
        EXPECT_EQ(Tolvo.status, BPP_FAILED) << depth;
        EXPECT_EQ(Tolvo.bitsPerPixel, depth);
        EXPECT_EQ(subset::CallCount("RegisterClassA"), 1);
        EXPECT_EQ(subset::CallCount("CreateWindowExA"), 0);
    }
}

TEST_F(StartupTest, WindowedSizeIsCheckedAgainstTheDesktop) {
    struct {
        int32_t width, height, status, expectWidth, expectHeight;
    } cases[] = {
        {1024, 768, READY, 1024, 768},     {1025, 768, REQSIZE_FAILED, 0, 0},
        {1024, 769, REQSIZE_FAILED, 0, 0}, {0, 0, READY, 1024, 768},
        {-5, 300, READY, 1024, 300},
    };
    for (const auto& c : cases) {
        ResetDesktop(subset::DesktopInfo());
        Start(0, c.width, c.height);
        EXPECT_EQ(Tolvo.status, c.status) << c.width << "x" << c.height;
        if (c.status == READY) {
            EXPECT_EQ(Tolvo.clipRight, c.expectWidth - 1);
            EXPECT_EQ(Tolvo.clipBottom, c.expectHeight - 1);
            EXPECT_EQ(Tolvo.height, c.expectHeight);
        }
    }
}

TEST_F(StartupTest, FullScreenSkipsTheSizeCheckAndUsesAFlipChain) {
    ASSERT_TRUE(Start(1, 640, 480));
    EXPECT_EQ(Tolvo.fullScreen, 1);
    EXPECT_EQ(subset::CallCount("SetDisplayMode"), 1);
    EXPECT_EQ(subset::CallCount("GetAttachedSurface"), 1);
    EXPECT_EQ(Tolvo.height, 480);
    EXPECT_NE(ReadLog().find("WinDX:: Back Buffer is a valid flip (back) buffer.\n"),
              std::string::npos);

    // Larger than the desktop: only the display mode decides.
    ResetDesktop(subset::DesktopInfo());
    subset::FailCall("SetDisplayMode", DDERR_INVALIDMODE);
    EXPECT_FALSE(Start(1, 2000, 1000));
    EXPECT_EQ(Tolvo.status, SETMODE_FAILED);
}

TEST_F(StartupTest, AnyFullScreenValueOtherThanOneIsWindowed) {
    ASSERT_TRUE(Start(2, 900, 500));
    EXPECT_EQ(Tolvo.fullScreen, 2);
    EXPECT_EQ(subset::CallCount("SetDisplayMode"), 0);
    EXPECT_EQ(subset::CallCount("GetAttachedSurface"), 0);
}

TEST_F(StartupTest, GeometryComesFromTheBackBuffer) {
    subset::DesktopInfo desktop;
    desktop.pitchPadding = 2048 - 900 * 2;
    ResetDesktop(desktop);
    ASSERT_TRUE(Start(0, 900, 500));
    EXPECT_EQ(Tolvo.pitch, 2048);
    EXPECT_EQ(Tolvo.width, 1024);
    EXPECT_EQ(Tolvo.height, 500);
    EXPECT_EQ(Tolvo.clipLeft, 0);
    EXPECT_EQ(Tolvo.clipTop, 0);
    EXPECT_EQ(Tolvo.clipRight, 899);
    EXPECT_EQ(Tolvo.clipBottom, 499);
    for (int row = 0; row <= 500; ++row)
        ASSERT_EQ(Tolvo.rowOffsets[row], row * 2048) << row;
    EXPECT_EQ(Tolvo.active, 1);
    EXPECT_EQ(Tolvo.keyCount, 0);

    // The client area's screen position, and the window sized so that its client
    // area is one pixel smaller than asked, as on Windows.
    POINT origin = {0, 0};
    ClientToScreen(Tolvo.window, &origin);
    EXPECT_EQ(Tolvo.clientX, origin.x);
    EXPECT_EQ(Tolvo.clientY, origin.y);
    RECT client;
    GetClientRect(Tolvo.window, &client);
    EXPECT_EQ(client.right, 899);
    EXPECT_EQ(client.bottom, 499);
}

TEST_F(StartupTest, PixelFormatIsReadForBothLayouts) {
    struct {
        bool rgb555;
        PixelFormat expected;
    } cases[] = {
        {false, {0xF800, 0x07E0, 0x001F, 11, 5, 0, 5, 6, 5}},
        {true, {0x7C00, 0x03E0, 0x001F, 10, 5, 0, 5, 5, 5}},
    };
    for (const auto& c : cases) {
        subset::DesktopInfo desktop;
        desktop.masks = c.rgb555 ? subset::RGB555 : subset::RGB565;
        ResetDesktop(desktop);
        // A description without masks must not hang start-up's bit counting.
        SetPixelFormat(0, 0, 0);
        EXPECT_EQ(pixelFormat.greenShift, 0);
        EXPECT_EQ(pixelFormat.greenWidth, 0);
        ASSERT_TRUE(Start());
        EXPECT_EQ(pixelFormat.redMask, c.expected.redMask);
        EXPECT_EQ(pixelFormat.greenMask, c.expected.greenMask);
        EXPECT_EQ(pixelFormat.blueMask, c.expected.blueMask);
        EXPECT_EQ(pixelFormat.redShift, c.expected.redShift);
        EXPECT_EQ(pixelFormat.greenShift, c.expected.greenShift);
        EXPECT_EQ(pixelFormat.blueShift, c.expected.blueShift);
        EXPECT_EQ(pixelFormat.redWidth, c.expected.redWidth);
        EXPECT_EQ(pixelFormat.greenWidth, c.expected.greenWidth);
        EXPECT_EQ(pixelFormat.blueWidth, c.expected.blueWidth);
    }
    SetPixelFormat(0xF800, 0x07E0, 0x001F);
}

TEST_F(StartupTest, BackBufferTallerThanTheRowTableIsRefused) {
    subset::DesktopInfo desktop;
    desktop.width = 1280;
    desktop.height = 1024;
    ResetDesktop(desktop);
    EXPECT_FALSE(Start(0, 0, 0));
    EXPECT_EQ(Tolvo.status, BACKSURFACE_FAILED);

    ResetDesktop(desktop);
    EXPECT_TRUE(Start(0, 0, 1023));
    EXPECT_EQ(Tolvo.height, 1023);
    EXPECT_EQ(Tolvo.rowOffsets[1023], 1023 * Tolvo.pitch);
}

TEST_F(StartupTest, WindowedLogHoldsExactlyTheStartupLines) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(ReadLog(), LogText({"WindowsDX: Initialization started.\n",
                                  "WinDX:: Front Buffer is in video memory.\n",
                                  "WinDX:: Back Buffer is in video memory.\n",
                                  "WinDX:: Back Buffer NOT A FLIP (BACK) BUFFER.\n",
                                  "WindowsDX: Initialization finished OK.\n"}));
}

TEST_F(StartupTest, FullScreenPrimaryFailuresWriteTheirLineBeforeTheRetry) {
    const struct {
        HRESULT code;
        const char* line;
    } cases[] = {
        {DDERR_OUTOFMEMORY, "<WinDX::CreateSurface> Out of Memory\n"},
        {DDERR_INVALIDPARAMS, "<WinDX::CreateSurface> Invalid Params\n"},
        {DDERR_INCOMPATIBLEPRIMARY, "<WinDX::CreateSurface> Incompatible Primary\n"},
        {DDERR_INVALIDCAPS, "<WinDX::CreateSurface> Invalid Caps\n"},
        {DDERR_INVALIDOBJECT, "<WinDX::CreateSurface> Invalid Object\n"},
        {DDERR_INVALIDPIXELFORMAT, "<WinDX::CreateSurface> Invalid Pixel Format\n"},
        {DDERR_NOALPHAHW, "<WinDX::CreateSurface> No Alpha HW\n"},
        {DDERR_NOCOOPERATIVELEVELSET, "<WinDX::CreateSurface> No Cooperate Level Set\n"},
        {DDERR_NOEXCLUSIVEMODE, "<WinDX::CreateSurface> No Exclusive Mode\n"},
        {DDERR_NOFLIPHW, "<WinDX::CreateSurface> No Flip HW\n"},
        {DDERR_NOZBUFFERHW, "<WinDX::CreateSurface> No Z-Buffer HW\n"},
        {DDERR_OUTOFVIDEOMEMORY, "<WinDX::CreateSurface> Out Of Video Memory\n"},
        {DDERR_NODIRECTDRAWHW, "<WinDX::CreateSurface> No Direct Draw HW\n"},
        {DDERR_PRIMARYSURFACEALREADYEXISTS,
         "<WinDX::CreateSurface> Primary Surface Already Exists\n"},
        {DDERR_NOEMULATION, "<WinDX::CreateSurface> No Emulation\n"},
    };
    for (const auto& c : cases) {
        ResetDesktop(subset::DesktopInfo());
        subset::FailCall("CreateSurface", c.code, 1);
        ASSERT_TRUE(Start(1, 640, 480)) << c.line;
        std::string log = ReadLog();
        std::string expectedStart = LogText({"WindowsDX: Initialization started.\n", c.line});
        EXPECT_EQ(log.substr(0, expectedStart.size()), expectedStart);
    }
    // Codes outside the list, and any failure in windowed mode, write nothing.
    for (int32_t fullScreen : {1, 0}) {
        ResetDesktop(subset::DesktopInfo());
        subset::FailCall("CreateSurface", fullScreen ? DDERR_GENERIC : DDERR_OUTOFMEMORY, 1);
        ASSERT_TRUE(Start(fullScreen, 640, 480));
        EXPECT_EQ(ReadLog().find("<WinDX::CreateSurface>"), std::string::npos);
    }
}

TEST_F(StartupTest, StartupErrorBoxAndLogLineForEveryStatus) {
    const char* hintW =
        "Are you using Windows 98/2000/NT? Tolvo requires one of these. Still having "
        "trouble? Please report error and system configuration.";
    const char* hintD = "Are you using DirectX SDK 3.1 or 8.1? Tolvo requires one of these. Still "
                        "having trouble? Please report error and system configuration.";
    const struct {
        int32_t status;
        const char* line;
        const char* hint;
    } rows[] = {
        {0, "Error: NO_INIT (User did not initialize Tolvo)",
         "You must start Tolvo by calling:\n  Tolvo.Initialize (fullscreen, xres, yres)\n\nfrom "
         "the initialize() function. See documentation for starting Tolvo."},
        {1, "Error: INITCLASS_FAILED (Cannot Initialize Window Class)", hintW},
        {3, "Error: INITWINTEMP_FAILED (Cannot Initialize Temp Window)", hintW},
        {5, "Error: INITWINREAL_FAILED (Cannot Initialize Main Window)", hintW},
        {7, "Error: SHOWWIN_FAILED (Unable to show Main Window)", hintW},
        {9, "Error: DDSTART_FAILED (Unable to start DirectX)", hintD},
        {11, "Error: DDSETLEVEL_FAILED (Unable to set DirectX Cooperative Level)", hintD},
        {13, "Error: SETMODE_FAILED (Unable to set screen mode)", hintD},
        {15, "Error: FRONTSURFACE_FAILED (Unable to create primary surface)", hintD},
        {17, "Error: BACKSURFACE_FAILED (Unable to create secondary surface)", hintD},
        {21, "Error: REQSIZE_FAILED (Requested size too large)",
         "The requested game size must be smaller than the current screen settings. Reduce "
         "requested size to less than the screen size or use fullscreen mode.\n\nIf you are "
         "unsure of screen size initialize Tolvo as follows:\n\nTolvo.Initialize (false, 700, "
         "500);"},
        {22, "Error: BPP_FAILED (Screen depth not supported)",
         "Tolvo supports 16-bit screen depths ONLY!\n\nPlease adjust your screen depth to 16-bit "
         "as follows:\n- Right click on desktop\n- Select Properties\n- Goto Settings Tab\n- "
         "Select High Color (16-bit)"},
    };
    for (const auto& row : rows) {
        ResetDesktop(subset::DesktopInfo());
        debugLog.Open("debug.txt");
        Tolvo.status = row.status;
        Tolvo.ShowStartupError();
        ASSERT_EQ(headless::MessageBoxes().size(), 1u);
        const headless::MessageBoxRecord& box = headless::MessageBoxes()[0];
        EXPECT_EQ(box.text,
                  std::string("Unable to start Tolvo.\n\n") + row.line + "\n\n" + row.hint);
        EXPECT_EQ(box.caption, "Tolvo");
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(box.type, MB_OK);
        EXPECT_EQ(ReadLog(), LogText({std::string("Tolvo ") + row.line + "\n"}));
    }
    // Statuses without a row of their own still say what happened.
    for (int32_t status : {2, 18, 19, 20, 23, -1}) {
        ResetDesktop(subset::DesktopInfo());
        Tolvo.status = status;
        Tolvo.ShowStartupError();
        ASSERT_EQ(headless::MessageBoxes().size(), 1u);
        const std::string& text = headless::MessageBoxes()[0].text;
        EXPECT_EQ(text.rfind("Unable to start Tolvo.\n\nError: ", 0), 0u) << status;
        EXPECT_GT(text.size(), std::string("Unable to start Tolvo.\n\nError: ").size() + 20);
    }
    ResetDesktop(subset::DesktopInfo());
    Tolvo.status = LOCK_FAILED;
    Tolvo.ShowStartupError();
    EXPECT_NE(headless::MessageBoxes()[0].text.find("LOCK_FAILED"), std::string::npos);
}

TEST_F(StartupTest, CreateSurfaceRunsAgainAndCleanUpReleasesEverything) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Tolvo.CreateSurface());
    EXPECT_EQ(Tolvo.status, READY);
    ASSERT_TRUE(Tolvo.LockBuffer());
    EXPECT_TRUE(Tolvo.UnlockBuffer());

    EXPECT_TRUE(Tolvo.CleanUp());
    EXPECT_EQ(Tolvo.back, nullptr);
    EXPECT_EQ(Tolvo.primary, nullptr);
    EXPECT_EQ(Tolvo.directDraw, nullptr);
    EXPECT_TRUE(Tolvo.CleanUp()); // nothing left to release
    EXPECT_EQ(Tolvo.ViewUpdate(), 1);
}

TEST_F(StartupTest, CleanUpReportsADirectDrawObjectThatStaysAlive) {
    ASSERT_TRUE(Start());
    LPDIRECTDRAW extra = Tolvo.directDraw;
    extra->AddRef();
    EXPECT_FALSE(Tolvo.CleanUp());
    EXPECT_NE(ReadLog().find("WinDX::CleanUp: Unable to close Direct Draw.\n"), std::string::npos);
    extra->Release();
}

TEST_F(StartupTest, SurfaceDescriptionRecordIsThisBuildsSize) {
    // 108 bytes where pointers are 32 bits, 120 where they are 64.
    EXPECT_EQ(sizeof(DDSURFACEDESC), sizeof(void*) == 8 ? 120u : 108u);
}

} // namespace
