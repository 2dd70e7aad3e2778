// tolvo-tif: the engine's TIF reader and writer on the command line.
//   tolvo-tif info FILE.tif          header, directory and the fields the reader uses
//   tolvo-tif topam IN.tif OUT.pam   load (no 16-bit conversion) and write RGB or RGB_ALPHA
//   tolvo-tif frompam IN.pam OUT.tif write an 8-bit RGB PAM with the writer
// Exit status 3: OUT.pam could not be written (a file left cut short is removed).
#include "engine/image/image.h"
#include "engine/image/tiff.h"
#include "engine/platform/file_names.h"
#include "tools/tolvo-tif/pam.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* const USAGE =
    "usage: tolvo-tif info FILE.tif\n"
    "       tolvo-tif topam IN.tif OUT.pam\n"
    "       tolvo-tif frompam IN.pam OUT.tif\n"
    "exit status 3: OUT.pam could not be written (a partial one is removed)\n";

// The exit status when a file asked for could not be written, as the game's.
const int WRITE_FAILED = 3;

const char* TagName(unsigned tag) {
    switch (tag) {
    case 254:
        return "NewSubfileType";
    case 256:
        return "ImageWidth";
    case 257:
        return "ImageLength";
    case 258:
        return "BitsPerSample";
    case 259:
        return "Compression";
    case 262:
        return "PhotometricInterpretation";
    case 273:
        return "StripOffsets";
    case 277:
        return "SamplesPerPixel";
    case 278:
        return "RowsPerStrip";
    case 279:
        return "StripByteCounts";
    case 282:
        return "XResolution";
    case 283:
        return "YResolution";
    case 284:
        return "PlanarConfiguration";
    case 296:
        return "ResolutionUnit";
    case 320:
        return "ColorMap";
    case 338:
        return "ExtraSamples";
    default:
        return "";
    }
}

const char* ModeName(int mode) {
    switch (mode) {
    case TIFF_BILEVEL:
        return "bilevel";
    case TIFF_GREYSCALE:
        return "greyscale";
    case TIFF_RGB:
        return "RGB";
    case TIFF_PALETTE:
        return "palette";
    default:
        return "unknown";
    }
}

// Reads the header and the first directory as stored, for people to look at. Bounded
// by the file's size, so a broken file shows what it holds and nothing more.
bool DumpDirectory(const char* name) {
    std::FILE* f = OpenPlatformFile(name, "rb");
    if (!f) {
        std::fprintf(stderr, "tolvo-tif: cannot open %s\n", name);
        return false;
    }
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    unsigned char header[8] = {};
    size_t got = std::fread(header, 1, sizeof header, f);
    const bool intel = header[0] == 'I' && header[1] == 'I';
    auto value16 = [intel](const unsigned char* p) {
        return intel ? unsigned(p[0] | p[1] << 8) : unsigned(p[0] << 8 | p[1]);
    };
    auto value32 = [intel](const unsigned char* p) {
        return intel ? (unsigned long)p[0] | (unsigned long)p[1] << 8 | (unsigned long)p[2] << 16 |
                           (unsigned long)p[3] << 24
                     : (unsigned long)p[0] << 24 | (unsigned long)p[1] << 16 |
                           (unsigned long)p[2] << 8 | (unsigned long)p[3];
    };
    std::printf("file %s\nsize %ld\n", name, size);
    std::printf("byteOrder %c%c (%s)\n", header[0] ? header[0] : '?', header[1] ? header[1] : '?',
                intel ? "Intel" : "Motorola");
    const unsigned long ifd = value32(header + 4);
    std::printf("magic %u\nfirstDirectory %lu\n", value16(header + 2), ifd);
    if (got == sizeof header && ifd + 2 <= static_cast<unsigned long>(size)) {
        unsigned char entry[12];
        std::fseek(f, static_cast<long>(ifd), SEEK_SET);
        if (std::fread(entry, 1, 2, f) == 2) {
            unsigned count = value16(entry);
            std::printf("entries %u\n", count);
            for (unsigned i = 0; i < count && std::fread(entry, 1, 12, f) == 12; ++i) {
                unsigned tag = value16(entry);
                unsigned type = value16(entry + 2);
                unsigned long n = value32(entry + 4);
                unsigned long v = (type == 3 && n == 1) ? value16(entry + 8) : value32(entry + 8);
                std::printf("  tag %u %s type %u count %lu value %lu\n", tag, TagName(tag), type, n,
                            v);
            }
            if (std::fread(entry, 1, 4, f) == 4) {
                std::printf("nextDirectory %lu\n", value32(entry));
            }
        }
    }
    std::fclose(f);
    return true;
}

