#include "engine/image/tiff.h"

#include "engine/file/fatal.h"
#include "engine/file/file.h"
#include "engine/image/byte_order_ops.h"
#include "engine/platform/platform.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char* const MSG_NOT_FOUND =
    ".TIF File Not Found: %s\n\nMake sure paths and names of TIF images are correct. If you "
    "started the game outside of Visual C++, make sure the executable is in the correct location "
    "to find images.";
const char* const MSG_COMPRESSED =
    "TIF Load Error: LZW Compression not supported.\n\nTolvo does not support LZW compressed TIF "
    "images. Save your TIF image again and be sure that the LZW compression option is turned "
    "off.\n";
const char* const MSG_CORRUPTED = "Load:Tiff: File is corrupted, or is not a .TIFF file.\n";
const char* const MSG_UNKNOWN_MODE = "Load:Tiff: Unknown TIFF mode.\n";
const char* const MSG_MULTIPLE =
    "Load:Tiff: (Warning only) File contains multiple tiff images - reading only first.\n";
const char* const ERROR_TITLE = "Tolvo Error";

const uint16_t TAG_IMAGE_WIDTH = 256;
const uint16_t TAG_IMAGE_LENGTH = 257;
const uint16_t TAG_BITS_PER_SAMPLE = 258;
const uint16_t TAG_COMPRESSION = 259;
const uint16_t TAG_PHOTOMETRIC = 262;
const uint16_t TAG_STRIP_OFFSETS = 273;
const uint16_t TAG_ROWS_PER_STRIP = 278;
const uint16_t TAG_STRIP_BYTE_COUNTS = 279;
const uint16_t TAG_EXTRA_SAMPLES = 338;
const uint16_t TYPE_SHORT = 3;
const int ENTRY_BYTES = 12;

[[noreturn]] void Fatal(const char* message) {
    std::fputs(message, stdout);
    FatalExit();
}

int32_t ClampToInt32(int64_t v) {
    return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(v, INT32_MIN), INT32_MAX));
}

// Bytes of 8-bit RGB rows fetched by one Read.
const int64_t RGB_ROWS_BYTES = 256 * 1024;

// 8-bit RGB rows lie back to back in the file exactly as the plane holds them (with an
// alpha sample, one byte more a pixel): many rows come in one Read, straight into the
// plane when there is no alpha. A zero byte gives a zero sample, and the planes start
// zeroed, so rows a short read does not reach stay black either way; reading stops
// after the first short read, as row by row.
void ReadRgbRows(File& file, Image& image, int64_t bytesPerRow, int64_t firstRow, int64_t lastRow,
                 bool withAlpha, std::vector<uint8_t>& buffer) {
    const int64_t width = image.width;
    const int64_t rowsPerRead = std::max<int64_t>(1, RGB_ROWS_BYTES / bytesPerRow);
    for (int64_t row = firstRow; row <= lastRow; row += rowsPerRead) {
        const int64_t rows = std::min(rowsPerRead, lastRow - row + 1);
        const size_t bytes = static_cast<size_t>(rows * bytesPerRow);
        uint8_t* target = image.pixels + row * width * 3;
        if (withAlpha) {
            if (buffer.size() < bytes) {
                buffer.resize(bytes);
            }
            std::memset(buffer.data(), 0, bytes);
            target = buffer.data();
        }
        const int result = file.Read(static_cast<int>(bytes), target);
        if (withAlpha) {
            const uint8_t* in = buffer.data();
            uint8_t* rgb = image.pixels + row * width * 3;
            uint8_t* alpha = image.alpha + row * width;
            const int64_t count = rows * width;
            // Four bytes a pixel are stored; the next pixel overwrites the fourth.
            for (int64_t x = 0; x + 1 < count; ++x, in += 4, rgb += 3) {
                std::memcpy(rgb, in, 4);
                alpha[x] = in[3];
            }
            if (count > 0) {
                std::memcpy(rgb, in, 3);
                alpha[count - 1] = in[3];
            }
        }
        if (result != FILE_OK) {
            return;
        }
    }
}

} // namespace

Tiff::Tiff()
    : image(nullptr), fileName{}, done(0), width(0), height(0), imageFlags(0), mode(0),
      extraSamples(0), samples(0), bitsOffset(0), redBits(0), greenBits(0), blueBits(0),
      alphaBits(0), greyBits(0), photometric(0), strips(0), stripOffsets(0), stripByteCounts(0),
      rowsPerStrip(0), bitsPerPixel(0), bytesPerRow(0), file(nullptr), order(nullptr),
      bigEndian(false), rowsPerStripSeen(false), bitsPerSampleSeen(false), fileSize(0) {}

