// The emulated screen: the desktop's size and pixel format, the display mode, and the
// pixels that have reached the screen. The primary surface presents through it; it
// counts frames, captures them to PNG files and hands them to the host.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_DISPLAY_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_DISPLAY_H

#include "engine/platform/subset/host.h"

#include <cstdint>
#include <string>
#include <vector>

namespace subset {

// UseHost(): the host's desktop, a black screen, no frames, no capture.
void ResetDisplay(const DesktopInfo& desktop);
// Everything that asks for the screen's size, depth or format: the mode in force.
const DesktopInfo& CurrentDesktop();
// IDirectDraw::SetDisplayMode: a mode no larger than the desktop the host started with.
HRESULT SetMode(int width, int height, int bitsPerPixel);
// Releasing an exclusive DirectDraw object: back to the desktop's own mode.
void RestoreMode();
bool FullScreenMode();

// BltFast to or Flip of the primary: `area` of the primary's pixels reached the screen.
void PresentPrimary(const uint16_t* pixels, int pitchBytes, const RECT& area);
int PresentedFrames();
const std::vector<uint16_t>& ScreenPixels();

// TOLVO_CAPTURE: PNG files of every k-th presented frame (the main window's client area,
// or the whole screen in full screen) go into this folder; an empty folder stops capture.
bool CaptureFrames(const std::string& folder, int every);

} // namespace subset

#endif
