// Start-up and shut-down of the window and the DirectDraw display.
#include "engine/display/windows_dx.h"

#include "engine/display/startup_error.h"
#include "engine/file/debug_log.h"
#include "engine/file/init_order.h"
#include "engine/image/pixel_format.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

WindowsDX Tolvo TOLVO_INIT_ORDER(TOLVO_ORDER_ENGINE);

namespace {

// rowOffsets has room for rows 0 to height inclusive.
const int32_t WINDX_MAX_ROWS = int32_t(sizeof(WindowsDX::rowOffsets) / sizeof(int32_t));

struct SurfaceFailure {
    HRESULT code;
    const char* line;
};

// The full-screen primary's failures worth a line before the second attempt.
const SurfaceFailure WINDX_SURFACE_FAILURES[] = {
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
    {DDERR_PRIMARYSURFACEALREADYEXISTS, "<WinDX::CreateSurface> Primary Surface Already Exists\n"},
    {DDERR_NOEMULATION, "<WinDX::CreateSurface> No Emulation\n"},
};

void LogSurfaceFailure(HRESULT result) {
    for (const SurfaceFailure& failure : WINDX_SURFACE_FAILURES) {
        if (failure.code == result) {
            debugLog.Write(failure.line, "");
            return;
        }
    }
}

} // namespace

WindowsDX::WindowsDX() {
    // Every field zero except the documented start values.
    pixels = nullptr;
    std::memset(rowOffsets, 0, sizeof(rowOffsets));
    height = width = pitch = 0;
    drawPixel = nullptr;
    drawOpaque = drawKeyed = drawAlpha = drawAdditive = nullptr;
    instance = nullptr;
    showCommand = 0;
    status = NO_INIT;
    requestedFullScreen = 0;
    requestedWidth = requestedHeight = -1;
    fullScreen = screenWidth = screenHeight = bitsPerPixel = 0;
    clipLeft = clipTop = clipRight = clipBottom = 0;
    clientX = clientY = 0;
    active = 0;
    window = nullptr;
    textRed = textGreen = textBlue = textColor = 0;
    keyCount = 0;
    std::memset(keyBuffer, 0, sizeof(keyBuffer));
    std::memset(keyState, 0, sizeof(keyState));
    mouseX = mouseY = lastMouseX = lastMouseY = 0;
    mouseButton = 0;
    saturationTable = nullptr;
    directDraw = nullptr;
    primary = back = nullptr;
    locked = false;
}

WindowsDX::~WindowsDX() {
    delete[] saturationTable;
}

void WindowsDX::SetInstance(HINSTANCE newInstance, int newShowCommand) {
    instance = newInstance;
    showCommand = newShowCommand;
}

