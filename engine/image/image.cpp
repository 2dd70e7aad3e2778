#include "engine/image/image.h"

#include "engine/image/pixel_format.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr uint8_t DEPTH_BITS[] = {IMG_8BIT, IMG_DEPTHX, IMG_16BIT, IMG_24BIT};

// Negative sizes allocate nothing rather than wrapping into a huge request.
size_t PlaneBytes(int width, int height, int bytesPerPixel) {
    if (width <= 0 || height <= 0 || bytesPerPixel <= 0) {
        return 0;
    }
    return static_cast<size_t>(width) * static_cast<size_t>(height) *
           static_cast<size_t>(bytesPerPixel);
}

bool Is16Bit(uint8_t flags) {
    return (flags & IMG_16BIT) && !(flags & (IMG_8BIT | IMG_DEPTHX));
}

// The inside test of the rotation: only the two ends of each row are tested.
bool Inside(float x, float y, int width, int height) {
    return x >= 0.0f && x < static_cast<float>(width) && y >= 0.0f &&
           y < static_cast<float>(height);
}

// Truncation toward zero, kept on the plane: the copied middle of a row is reached by
// repeated addition and may land a rounding step past an end that tested inside.
int SourceIndex(float v, int limit) {
    int i = static_cast<int>(v);
    if (i < 0) {
        return 0;
    }
    return i < limit ? i : limit - 1;
}

// One plane of the rotate-and-scale copy; both planes share this geometry.
template <typename T>
void RotatePlane(const T* source, int sw, int sh, T* destination, int dw, int dh, float angle,
                 float scale, T outside) {
    // Not exactly pi / 180: the pictures this engine rotates were made with this factor.
    const double K = 0.01745328888888889;
    const double a = angle * K;
    const double b = (135.0f - angle) * K;
    const float r = static_cast<float>(
        0.5f * std::sqrt(static_cast<double>(dw) * dw + static_cast<double>(dh) * dh));
    const float dx = static_cast<float>(std::cos(a) / scale);
    const float dy = static_cast<float>(std::sin(a) / scale);
    float x = static_cast<float>(r * std::cos(b) / scale + sw * 0.5f);
    float y = static_cast<float>(sh * 0.5f - r * std::sin(b) / scale);

    for (int j = 0; j < dh; ++j) {
        T* row = destination + static_cast<size_t>(j) * static_cast<size_t>(dw);
        // From the far end back, drop the pixels whose point lies outside the source.
        float ex = x + dw * dx;
        float ey = y + dw * dy;
        int last = dw;
        while (last > 0) {
            ex -= dx;
            ey -= dy;
            if (Inside(ex, ey, sw, sh)) {
                break;
            }
            row[--last] = outside;
        }
        // Then from the start forward; what is left between is inside (the region is
        // convex along a row) and copied without tests.
        float px = x;
        float py = y;
        int first = 0;
        while (first < last && !Inside(px, py, sw, sh)) {
            row[first++] = outside;
            px += dx;
            py += dy;
        }
        for (int i = first; i < last; ++i) {
            row[i] = source[static_cast<size_t>(SourceIndex(py, sh)) * static_cast<size_t>(sw) +
                            static_cast<size_t>(SourceIndex(px, sw))];
            px += dx;
            py += dy;
        }
        x -= dy;
        y += dx;
    }
}

// One channel of the 24 to 16-bit conversion: its top `width` bits moved to `shift`.
uint32_t Channel(uint32_t value, int32_t width, int32_t shift) {
    return ((value << width) >> 8) << shift;
}

void ConvertWordsPortable(const uint8_t* rgb, uint16_t* words, size_t count, const PixelFormat& f) {
    for (size_t i = 0; i < count; ++i, rgb += 3) {
        // Each channel keeps its top bits; no rounding.
        words[i] = static_cast<uint16_t>(Channel(rgb[0], f.redWidth, f.redShift) |
                                         Channel(rgb[1], f.greenWidth, f.greenShift) |
                                         Channel(rgb[2], f.blueWidth, f.blueShift));
    }
}

#if defined(__SSE2__)
// A channel's byte sits at bit 8 * index of a pixel read as a 32-bit word; keeping its
// top `width` bits and moving them to `shift` is one mask and one shift either way.
struct ChannelMove {
    __m128i mask, left, right;
    ChannelMove(int32_t index, int32_t width, int32_t shift) {
        const int32_t from = 8 * index + 8 - width; // lowest kept bit in the word
        const uint32_t kept = width > 0 ? ((0xFFu >> (8 - width)) << from) : 0;
        mask = _mm_set1_epi32(static_cast<int32_t>(kept));
        left = _mm_cvtsi32_si128(shift > from ? shift - from : 0);
        right = _mm_cvtsi32_si128(from > shift ? from - shift : 0);
    }
    __m128i Apply(__m128i pixels) const {
        return _mm_sll_epi32(_mm_srl_epi32(_mm_and_si128(pixels, mask), right), left);
    }
};