Tiff::Tiff(Image* target) : Tiff() {
    image = target;
}

Tiff::~Tiff() {
    image = nullptr;
}

void Tiff::Load(const char* name, Image& target, int loadMode) {
    LoadTiff(name, target);
    target.Convert(loadMode);
}

void Tiff::LoadTiff(const char* name, Image& target) {
    image = &target;
    const char* shown = name ? name : "";
    // A name that does not fit is refused whole, never cut down to some other file's name.
    const bool fits = std::strlen(shown) < static_cast<size_t>(TIFF_NAME_ROOM);
    if (fits) {
        std::strcpy(fileName, shown);
    } else {
        fileName[0] = '\0';
    }

    ByteOrderOps ops;
    File in;
    if (!fits || in.Open(fileName, FILE_READ | RANDOM) == FILE_NOTFOUND) {
        char text[500];
        std::snprintf(text, sizeof text, MSG_NOT_FOUND, shown);
        MessageBoxA(NULL, text, ERROR_TITLE, MB_OK);
        in.Close();
        return;
    }
    file = &in;
    order = &ops;
    bigEndian = false;
    rowsPerStripSeen = false;
    bitsPerSampleSeen = false;
    // Everything the directory points at is checked against the file's end, so a bad
    // offset reads zeros instead of wandering.
    in.Seek(-2);
    fileSize = std::max<long>(in.Tell(), 0);
    in.Seek(-1);

    extraSamples = 0;
    width = 0;
    height = 0;

    uint16_t mark = 0;
    in.ReadShort(&mark);
    if (mark != 0x4949) {
        ops.SetByteOrder(1);
        bigEndian = true;
    }
    if (ReadShort() != 42) {
        Fatal(MSG_CORRUPTED);
    }
    SeekTo(ReadLong());
    ReadIfd();

    in.Close();
    file = nullptr;
    order = nullptr;
    done = 1;
}

uint16_t Tiff::ReadShort() {
    uint16_t raw = 0; // bytes past the end of the file read as zero
    file->ReadShort(&raw);
    return order->ReadUS(raw);
}

uint32_t Tiff::ReadLong() {
    uint32_t raw = 0;
    file->ReadLong(&raw);
    return order->ReadUL(raw);
}

void Tiff::SeekTo(int64_t offset) {
    if (offset < 0 || offset >= fileSize) {
        file->Seek(-2); // reads from here meet the end at once
    } else {
        file->Seek(static_cast<long>(offset));
    }
}

void Tiff::CheckSize() {
    if (width <= 0 || height <= 0 || width > TIFF_MAX_SIDE || height > TIFF_MAX_SIDE) {
        Fatal(MSG_CORRUPTED);
    }
}

void Tiff::ReadIfd() {
    const int64_t count = ReadShort();
    const int64_t room = std::max<int64_t>(fileSize - file->Tell(), 0) / ENTRY_BYTES;
    for (int64_t i = 0; i < std::min(count, room); ++i) {
        ReadEntry();
    }
    // Without BitsPerSample a picture has one bit a pixel, as TIFF defines (bilevel
    // writers leave the entry out); the last file's depths would decode it as garbage.
    if (!bitsPerSampleSeen) {
        samples = 1;
        greyBits = 1;
        bitsOffset = 0;
        mode = photometric == 3 ? TIFF_PALETTE : TIFF_BILEVEL;
    }

    if (mode == TIFF_RGB) {
        const long back = file->Tell();
        SeekTo(static_cast<uint32_t>(bitsOffset));
        redBits = ReadShort();
        greenBits = ReadShort();
        blueBits = ReadShort();
        alphaBits = extraSamples == 1 ? ReadShort() : 0;
        file->Seek(back);
        imageFlags = extraSamples == 1 ? (IMG_24BIT | IMG_ALPHA) : IMG_24BIT;
        bitsPerPixel = redBits + greenBits + blueBits + alphaBits;
    } else if (mode == TIFF_BILEVEL || mode == TIFF_GREYSCALE) {
        imageFlags = IMG_24BIT;
        bitsPerPixel = greyBits;
    }

    if (mode == TIFF_BILEVEL || mode == TIFF_GREYSCALE || mode == TIFF_RGB) {
        CheckSize();
        image->Size(width, height, imageFlags);
        // Rows a file does not supply come out black, not as leftover memory.
        std::memset(image->pixels, 0, static_cast<size_t>(width) * height * 3);
        std::memset(image->alpha, 0, static_cast<size_t>(width) * height);
        bytesPerRow = ClampToInt32((static_cast<int64_t>(width) * bitsPerPixel + 7) / 8);
        bytesPerRow = std::max(bytesPerRow, 0);
        // Without RowsPerStrip (or with 0) the picture is one strip, as TIFF defines.
        if (!rowsPerStripSeen || rowsPerStrip <= 0) {
            rowsPerStrip = height;
            strips = 1;
        }
    }

    ReadStrips();

    if (ReadLong() != 0) {
        std::fputs(MSG_MULTIPLE, stdout);
    }
}

