// WAV files built byte by byte for the reader's tests: any chunk order, any declared
// size, any fmt field, so each test states exactly the file it means.
#ifndef TOLVO_TESTS_SOUND_WAVE_BYTES_H
#define TOLVO_TESTS_SOUND_WAVE_BYTES_H

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void PutLe16(Bytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void PutLe32(Bytes& out, uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

inline void PutId(Bytes& out, const char* id) {
    out.insert(out.end(), id, id + 4);
}

// One chunk. The declared size is the body's unless given; an odd body is followed
// by its padding byte unless told otherwise.
struct Chunk {
    std::string id;
    Bytes body;
    int64_t declared = -1;
    bool pad = true;
};

inline Bytes ChunkBytes(const Chunk& chunk) {
    Bytes out;
    PutId(out, chunk.id.c_str());
    PutLe32(out, chunk.declared >= 0 ? static_cast<uint32_t>(chunk.declared)
                                     : static_cast<uint32_t>(chunk.body.size()));
    out.insert(out.end(), chunk.body.begin(), chunk.body.end());
    if (chunk.pad && (chunk.body.size() & 1)) {
        out.push_back(0);
    }
    return out;
}

// "RIFF", its size (the true one unless given), "WAVE", then the chunks.
inline Bytes Riff(const std::vector<Chunk>& chunks, int64_t riffSize = -1) {
    Bytes out;
    PutId(out, "RIFF");
    PutLe32(out, 0);
    PutId(out, "WAVE");
    for (const Chunk& chunk : chunks) {
        const Bytes b = ChunkBytes(chunk);
        out.insert(out.end(), b.begin(), b.end());
    }
    const uint32_t size =
        riffSize >= 0 ? static_cast<uint32_t>(riffSize) : static_cast<uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i) {
        out[4 + i] = static_cast<uint8_t>(size >> (8 * i));
    }
    return out;
}

// The PCM fields of a fmt chunk; a negative blockAlign means the right one.
struct FormatFields {
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint32_t rate = 22050;
    uint16_t bits = 16;
    int32_t blockAlign = -1;
};

inline uint16_t AlignOf(const FormatFields& f) {
    return static_cast<uint16_t>(f.blockAlign >= 0 ? f.blockAlign : f.channels * f.bits / 8);
}

inline Bytes FmtBody(const FormatFields& f) {
    Bytes out;
    PutLe16(out, f.tag);
    PutLe16(out, f.channels);
    PutLe32(out, f.rate);
    PutLe32(out, f.rate * AlignOf(f));
    PutLe16(out, AlignOf(f));
    PutLe16(out, f.bits);
    return out;
}

inline Chunk Fmt(const FormatFields& f) {
    return Chunk{"fmt ", FmtBody(f)};
}

// WAVE_FORMAT_EXTENSIBLE around the same fields, with a sub-format tag and the standard
// GUID tail (or a broken one).
struct Extensible {
    uint16_t subFormat = 1;
    uint16_t validBits = 0xFFFF; // 0xFFFF: the container's bits
    uint16_t extra = 22;
    bool standardTail = true;
};

inline Chunk ExtensibleFmt(FormatFields f, const Extensible& x = Extensible()) {
    f.tag = 0xFFFE;
    Bytes body = FmtBody(f);
    PutLe16(body, x.extra);
    PutLe16(body, x.validBits == 0xFFFF ? f.bits : x.validBits);
    PutLe32(body, f.channels == 2 ? 3 : 4); // front left and right, or front centre
    PutLe16(body, x.subFormat);
    const uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    body.insert(body.end(), tail, tail + 14);
    if (!x.standardTail) {
        body.back() ^= 0xFF;
    }
    return Chunk{"fmt ", body};
}

// Sample bytes no two positions of which are likely to match by chance.
inline Bytes Samples(size_t count, uint32_t seed = 1) {
    Bytes out(count);
    uint32_t v = seed * 2654435761u;
    for (size_t i = 0; i < count; ++i) {
        v = v * 1103515245u + 12345u;
        out[i] = static_cast<uint8_t>(v >> 16);
    }
    return out;
}

inline Chunk Data(const Bytes& samples) {
    return Chunk{"data", samples};
}

inline Chunk List(size_t bytes = 26) {
    Bytes body = {'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M'};
    PutLe32(body, static_cast<uint32_t>(bytes > 12 ? bytes - 12 : 0));
    while (body.size() < bytes) {
        body.push_back(static_cast<uint8_t>('a' + body.size() % 26));
    }
    body.resize(bytes);
    return Chunk{"LIST", body};
}

#endif
