#include "engine/image/image.h"

#include "engine/image/pixel_format.h"

#include <cmath>
#include <cstddef>

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
    other.pixels = nullptr;
    other.alpha = nullptr;
    other.width = 0;
    other.height = 0;
    other.flags = 0;
}

void Image::Free() {
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
        const PixelFormat& f = pixelFormat;
        const uint8_t* rgb = pixels;
        for (size_t i = 0; i < count; ++i, rgb += 3) {
            // Each channel keeps its top bits; no rounding.
            words[i] = static_cast<uint16_t>((((rgb[0] << f.redWidth) >> 8) << f.redShift) |
                                             (((rgb[1] << f.greenWidth) >> 8) << f.greenShift) |
                                             (((rgb[2] << f.blueWidth) >> 8) << f.blueShift));
        }
        delete[] pixels;
        pixels = plane;
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
            if (words[i] == 0) {
                words[i] = 1;
            }
            if (alpha[i] == 0) {
                words[i] = 0;
            }
        }
    }
    delete[] alpha;
    alpha = nullptr;
    flags = static_cast<uint8_t>((flags & ~IMG_ALPHA) | IMG_COLORKEY);
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
}

void Image::RotateAlpha(Image& destination, float angle, float scale) {
    if (!destination.alpha || !alpha) {
        return;
    }
    RotatePlane<uint8_t>(alpha, width, height, destination.alpha, destination.width,
                         destination.height, angle, scale, 255);
}