void Tiff::ReadEntry() {
    const uint16_t tag = ReadShort();
    const uint16_t type = ReadShort();
    const uint32_t count = ReadLong();
    uint32_t value;
    if (type == TYPE_SHORT && count == 1) {
        value = ReadShort();
        ReadShort();
    } else {
        value = ReadLong();
    }
    const int32_t signedValue = static_cast<int32_t>(value);

    switch (tag) {
    case TAG_IMAGE_WIDTH:
        width = signedValue;
        break;
    case TAG_IMAGE_LENGTH:
        height = signedValue;
        break;
    case TAG_BITS_PER_SAMPLE:
        samples = static_cast<int32_t>(count);
        bitsPerSampleSeen = true;
        if (count == 1) {
            greyBits = signedValue;
            bitsOffset = 0;
            mode = value == 1 ? TIFF_BILEVEL : TIFF_GREYSCALE;
        } else if (count == 2) {
            greyBits = signedValue;
            bitsOffset = signedValue;
            mode = TIFF_GREYSCALE;
        } else if (count == 3 || count == 4) {
            bitsOffset = signedValue;
            mode = TIFF_RGB;
        } else {
            Fatal(MSG_UNKNOWN_MODE);
        }
        break;
    case TAG_COMPRESSION:
        if (value != 1) {
            MessageBoxA(NULL, MSG_COMPRESSED, ERROR_TITLE, MB_OK);
        }
        break;
    case TAG_PHOTOMETRIC:
        photometric = signedValue;
        if (value == 3) {
            mode = TIFF_PALETTE;
        }
        break;
    case TAG_STRIP_OFFSETS:
        stripOffsets = signedValue;
        break;
    case TAG_ROWS_PER_STRIP:
        // Held as a count: 2^32 - 1, which some writers use for "all rows", stays huge.
        rowsPerStrip = ClampToInt32(value);
        rowsPerStripSeen = true;
        if (rowsPerStrip > 0) {
            strips = ClampToInt32((static_cast<int64_t>(height) + rowsPerStrip - 1) / rowsPerStrip);
        }
        break;
    case TAG_STRIP_BYTE_COUNTS:
        stripByteCounts = signedValue;
        break;
    case TAG_EXTRA_SAMPLES:
        extraSamples = 1;
        break;
    default:
        break;
    }
}

// Bytes of one stored sample that the row conversion handles, 0 when it has none.
int Tiff::SampleBytes() const {
    int bits;
    if (mode == TIFF_RGB) {
        bits = redBits;
    } else if (mode == TIFF_GREYSCALE) {
        bits = greyBits;
    } else if (mode == TIFF_BILEVEL) {
        return 1;
    } else {
        return 0;
    }
    return bits == 8 ? 1 : bits == 16 ? 2 : bits == 32 ? 4 : 0;
}

// Bytes of a row the conversion reads. It may differ from bytesPerRow, the row's size
// in the file, when the depths disagree; rows are read at bytesPerRow steps.
int64_t Tiff::RowInputBytes() const {
    const int64_t sampleBytes = SampleBytes();
    if (mode == TIFF_BILEVEL) {
        return (static_cast<int64_t>(width) + 7) / 8;
    }
    if (mode == TIFF_RGB) {
        return width * sampleBytes * (extraSamples == 1 ? 4 : 3);
    }
    return width * sampleBytes;
}

