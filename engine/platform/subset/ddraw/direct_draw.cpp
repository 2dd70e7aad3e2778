// ddraw: the DirectDraw object of the emulated display: cooperative level, display mode
// and surface creation, with the checks and results of the real one.
#include "engine/platform/subset/test_controls/calls.h"
#include "engine/platform/subset/ddraw/desktop.h"
#include "engine/platform/subset/ddraw/screen.h"
#include "engine/platform/subset/ddraw/surface.h"
#include "engine/platform/subset/user32/window_manager.h"

namespace subset {
namespace {

const int SURFACE_MAX_SIDE = 8192;

class DirectDraw : public IDirectDraw {
  public:
    ULONG AddRef() override { return ++references; }

    ULONG Release() override {
        CallFails("Release");
        ULONG left = --references;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        HRESULT failure;
        if (CallFails("SetCooperativeLevel", &failure)) {
            return failure;
        }
        bool normal = (flags & DDSCL_NORMAL) != 0;
        bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
        bool exclusiveFlag = (flags & DDSCL_EXCLUSIVE) != 0;
        // Either normal, or exclusive full screen with a window to own the display.
        if (normal == (fullScreen || exclusiveFlag) || fullScreen != exclusiveFlag) {
            return DDERR_INVALIDPARAMS;
        }
        if ((window && !IsWindowHandle(window)) || (exclusiveFlag && !window)) {
            return DDERR_INVALIDPARAMS;
        }
        levelSet = true;
        exclusive = exclusiveFlag;
        return DD_OK;
    }

    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) override {
        HRESULT failure;
        if (CallFails("SetDisplayMode", &failure)) {
            return failure;
        }
        if (width > 65535 || height > 65535 || bitsPerPixel > 64) {
            return DDERR_INVALIDMODE;
        }
        HRESULT result = SetMode(static_cast<int>(width), static_cast<int>(height),
                                 static_cast<int>(bitsPerPixel));
        if (result == DD_OK) {
            changedMode = true;
            ClearScreen(); // a new mode starts black
        }
        return result;
    }

    HRESULT CreateSurface(LPDDSURFACEDESC description, LPDIRECTDRAWSURFACE* surface,
                          IUnknown* outer) override {
        HRESULT failure;
        if (surface) {
            *surface = nullptr;
        }
        if (CallFails("CreateSurface", &failure)) {
            return failure;
        }
        if (!ValidDescriptionSize(description) || !surface || outer ||
            !(description->dwFlags & DDSD_CAPS)) {
            return DDERR_INVALIDPARAMS;
        }
        if (!levelSet) {
            return DDERR_NOCOOPERATIVELEVELSET;
        }
        DWORD caps = description->ddsCaps.dwCaps;
        DWORD memory = (caps & DDSCAPS_SYSTEMMEMORY) ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_VIDEOMEMORY;
        const DesktopInfo& desktop = CurrentDesktop();
        if (caps & (DDSCAPS_BACKBUFFER | DDSCAPS_FRONTBUFFER)) {
            return DDERR_INVALIDCAPS; // made only as part of a flip chain
        }
        if (caps & DDSCAPS_PRIMARYSURFACE) {
            return CreatePrimary(*description, caps, memory, desktop, surface);
        }
        if ((description->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) ||
            description->dwWidth == 0 || description->dwHeight == 0) {
            return DDERR_INVALIDPARAMS;
        }
        if (description->dwWidth > SURFACE_MAX_SIDE) {
            return DDERR_TOOBIGWIDTH;
        }
        if (description->dwHeight > SURFACE_MAX_SIDE) {
            return DDERR_TOOBIGHEIGHT;
        }
        if (caps & DDSCAPS_FLIP) {
            return DDERR_INVALIDCAPS; // only the primary heads a flip chain here
        }
        PixelMasks masks = desktop.masks;
        if (description->dwFlags & DDSD_PIXELFORMAT) {
            const DDPIXELFORMAT& format = description->ddpfPixelFormat;
            const PixelMasks asked = {format.dwRBitMask, format.dwGBitMask, format.dwBBitMask};
            if (!(format.dwFlags & DDPF_RGB) || format.dwRGBBitCount != 16 ||
                (asked != RGB565 && asked != RGB555)) {
                return DDERR_INVALIDPIXELFORMAT;
            }
            masks = asked;
        }
        DWORD kept = caps & (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_COMPLEX);
        *surface = new Surface(static_cast<int>(description->dwWidth),
                               static_cast<int>(description->dwHeight), masks, desktop.pitchPadding,
                               kept | memory);
        return DD_OK;
    }

    HRESULT WaitForVerticalBlank(DWORD, HANDLE) override {
        HRESULT failure;
        if (CallFails("WaitForVerticalBlank", &failure)) {
            return failure;
        }
        return DD_OK;
    }

  protected:
    ~DirectDraw() override {
        // An exclusive owner gives the display back in the mode it found it.
        if (changedMode && FullScreenMode()) {
            RestoreMode();
            ClearScreen();
        }
    }

  private:
    HRESULT CreatePrimary(const DDSURFACEDESC& description, DWORD caps, DWORD memory,
                          const DesktopInfo& desktop, LPDIRECTDRAWSURFACE* surface) {
        if (LivePrimary()) {
            return DDERR_PRIMARYSURFACEALREADYEXISTS;
        }
        if (description.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) {
            return DDERR_INVALIDPARAMS; // the primary is the screen: its size is the mode's
        }
        bool flip = (caps & DDSCAPS_FLIP) != 0;
        if (!flip) {
            *surface = new Surface(desktop.width, desktop.height, desktop.masks,
                                   desktop.pitchPadding, DDSCAPS_PRIMARYSURFACE | memory);
            return DD_OK;
        }
        if (!(caps & DDSCAPS_COMPLEX) || !(description.dwFlags & DDSD_BACKBUFFERCOUNT) ||
            description.dwBackBufferCount == 0) {
            return DDERR_INVALIDCAPS;
        }
        if (description.dwBackBufferCount > 1) {
            return DDERR_UNSUPPORTED; // one back buffer is all the engine asks for
        }
        if (!exclusive) {
            return DDERR_NOEXCLUSIVEMODE;
        }
        DWORD chain = DDSCAPS_FLIP | DDSCAPS_COMPLEX | memory;
        Surface* front =
            new Surface(desktop.width, desktop.height, desktop.masks, desktop.pitchPadding,
                        DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER | chain);
        Surface* back = new Surface(desktop.width, desktop.height, desktop.masks,
                                    desktop.pitchPadding, DDSCAPS_BACKBUFFER | chain);
        front->AttachBackBuffer(back);
        *surface = front;
        return DD_OK;
    }

    ULONG references = 1;
    bool levelSet = false;
    bool exclusive = false;
    bool changedMode = false;
};

} // namespace
} // namespace subset

HRESULT WINAPI DirectDrawCreate(GUID* guid, LPDIRECTDRAW* directDraw, IUnknown* outer) {
    HRESULT failure;
    if (directDraw) {
        *directDraw = nullptr;
    }
    if (subset::CallFails("DirectDrawCreate", &failure)) {
        return failure;
    }
    if (!directDraw || outer) {
        return DDERR_INVALIDPARAMS;
    }
    if (guid) {
        return DDERR_INVALIDDIRECTDRAWGUID; // only the default display driver exists
    }
    *directDraw = new subset::DirectDraw();
    return DD_OK;
}
