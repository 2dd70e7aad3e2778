// A picture in memory: a pixel plane, an optional alpha plane, its size and format flags.
#ifndef TOLVO_ENGINE_IMAGE_IMAGE_H
#define TOLVO_ENGINE_IMAGE_IMAGE_H

#include "engine/image/keyed_runs.h"

#include <cstdint>
#include <memory>

// Format flags. The depth is the first of 8BIT, DEPTHX, 16BIT, 24BIT that is set.
constexpr uint8_t IMG_ALPHA = 0x01;      // a separate alpha plane is present and valid
constexpr uint8_t IMG_PIXELALPHA = 0x02; // each pixel carries one extra byte
constexpr uint8_t IMG_8BIT = 0x04;       // 1 byte per pixel
constexpr uint8_t IMG_DEPTHX = 0x08;     // 0 bytes per pixel (2 with IMG_PIXELALPHA)
constexpr uint8_t IMG_16BIT = 0x10;      // one word in the display's pixel format
constexpr uint8_t IMG_24BIT = 0x20;      // red, green, blue bytes
constexpr uint8_t IMG_COLORKEY = 0x40;   // pixel value 0 is transparent; no alpha plane

// Load modes for Convert.
constexpr int IMG_MODE_OPAQUE = 0;      // pages and backgrounds
constexpr int IMG_MODE_COLORKEY = 1;    // sprites, drawn with key 0
constexpr int IMG_MODE_PREMULTIPLY = 2; // blended pictures (3 does the same)

// Pictures are loaded by Tiff, converted once (Convert) and drawn by the engine.
class Image {
  public:
    uint8_t* pixels; // owned; width x height pixels, rows top to bottom, no padding
    uint8_t* alpha;  // owned, may be null; one byte per pixel
    int32_t width;   // pixels a row
    int32_t height;  // rows
    uint8_t flags;   // IMG_ flags: the depth and whether there is alpha
    bool raw;        // true until the first Convert

    // An empty picture: no planes, size 0.
    Image();
    // A picture of this size and flags (see Size), contents not initialised.
    Image(int width, int height, int flags);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    // Takes the other picture's planes; the other is left empty.
    Image(Image&& other) noexcept;
    // Frees this picture's planes and takes the other's; the other is left empty.
    Image& operator=(Image&& other) noexcept;

    // Releases both planes; width, height and flags become 0.
    void Free();
    // (Re)allocates the planes, contents not initialised. Any non-zero flags also
    // (re)allocate the alpha plane; flags 0 keep an existing one.
    void Size(int width, int height, int flags);
    // Bytes per pixel of the pixel plane for these flags.
    static int BytesPerPixel(int flags);

    // Prepares a freshly loaded picture: 16-bit, then by mode colour key or premultiply.
    void Convert(int mode);
    // 24-bit to 16-bit where both ends allow it, then moves the depth bit.
    void ConvertDepth(int targetFlags);
    // Turns the alpha plane into the colour key 0 and drops it.
    void MakeColorKey();
    // Scales the colours by alpha (divided by 256) and inverts alpha to transparency.
    void Premultiply();

    // The runs of the pixels other than `key`, which keyed drawing copies: made on the
    // first call, and again after the pixels change. Null where the picture is drawn
    // pixel by pixel instead (not a word per pixel, or not worth it: see KeyedRuns).
    const KeyedRuns* Runs(uint16_t key) const;
    // Every operation of this class that writes the pixel plane calls this; code that
    // writes through `pixels` itself must call it too before the next keyed draw.
    void PixelsChanged();

    // Rotated (degrees) and scaled (a divisor) copy into an already sized destination.
    void Rotate(Image& destination, float angle, float scale);
    void RotatePixels(Image& destination, float angle, float scale);
    void RotateAlpha(Image& destination, float angle, float scale);

  private:
    void TakeFrom(Image& other);
    // Made on demand by Runs, hence mutable: a const picture can be drawn keyed.
    mutable std::unique_ptr<KeyedRuns> runs;
};

#endif
