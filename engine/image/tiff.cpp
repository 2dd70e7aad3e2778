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

// Bytes of each end of a file kept in memory; a file of up to twice this is read whole.
// Writers put the header first and the directory either first or last.
const int64_t TIFF_END_BYTES = 128 * 1024;
// Bytes of 8-bit RGB rows read at a time from the stream.
const int64_t RGB_ROWS_BYTES = 256 * 1024;
// Largest single Read.
const int64_t READ_LIMIT = 1 << 30;

uint32_t Word(const uint8_t* bytes) {
    uint32_t word;
    std::memcpy(&word, bytes, 4);
    return word;
}

// Four-byte pixels to the plane's three colour bytes and the alpha plane.
void SplitRgba(const uint8_t* in, uint8_t* rgb, uint8_t* alpha, int64_t count) {
    int64_t x = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // Four pixels a step as 32-bit words: three words of colour, one of alpha.
    for (; x + 4 <= count; x += 4, in += 16, rgb += 12) {
        const uint32_t p0 = Word(in);
        const uint32_t p1 = Word(in + 4);
        const uint32_t p2 = Word(in + 8);
        const uint32_t p3 = Word(in + 12);
        // Each word stored on its own: one 12-byte copy through the stack stalls.
        const uint32_t w0 = (p0 & 0xFFFFFFu) | (p1 << 24);
        const uint32_t w1 = ((p1 >> 8) & 0xFFFFu) | (p2 << 16);
        const uint32_t w2 = ((p2 >> 16) & 0xFFu) | (p3 << 8);
        std::memcpy(rgb, &w0, 4);
        std::memcpy(rgb + 4, &w1, 4);
        std::memcpy(rgb + 8, &w2, 4);
        const uint32_t a = (p0 >> 24) | ((p1 >> 24) << 8) | ((p2 >> 24) << 16) | (p3 & 0xFF000000u);
        std::memcpy(alpha + x, &a, 4);
    }
#endif
    for (; x < count; ++x, in += 4, rgb += 3) {
        std::memcpy(rgb, in, 3);
        alpha[x] = in[3];
    }
}

// Rows a file does not supply come out black (and transparent).
void ZeroRows(Image& image, int64_t firstRow, int64_t endRow) {
    if (endRow <= firstRow) {
        return;
    }
    const size_t pixels = static_cast<size_t>((endRow - firstRow) * image.width);
    const size_t start = static_cast<size_t>(firstRow * image.width);
    std::memset(image.pixels + start * 3, 0, pixels * 3);
    std::memset(image.alpha + start, 0, pixels);
}

} // namespace

Tiff::Tiff()
    : image(nullptr), fileName{}, done(0), width(0), height(0), imageFlags(0), mode(0),
      extraSamples(0), samples(0), bitsOffset(0), redBits(0), greenBits(0), blueBits(0),
      alphaBits(0), greyBits(0), photometric(0), strips(0), stripOffsets(0), stripByteCounts(0),
      rowsPerStrip(0), bitsPerPixel(0), bytesPerRow(0), file(nullptr), order(nullptr),
      bigEndian(false), rowsPerStripSeen(false), bitsPerSampleSeen(false), fileSize(0), fileRoom(0),
      headBytes(0), tailStart(0), position(0), filledRows(0) {}

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
    FetchEnds();

    extraSamples = 0;
    width = 0;
    height = 0;

    uint16_t mark = 0;
    Take(&mark, 2);
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

// Reads both ends of the file into memory, the whole file when it is small: a read or
// two instead of a system call for every field. Should a read fail, every byte is
// read from the stream instead.
void Tiff::FetchEnds() {
    position = 0;
    const bool whole = fileSize <= 2 * TIFF_END_BYTES;
    headBytes = whole ? fileSize : TIFF_END_BYTES;
    tailStart = whole ? fileSize : fileSize - TIFF_END_BYTES;
    const int64_t room = headBytes + (fileSize - tailStart);
    if (room > fileRoom) {
        fileBytes.reset(new uint8_t[static_cast<size_t>(room)]);
        fileRoom = room;
    }
    bool fetched =
        headBytes == 0 || file->Read(static_cast<int>(headBytes), fileBytes.get()) == FILE_OK;
    if (fetched && tailStart < fileSize) {
        fetched = file->Seek(static_cast<long>(tailStart)) == 0 &&
                  file->Read(static_cast<int>(fileSize - tailStart), fileBytes.get() + headBytes) ==
                      FILE_OK;
    }
    if (!fetched) {
        headBytes = 0;
        tailStart = fileSize;
    }
}

