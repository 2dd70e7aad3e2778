// A tiny complete game on Tolvo: a walker on a tiled wooden floor. Left and Right walk
// (a step sound with every other step), Escape quits. With TOLVO_TRACE set it writes one
// line per frame, which its test compares with a run recorded before.
#include <tolvo/tolvo.h>

#include <cstdint>

namespace {

const int32_t VIEW_WIDTH = 640;
const int32_t VIEW_HEIGHT = 400;
const int32_t FLOOR_TOP = 304; // the walker's feet stand here
const int32_t SPEED = 3;       // pixels a frame
const int32_t STEP_FRAMES = 8; // frames a step picture shows

Image floorTile;
Image walker[2][2]; // [facing left][step]
SoundSystem soundSystem;
Sound stepSound;
TraceFile trace;

int32_t frame = 0;
int32_t walkerX = VIEW_WIDTH / 2;
int32_t step = 0;
int32_t stepTimer = 0;
bool facingLeft = false;

// A sprite as Image::Convert leaves it: 16-bit pixels, 0 transparent.
void Mirror(const Image& from, Image& to) {
    to.Size(from.width, from.height, from.flags);
    to.flags = from.flags;
    const uint16_t* source = reinterpret_cast<const uint16_t*>(from.pixels);
    uint16_t* target = reinterpret_cast<uint16_t*>(to.pixels);
    for (int32_t y = 0; y < from.height; ++y) {
        for (int32_t x = 0; x < from.width; ++x) {
            target[y * from.width + x] = source[y * from.width + from.width - 1 - x];
        }
    }
}

} // namespace

void initialize() {
    // Windowed, the view's size; on failure the engine reports why and run() is never called.
    if (!Tolvo.Initialize(false, VIEW_WIDTH, VIEW_HEIGHT)) {
        return;
    }
    // Pictures are converted to the display's pixel format, so load them after start-up.
    Tiff tiff;
    tiff.Load("Images\\floor.tif", floorTile, IMG_MODE_OPAQUE);
    tiff.Load("Images\\walker1.tif", walker[0][0], IMG_MODE_COLORKEY);
    tiff.Load("Images\\walker2.tif", walker[0][1], IMG_MODE_COLORKEY);
    Mirror(walker[0][0], walker[1][0]);
    Mirror(walker[0][1], walker[1][1]);
    // A machine without sound plays on in silence.
    if (soundSystem.Start(Tolvo.GetWindow())) {
        stepSound.Load(soundSystem, "Sounds\\step.wav");
    }
    trace.OpenFromSetting();
}

int run() {
    ++frame;
    const bool left = Tolvo.IsKeyDown(VK_LEFT) != 0;
    const bool right = Tolvo.IsKeyDown(VK_RIGHT) != 0;
    const bool walking = left != right;
    if (walking) {
        facingLeft = left;
        walkerX += left ? -SPEED : SPEED;
        walkerX = walkerX < 0 ? 0 : walkerX > VIEW_WIDTH - 32 ? VIEW_WIDTH - 32 : walkerX;
        if (++stepTimer == STEP_FRAMES) {
            stepTimer = 0;
            step = 1 - step;
            if (step == 1) {
                stepSound.Play();
            }
        }
    } else {
        stepTimer = 0;
        step = 0;
    }
    // Typed characters are not used (Escape, which quits, is the engine's own).
    while (Tolvo.GetKey() != 0) {
    }

    if (Tolvo.LockBuffer()) {
        Tolvo.FillRectangle(0, 0, VIEW_WIDTH - 1, FLOOR_TOP - 1, 70, 90, 140); // the wall
        for (int32_t y = FLOOR_TOP; y < VIEW_HEIGHT; y += floorTile.height) {
            for (int32_t x = 0; x < VIEW_WIDTH; x += floorTile.width) {
                Tolvo.DrawOpaque(x, y, floorTile);
            }
        }
        const Image& picture = walker[facingLeft ? 1 : 0][step];
        Tolvo.DrawKeyed(walkerX, FLOOR_TOP - picture.height + 4, picture);
        Tolvo.UnlockBuffer();
    }
    Tolvo.SetColor(255, 255, 200);
    Tolvo.DrawText(8, 8, "Left and Right walk, Esc quits");
    Tolvo.ViewUpdate();

    trace.Line("{\"frame\":%d,\"x\":%d,\"step\":%d,\"left\":%s}", int(frame), int(walkerX),
               int(step), facingLeft ? "true" : "false");
    return 0;
}
