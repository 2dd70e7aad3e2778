#include "tests/fuzz/tiff_input.h"

#include "engine/image/image.h"
#include "engine/image/pixel_format.h"
#include "engine/image/tiff.h"

#include <cstdio>

bool WriteInputFile(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        return false;
    }
    const bool written = size == 0 || std::fwrite(data, size, 1, out) == 1;
    return std::fclose(out) == 0 && written;
}

void LoadInEachMode(const char* path, const uint8_t* data, size_t size, Tiff& tiff, Image& image) {
    if (size > 0 && (data[size - 1] & 1)) {
        SetPixelFormat(0x7C00, 0x03E0, 0x001F);
    } else {
        SetPixelFormat(0xF800, 0x07E0, 0x001F);
    }
    for (int mode : {IMG_MODE_OPAQUE, IMG_MODE_COLORKEY, IMG_MODE_PREMULTIPLY}) {
        tiff.Load(path, image, mode);
    }
}
