#include "engine/sound/wave.h"

#include "engine/file/file.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

const uint16_t FORMAT_PCM = 0x0001;
const uint16_t FORMAT_EXTENSIBLE = 0xFFFE;
// Bytes of the PCM fields of a fmt chunk, and of the whole WAVEFORMATEXTENSIBLE.
const uint64_t FORMAT_BYTES = 16;
const uint64_t EXTENSIBLE_BYTES = 40;
// The extra bytes WAVEFORMATEXTENSIBLE declares after the PCM fields and cbSize.
const uint16_t EXTENSIBLE_EXTRA = 22;
// An extensible sub-format GUID is a format tag in its first two bytes followed by these.
const uint8_t SUBFORMAT_TAIL[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// The longest name a message shows; names come from code, but Parse labels anything.
const size_t SHOWN_NAME_ROOM = 200;

// Formats people meet in WAV files, named in the refusal so the fix is obvious.
struct FormatName {
    uint16_t tag;
    const char* name;
};
const FormatName FORMAT_NAMES[] = {
    {0x0002, "Microsoft ADPCM"},
    {0x0003, "IEEE float"},
    {0x0006, "A-law"},
    {0x0007, "mu-law"},
    {0x0011, "IMA ADPCM"},
    {0x0031, "GSM 6.10"},
    {0x0050, "MPEG"},
    {0x0055, "MPEG Layer 3"},
    {0x00FF, "AAC"},
    {0xF1AC, "FLAC"},
};

const char* FormatNameOf(uint16_t tag) {
    for (const FormatName& known : FORMAT_NAMES) {
        if (known.tag == tag) {
            return known.name;
        }
    }
    return "compressed";
}

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool IsId(const uint8_t* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

// Text from a file or a caller goes into a one-line message: control bytes become '?'.
std::string Printable(const char* text, size_t length) {
    std::string shown;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        shown += (c < 0x20 || c == 0x7F) ? '?' : static_cast<char>(c);
    }
    return shown;
}

std::string ShownName(const char* name) {
    if (!name) {
        return "(no name)";
    }
    const size_t length = std::strlen(name);
    if (length > SHOWN_NAME_ROOM) {
        return Printable(name, SHOWN_NAME_ROOM) + "...";
    }
    return Printable(name, length);
}

// Writes "NAME: reason" to *error (when given) and returns false.
__attribute__((format(printf, 3, 4))) bool Refuse(std::string* error, const std::string& name,
                                                  const char* reason, ...) {
    if (error) {
        char text[200];
        va_list args;
        va_start(args, reason);
        std::vsnprintf(text, sizeof text, reason, args);
        va_end(args);
        *error = name + ": " + text;
    }
    return false;
}

bool TooLarge(std::string* error, const std::string& name, size_t size) {
    return Refuse(error, name, "larger than %u MiB (%s bytes)",
                  static_cast<unsigned>(WAVE_MAX_BYTES >> 20), std::to_string(size).c_str());
}

// Where a file's samples lie once its chunks have been walked and its format accepted.
struct Layout {
    WaveFormat format;
    size_t dataOffset = 0;
    size_t dataBytes = 0;
};

// The body of a fmt chunk: declared bytes of which the file holds available.
bool ReadFormat(const uint8_t* body, uint64_t declared, uint64_t available, const std::string& name,
                std::string* error, WaveFormat* format) {
    if (declared < FORMAT_BYTES) {
        return Refuse(error, name, "fmt chunk of %u bytes, too short for PCM",
                      static_cast<unsigned>(declared));
    }
    if (available < FORMAT_BYTES) {
        return Refuse(error, name, "the file ends inside the fmt chunk");
    }
    uint16_t tag = Le16(body);
    const uint16_t channels = Le16(body + 2);
    const uint32_t rate = Le32(body + 4);
    const uint16_t blockAlign = Le16(body + 12);
    const uint16_t bits = Le16(body + 14);
    uint16_t validBits = 0;
    if (tag == FORMAT_EXTENSIBLE) {
        if (declared < EXTENSIBLE_BYTES) {
            return Refuse(error, name, "extensible fmt chunk too short (%u bytes)",
                          static_cast<unsigned>(declared));
        }
        if (available < EXTENSIBLE_BYTES) {
            return Refuse(error, name, "the file ends inside the fmt chunk");
        }
        if (Le16(body + 16) < EXTENSIBLE_EXTRA) {
            return Refuse(error, name, "extensible fmt chunk too short (cbSize %u)",
                          Le16(body + 16));
        }
        const uint8_t* subFormat = body + 24;
        if (std::memcmp(subFormat + 2, SUBFORMAT_TAIL, sizeof SUBFORMAT_TAIL) != 0) {
            return Refuse(error, name, "extensible format with an unknown sub-format");
        }
        tag = Le16(subFormat);
        validBits = Le16(body + 18);
    }
    if (tag != FORMAT_PCM) {
        return Refuse(error, name, "format 0x%04X (%s) is not PCM", tag, FormatNameOf(tag));
    }
    if (channels != 1 && channels != 2) {
        return Refuse(error, name, "%u channels; only 1 or 2 are played", channels);
    }
    if (bits != 8 && bits != 16) {
        return Refuse(error, name, "%u bits per sample; only 8 or 16 are played", bits);
    }
    if (blockAlign != channels * bits / 8) {
        return Refuse(error, name, "block align %u does not match %u channel(s) of %u bits",
                      blockAlign, channels, bits);
    }
    // 0 is how many writers say "all of them".
    if (validBits > bits) {
        return Refuse(error, name, "%u valid bits in %u-bit samples", validBits, bits);
    }
    if (rate < WAVE_MIN_RATE || rate > WAVE_MAX_RATE) {
        return Refuse(error, name, "rate %u Hz out of range (%u to %u)", rate, WAVE_MIN_RATE,
                      WAVE_MAX_RATE);
    }
    format->channels = channels;
    format->samplesPerSecond = rate;
    format->bitsPerSample = bits;
    format->blockAlign = blockAlign;
    return true;
}

// Walks the chunks to the first data chunk. Sizes are taken as the file states them but
// never trusted past its end: the RIFF size is ignored (writers get it wrong, streaming
// ones leave it open), and a data chunk longer than the file gives what the file holds.
bool ReadLayout(const uint8_t* bytes, size_t size, const std::string& name, std::string* error,
                Layout* layout) {
    if (size > WAVE_MAX_BYTES) {
        return TooLarge(error, name, size);
    }
    if (size < 12 || !IsId(bytes + 8, "WAVE")) {
        return Refuse(error, name, "not a RIFF/WAVE file");
    }
    if (IsId(bytes, "RIFX")) {
        return Refuse(error, name, "big-endian RIFX files are not supported");
    }
    if (IsId(bytes, "RF64")) {
        return Refuse(error, name, "RF64 files are not supported");
    }
    if (!IsId(bytes, "RIFF")) {
        return Refuse(error, name, "not a RIFF/WAVE file");
    }
    bool haveFormat = false;
    uint64_t at = 12;
    while (size - at >= 8) {
        const uint8_t* id = bytes + at;
        const uint64_t declared = Le32(bytes + at + 4);
        const uint64_t body = at + 8;
        const uint64_t available = size - body;
        if (IsId(id, "data")) {
            if (!haveFormat) {
                return Refuse(error, name, "data chunk before any fmt chunk");
            }
            uint64_t taken = declared < available ? declared : available;
            taken -= taken % layout->format.blockAlign;
            if (taken == 0) {
                return Refuse(error, name, "no samples");
            }
            layout->dataOffset = static_cast<size_t>(body);
            layout->dataBytes = static_cast<size_t>(taken);
            return true;
        }
        if (IsId(id, "fmt ")) {
            if (haveFormat) {
                return Refuse(error, name, "a second fmt chunk");
            }
            if (!ReadFormat(bytes + body, declared, available, name, error, &layout->format)) {
                return false;
            }
            haveFormat = true;
        }
        // Chunks are padded to an even size; the padding of the last one may be missing.
        if (declared > available) {
            const std::string shownId = Printable(reinterpret_cast<const char*>(id), 4);
            return Refuse(error, name, "the file ends inside the '%s' chunk, before any data",
                          shownId.c_str());
        }
        at = body + declared + (declared & 1);
        if (at >= size) {
            break;
        }
    }
    if (at < size) {
        return Refuse(error, name, "the file ends inside a chunk header, before any data");
    }
    return Refuse(error, name, "%s", haveFormat ? "no data chunk" : "no fmt or data chunk");
}

} // namespace