// Four pixels as 32-bit lanes (red in the low byte); the fourth byte of each lane
// belongs to the next pixel and is masked away.
__m128i FourPixels(const uint8_t* rgb) {
    uint32_t lanes[4];
    for (int k = 0; k < 4; ++k) {
        std::memcpy(&lanes[k], rgb + 3 * k, 4);
    }
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes));
}

// Eight pixels a step. Each 4-byte read may take one byte past its pixel, so the last
// step leaves a pixel to the portable loop rather than read past the plane.
void ConvertWordsSse2(const uint8_t* rgb, uint16_t* words, size_t count, const PixelFormat& f) {
    const ChannelMove red(0, f.redWidth, f.redShift);
    const ChannelMove green(1, f.greenWidth, f.greenShift);
    const ChannelMove blue(2, f.blueWidth, f.blueShift);
    size_t i = 0;
    for (; i + 9 <= count; i += 8, rgb += 24) {
        __m128i low = FourPixels(rgb);
        __m128i high = FourPixels(rgb + 12);
        low = _mm_or_si128(_mm_or_si128(red.Apply(low), green.Apply(low)), blue.Apply(low));
        high = _mm_or_si128(_mm_or_si128(red.Apply(high), green.Apply(high)), blue.Apply(high));
        // Sign-extend the 16-bit results so the saturating pack keeps them as they are.
        low = _mm_srai_epi32(_mm_slli_epi32(low, 16), 16);
        high = _mm_srai_epi32(_mm_slli_epi32(high, 16), 16);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(words + i), _mm_packs_epi32(low, high));
    }
    ConvertWordsPortable(rgb, words + i, count - i, f);
}
#endif

// Channels wider than 8 bits, or reaching past bit 15, are left to the portable loop,
// whose arithmetic they need.
void ConvertToWords(const uint8_t* rgb, uint16_t* words, size_t count, const PixelFormat& f) {
#if defined(__SSE2__)
    const bool fits = f.redWidth <= 8 && f.greenWidth <= 8 && f.blueWidth <= 8 && f.redWidth >= 0 &&
                      f.greenWidth >= 0 && f.blueWidth >= 0 && f.redShift >= 0 &&
                      f.greenShift >= 0 && f.blueShift >= 0 && f.redShift + f.redWidth <= 16 &&
                      f.greenShift + f.greenWidth <= 16 && f.blueShift + f.blueWidth <= 16;
    if (fits) {
        ConvertWordsSse2(rgb, words, count, f);
        return;
    }
#endif
    ConvertWordsPortable(rgb, words, count, f);
}

} // namespace

Image::Image() : pixels(nullptr), alpha(nullptr), width(0), height(0), flags(0), raw(true) {}

Image::Image(int newWidth, int newHeight, int newFlags) : Image() {
    Size(newWidth, newHeight, newFlags);
}

Image::~Image() {
    Free();
}

Image::Image(Image&& other) noexcept : Image() {
    TakeFrom(other);
}

Image& Image::operator=(Image&& other) noexcept {
    if (this != &other) {
        Free();
        TakeFrom(other);
    }
    return *this;
}

void Image::TakeFrom(Image& other) {
    pixels = other.pixels;
    alpha = other.alpha;
    width = other.width;
    height = other.height;
    flags = other.flags;
    raw = other.raw;
    runs = std::move(other.runs);
    other.pixels = nullptr;
    other.alpha = nullptr;
    other.width = 0;
    other.height = 0;
    other.flags = 0;
}

void Image::Free() {
    runs.reset();
    delete[] pixels;
    delete[] alpha;
    pixels = nullptr;
    alpha = nullptr;
    width = 0;
    height = 0;
    flags = 0;
}

int Image::BytesPerPixel(int f) {
    static const int withoutPixelAlpha[] = {1, 0, 2, 3};
    static const int withPixelAlpha[] = {2, 2, 3, 4};
    for (int i = 0; i < 4; ++i) {
        if (f & DEPTH_BITS[i]) {
            return (f & IMG_PIXELALPHA) ? withPixelAlpha[i] : withoutPixelAlpha[i];
        }
    }
    return 0;
}

void Image::Size(int newWidth, int newHeight, int newFlags) {
    delete[] pixels;
    pixels = new uint8_t[PlaneBytes(newWidth, newHeight, BytesPerPixel(newFlags))];
    if (newFlags != 0) {
        delete[] alpha;
        alpha = new uint8_t[PlaneBytes(newWidth, newHeight, 1)];
    }
    width = newWidth;
    height = newHeight;
    flags = static_cast<uint8_t>(newFlags);
    PixelsChanged();
}

const KeyedRuns* Image::Runs(uint16_t key) const {
    const uint16_t* words = reinterpret_cast<const uint16_t*>(pixels);
    if (pixels == nullptr || BytesPerPixel(flags) < 2)
        return nullptr;
    if (!runs)
        runs.reset(new KeyedRuns);
    if (!runs->MadeFrom(words, width, height, key))
        runs->Make(words, width, height, key);
    return runs->Kept() ? runs.get() : nullptr;
}

void Image::PixelsChanged() {
    if (runs)
        runs->Clear();
}

