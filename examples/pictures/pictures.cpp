// Pictures: load, rotate and scale, save a screenshot as TIF.
//
// Tiff::Load reads a TIF file and converts it for the display: 16-bit pixels, here
// colour-keyed. Image::Rotate copies a picture turned by an angle (degrees) and scaled
// (2 is twice as large) into a destination sized beforehand; what falls outside the
// source becomes the colour key, so the copy draws keyed like any sprite. Space saves
// the screen as shot.tif: the back buffer's 16-bit pixels, spread to 8-bit RGB through
// the display's pixel format, written by Tiff::SaveTiff. Escape quits.
#include <tolvo/tolvo.h>

#include <cstdio>

namespace {

const int32_t WIDTH = 640;
const int32_t HEIGHT = 400;
const float LARGEST = 1.25f; // the largest scale the pulsing copy reaches

Image badge;
Image turned; // rotated, scale 1
Image pulsed; // rotated and scaled
int32_t frame = 0;
int32_t shots = 0;

// A destination with room for the picture at any angle: its diagonal, times the scale.
void SizeFor(Image& destination, float scale) {
    int32_t side =
        int32_t(scale * 1.42f * float(badge.width > badge.height ? badge.width : badge.height));
    destination.Size(side, side, IMG_16BIT);
}

// One colour field of a 16-bit pixel, widened to 8 bits.
uint8_t Widen(uint16_t pixel, int32_t mask, int32_t shift, int32_t width) {
    uint32_t value = (uint32_t(pixel) & uint32_t(mask)) >> shift;
    return uint8_t(width > 0 ? (value << (8 - width)) | (value >> (2 * width - 8)) : 0);
}

// Copies the locked back buffer into a 24-bit image and writes it.
void SaveScreen(const char* name) {
    Image shot(Tolvo.GetWidth(), Tolvo.GetHeight(), IMG_24BIT);
    const PixelFormat& f = pixelFormat;
    for (int32_t y = 0; y < shot.height; ++y) {
        const uint16_t* row = Tolvo.GetPixels() + y * (Tolvo.GetPitch() / 2);
        uint8_t* out = shot.pixels + y * shot.width * 3;
        for (int32_t x = 0; x < shot.width; ++x, out += 3) {
            out[0] = Widen(row[x], f.redMask, f.redShift, f.redWidth);
            out[1] = Widen(row[x], f.greenMask, f.greenShift, f.greenWidth);
            out[2] = Widen(row[x], f.blueMask, f.blueShift, f.blueWidth);
        }
    }
    Tiff tiff;
    tiff.mode = TIFF_RGB;
    tiff.bitsPerPixel = 8; // bits per sample
    tiff.SaveTiff(name, shot);
}

void DrawCentred(int32_t x, int32_t y, const Image& image) {
    Tolvo.DrawKeyed(x - image.width / 2, y - image.height / 2, image);
}

} // namespace

void initialize() {
    if (!Tolvo.Initialize(false, WIDTH, HEIGHT))
        return;
    Tiff tiff;
    tiff.Load("Images\\badge.tif", badge, IMG_MODE_COLORKEY);
    SizeFor(turned, 1.0f);
    SizeFor(pulsed, LARGEST);
}

int run() {
    ++frame;
    bool save = false;
    for (uint8_t character = Tolvo.GetKey(); character != 0; character = Tolvo.GetKey())
        save = save || character == ' ';

    // Whole degrees and a triangle wave: plain arithmetic, the same on every host.
    float angle = float(frame * 2 % 360);
    int32_t wave = frame % 120 < 60 ? frame % 120 : 120 - frame % 120;
    float scale = 0.5f + (LARGEST - 0.5f) * float(wave) / 60.0f;
    badge.Rotate(turned, angle, 1.0f);
    // The same destination at every scale: the part outside the picture is keyed away.
    badge.Rotate(pulsed, -angle, scale);

    if (Tolvo.LockBuffer()) {
        Tolvo.ClearBuffer();
        DrawCentred(110, 200, badge);
        DrawCentred(300, 200, turned);
        DrawCentred(510, 200, pulsed);
        Tolvo.UnlockBuffer();
    }
    char line[80];
    Tolvo.SetColor(255, 255, 255);
    Tolvo.DrawText(70, 40, "loaded");
    Tolvo.DrawText(255, 40, "rotated");
    Tolvo.DrawText(420, 40, "rotated, scaled");
    std::snprintf(line, sizeof line, "angle %d  scale %.2f  Space: shot.tif (%d saved)", int(angle),
                  double(scale), int(shots));
    Tolvo.DrawText(20, HEIGHT - 30, line);
    // The screenshot holds the text too: the buffer is locked again after it.
    if (save && Tolvo.LockBuffer()) {
        SaveScreen("shot.tif");
        Tolvo.UnlockBuffer();
        ++shots;
    }
    Tolvo.ViewUpdate();
    return 0;
}
