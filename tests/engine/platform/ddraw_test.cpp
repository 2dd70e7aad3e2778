// DirectDraw on the headless desktop: the engine's windowed and full-screen set-ups,
// locking, presenting, lost surfaces and injected failures.
#include "engine/platform/hosts/headless/headless.h"
#include "engine/platform/subset/test_controls/test_controls.h"
#include "engine/platform/platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>
#include <string>

namespace {

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

class DirectDrawTest : public ::testing::Test {
  protected:
    LPDIRECTDRAW directDraw = nullptr;
    LPDIRECTDRAWSURFACE primary = nullptr;
    LPDIRECTDRAWSURFACE back = nullptr;
    HWND window = nullptr;

    void TearDown() override {
        if (back) {
            back->Release();
        }
        if (primary) {
            primary->Release();
        }
        if (directDraw) {
            directDraw->Release();
        }
    }

    void StartWindow(const subset::DesktopInfo& desktop, DWORD style) {
        headless::Start(desktop);
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = PlainProc;
        windowClass.lpszClassName = "Tolvo";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        window = CreateWindowExA(WS_EX_APPWINDOW, "Tolvo", "", style, 100, 100, 206, 126, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOWNORMAL);
        ASSERT_EQ(DirectDrawCreate(nullptr, &directDraw, nullptr), DD_OK);
    }

    // The engine's windowed set-up: a primary and an off-screen back buffer.
    void StartWindowed(const subset::DesktopInfo& desktop = subset::DesktopInfo()) {
        StartWindow(desktop, WS_SYSMENU);
        ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
        DDSURFACEDESC description = {};
        description.dwSize = 108;
        description.dwFlags = DDSD_CAPS;
        description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY;
        ASSERT_EQ(directDraw->CreateSurface(&description, &primary, nullptr), DD_OK);
        description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
        description.dwWidth = 200;
        description.dwHeight = 100;
        description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        ASSERT_EQ(directDraw->CreateSurface(&description, &back, nullptr), DD_OK);
    }

    // The engine's full-screen set-up: a display mode and a flip chain.
    void StartFullScreen(int width, int height) {
        StartWindow(subset::DesktopInfo(), WS_POPUP);
        ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE),
                  DD_OK);
        ASSERT_EQ(directDraw->SetDisplayMode(width, height, 16), DD_OK);
        DDSURFACEDESC description = {};
        description.dwSize = 108;
        description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        description.dwBackBufferCount = 1;
        description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        ASSERT_EQ(directDraw->CreateSurface(&description, &primary, nullptr), DD_OK);
        DDSCAPS caps = {DDSCAPS_BACKBUFFER};
        ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    }

    // Fills the whole back buffer with one value through a lock; returns the pitch.
    LONG Fill(uint16_t value) {
        DDSURFACEDESC description = {};
        description.dwSize = 108;
        EXPECT_EQ(back->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DD_OK);
        for (DWORD y = 0; y < description.dwHeight; y++) {
            uint16_t* row = reinterpret_cast<uint16_t*>(
                static_cast<uint8_t*>(description.lpSurface) + y * description.lPitch);
            for (DWORD x = 0; x < description.dwWidth; x++) {
                row[x] = value;
            }
        }
        EXPECT_EQ(back->Unlock(nullptr), DD_OK);
        return description.lPitch;
    }

    uint16_t DesktopAt(int x, int y) {
        return subset::ScreenPixels()[static_cast<size_t>(y) * subset::ScreenWidth() + x];
    }
};

