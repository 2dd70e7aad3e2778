// The emulated desktop: its size and pixel format as the host started it, and the
// display mode in force (the desktop's own, or a full-screen mode DirectDraw set).
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_DDRAW_DESKTOP_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_DDRAW_DESKTOP_H

#include "engine/platform/subset/seam/host.h"

namespace subset {

// UseHost(): the host's desktop, in its own mode.
void ResetDesktop(const DesktopInfo& desktop);
// Everything that asks for the screen's size, depth or format: the mode in force.
const DesktopInfo& CurrentDesktop();
// IDirectDraw::SetDisplayMode: a mode no larger than the desktop the host started with.
HRESULT SetMode(int width, int height, int bitsPerPixel);
// Releasing an exclusive DirectDraw object: back to the desktop's own mode.
void RestoreMode();
bool FullScreenMode();

} // namespace subset

#endif
