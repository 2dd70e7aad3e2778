#include "engine/platform/subset/ddraw/surface.h"

#include "engine/platform/subset/test_controls/calls.h"
#include "engine/platform/subset/gdi32/device_context.h"
#include "engine/platform/subset/ddraw/screen.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace subset {
namespace {

std::set<Surface*>& LiveSurfaces() {
    static std::set<Surface*> surfaces;
    return surfaces;
}

Surface*& Primary() {
    static Surface* primary = nullptr;
    return primary;
}

void FillPixelFormat(DDPIXELFORMAT* format, const PixelMasks& masks) {
    std::memset(format, 0, sizeof *format);
    format->dwSize = sizeof *format;
    format->dwFlags = DDPF_RGB;
    format->dwRGBBitCount = 16;
    format->dwRBitMask = masks.red;
    format->dwGBitMask = masks.green;
    format->dwBBitMask = masks.blue;
}

} // namespace

bool ValidDescriptionSize(const DDSURFACEDESC* description) {
    return description &&
           (description->dwSize == 108 || description->dwSize == sizeof(DDSURFACEDESC));
}

Surface::Surface(int width, int height, const PixelMasks& masks, int pitchPadding, DWORD caps)
    : width(width), height(height), pitch(width * 2 + std::max(0, pitchPadding)), masks(masks),
      caps(caps), memory(static_cast<size_t>(pitch) * height, 0) {
    LiveSurfaces().insert(this);
    if (IsPrimary()) {
        Primary() = this;
    }
}

Surface::~Surface() {
    if (dc) {
        ForgetDC(dc);
    }
    if (backBuffer) {
        backBuffer->frontBuffer = nullptr;
        backBuffer->Release();
    }
    if (frontBuffer) {
        frontBuffer->backBuffer = nullptr;
    }
    LiveSurfaces().erase(this);
    if (Primary() == this) {
        Primary() = nullptr;
    }
}

ULONG Surface::AddRef() {
    return ++references;
}

ULONG Surface::Release() {
    CallFails("Release");
    ULONG left = --references;
    if (left == 0) {
        delete this;
    }
    return left;
}

void Surface::AttachBackBuffer(Surface* back) {
    backBuffer = back;
    back->frontBuffer = this;
}

void Surface::Describe(LPDDSURFACEDESC description) const {
    // The caller's record is always a whole DDSURFACEDESC, whichever size it announced.
    DWORD size = description->dwSize;
    std::memset(description, 0, sizeof *description);
    description->dwSize = size;
    description->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    description->dwHeight = static_cast<DWORD>(height);
    description->dwWidth = static_cast<DWORD>(width);
    description->lPitch = pitch;
    description->dwBackBufferCount = backBuffer ? 1 : 0;
    FillPixelFormat(&description->ddpfPixelFormat, masks);
    description->ddsCaps.dwCaps = caps;
}

HRESULT Surface::GetAttachedSurface(LPDDSCAPS wanted, LPDIRECTDRAWSURFACE* surface) {
    HRESULT failure;
    if (CallFails("GetAttachedSurface", &failure)) {
        if (surface) {
            *surface = nullptr;
        }
        return failure;
    }
    if (!wanted || !surface) {
        return DDERR_INVALIDPARAMS;
    }
    *surface = nullptr;
    if (!backBuffer || (wanted->dwCaps & ~backBuffer->caps) != 0) {
        return DDERR_NOTFOUND;
    }
    backBuffer->AddRef();
    *surface = backBuffer;
    return DD_OK;
}

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC description) {
    HRESULT failure;
    if (CallFails("GetSurfaceDesc", &failure)) {
        return failure;
    }
    if (!ValidDescriptionSize(description)) {
        return DDERR_INVALIDPARAMS;
    }
    Describe(description);
    return DD_OK;
}

HRESULT Surface::Lock(LPRECT rect, LPDDSURFACEDESC description, DWORD, HANDLE) {
    HRESULT failure;
    if (CallFails("Lock", &failure)) {
        return failure;
    }
    if (!ValidDescriptionSize(description)) {
        return DDERR_INVALIDPARAMS;
    }
    if (lost) {
        return DDERR_SURFACELOST;
    }
    if (Busy()) {
        return DDERR_SURFACEBUSY;
    }
    RECT whole = {0, 0, width, height};
    RECT area = rect ? *rect : whole;
    if (area.left < 0 || area.top < 0 || area.right > width || area.bottom > height ||
        area.left >= area.right || area.top >= area.bottom) {
        return DDERR_INVALIDRECT;
    }
    Describe(description);
    description->dwFlags |= DDSD_LPSURFACE;
    description->lpSurface =
        memory.data() + static_cast<size_t>(area.top) * pitch + static_cast<size_t>(area.left) * 2;
    locked = true;
    return DD_OK;
}