TEST_F(DirectDrawTest, WindowedBackBufferDescribesItself) {
    StartWindowed();
    DDSURFACEDESC description = {};
    description.dwSize = sizeof description;
    ASSERT_EQ(back->GetSurfaceDesc(&description), DD_OK);
    EXPECT_EQ(description.dwWidth, 200u);
    EXPECT_EQ(description.dwHeight, 100u);
    EXPECT_EQ(description.lPitch, 400);
    EXPECT_EQ(description.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(description.ddpfPixelFormat.dwRBitMask, 0xF800u);
    EXPECT_EQ(description.ddpfPixelFormat.dwGBitMask, 0x07E0u);
    EXPECT_EQ(description.ddpfPixelFormat.dwBBitMask, 0x001Fu);
    EXPECT_TRUE(description.ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY);
    EXPECT_FALSE(description.ddsCaps.dwCaps & DDSCAPS_BACKBUFFER);
    ASSERT_EQ(primary->GetSurfaceDesc(&description), DD_OK);
    EXPECT_EQ(description.dwWidth, 1024u);
    EXPECT_EQ(description.dwHeight, 768u);
    description.dwSize = 12;
    EXPECT_EQ(back->GetSurfaceDesc(&description), DDERR_INVALIDPARAMS);
}

TEST_F(DirectDrawTest, PaddedPitchAndFiveFiveFiveFormat) {
    subset::DesktopInfo desktop;
    desktop.masks = subset::RGB555;
    desktop.pitchPadding = 48;
    StartWindowed(desktop);
    EXPECT_EQ(Fill(0x7C00), 448);
    DDSURFACEDESC description = {};
    description.dwSize = 108;
    ASSERT_EQ(back->GetSurfaceDesc(&description), DD_OK);
    EXPECT_EQ(description.ddpfPixelFormat.dwRBitMask, 0x7C00u);
    EXPECT_EQ(description.ddpfPixelFormat.dwGBitMask, 0x03E0u);
    // The padding never reaches the screen.
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    ASSERT_EQ(primary->BltFast(origin.x, origin.y, back, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(DesktopAt(origin.x + 199, origin.y + 99), 0x7C00);
    EXPECT_EQ(DesktopAt(origin.x + 200, origin.y + 99), 0);
}

TEST_F(DirectDrawTest, BltFastPresentsAtTheClientOriginClippedToTheDesktop) {
    StartWindowed();
    Fill(0x1234);
    ASSERT_EQ(primary->BltFast(103, 123, back, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(subset::FramesPresented(), 1);
    EXPECT_EQ(DesktopAt(103, 123), 0x1234);
    EXPECT_EQ(DesktopAt(302, 222), 0x1234);
    EXPECT_EQ(DesktopAt(303, 222), 0);
    EXPECT_EQ(DesktopAt(102, 123), 0);
    // Partly past the right and bottom edges: the visible part only, still a frame.
    ASSERT_EQ(primary->BltFast(1000, 700, back, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(DesktopAt(1023, 767), 0x1234);
    // Wholly off the desktop (a client origin read as unsigned 16 bits).
    ASSERT_EQ(primary->BltFast(65000, 65000, back, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(subset::FramesPresented(), 3);
    RECT outside = {0, 0, 201, 10};
    EXPECT_EQ(primary->BltFast(0, 0, back, &outside, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
}

TEST_F(DirectDrawTest, LockRulesFollowDirectDraw) {
    StartWindowed();
    DDSURFACEDESC description = {};
    description.dwSize = 108;
    ASSERT_EQ(back->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DD_OK);
    void* first = description.lpSurface;
    EXPECT_EQ(back->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(primary->BltFast(0, 0, back, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
    HDC dc;
    EXPECT_EQ(back->GetDC(&dc), DDERR_SURFACEBUSY);
    ASSERT_EQ(back->Unlock(nullptr), DD_OK);
    EXPECT_EQ(back->Unlock(nullptr), DDERR_NOTLOCKED);
    RECT part = {10, 5, 20, 8};
    ASSERT_EQ(back->Lock(&part, &description, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(static_cast<uint8_t*>(description.lpSurface),
              static_cast<uint8_t*>(first) + 5 * 400 + 10 * 2);
    back->Unlock(nullptr);
}

TEST_F(DirectDrawTest, LostSurfacesReportUntilRestored) {
    StartWindowed();
    Fill(0x0F0F);
    subset::LoseSurfaces();
    EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(primary->BltFast(0, 0, back, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
    DDSURFACEDESC description = {};
    description.dwSize = 108;
    EXPECT_EQ(back->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(subset::FramesPresented(), 0);
    EXPECT_EQ(primary->Restore(), DD_OK);
    EXPECT_EQ(primary->IsLost(), DD_OK);
    EXPECT_EQ(primary->BltFast(0, 0, back, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(back->Restore(), DD_OK);
    ASSERT_EQ(back->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(*static_cast<uint16_t*>(description.lpSurface), 0); // contents are gone
    back->Unlock(nullptr);
    EXPECT_EQ(primary->BltFast(0, 0, back, nullptr, DDBLTFAST_WAIT), DD_OK);
}

TEST_F(DirectDrawTest, FlipChainShowsTheBackBufferAndRestoresTheMode) {
    StartFullScreen(640, 480);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
    EXPECT_EQ(subset::ScreenHeight(), 480);
    DDSURFACEDESC description = {};
    description.dwSize = 108;
    ASSERT_EQ(back->GetSurfaceDesc(&description), DD_OK);
    EXPECT_TRUE(description.ddsCaps.dwCaps & DDSCAPS_BACKBUFFER);
    EXPECT_EQ(description.dwWidth, 640u);
    Fill(0x00FF);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(DesktopAt(639, 479), 0x00FF);
    Fill(0x0101);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(DesktopAt(0, 0), 0x0101);
    EXPECT_EQ(subset::FramesPresented(), 2);
    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    // Only one primary at a time; the chain goes when its primary is released.
    description.dwFlags = DDSD_CAPS;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    LPDIRECTDRAWSURFACE second = nullptr;
    EXPECT_EQ(directDraw->CreateSurface(&description, &second, nullptr),
              DDERR_PRIMARYSURFACEALREADYEXISTS);
    back->Release();
    back = nullptr;
    primary->Release();
    primary = nullptr;
    directDraw->Release();
    directDraw = nullptr;
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

TEST_F(DirectDrawTest, RequestsDirectDrawRefuses) {
    StartWindow(subset::DesktopInfo(), WS_SYSMENU);
    DDSURFACEDESC description = {};
    description.dwSize = 108;
    description.dwFlags = DDSD_CAPS;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    LPDIRECTDRAWSURFACE surface = nullptr;
    EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr),
              DDERR_NOCOOPERATIVELEVELSET);
    EXPECT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE),
              DDERR_INVALIDPARAMS);
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    description.dwBackBufferCount = 1;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DDERR_NOEXCLUSIVEMODE);
    description.dwFlags = DDSD_CAPS;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface, nullptr);
    EXPECT_EQ(directDraw->SetDisplayMode(2048, 768, 16), DDERR_INVALIDMODE);
    EXPECT_EQ(directDraw->SetDisplayMode(800, 600, 32), DDERR_INVALIDMODE);
}

TEST_F(DirectDrawTest, DesktopDepthAndRefreshComeFromTheDesktop) {
    subset::DesktopInfo desktop;
    desktop.bitsPerPixel = 32;
    desktop.refreshRate = 75;
    headless::Start(desktop);
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(screen, VREFRESH), 75);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 0); // released
}

// Every call the engine makes can be made to fail, and fails the way the real one does.
TEST_F(DirectDrawTest, InjectedFailuresOnEachCall) {
    StartWindowed();
    struct Case {
        const char* call;
        HRESULT injected;
        std::function<HRESULT()> make;
        HRESULT expected;
    };
    DDSURFACEDESC description = {};
    description.dwSize = 108;
    HDC dc = nullptr;
    LPDIRECTDRAW other = nullptr;
    LPDIRECTDRAWSURFACE made = nullptr;
    const std::vector<Case> cases = {
        {"Lock", DDERR_SURFACEBUSY,
         [&] { return back->Lock(nullptr, &description, DDLOCK_WAIT, nullptr); },
         DDERR_SURFACEBUSY},
        {"BltFast", DDERR_WASSTILLDRAWING,
         [&] { return primary->BltFast(0, 0, back, nullptr, DDBLTFAST_WAIT); },
         DDERR_WASSTILLDRAWING},
        {"GetSurfaceDesc", DDERR_INVALIDOBJECT, [&] { return back->GetSurfaceDesc(&description); },
         DDERR_INVALIDOBJECT},
        {"IsLost", DDERR_SURFACELOST, [&] { return primary->IsLost(); }, DDERR_SURFACELOST},
        {"Restore", DDERR_WRONGMODE, [&] { return primary->Restore(); }, DDERR_WRONGMODE},
        {"GetDC", DDERR_CANTCREATEDC, [&] { return back->GetDC(&dc); }, DDERR_CANTCREATEDC},
        {"SetCooperativeLevel", DDERR_EXCLUSIVEMODEALREADYSET,
         [&] { return directDraw->SetCooperativeLevel(window, DDSCL_NORMAL); },
         DDERR_EXCLUSIVEMODEALREADYSET},
        {"SetDisplayMode", DDERR_INVALIDMODE,
         [&] { return directDraw->SetDisplayMode(640, 480, 16); }, DDERR_INVALIDMODE},
        {"CreateSurface", DDERR_OUTOFVIDEOMEMORY,
         [&] {
             description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
             description.dwWidth = description.dwHeight = 8;
             description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
             return directDraw->CreateSurface(&description, &made, nullptr);
         },
         DDERR_OUTOFVIDEOMEMORY},
        {"DirectDrawCreate", DDERR_NODIRECTDRAWHW,
         [&] { return DirectDrawCreate(nullptr, &other, nullptr); }, DDERR_NODIRECTDRAWHW},
        {"RegisterClassA", 0,
         [&] {
             WNDCLASSA windowClass = {};
             windowClass.lpfnWndProc = PlainProc;
             windowClass.lpszClassName = "Other";
             return static_cast<HRESULT>(RegisterClassA(&windowClass));
         },
         0},
        {"CreateWindowExA", 0,
         [&] {
             return static_cast<HRESULT>(CreateWindowExA(0, "Tolvo", "", WS_SYSMENU, 0, 0, 9, 9,
                                                         nullptr, nullptr, nullptr,
                                                         nullptr) != nullptr);
         },
         0},
        {"UpdateWindow", 0, [&] { return static_cast<HRESULT>(UpdateWindow(window)); }, 0},
        {"GetDeviceCaps", 0,
         [&] {
             HDC screen = GetDC(nullptr);
             HRESULT depth = GetDeviceCaps(screen, BITSPIXEL);
             ReleaseDC(nullptr, screen);
             return depth;
         },
         0},
        {"user32!GetDC", 0, [&] { return static_cast<HRESULT>(GetDC(nullptr) != nullptr); }, 0},
        {"MessageBoxA", 0, [&] { return static_cast<HRESULT>(MessageBoxA(nullptr, "", "", 0)); },
         0},
    };
    for (const Case& c : cases) {
        subset::FailCall(c.call, c.injected);
        int before = subset::CallCount(c.call);
        EXPECT_EQ(c.make(), c.expected) << c.call;
        EXPECT_EQ(subset::CallCount(c.call), before + 1) << c.call;
        EXPECT_NE(c.make(), c.expected) << c.call << " should fail once only";
        if (made) {
            made->Release();
            made = nullptr;
        }
        if (other) {
            other->Release();
            other = nullptr;
        }
        if (dc) {
            back->ReleaseDC(dc);
            dc = nullptr;
        }
        if (c.call == std::string("Lock")) {
            back->Unlock(nullptr);
        }
    }
}

TEST_F(DirectDrawTest, FailuresCanWaitAndRepeat) {
    StartWindowed();
    subset::FailCall("BltFast", DDERR_SURFACELOST, 2, 1);
    EXPECT_EQ(primary->BltFast(0, 0, back, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(primary->BltFast(0, 0, back, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(primary->BltFast(0, 0, back, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(primary->BltFast(0, 0, back, nullptr, DDBLTFAST_WAIT), DD_OK);
    subset::FailCall("Flip", DDERR_GENERIC, -1);
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_GENERIC);
    }
}

// A fault on a call that does not exist would inject nothing and let the test pass for
// the wrong reason: a misspelled name stops the program instead.
TEST(FaultNames, ANameThatIsNoEntryPointStopsTheProgram) {
    headless::Start();
    EXPECT_DEATH(subset::FailCall("Lokc", DDERR_GENERIC), "'Lokc' is not an entry point");
    EXPECT_DEATH(subset::FailCall("GetDC ", 0), "is not an entry point");
    subset::FailCall("user32!GetDC", 0); // every real name is accepted
    EXPECT_EQ(GetDC(nullptr), nullptr);
}

} // namespace
