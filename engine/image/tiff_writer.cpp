// Tiff::SaveTiff: one fixed layout, Intel order, 14 directory entries, pixels at 204.
#include "engine/image/tiff.h"

#include "engine/file/fatal.h"
#include "engine/file/file.h"
#include "engine/image/byte_order_ops.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char* const MSG_UNKNOWN_MODE = "Save:Tiff: Unknown TIFF mode.\n";
const char* const MSG_UNSUPPORTED = "SaveTiff: Given pixel depth and color mode not supported.\n";
const char* const MSG_NOT_24BIT =
    "SaveTiff: Only a 24-bit RGB image with pixels, at most 65535 pixels on a side, can be "
    "saved.\n";
const char* const MSG_NAME_TOO_LONG = "SaveTiff: File name must be shorter than 100 characters.\n";
const char* const MSG_NO_NAME = "SaveTiff: No file name given.\n";

// Offsets of the fixed layout.
const uint32_t DIRECTORY_OFFSET = 8;
const uint16_t DIRECTORY_ENTRIES = 14;
const uint32_t BITS_OFFSET = 182;
const uint32_t XRESOLUTION_OFFSET = 188;
const uint32_t YRESOLUTION_OFFSET = 196;
const uint32_t PIXELS_OFFSET = 204;

const uint16_t TYPE_SHORT = 3;
const uint16_t TYPE_LONG = 4;
const uint16_t TYPE_RATIONAL = 5;
const uint16_t MAX_SIDE = 65535; // width and height are written as SHORTs

[[noreturn]] void Fatal(const char* message) {
    std::fputs(message, stdout);
    FatalExit();
}

// Row sizes are worked out in floating point and rounded down, as the layout always was.
int32_t RoundDown(double v) {
    if (!(v > 0.0)) {
        return 0;
    }
    return v >= static_cast<double>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(v);
}

bool Is24Bit(uint8_t flags) {
    return (flags & IMG_24BIT) && !(flags & (IMG_8BIT | IMG_DEPTHX | IMG_16BIT));
}

// Writes SHORTs and LONGs through the byte-order table.
struct Writer {
    File& out;
    ByteOrderOps& order;

    void Short(uint32_t v) { out.WriteShort(order.WriteUS(v)); }
    void Long(uint32_t v) { out.WriteLong(order.WriteUL(v)); }
    void Entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        Short(tag);
        Short(type);
        Long(count);
        if (type == TYPE_SHORT && count == 1) {
            Short(value);
            Short(0);
        } else {
            Long(value);
        }
    }
};

} // namespace

void Tiff::SaveTiff(const char* name, Image& source) {
    File out;
    ByteOrderOps ops;
    image = &source;
    // Refused up front, before a file is created: a cut-down name would be another
    // file, and anything but 24-bit pixels would be written as garbage.
    if (!name) {
        Fatal(MSG_NO_NAME);
    }
    if (std::strlen(name) >= static_cast<size_t>(TIFF_NAME_ROOM)) {
        Fatal(MSG_NAME_TOO_LONG);
    }
    std::strcpy(fileName, name);
    if (!Is24Bit(source.flags) || !source.pixels || source.width <= 0 || source.height <= 0 ||
        source.width > MAX_SIDE || source.height > MAX_SIDE) {
        Fatal(MSG_NOT_24BIT);
    }

    out.Open(fileName, FILE_AUTOCREATE | FILE_WRITE | RANDOM);
    width = source.width;
    height = source.height;
    Writer w{out, ops};

    out.WriteShort(0x4949); // "II", written raw
    w.Short(42);
    w.Long(DIRECTORY_OFFSET);

    w.Short(DIRECTORY_ENTRIES);
    const int32_t depth = bitsPerPixel; // bits per sample, set by the caller
    if (mode == TIFF_BILEVEL) {
        greyBits = 1;
    } else if (mode == TIFF_GREYSCALE) {
        greyBits = depth;
    } else if (mode == TIFF_RGB) {
        redBits = greenBits = blueBits = depth;
    }
    w.Entry(254, TYPE_LONG, 1, 0); // NewSubfileType
    w.Entry(256, TYPE_SHORT, 1, static_cast<uint32_t>(width));
    w.Entry(257, TYPE_SHORT, 1, static_cast<uint32_t>(height));
    if (mode == TIFF_BILEVEL) {
        samples = 1;
        w.Entry(258, TYPE_SHORT, 1, 1);
    } else if (mode == TIFF_GREYSCALE) {
        samples = 1;
        w.Entry(258, TYPE_SHORT, 1, static_cast<uint32_t>(depth));
    } else if (mode == TIFF_RGB) {
        samples = 3;
        w.Entry(258, TYPE_SHORT, 3, BITS_OFFSET);
    } else {
        Fatal(MSG_UNKNOWN_MODE);
    }
    w.Entry(259, TYPE_SHORT, 1, 1); // no compression
    photometric = mode == TIFF_RGB ? 2 : 1;
    w.Entry(262, TYPE_SHORT, 1, static_cast<uint32_t>(photometric));
    w.Entry(273, TYPE_LONG, 1, PIXELS_OFFSET);
    w.Entry(277, TYPE_SHORT, 1, mode == TIFF_RGB ? 3 : 1);
    rowsPerStrip = height;
    strips = 1;
    w.Entry(278, TYPE_SHORT, 1, static_cast<uint32_t>(rowsPerStrip));
    if (mode == TIFF_BILEVEL) {
        bytesPerRow = RoundDown(width * 0.125 + 1.0);
    } else if (mode == TIFF_GREYSCALE) {
        bytesPerRow = RoundDown(depth * static_cast<double>(width) * 0.125);
    } else {
        bytesPerRow = RoundDown(depth * static_cast<double>(width) * 3 * 0.125);
    }
    const uint32_t byteCount = static_cast<uint32_t>(bytesPerRow) * static_cast<uint32_t>(height);
    stripByteCounts = static_cast<int32_t>(byteCount);
    w.Entry(279, TYPE_LONG, 1, byteCount);
    w.Entry(282, TYPE_RATIONAL, 1, XRESOLUTION_OFFSET);
    w.Entry(283, TYPE_RATIONAL, 1, YRESOLUTION_OFFSET);
    w.Entry(296, TYPE_SHORT, 1, 2); // ResolutionUnit: inch
    w.Entry(320, TYPE_SHORT, 0, 0); // ColorMap: none
    w.Long(0);                      // no next directory

    // Out-of-line values: the three depths, then 1/1 twice.
    for (int i = 0; i < 3; ++i) {
        w.Short(static_cast<uint32_t>(depth));
    }
    for (int i = 0; i < 4; ++i) {
        w.Long(1);
    }

    if (mode == TIFF_RGB) {
        if (redBits != 8) {
            Fatal(MSG_UNSUPPORTED);
        }
        // At 8 bits a stored row is exactly the image's row, written straight from it.
        // A pixel that carries its own alpha byte is four bytes: its colour goes out.
        const int step = Image::BytesPerPixel(source.flags);
        const size_t rowBytes = static_cast<size_t>(width) * step;
        std::vector<uint8_t> colour(step == 3 ? 0 : static_cast<size_t>(width) * 3);
        for (int row = 0; row < height; ++row) {
            const uint8_t* pixels = source.pixels + row * rowBytes;
            if (step != 3) {
                for (int x = 0; x < width; ++x) {
                    std::memcpy(&colour[static_cast<size_t>(x) * 3], pixels + x * step, 3);
                }
                pixels = colour.data();
            }
            out.Write(bytesPerRow, pixels);
        }
    }
    out.Close();
    done = 1;
}
