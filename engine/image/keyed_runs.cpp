#include "engine/image/keyed_runs.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The first column from `from` on whose pixel is (isKey) or is not (!isKey) the key;
// width where there is none. Eight pixels a step where SSE2 is available, so the long
// stretches of a sprite cost little to cross.
int32_t Find(const uint16_t* row, int32_t from, int32_t width, uint16_t key, bool isKey) {
    int32_t i = from;
#if defined(__SSE2__)
    const __m128i keys = _mm_set1_epi16(int16_t(key));
    const int wanted = isKey ? 0 : 0xFFFF; // movemask bits of the pixels equal to the key
    for (; i + 8 <= width; i += 8) {
        __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        int found = _mm_movemask_epi8(_mm_cmpeq_epi16(pixels, keys)) ^ wanted;
        if (found != 0)
            return i + __builtin_ctz(unsigned(found)) / 2;
    }
#endif
    for (; i < width; ++i)
        if ((row[i] == key) == isKey)
            return i;
    return width;
}

} // namespace

bool KeyedRuns::Make(const uint16_t* pixels, int32_t width, int32_t height, uint16_t key) {
    Clear();
    made = true;
    madePixels = pixels;
    madeWidth = width;
    madeHeight = height;
    madeKey = key;
    if (pixels == nullptr || width <= 0 || height <= 0 || width > MAX_WIDTH ||
        size_t(width) * size_t(height) > UINT32_MAX)
        return false;
    const size_t limit = size_t(width) * size_t(height) / PIXELS_PER_RUN;
    rowStarts.reserve(size_t(height) + 1);
    rowStarts.push_back(0);
    size_t opaqueCount = 0;
    for (int32_t y = 0; y < height; ++y) {
        const uint16_t* row = pixels + size_t(y) * size_t(width);
        int32_t x = Find(row, 0, width, key, false);
        while (x < width) {
            int32_t end = Find(row, x, width, key, true);
            if (runs.size() == limit) {
                Clear();
                made = true; // the answer (no runs) stands until the pixels change
                return false;
            }
            runs.push_back({uint16_t(x), uint16_t(end - x)});
            opaqueCount += size_t(end - x);
            x = Find(row, end, width, key, false);
        }
        rowStarts.push_back(uint32_t(runs.size()));
    }
    runs.shrink_to_fit();
    // The pixels of the runs, now that their number is known.
    rowPixels.resize(size_t(height));
    opaque.resize(opaqueCount);
    uint16_t* out = opaque.data();
    for (int32_t y = 0; y < height; ++y) {
        rowPixels[y] = uint32_t(out - opaque.data());
        const uint16_t* row = pixels + size_t(y) * size_t(width);
        for (const KeyedRun* run = RowBegin(y); run != RowEnd(y); ++run)
            out = std::copy(row + run->start, row + run->start + run->length, out);
    }
    kept = true;
    return true;
}

void KeyedRuns::Clear() {
    made = false;
    kept = false;
    std::vector<uint32_t>().swap(rowStarts);
    std::vector<uint32_t>().swap(rowPixels);
    std::vector<KeyedRun>().swap(runs);
    std::vector<uint16_t>().swap(opaque);
}

size_t KeyedRuns::Bytes() const {
    return (rowStarts.capacity() + rowPixels.capacity()) * sizeof(uint32_t) +
           runs.capacity() * sizeof(KeyedRun) + opaque.capacity() * sizeof(uint16_t);
}
