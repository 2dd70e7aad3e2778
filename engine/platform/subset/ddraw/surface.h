// A DirectDraw surface of 16-bit pixels in memory: the primary (alone, or the front of a
// flip chain), the chain's back buffer, or an off-screen plain surface.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_DDRAW_SURFACE_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_DDRAW_SURFACE_H

#include "engine/platform/subset/sdk/ddraw.h"
#include "engine/platform/subset/seam/pixel_masks.h"

#include <cstdint>
#include <vector>

#ifndef DDSD_LPSURFACE
#define DDSD_LPSURFACE 0x00000800u
#endif

namespace subset {

class Surface : public IDirectDrawSurface {
  public:
    // caps: what GetSurfaceDesc reports; pitch is width * 2 plus the desktop's padding.
    Surface(int width, int height, const PixelMasks& masks, int pitchPadding, DWORD caps);
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* surface) override;
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC description) override;
    HRESULT Lock(LPRECT rect, LPDDSURFACEDESC description, DWORD flags, HANDLE event) override;
    HRESULT Unlock(LPVOID rect) override;
    HRESULT Flip(LPDIRECTDRAWSURFACE target, DWORD flags) override;
    HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE source, LPRECT sourceRect,
                    DWORD trans) override;
    HRESULT IsLost() override;
    HRESULT Restore() override;
    HRESULT GetDC(HDC* dc) override;
    HRESULT ReleaseDC(HDC dc) override;

    // Inside the subset: the flip chain and presentation.
    void AttachBackBuffer(Surface* back);
    uint16_t* Pixels() { return reinterpret_cast<uint16_t*>(memory.data()); }
    int Width() const { return width; }
    int Height() const { return height; }
    int Pitch() const { return pitch; }
    const PixelMasks& Masks() const { return masks; }
    bool IsPrimary() const { return (caps & DDSCAPS_PRIMARYSURFACE) != 0; }
    void Lose() { lost = true; }
    // The host was reset: this surface no longer belongs to any screen.
    void Orphan() {
        orphaned = true;
        lost = true;
    }

  protected:
    ~Surface() override;

  private:
    void Describe(LPDDSURFACEDESC description) const;
    bool Busy() const { return locked || dc != nullptr; }

    int width;
    int height;
    int pitch;
    PixelMasks masks;
    DWORD caps;
    std::vector<uint8_t> memory;
    ULONG references = 1;
    bool lost = false;
    bool orphaned = false;
    bool locked = false;
    HDC dc = nullptr;
    Surface* backBuffer = nullptr; // a flip chain's primary holds one reference to its back
    Surface* frontBuffer = nullptr;
};

// A primary surface that has not been released, or NULL: there is one at a time.
Surface* LivePrimary();
// LoseSurfaces (controls.h).
void LoseAllSurfaces();
// UseHost(): every surface still held is orphaned (lost for good) and forgotten.
void OrphanAllSurfaces();
// Lock and GetSurfaceDesc take the SDK's 32-bit size (108) or this build's own.
bool ValidDescriptionSize(const DDSURFACEDESC* description);

} // namespace subset

#endif
