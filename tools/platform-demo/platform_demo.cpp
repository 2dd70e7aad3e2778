// platform-demo: opens a 900 x 500 window through the Win32 and DirectDraw calls the engine
// uses, and draws a moving pattern into a locked back buffer every frame. Escape or
// closing the window ends it. Runs on either host (TOLVO_HOST), e.g. with TOLVO_FRAMES and
// TOLVO_CAPTURE on the headless one.
#include "engine/platform/platform.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

const int DEMO_WIDTH = 900;
const int DEMO_HEIGHT = 500;

HWND window = nullptr;
POINT clientOrigin = {0, 0};

LRESULT CALLBACK DemoProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOVE:
        clientOrigin.x = LOWORD(lParam);
        clientOrigin.y = HIWORD(lParam);
        break;
    case WM_CHAR:
        if (wParam == 27) {
            PostQuitMessage(0);
        }
        break;
    case WM_DESTROY:
        if (hwnd == window) { // not the window that measured the frame
            PostQuitMessage(0);
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Packs 8-bit components into the surface's 16-bit layout.
uint16_t Pack(const DDPIXELFORMAT& format, int red, int green, int blue) {
    bool rgb555 = format.dwGBitMask == 0x03E0;
    if (rgb555) {
        return static_cast<uint16_t>(((red >> 3) << 10) | ((green >> 3) << 5) | (blue >> 3));
    }
    return static_cast<uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
}

// Diagonal colour bands scrolling right, and a bouncing square on top.
void DrawPattern(const DDSURFACEDESC& locked, int frame) {
    const DDPIXELFORMAT& format = locked.ddpfPixelFormat;
    for (int y = 0; y < DEMO_HEIGHT; y++) {
        uint16_t* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(locked.lpSurface) +
                                                    y * locked.lPitch);
        for (int x = 0; x < DEMO_WIDTH; x++) {
            int band = (x + y / 2 - frame * 3) & 255;
            int red = band < 128 ? band * 2 : (255 - band) * 2;
            int green = (y * 255) / DEMO_HEIGHT;
            int blue = 255 - (x * 255) / DEMO_WIDTH;
            row[x] = Pack(format, red, green / 2, blue);
        }
    }
    int span = DEMO_WIDTH - 80, rise = DEMO_HEIGHT - 80;
    int left = (frame * 5) % (2 * span), top = (frame * 3) % (2 * rise);
    left = left < span ? left : 2 * span - left;
    top = top < rise ? top : 2 * rise - top;
    uint16_t white = Pack(format, 255, 255, 255), black = Pack(format, 0, 0, 0);
    for (int y = top; y < top + 80; y++) {
        uint16_t* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(locked.lpSurface) +
                                                    y * locked.lPitch);
        for (int x = left; x < left + 80; x++) {
            bool edge = y < top + 4 || y >= top + 76 || x < left + 4 || x >= left + 76;
            row[x] = edge ? black : white;
        }
    }
}

int Fail(const char* what, HRESULT result) {
    char text[160];
    std::snprintf(text, sizeof text, "%s failed (0x%08X).", what, static_cast<unsigned>(result));
    MessageBoxA(nullptr, text, "platform-demo", MB_OK);
    return 1;
}

// Frames per second: TOLVO_FPS (0 = as fast as possible), else the display's rate.
int FrameRate() {
    const char* text = std::getenv("TOLVO_FPS");
    if (text && *text) {
        return std::atoi(text);
    }
    HDC screen = GetDC(nullptr);
    int rate = GetDeviceCaps(screen, VREFRESH);
    ReleaseDC(nullptr, screen);
    return rate > 1 ? rate : 60;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = DemoProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "TolvoPlatformDemo";
    if (!RegisterClassA(&windowClass)) {
        return Fail("RegisterClassA", 0);
    }
    // A client area of exactly 900 x 500: measure the frame with a hidden window first.
    HWND measure = CreateWindowExA(0, "TolvoPlatformDemo", "", WS_SYSMENU, 0, 0, DEMO_WIDTH,
                                   DEMO_HEIGHT, nullptr, nullptr, instance, nullptr);
    RECT client = {0, 0, DEMO_WIDTH, DEMO_HEIGHT};
    GetClientRect(measure, &client);
    DestroyWindow(measure);
    int outerWidth = 2 * DEMO_WIDTH - client.right, outerHeight = 2 * DEMO_HEIGHT - client.bottom;
    int x = GetSystemMetrics(SM_CXSCREEN) / 2 - outerWidth / 2;
    int y = GetSystemMetrics(SM_CYSCREEN) / 2 - outerHeight / 2;
    window = CreateWindowExA(WS_EX_APPWINDOW, "TolvoPlatformDemo", "Tolvo platform demo",
                             WS_SYSMENU, x < 0 ? 0 : x, y < 0 ? 0 : y, outerWidth, outerHeight,
                             nullptr, nullptr, instance, nullptr);
    if (!window) {
        return Fail("CreateWindowExA", 0);
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    LPDIRECTDRAW directDraw = nullptr;
    HRESULT result = DirectDrawCreate(nullptr, &directDraw, nullptr);
    if (result != DD_OK) {
        return Fail("DirectDrawCreate", result);
    }
    directDraw->SetCooperativeLevel(window, DDSCL_NORMAL);
    DDSURFACEDESC description = {};
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    LPDIRECTDRAWSURFACE primary = nullptr, back = nullptr;
    if ((result = directDraw->CreateSurface(&description, &primary, nullptr)) != DD_OK) {
        return Fail("CreateSurface (primary)", result);
    }
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    description.dwWidth = DEMO_WIDTH;
    description.dwHeight = DEMO_HEIGHT;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    if ((result = directDraw->CreateSurface(&description, &back, nullptr)) != DD_OK) {
        return Fail("CreateSurface (back buffer)", result);
    }

    int rate = FrameRate();
    auto period = std::chrono::microseconds(rate > 0 ? 1000000 / rate : 0);
    auto due = std::chrono::steady_clock::now();
    int frame = 0;
    MSG msg = {};
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        frame++;
        DDSURFACEDESC locked = {};
        locked.dwSize = sizeof locked;
        if (back->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) == DD_OK) {
            DrawPattern(locked, frame);
            back->Unlock(nullptr);
        }
        HDC dc = nullptr;
        if (back->GetDC(&dc) == DD_OK) {
            char text[64];
            std::snprintf(text, sizeof text, "Tolvo platform demo - frame %d", frame);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(255, 255, 0));
            TextOutA(dc, 12, 12, text, static_cast<int>(std::strlen(text)));
            back->ReleaseDC(dc);
        }
        if (GetForegroundWindow() == window &&
            primary->BltFast(clientOrigin.x, clientOrigin.y, back, nullptr, DDBLTFAST_WAIT) ==
                DDERR_SURFACELOST) {
            primary->Restore();
            back->Restore();
        }
        if (rate > 0) {
            due += period;
            std::this_thread::sleep_until(due);
        }
    }
    back->Release();
    primary->Release();
    directDraw->Release();
    return static_cast<int>(msg.wParam);
}