bool Wave::Load(const char* fileName, std::string* error) {
    Clear();
    const std::string name = ShownName(fileName);
    if (!fileName) {
        return Refuse(error, name, "not found");
    }
    // File would refuse it too, but as "not found", which hides the real fault.
    if (std::strlen(fileName) >= static_cast<size_t>(FILE_NAME_ROOM)) {
        return Refuse(error, name, "name too long (%d characters at most)", FILE_NAME_ROOM - 1);
    }
    File in;
    if (in.Open(fileName, FILE_READ | RANDOM) != FILE_OK) {
        return Refuse(error, name, "not found");
    }
    const long end = in.Seek(-2) == 0 ? in.Tell() : -1;
    if (end < 0 || in.Seek(-1) != 0) {
        return Refuse(error, name, "cannot be read");
    }
    const size_t size = static_cast<size_t>(end);
    if (size > WAVE_MAX_BYTES) {
        return TooLarge(error, name, size);
    }
    // The one allocation of a load: the file itself, which then holds the samples.
    std::vector<uint8_t> bytes(size);
    if (size > 0 && in.Read(static_cast<int>(size), bytes.data()) != FILE_OK) {
        return Refuse(error, name, "cannot be read");
    }
    in.Close();
    Layout layout;
    if (!ReadLayout(bytes.data(), size, name, error, &layout)) {
        return false;
    }
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(layout.dataOffset));
    bytes.resize(layout.dataBytes);
    samples.swap(bytes);
    format = layout.format;
    return true;
}

bool Wave::Parse(const uint8_t* bytes, size_t size, const char* name, std::string* error) {
    Clear();
    Layout layout;
    if (!ReadLayout(bytes ? bytes : reinterpret_cast<const uint8_t*>(""), bytes ? size : 0,
                    ShownName(name), error, &layout)) {
        return false;
    }
    samples.assign(bytes + layout.dataOffset, bytes + layout.dataOffset + layout.dataBytes);
    format = layout.format;
    return true;
}

size_t Wave::Frames() const {
    return format.blockAlign ? samples.size() / format.blockAlign : 0;
}

void Wave::Clear() {
    format = WaveFormat();
    std::vector<uint8_t>().swap(samples);
}
