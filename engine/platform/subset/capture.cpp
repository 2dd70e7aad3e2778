#include "engine/platform/subset/capture.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace subset {
namespace {

// Widens a field to 8 bits by repeating its top bits, so full intensity stays 255.
uint8_t Widen(unsigned value, int bits) {
    return static_cast<uint8_t>((value << (8 - bits)) | (value >> (2 * bits - 8)));
}

} // namespace

bool WritePng(const std::string& path, const uint16_t* pixels, int stride, int width, int height,
              bool rgb555, std::string* error) {
    if (!pixels || width <= 0 || height <= 0) {
        *error = "empty picture";
        return false;
    }
    // Allocated before setjmp, so a longjmp back leaves it to its destructor.
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *error = "cannot create " + path;
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        *error = "out of memory";
        return false;
    }
    // libpng reports errors by longjmp; nothing below owns anything that needs unwinding.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        *error = "cannot write " + path;
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 3);
    png_write_info(png, info);
    int greenBits = rgb555 ? 5 : 6;
    int redShift = rgb555 ? 10 : 11;
    for (int y = 0; y < height; y++) {
        const uint16_t* source = pixels + static_cast<size_t>(y) * stride;
        for (int x = 0; x < width; x++) {
            unsigned p = source[x];
            row[x * 3 + 0] = Widen((p >> redShift) & 0x1f, 5);
            row[x * 3 + 1] = Widen((p >> 5) & ((1u << greenBits) - 1), greenBits);
            row[x * 3 + 2] = Widen(p & 0x1f, 5);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    bool closed = std::fclose(file) == 0;
    if (!closed) {
        *error = "cannot write " + path;
    }
    return closed;
}

} // namespace subset