// The next bytes when memory holds all of them, else null.
const uint8_t* Tiff::InMemory(int64_t bytes) const {
    if (position >= 0 && position + bytes <= headBytes) {
        return fileBytes.get() + position;
    }
    if (position >= tailStart && position + bytes <= fileSize) {
        return fileBytes.get() + headBytes + (position - tailStart);
    }
    return nullptr;
}

// Copies the next bytes into out and moves on; what lies past the end of the file
// reads as zero. Returns the count of bytes the file supplied.
int64_t Tiff::Take(void* out, int64_t bytes) {
    const int64_t supplied = std::max<int64_t>(0, std::min(bytes, fileSize - position));
    uint8_t* target = static_cast<uint8_t*>(out);
    if (const uint8_t* held = InMemory(supplied)) {
        if (supplied > 0) {
            std::memcpy(target, held, static_cast<size_t>(supplied));
        }
    } else {
        file->Seek(static_cast<long>(position));
        int64_t got = 0;
        while (got < supplied) {
            const int64_t piece = std::min(supplied - got, READ_LIMIT);
            if (file->Read(static_cast<int>(piece), target + got) != FILE_OK) {
                break;
            }
            got += piece;
        }
        if (got < supplied) {
            std::memset(target + got, 0, static_cast<size_t>(supplied - got));
        }
    }
    if (supplied < bytes) {
        std::memset(target + supplied, 0, static_cast<size_t>(bytes - supplied));
    }
    position += supplied;
    return supplied;
}

uint16_t Tiff::ReadShort() {
    uint16_t raw = 0; // bytes past the end of the file read as zero
    Take(&raw, 2);
    return order->ReadUS(raw);
}

uint32_t Tiff::ReadLong() {
    uint32_t raw = 0;
    Take(&raw, 4);
    return order->ReadUL(raw);
}

void Tiff::SeekTo(int64_t offset) {
    // Reads from past the end meet the end at once.
    position = (offset < 0 || offset >= fileSize) ? fileSize : offset;
}

void Tiff::CheckSize() {
    if (width <= 0 || height <= 0 || width > TIFF_MAX_SIDE || height > TIFF_MAX_SIDE) {
        Fatal(MSG_CORRUPTED);
    }
    // Checked before anything is allocated: a tiny file cannot ask for a gigabyte.
    const int64_t planes = static_cast<int64_t>(width) * height * 4;
    if (planes > TIFF_PLANE_FACTOR * fileSize + TIFF_PLANE_ALLOWANCE) {
        Fatal(MSG_CORRUPTED);
    }
}

void Tiff::ReadIfd() {
    const int64_t count = ReadShort();
    const int64_t room = std::max<int64_t>(fileSize - position, 0) / ENTRY_BYTES;
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
        const int64_t back = position;
        SeekTo(static_cast<uint32_t>(bitsOffset));
        redBits = ReadShort();
        greenBits = ReadShort();
        blueBits = ReadShort();
        alphaBits = extraSamples == 1 ? ReadShort() : 0;
        position = back;
        imageFlags = extraSamples == 1 ? (IMG_24BIT | IMG_ALPHA) : IMG_24BIT;
        bitsPerPixel = redBits + greenBits + blueBits + alphaBits;
    } else if (mode == TIFF_BILEVEL || mode == TIFF_GREYSCALE) {
        imageFlags = IMG_24BIT;
        bitsPerPixel = greyBits;
    }

    if (mode == TIFF_BILEVEL || mode == TIFF_GREYSCALE || mode == TIFF_RGB) {
        CheckSize();
        image->Size(width, height, imageFlags);
        // The strips write every row they cover, with zeros where the file ends early;
        // rows no strip covers are zeroed below. An alpha plane the file does not fill
        // starts zeroed.
        if (!(imageFlags & IMG_ALPHA)) {
            std::memset(image->alpha, 0, static_cast<size_t>(width) * height);
        }
        bytesPerRow = ClampToInt32((static_cast<int64_t>(width) * bitsPerPixel + 7) / 8);
        bytesPerRow = std::max(bytesPerRow, 0);
        // Without RowsPerStrip (or with 0) the picture is one strip, as TIFF defines.
        if (!rowsPerStripSeen || rowsPerStrip <= 0) {
            rowsPerStrip = height;
            strips = 1;
        }
    }

    filledRows = 0;
    ReadStrips();
    if (mode == TIFF_BILEVEL || mode == TIFF_GREYSCALE || mode == TIFF_RGB) {
        ZeroRows(*image, filledRows, height);
    }

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
    const int64_t back = position;
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
            if (Take(&raw, 4) < 4) {
                break; // the offsets array ends with the file: the rest stays black
            }
            ReadStrip(order->ReadUL(raw), firstRow);
        }
    }
    position = back;
}