bool WindowsDX::Initialize(int32_t wantFullScreen, int32_t wantWidth, int32_t wantHeight) {
    requestedFullScreen = wantFullScreen;
    requestedWidth = wantWidth;
    requestedHeight = wantHeight;

    debugLog.Open("debug.txt");
    debugLog.Write("WindowsDX: Initialization started.\n", "");

    WNDCLASSA windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = nullptr;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    windowClass.lpszMenuName = "Menu";
    windowClass.lpszClassName = "Tolvo";
    if (RegisterClassA(&windowClass) == 0) {
        status = INITCLASS_FAILED;
        return false;
    }
    status = INITCLASS_OK;

    // Only a 16-bit desktop will do; checked before any window exists.
    HDC desktop = GetDC(nullptr);
    bitsPerPixel = GetDeviceCaps(desktop, BITSPIXEL);
    if (bitsPerPixel != 16) {
        ReleaseDC(nullptr, desktop);
        status = BPP_FAILED;
        return false;
    }
    int refreshRate = GetDeviceCaps(desktop, VREFRESH);
    ReleaseDC(nullptr, desktop);
    pacer.SetRate(FramePacer::ChooseRate(std::getenv("TOLVO_FPS"), refreshRate));

    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    screenHeight = GetSystemMetrics(SM_CYSCREEN);
    fullScreen = requestedFullScreen;

    DWORD style;
    if (fullScreen == 1) {
        width = requestedWidth;
        height = requestedHeight;
        style = WS_POPUP;
    } else {
        if (requestedWidth > screenWidth || requestedHeight > screenHeight) {
            status = REQSIZE_FAILED;
            return false;
        }
        width = requestedWidth < 1 ? screenWidth : requestedWidth;
        height = requestedHeight < 1 ? screenHeight : requestedHeight;
        style = WS_SYSMENU;
    }
    clipLeft = 0;
    clipTop = 0;
    clipRight = width - 1;
    clipBottom = height - 1;

    // A hidden window of the wanted outer size tells how much the frame takes.
    HWND measure = CreateWindowExA(WS_EX_APPWINDOW, "Tolvo", "", style, 0, 0, width, height,
                                   nullptr, nullptr, instance, nullptr);
    if (measure == nullptr) {
        status = INITWINTEMP_FAILED;
        return false;
    }
    status = INITWINTEMP_OK;
    RECT client;
    GetClientRect(measure, &client);
    int32_t outerWidth = 2 * width - client.right;
    int32_t outerHeight = 2 * height - client.bottom;
    int32_t x = 0;
    int32_t y = 0;
    if (fullScreen != 1) {
        x = (screenWidth >> 1) - (outerWidth >> 1);
        y = (screenHeight >> 1) - (outerHeight >> 1);
    }
    window = CreateWindowExA(WS_EX_APPWINDOW, "Tolvo", "", style, x, y, outerWidth - 1,
                             outerHeight - 1, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        status = INITWINREAL_FAILED;
        return false;
    }
    status = INITWINREAL_OK;

    ShowWindow(window, showCommand);
    if (UpdateWindow(window) == 0) {
        status = SHOWWIN_FAILED;
        return false;
    }
    status = SHOWWIN_OK;

    if (DirectDrawCreate(nullptr, &directDraw, nullptr) != DD_OK) {
        status = DDSTART_FAILED;
        return false;
    }
    status = DDSTART_OK;
    DWORD level = fullScreen == 1 ? (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE) : DDSCL_NORMAL;
    if (directDraw->SetCooperativeLevel(window, level) != DD_OK) {
        status = DDSETLEVEL_FAILED;
        return false;
    }
    status = DDSETLEVEL_OK;

    if (!CreateSurface())
        return false;

    keyCount = 0;
    debugLog.Write("WindowsDX: Initialization finished OK.\n", "");
    return true;
}

namespace {

// A surface request, and when it fails one more without DDSCAPS_VIDEOMEMORY. The
// full-screen primary logs the first failure's known result codes in between.
bool RequestSurface(LPDIRECTDRAW directDraw, DDSURFACEDESC& description,
                    LPDIRECTDRAWSURFACE& surface, bool logFirstFailure) {
    const HRESULT result = directDraw->CreateSurface(&description, &surface, nullptr);
    if (result == DD_OK)
        return true;
    if (logFirstFailure)
        LogSurfaceFailure(result);
    description.ddsCaps.dwCaps &= ~DDSCAPS_VIDEOMEMORY;
    if (directDraw->CreateSurface(&description, &surface, nullptr) == DD_OK)
        return true;
    surface = nullptr;
    return false;
}

} // namespace