void Image::Convert(int mode) {
    ConvertDepth(IMG_16BIT);
    switch (mode) {
    case 1:
        MakeColorKey();
        break;
    case 2:
    case 3:
        Premultiply();
        break;
    default:
        break;
    }
    raw = false;
}

void Image::ConvertDepth(int targetFlags) {
    const bool from24 = (flags & IMG_24BIT) && !(flags & (IMG_8BIT | IMG_DEPTHX | IMG_16BIT));
    const bool to16 = (targetFlags & IMG_16BIT) && !(targetFlags & (IMG_8BIT | IMG_DEPTHX));
    if (from24 && to16 && pixels) {
        const size_t count = PlaneBytes(width, height, 1);
        uint8_t* plane = new uint8_t[count * ((targetFlags & IMG_PIXELALPHA) ? 3 : 2)];
        uint16_t* words = reinterpret_cast<uint16_t*>(plane);
        ConvertToWords(pixels, words, count, pixelFormat);
        delete[] pixels;
        pixels = plane;
        PixelsChanged();
    }
    for (uint8_t bit : DEPTH_BITS) {
        if (flags & bit) {
            flags = static_cast<uint8_t>(flags & ~bit);
            break;
        }
    }
    for (uint8_t bit : DEPTH_BITS) {
        if (targetFlags & bit) {
            flags = static_cast<uint8_t>(flags | bit);
            break;
        }
    }
}

void Image::MakeColorKey() {
    if (!(flags & IMG_ALPHA)) {
        return;
    }
    if (Is16Bit(flags) && pixels && alpha) {
        uint16_t* words = reinterpret_cast<uint16_t*>(pixels);
        const size_t count = PlaneBytes(width, height, 1);
        for (size_t i = 0; i < count; ++i) {
            // Opaque black moves to 1 so that only transparent pixels carry the key 0.
            // Written as selects so the loop vectorises.
            const uint16_t word = words[i] == 0 ? uint16_t(1) : words[i];
            words[i] = alpha[i] == 0 ? uint16_t(0) : word;
        }
    }
    delete[] alpha;
    alpha = nullptr;
    flags = static_cast<uint8_t>((flags & ~IMG_ALPHA) | IMG_COLORKEY);
    // The runs are made by the first keyed draw, not here: made with every picture
    // they would add a quarter to the time the game takes to load its pictures.
    PixelsChanged();
}

void Image::Premultiply() {
    if (!(flags & IMG_ALPHA) || (flags & (IMG_8BIT | IMG_DEPTHX)) || !pixels || !alpha) {
        return;
    }
    const size_t count = PlaneBytes(width, height, 1);
    if (flags & IMG_16BIT) {
        const PixelFormat& f = pixelFormat;
        uint16_t* words = reinterpret_cast<uint16_t*>(pixels);
        for (size_t i = 0; i < count; ++i) {
            const uint32_t p = words[i];
            const uint32_t a = alpha[i];
            // A shift by 8, not a division by 255: the blenders undo it the same way.
            const uint32_t red = ((((p & f.redMask) >> f.redShift) * a) >> 8) << f.redShift;
            const uint32_t green = ((((p & f.greenMask) >> f.greenShift) * a) >> 8) << f.greenShift;
            const uint32_t blue = ((((p & f.blueMask) >> f.blueShift) * a) >> 8) << f.blueShift;
            words[i] = static_cast<uint16_t>(red + green + blue);
            alpha[i] = static_cast<uint8_t>(255 - a);
        }
    } else if (flags & IMG_24BIT) {
        uint8_t* rgb = pixels;
        for (size_t i = 0; i < count; ++i, rgb += 3) {
            const uint32_t a = alpha[i];
            rgb[0] = static_cast<uint8_t>((rgb[0] * a) >> 8);
            rgb[1] = static_cast<uint8_t>((rgb[1] * a) >> 8);
            rgb[2] = static_cast<uint8_t>((rgb[2] * a) >> 8);
            alpha[i] = static_cast<uint8_t>(255 - a);
        }
    }
    PixelsChanged();
}

void Image::Rotate(Image& destination, float angle, float scale) {
    RotatePixels(destination, angle, scale);
    RotateAlpha(destination, angle, scale);
}

void Image::RotatePixels(Image& destination, float angle, float scale) {
    // Both planes must hold at least a word per pixel; anything narrower would be
    // written past its end.
    if (!destination.pixels || !pixels || BytesPerPixel(flags) < 2 ||
        BytesPerPixel(destination.flags) < 2) {
        return;
    }
    RotatePlane<uint16_t>(reinterpret_cast<const uint16_t*>(pixels), width, height,
                          reinterpret_cast<uint16_t*>(destination.pixels), destination.width,
                          destination.height, angle, scale, 0);
    destination.PixelsChanged();
}

void Image::RotateAlpha(Image& destination, float angle, float scale) {
    if (!destination.alpha || !alpha) {
        return;
    }
    RotatePlane<uint8_t>(alpha, width, height, destination.alpha, destination.width,
                         destination.height, angle, scale, 255);
}
