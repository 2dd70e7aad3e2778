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

// Calls f(first, end) for each run of pixels other than the key in a row.
template <typename F> void EachRun(const uint16_t* row, int32_t width, uint16_t key, F f) {
    for (int32_t x = Find(row, 0, width, key, false); x < width;) {
        int32_t end = Find(row, x, width, key, true);
        f(x, end);
        x = Find(row, end, width, key, false);
    }
}

} // namespace

bool KeyedRuns::Make(const uint16_t* pixels, int32_t width, int32_t height, uint16_t key) {
    Clear();
    made = true;
    madePixels = pixels;
    madeWidth = width;
    madeHeight = height;
    madeKey = key;
    if (pixels == nullptr || width <= 0 || height <= 0 || width > MAX_WIDTH)
        return false;
    // First the size of the stream, then the stream.
    const size_t limit = size_t(width) * size_t(height) / PIXELS_PER_RUN;
    size_t words = size_t(height);
    for (int32_t y = 0; y < height && runCount <= limit; ++y)
        EachRun(pixels + size_t(y) * size_t(width), width, key, [&](int32_t x, int32_t end) {
            ++runCount;
            words += 2 + size_t(end - x);
        });
    if (runCount > limit || words > UINT32_MAX) {
        runCount = 0;
        return false; // the answer (no runs) stands until the pixels change
    }
    rowStarts.reset(new uint32_t[size_t(height)]);
    stream.reset(new uint16_t[words]);
    streamWords = words;
    uint16_t* out = stream.get();
    for (int32_t y = 0; y < height; ++y) {
        rowStarts[y] = uint32_t(out - stream.get());
        uint16_t* count = out++;
        *count = 0;
        const uint16_t* row = pixels + size_t(y) * size_t(width);
        EachRun(row, width, key, [&](int32_t x, int32_t end) {
            ++*count;
            *out++ = uint16_t(x);
            *out++ = uint16_t(end - x);
            out = std::copy(row + x, row + end, out);
        });
    }
    kept = true;
    return true;
}

void KeyedRuns::Clear() {
    made = false;
    kept = false;
    runCount = 0;
    streamWords = 0;
    rowStarts.reset();
    stream.reset();
}

size_t KeyedRuns::Bytes() const {
    return kept ? size_t(madeHeight) * sizeof(uint32_t) + streamWords * sizeof(uint16_t) : 0;
}