void Tiff::ReadStrip(uint32_t offset, int64_t firstRow) {
    SeekTo(offset);
    const int64_t lastRow = std::min<int64_t>(firstRow + rowsPerStrip - 1, height - 1);
    if (firstRow > lastRow || SampleBytes() == 0) {
        return;
    }
    // Every row of the strip is written: from the file, or as zeros past its end.
    filledRows = lastRow + 1;
    if (mode == TIFF_RGB && SampleBytes() == 1 && bytesPerRow > 0 &&
        bytesPerRow == RowInputBytes()) {
        ReadRgbRows(firstRow, lastRow);
        return;
    }
    const int64_t input = static_cast<int64_t>(rowBuffer.size());
    const int64_t readBytes = std::min<int64_t>(bytesPerRow, input);
    for (int64_t row = firstRow; row <= lastRow; ++row) {
        if (bytesPerRow > readBytes && row > firstRow) {
            SeekTo(offset + (row - firstRow) * static_cast<int64_t>(bytesPerRow));
        }
        bool whole = true;
        if (readBytes > 0) {
            whole = Take(rowBuffer.data(), readBytes) == readBytes;
        }
        ConvertRow(row);
        if (!whole) {
            // The rest of the strip lies past the end of the file: black.
            ZeroRows(*image, row + 1, lastRow + 1);
            break;
        }
    }
}

// 8-bit RGB rows lie back to back in the file exactly as the plane holds them (with an
// alpha sample, one byte more a pixel): they are copied whole, or split into the two
// planes. Bytes past the end of the file read as zero, so the rest of the strip is black.
void Tiff::ReadRgbRows(int64_t firstRow, int64_t lastRow) {
    const bool withAlpha = extraSamples == 1;
    const int64_t pixels = (lastRow - firstRow + 1) * static_cast<int64_t>(width);
    uint8_t* rgb = image->pixels + firstRow * width * 3;
    uint8_t* alpha = image->alpha + firstRow * width;
    if (!withAlpha) {
        Take(rgb, pixels * 3);
        return;
    }
    if (const uint8_t* held = InMemory(pixels * 4)) {
        SplitRgba(held, rgb, alpha, pixels);
        position += pixels * 4;
        return;
    }
    const int64_t pixelsPerRead = std::max<int64_t>(1, RGB_ROWS_BYTES / 4);
    if (bitBuffer.size() < static_cast<size_t>(pixelsPerRead * 4)) {
        bitBuffer.resize(static_cast<size_t>(pixelsPerRead * 4));
    }
    for (int64_t done = 0; done < pixels; done += pixelsPerRead) {
        const int64_t count = std::min(pixelsPerRead, pixels - done);
        const bool whole = Take(bitBuffer.data(), count * 4) == count * 4;
        SplitRgba(bitBuffer.data(), rgb + done * 3, alpha + done, count);
        if (!whole) {
            const int64_t rest = pixels - done - count;
            std::memset(rgb + (done + count) * 3, 0, static_cast<size_t>(rest) * 3);
            std::memset(alpha + done + count, 0, static_cast<size_t>(rest));
            return;
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