bool WindowsDX::CreateSurface() {
    if (back != nullptr) {
        back->Release();
        back = nullptr;
    }
    if (primary != nullptr) {
        primary->Release();
        primary = nullptr;
    }
    locked = false;

    // The record's size is that of this build's DDSURFACEDESC: 108 bytes with 32-bit
    // pointers, 120 with 64-bit ones.
    DDSURFACEDESC description;
    std::memset(&description, 0, sizeof(description));
    description.dwSize = sizeof(description);

    if (fullScreen == 1) {
        if (directDraw->SetDisplayMode(width, height, bitsPerPixel) != DD_OK) {
            status = SETMODE_FAILED;
            return false;
        }
        status = SETMODE_OK;
        description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        description.dwBackBufferCount = 1;
        description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        if (!RequestSurface(directDraw, description, primary, true)) {
            status = FRONTSURFACE_FAILED;
            return false;
        }
        status = FRONTSURFACE_OK;
        DDSCAPS backCaps;
        backCaps.dwCaps = DDSCAPS_BACKBUFFER;
        if (primary->GetAttachedSurface(&backCaps, &back) != DD_OK) {
            back = nullptr;
            status = BACKSURFACE_FAILED;
            return false;
        }
    } else {
        description.dwFlags = DDSD_CAPS;
        description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY;
        if (!RequestSurface(directDraw, description, primary, false)) {
            status = FRONTSURFACE_FAILED;
            return false;
        }
        status = FRONTSURFACE_OK;
        description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
        description.dwHeight = height;
        description.dwWidth = width;
        description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        if (!RequestSurface(directDraw, description, back, false)) {
            status = BACKSURFACE_FAILED;
            return false;
        }
    }
    status = BACKSURFACE_OK;

    description.dwFlags = DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    primary->GetSurfaceDesc(&description);
    debugLog.Write((description.ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY)
                       ? "WinDX:: Front Buffer is in video memory.\n"
                       : "WinDX:: Front Buffer NOT IN VIDEO MEMORY.\n",
                   "");

    // Unlike the front buffer's, the back buffer's description decides the geometry
    // drawing relies on, so a failure here stops start-up.
    description.dwFlags = DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    HRESULT described = back->GetSurfaceDesc(&description);
    debugLog.Write((description.ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY)
                       ? "WinDX:: Back Buffer is in video memory.\n"
                       : "WinDX:: Back Buffer NOT IN VIDEO MEMORY.\n",
                   "");
    debugLog.Write((description.ddsCaps.dwCaps & DDSCAPS_BACKBUFFER)
                       ? "WinDX:: Back Buffer is a valid flip (back) buffer.\n"
                       : "WinDX:: Back Buffer NOT A FLIP (BACK) BUFFER.\n",
                   "");
    // rowOffsets holds rows 0 to height inclusive: taller buffers are refused rather
    // than written past the table.
    if (described != DD_OK || int32_t(description.dwHeight) >= WINDX_MAX_ROWS ||
        description.lPitch < 2) {
        status = BACKSURFACE_FAILED;
        return false;
    }
    height = int32_t(description.dwHeight);
    pitch = description.lPitch;
    width = pitch / 2;

    SetPixelFormat(description.ddpfPixelFormat.dwRBitMask, description.ddpfPixelFormat.dwGBitMask,
                   description.ddpfPixelFormat.dwBBitMask);

    drawPixel = &WindowsDX::DrawPixel;
    drawOpaque = &WindowsDX::DrawOpaque;
    drawKeyed = &WindowsDX::DrawKeyed;
    drawAlpha = &WindowsDX::DrawAlpha;
    drawAdditive = &WindowsDX::DrawAdditive;

    for (int32_t row = 0; row <= height; ++row)
        rowOffsets[row] = row * pitch;

    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    clientX = origin.x;
    clientY = origin.y;

    active = 1;
    status = READY;
    return true;
}

void WindowsDX::ShowStartupError() {
    StartupError error = StartupErrorFor(status);
    char text[1024];
    std::snprintf(text, sizeof(text), "Unable to start Tolvo.\n\n%s\n\n%s", error.line, error.hint);
    MessageBoxA(nullptr, text, "Tolvo", MB_OK);
    std::snprintf(text, sizeof(text), "Tolvo %s\n", error.line);
    debugLog.Write(text, "");
}

bool WindowsDX::CleanUp() {
    locked = false;
    if (back != nullptr) {
        back->Release();
        back = nullptr;
    }
    if (primary != nullptr) {
        primary->Release();
        primary = nullptr;
    }
    if (directDraw != nullptr) {
        // Every surface is gone, so the object must go with its last reference.
        ULONG remaining = directDraw->Release();
        directDraw = nullptr;
        if (remaining != 0) {
            debugLog.Write("WinDX::CleanUp: Unable to close Direct Draw.\n", "");
            return false;
        }
    }
    return true;
}
