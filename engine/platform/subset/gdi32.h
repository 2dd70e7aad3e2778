// What the rest of the subset needs from gdi32.cpp: device contexts of surfaces.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_GDI32_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_GDI32_H

#include "engine/platform/subset/win32.h"

namespace subset {

class Surface;

// IDirectDrawSurface::GetDC and ReleaseDC.
HDC CreateSurfaceDC(Surface* surface);
void DeleteSurfaceDC(HDC dc);
// UseHost(): every device context is forgotten.
void ResetDeviceContexts();

} // namespace subset

#endif