int Info(const char* name) {
    if (!DumpDirectory(name)) {
        return 1;
    }
    std::fflush(stdout); // the reader's own messages follow in order
    Tiff tiff;
    Image image;
    tiff.LoadTiff(name, image);
    if (!tiff.done) {
        return 1;
    }
    std::printf("reader:\n");
    std::printf("  width %d\n  height %d\n", tiff.width, tiff.height);
    std::printf("  mode %d (%s)\n", tiff.mode, ModeName(tiff.mode));
    std::printf("  samples %d\n  extraSamples %d\n", tiff.samples, tiff.extraSamples);
    std::printf("  bitsOffset %d\n", tiff.bitsOffset);
    std::printf("  redBits %d\n  greenBits %d\n  blueBits %d\n  alphaBits %d\n", tiff.redBits,
                tiff.greenBits, tiff.blueBits, tiff.alphaBits);
    std::printf("  greyBits %d\n  photometric %d\n", tiff.greyBits, tiff.photometric);
    std::printf("  strips %d\n  rowsPerStrip %d\n", tiff.strips, tiff.rowsPerStrip);
    std::printf("  stripOffsets %d\n  stripByteCounts %d\n", tiff.stripOffsets,
                tiff.stripByteCounts);
    std::printf("  bitsPerPixel %d\n  bytesPerRow %d\n", tiff.bitsPerPixel, tiff.bytesPerRow);
    std::printf("  imageFlags 0x%02x\n", static_cast<unsigned>(tiff.imageFlags));
    return 0;
}

int ToPam(const char* in, const char* out) {
    Tiff tiff;
    Image image;
    tiff.LoadTiff(in, image);
    if (!tiff.done) {
        return 1; // the reader has shown why
    }
    if (!image.pixels || !(image.flags & IMG_24BIT) || image.width <= 0 || image.height <= 0) {
        std::fprintf(stderr, "tolvo-tif: %s: the reader decodes no pixels from this file (%s)\n",
                     in, ModeName(tiff.mode));
        return 1;
    }
    const bool withAlpha = (image.flags & IMG_ALPHA) && image.alpha;
    Pam pam;
    pam.width = image.width;
    pam.height = image.height;
    pam.depth = withAlpha ? 4 : 3;
    pam.maxval = 255;
    pam.tupleType = withAlpha ? "RGB_ALPHA" : "RGB";
    const size_t count = static_cast<size_t>(image.width) * image.height;
    pam.samples.resize(count * pam.depth);
    uint8_t* o = pam.samples.data();
    for (size_t i = 0; i < count; ++i) {
        *o++ = image.pixels[3 * i];
        *o++ = image.pixels[3 * i + 1];
        *o++ = image.pixels[3 * i + 2];
        if (withAlpha) {
            *o++ = image.alpha[i];
        }
    }
    std::string error;
    if (!WritePam(out, pam, error)) {
        std::fprintf(stderr, "tolvo-tif: cannot write %s: %s\n", out, error.c_str());
        return WRITE_FAILED;
    }
    return 0;
}

int FromPam(const char* in, const char* out) {
    Pam pam;
    std::string error;
    if (!ReadPam(in, pam, error)) {
        std::fprintf(stderr, "tolvo-tif: %s: %s\n", in, error.c_str());
        return 1;
    }
    if (pam.depth != 3 || pam.maxval != 255 || (!pam.tupleType.empty() && pam.tupleType != "RGB")) {
        std::fprintf(
            stderr, "tolvo-tif: %s: only 8-bit RGB PAM (DEPTH 3, MAXVAL 255) can be written\n", in);
        return 1;
    }
    Image image(pam.width, pam.height, IMG_24BIT);
    std::memcpy(image.pixels, pam.samples.data(), pam.samples.size());
    Tiff tiff;
    tiff.mode = TIFF_RGB;
    tiff.bitsPerPixel = 8; // the writer's bits per sample
    tiff.SaveTiff(out, image);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "info") == 0) {
        return Info(argv[2]);
    }
    if (argc == 4 && std::strcmp(argv[1], "topam") == 0) {
        return ToPam(argv[2], argv[3]);
    }
    if (argc == 4 && std::strcmp(argv[1], "frompam") == 0) {
        return FromPam(argv[2], argv[3]);
    }
    std::fputs(USAGE, stderr);
    return 2;
}