void Tiff::ReadStrips() {
    if (SampleBytes() == 0) {
        return; // nothing in this file can be decoded; no strip is read
    }
    const long back = file->Tell();
    // Sized to the row once per load: wide rows fit as well as narrow ones.
    const int64_t input = RowInputBytes();
    rowBuffer.assign(static_cast<size_t>(input), 0);
    if (mode == TIFF_BILEVEL) {
        bitBuffer.assign(static_cast<size_t>(input) * 8, 0);
    }

    if (strips == 1) {
        ReadStrip(static_cast<uint32_t>(stripOffsets), 0);
    } else {
        for (int64_t i = 0; i < strips; ++i) {
            const int64_t firstRow = i * rowsPerStrip;
            if (firstRow >= height) {
                break; // the remaining strips would hold no rows
            }
            SeekTo(static_cast<int64_t>(static_cast<uint32_t>(stripOffsets)) + 4 * i);
            uint32_t raw = 0;
            if (file->ReadLong(&raw) != FILE_OK) {
                break; // the offsets array ends with the file: the rest stays black
            }
            ReadStrip(order->ReadUL(raw), firstRow);
        }
    }
    file->Seek(back);
}

void Tiff::ReadStrip(uint32_t offset, int64_t firstRow) {
    SeekTo(offset);
    const int64_t lastRow = std::min<int64_t>(firstRow + rowsPerStrip - 1, height - 1);
    if (firstRow > lastRow || SampleBytes() == 0) {
        return;
    }
    if (mode == TIFF_RGB && SampleBytes() == 1 && bytesPerRow > 0 &&
        bytesPerRow == RowInputBytes()) {
        ReadRgbRows(*file, *image, bytesPerRow, firstRow, lastRow, extraSamples == 1, bitBuffer);
        return;
    }
    const int64_t input = static_cast<int64_t>(rowBuffer.size());
    const int64_t readBytes = std::min<int64_t>(bytesPerRow, input);
    for (int64_t row = firstRow; row <= lastRow; ++row) {
        if (bytesPerRow > readBytes && row > firstRow) {
            SeekTo(offset + (row - firstRow) * static_cast<int64_t>(bytesPerRow));
        }
        int result = FILE_OK;
        if (readBytes > 0) {
            std::memset(rowBuffer.data(), 0, static_cast<size_t>(readBytes));
            result = file->Read(static_cast<int>(readBytes), rowBuffer.data());
        }
        ConvertRow(row);
        if (result != FILE_OK) {
            break; // the rest of the strip lies past the end of the file: left black
        }
    }
}

void Tiff::ConvertRow(int64_t row) {
    uint8_t* rgb = image->pixels + row * width * 3;
    const uint8_t* in = rowBuffer.data();
    if (mode == TIFF_BILEVEL) {
        const int packed = static_cast<int>(rowBuffer.size());
        UnpackBits(in, bitBuffer.data(), packed);
        ScaleBytes(bitBuffer.data(), packed * 8, 255);
        if (photometric == 0) {
            InvertBytes(bitBuffer.data(), packed * 8); // WhiteIsZero
        }
        for (int x = 0; x < width; ++x, rgb += 3) {
            rgb[0] = rgb[1] = rgb[2] = bitBuffer[x];
        }
        return;
    }
    const int sampleBytes = SampleBytes();
    // The most significant byte of each sample, in the file's byte order.
    const int top = bigEndian ? 0 : sampleBytes - 1;
    if (mode == TIFF_GREYSCALE) {
        for (int x = 0; x < width; ++x, rgb += 3, in += sampleBytes) {
            rgb[0] = rgb[1] = rgb[2] = in[top];
        }
        return;
    }
    uint8_t* alphaRow = image->alpha + row * width;
    const bool withAlpha = extraSamples == 1;
    if (sampleBytes == 1) {
        // The common 8-bit case: samples are stored as the plane wants them.
        if (!withAlpha) {
            std::memcpy(rgb, in, static_cast<size_t>(width) * 3);
            return;
        }
        for (int x = 0; x < width; ++x, rgb += 3, in += 4) {
            rgb[0] = in[0];
            rgb[1] = in[1];
            rgb[2] = in[2];
            alphaRow[x] = in[3];
        }
        return;
    }
    for (int x = 0; x < width; ++x, rgb += 3) {
        rgb[0] = in[top];
        rgb[1] = in[sampleBytes + top];
        rgb[2] = in[2 * sampleBytes + top];
        in += 3 * sampleBytes;
        if (withAlpha) {
            alphaRow[x] = in[top];
            in += sampleBytes;
        }
    }
}
