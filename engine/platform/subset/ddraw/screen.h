// The emulated screen: the pixels that have reached it, the count of presented frames,
// and each presented frame handed to the host as the user sees it.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_DDRAW_SCREEN_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_DDRAW_SCREEN_H

#include "engine/platform/subset/seam/host.h"

#include <cstdint>
#include <vector>

namespace subset {

// UseHost(): a black screen of the desktop's size, no frames, nobody listening.
void ResetScreen();
// A new display mode: the screen is black at the mode's size.
void ClearScreen();

// BltFast to or Flip of the primary: `area` of the primary's pixels reached the screen.
// The frame goes to the frame listener, then to the host.
void PresentPrimary(const uint16_t* pixels, int pitchBytes, const RECT& area);
int PresentedFrames();
// The whole screen, row after row, at the current mode's size.
const std::vector<uint16_t>& ScreenPixels();

// CaptureFrames (controls.h): called with every presented frame; NULL stops calling.
typedef void (*FrameListener)(const Frame& frame);
void ListenToFrames(FrameListener listener);

} // namespace subset

#endif
