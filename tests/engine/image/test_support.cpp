#include "tests/engine/image/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

void AppendSample(std::vector<uint8_t>& out, uint32_t value, int bytes, bool bigEndian) {
    for (int i = 0; i < bytes; ++i) {
        int shift = bigEndian ? 8 * (bytes - 1 - i) : 8 * i;
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void PutShort(std::vector<uint8_t>& out, size_t at, uint16_t v, bool bigEndian) {
    std::vector<uint8_t> b;
    AppendSample(b, v, 2, bigEndian);
    std::copy(b.begin(), b.end(), out.begin() + static_cast<long>(at));
}

void PutLong(std::vector<uint8_t>& out, size_t at, uint32_t v, bool bigEndian) {
    std::vector<uint8_t> b;
    AppendSample(b, v, 4, bigEndian);
    std::copy(b.begin(), b.end(), out.begin() + static_cast<long>(at));
}

BuiltTiff BuildTiff(const TiffLayout& layout) {
    BuiltTiff built;
    std::vector<uint8_t>& out = built.bytes;
    const bool be = layout.bigEndian;
    out = {static_cast<uint8_t>(be ? 'M' : 'I'), static_cast<uint8_t>(be ? 'M' : 'I')};
    AppendSample(out, 42, 2, be);
    AppendSample(out, 0, 4, be); // patched below

    built.stripOffsets.resize(layout.strips.size());
    for (size_t n = 0; n < layout.strips.size(); ++n) {
        size_t i = layout.stripsReversed ? layout.strips.size() - 1 - n : n;
        built.stripOffsets[i] = static_cast<uint32_t>(out.size());
        out.insert(out.end(), layout.strips[i].begin(), layout.strips[i].end());
    }
    if (layout.bits.size() > 1) {
        built.bitsOffset = static_cast<uint32_t>(out.size());
        for (uint16_t b : layout.bits) {
            AppendSample(out, b, 2, be);
        }
    }
    if (layout.strips.size() > 1) {
        built.stripArrayOffset = static_cast<uint32_t>(out.size());
        for (uint32_t o : built.stripOffsets) {
            AppendSample(out, o, 4, be);
        }
    }

    std::vector<TiffEntry> entries = layout.extra;
    const uint16_t SHORT = 3, LONG = 4;
    if (layout.width) {
        entries.push_back({256, LONG, 1, layout.width});
    }
    if (layout.height) {
        entries.push_back({257, SHORT, 1, layout.height});
    }
    if (layout.bits.size() == 1) {
        entries.push_back({258, SHORT, 1, layout.bits[0]});
    } else if (!layout.bits.empty()) {
        entries.push_back(
            {258, SHORT, static_cast<uint32_t>(layout.bits.size()), built.bitsOffset});
    }
    if (layout.compression >= 0) {
        entries.push_back({259, SHORT, 1, static_cast<uint32_t>(layout.compression)});
    }
    if (layout.photometric >= 0) {
        entries.push_back({262, SHORT, 1, static_cast<uint32_t>(layout.photometric)});
    }
    if (layout.strips.size() == 1) {
        entries.push_back({273, LONG, 1, built.stripOffsets[0]});
    } else if (layout.strips.size() > 1) {
        entries.push_back(
            {273, LONG, static_cast<uint32_t>(layout.strips.size()), built.stripArrayOffset});
    }
    if (!layout.bits.empty()) {
        entries.push_back({277, SHORT, 1, static_cast<uint32_t>(layout.bits.size())});
    }
    if (layout.rowsPerStrip >= 0) {
        entries.push_back({278, LONG, 1, static_cast<uint32_t>(layout.rowsPerStrip)});
    }
    if (layout.extraSamples) {
        entries.push_back({338, SHORT, 1, 2});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TiffEntry& a, const TiffEntry& b) { return a.tag < b.tag; });

    if (out.size() % 2) {
        out.push_back(0); // directories start on a word boundary
    }
    built.ifdOffset = static_cast<uint32_t>(out.size());
    PutLong(out, 4, built.ifdOffset, be);
    AppendSample(out, static_cast<uint32_t>(entries.size()), 2, be);
    for (const TiffEntry& e : entries) {
        AppendSample(out, e.tag, 2, be);
        AppendSample(out, e.type, 2, be);
        AppendSample(out, e.count, 4, be);
        if (e.type == SHORT && e.count == 1) {
            AppendSample(out, e.value, 2, be);
            AppendSample(out, 0, 2, be);
        } else {
            AppendSample(out, e.value, 4, be);
        }
    }
    AppendSample(out, layout.nextIfd, 4, be);
    return built;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        if (!bytes.empty()) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
        }
        std::fclose(f);
    }
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        return bytes;
    }
    int c;
    while ((c = std::fgetc(f)) != EOF) {
        bytes.push_back(static_cast<uint8_t>(c));
    }
    std::fclose(f);
    return bytes;
}

std::string TestFile(const std::string& suffix) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("img_") + info->test_suite_name() + "_" + info->name();
    for (char& c : name) {
        if (c == '/') {
            c = '_';
        }
    }
    return name + suffix;
}

uint8_t Pattern(int x, int y, int channel) {
    return static_cast<uint8_t>(x * 37 + y * 91 + channel * 53 + (x * y) % 7 + 11);
}

std::vector<uint8_t> PatternRows(int width, int firstRow, int count, int channels, int bytes,
                                 bool bigEndian) {
    std::vector<uint8_t> out;
    for (int y = firstRow; y < firstRow + count; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < channels; ++c) {
                const uint32_t low = bytes > 1 ? (1u << (8 * (bytes - 1))) - 1 : 0;
                const uint32_t v = (static_cast<uint32_t>(Pattern(x, y, c)) << (8 * (bytes - 1))) |
                                   (0x5A5A5A5Au & low);
                AppendSample(out, v, bytes, bigEndian);
            }
        }
    }
    return out;
}