HRESULT Surface::Unlock(LPVOID) {
    HRESULT failure;
    if (CallFails("Unlock", &failure)) {
        return failure;
    }
    if (!locked) {
        return DDERR_NOTLOCKED;
    }
    locked = false;
    return DD_OK;
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE target, DWORD) {
    HRESULT failure;
    if (CallFails("Flip", &failure)) {
        return failure;
    }
    if (!IsPrimary() || !backBuffer) {
        return DDERR_NOTFLIPPABLE;
    }
    if (target && target != backBuffer) {
        return DDERR_INVALIDPARAMS;
    }
    if (lost || backBuffer->lost) {
        return DDERR_SURFACELOST;
    }
    if (Busy() || backBuffer->Busy()) {
        return DDERR_SURFACEBUSY;
    }
    // The two buffers trade memory: what was drawn is now shown, and the old front is
    // the next back buffer, with whatever it held.
    memory.swap(backBuffer->memory);
    RECT whole = {0, 0, width, height};
    PresentPrimary(Pixels(), pitch, whole);
    return DD_OK;
}

HRESULT Surface::BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE sourceInterface, LPRECT sourceRect,
                         DWORD) {
    HRESULT failure;
    if (CallFails("BltFast", &failure)) {
        return failure;
    }
    Surface* source = static_cast<Surface*>(sourceInterface);
    if (!source) {
        return DDERR_INVALIDPARAMS;
    }
    if (lost || source->lost) {
        return DDERR_SURFACELOST;
    }
    if (Busy() || source->Busy()) {
        return DDERR_SURFACEBUSY;
    }
    RECT from = {0, 0, source->width, source->height};
    if (sourceRect) {
        from = *sourceRect;
        if (from.left < 0 || from.top < 0 || from.right > source->width ||
            from.bottom > source->height || from.left >= from.right || from.top >= from.bottom) {
            return DDERR_INVALIDRECT;
        }
    }
    // Clipped to this surface (for the primary: the desktop), so a window partly off the
    // screen shows its visible part. Coordinates past 2^31 are simply off the surface.
    int64_t left = x, top = y;
    int64_t right = std::min<int64_t>(left + (from.right - from.left), width);
    int64_t bottom = std::min<int64_t>(top + (from.bottom - from.top), height);
    if (left < width && top < height && right > left && bottom > top) {
        size_t rowBytes = static_cast<size_t>(right - left) * 2;
        bool overlapping = source == this;
        std::vector<uint8_t> copy;
        const uint8_t* base = source->memory.data();
        if (overlapping) {
            copy = source->memory;
            base = copy.data();
        }
        for (int64_t row = 0; row < bottom - top; row++) {
            const uint8_t* from8 = base + static_cast<size_t>(from.top + row) * source->pitch +
                                   static_cast<size_t>(from.left) * 2;
            uint8_t* to = memory.data() + static_cast<size_t>(top + row) * pitch +
                          static_cast<size_t>(left) * 2;
            std::memcpy(to, from8, rowBytes);
        }
    }
    if (IsPrimary()) {
        RECT area = {static_cast<LONG>(std::min<int64_t>(left, width)),
                     static_cast<LONG>(std::min<int64_t>(top, height)), static_cast<LONG>(right),
                     static_cast<LONG>(bottom)};
        PresentPrimary(Pixels(), pitch, area);
    }
    return DD_OK;
}

HRESULT Surface::IsLost() {
    HRESULT failure;
    if (CallFails("IsLost", &failure)) {
        return failure;
    }
    return lost ? DDERR_SURFACELOST : DD_OK;
}

HRESULT Surface::Restore() {
    HRESULT failure;
    if (CallFails("Restore", &failure)) {
        return failure;
    }
    if (orphaned) {
        return DDERR_WRONGMODE;
    }
    if (lost) {
        // The memory comes back, its contents do not.
        std::fill(memory.begin(), memory.end(), 0);
        lost = false;
    }
    // As in DirectDraw, restoring a flip chain's front restores its implicit back buffer.
    if (backBuffer && backBuffer->lost) {
        std::fill(backBuffer->memory.begin(), backBuffer->memory.end(), 0);
        backBuffer->lost = false;
    }
    return DD_OK;
}

HRESULT Surface::GetDC(HDC* out) {
    HRESULT failure;
    if (CallFails("GetDC", &failure)) {
        return failure;
    }
    if (!out) {
        return DDERR_INVALIDPARAMS;
    }
    if (lost) {
        return DDERR_SURFACELOST;
    }
    if (Busy()) {
        return DDERR_SURFACEBUSY;
    }
    Canvas canvas;
    canvas.pixels = memory.data();
    canvas.width = width;
    canvas.height = height;
    canvas.pitch = pitch;
    canvas.masks = masks;
    dc = CreateCanvasDC(canvas);
    *out = dc;
    return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC given) {
    HRESULT failure;
    if (CallFails("ReleaseDC", &failure)) {
        return failure;
    }
    if (!dc || given != dc) {
        return DDERR_NODC;
    }
    ForgetDC(dc);
    dc = nullptr;
    return DD_OK;
}

Surface* LivePrimary() {
    return Primary();
}

void LoseAllSurfaces() {
    for (Surface* surface : LiveSurfaces()) {
        surface->Lose();
    }
}

void OrphanAllSurfaces() {
    for (Surface* surface : LiveSurfaces()) {
        surface->Orphan();
    }
    LiveSurfaces().clear();
    Primary() = nullptr;
}

} // namespace subset
