// PNG files of 16-bit frames, for TOLVO_CAPTURE and for tests that want to look at a
// picture. In its own library (tolvo_capture), the only part of the platform with libpng.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_TEST_CONTROLS_CAPTURE_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_TEST_CONTROLS_CAPTURE_H

#include "engine/platform/subset/seam/pixel_masks.h"

#include <cstdint>
#include <string>

namespace subset {

// Writes width x height pixels (rows `stride` pixels apart) as an 8-bit RGB PNG. False,
// with the reason in `error`, when the file cannot be written.
bool WritePng(const std::string& path, const uint16_t* pixels, int stride, int width, int height,
              const PixelMasks& masks, std::string* error);

} // namespace subset

#endif
