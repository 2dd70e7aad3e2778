// Keyed sprites and animation.
//
// Four pictures of a walker are loaded from TIF files with IMG_MODE_COLORKEY: their
// alpha sample becomes the colour key (pixel value 0), so DrawKeyed copies every pixel
// but the transparent ones. A walk cycle is a frame counter divided down: each picture
// stays for a few frames. The arrow keys walk the one at the bottom; a small crowd
// walks by itself, each one a step of the cycle apart. Escape quits.
#include <tolvo/tolvo.h>

#include <cstdio>

namespace {

const int32_t WIDTH = 640;
const int32_t HEIGHT = 400;
const int32_t STEPS = 4;           // pictures in the walk cycle
const int32_t FRAMES_PER_STEP = 6; // frames each picture stays on screen
const int32_t SPEED = 2;           // pixels a frame
const int32_t CROWD = 5;
const int32_t FLOOR_Y = 300;

Image steps[STEPS];
Image sky;
int32_t frame = 0;

struct Walker {
    int32_t x, y;
    int32_t direction; // -1 left, +1 right, 0 standing
    int32_t phase;     // where in the cycle it started
};

Walker player = {300, FLOOR_Y, 0, 0};
Walker crowd[CROWD];

// The picture a walker shows now: the cycle runs while it walks, and it stands on the
// first picture when it stops.
const Image& Picture(const Walker& walker) {
    if (walker.direction == 0)
        return steps[0];
    int32_t step = (frame / FRAMES_PER_STEP + walker.phase) % STEPS;
    return steps[step];
}

// The crowd walks across and comes back in at the other side.
void Move(Walker& walker) {
    walker.x += walker.direction * SPEED;
    if (walker.x > WIDTH)
        walker.x = -steps[0].width;
    if (walker.x < -steps[0].width)
        walker.x = WIDTH;
}

} // namespace

void initialize() {
    if (!Tolvo.Initialize(false, WIDTH, HEIGHT))
        return;
    // Loading after start-up: Convert needs the display's pixel format.
    Tiff tiff;
    tiff.Load("Images\\sky.tif", sky, IMG_MODE_OPAQUE);
    char name[32];
    for (int32_t i = 0; i < STEPS; ++i) {
        std::snprintf(name, sizeof name, "Images\\walker%d.tif", int(i + 1));
        tiff.Load(name, steps[i], IMG_MODE_COLORKEY);
    }
    for (int32_t i = 0; i < CROWD; ++i)
        crowd[i] = {i * 140, 60 + i * 40, i % 2 ? -1 : 1, i};
}

int run() {
    ++frame;
    player.direction = 0;
    if (Tolvo.IsKeyDown(VK_LEFT))
        player.direction = -1;
    if (Tolvo.IsKeyDown(VK_RIGHT))
        player.direction = 1;
    Move(player);
    for (Walker& walker : crowd)
        Move(walker);

    if (Tolvo.LockBuffer()) {
        // A keyed sprite's transparent pixels show whatever lies below: here the sky.
        Tolvo.DrawBackground(0, 0, sky);
        Tolvo.FillRectangle(0, HEIGHT - 30, WIDTH - 1, HEIGHT - 1, 0, 0, 0);
        for (const Walker& walker : crowd)
            Tolvo.DrawKeyed(walker.x, walker.y, Picture(walker));
        Tolvo.DrawKeyed(player.x, player.y, Picture(player));
        Tolvo.UnlockBuffer();
    }
    // Text goes through the back buffer's device context, so it is drawn unlocked.
    char line[80];
    std::snprintf(line, sizeof line, "frame %d  step %d  arrows walk, Esc quits", int(frame),
                  int((frame / FRAMES_PER_STEP) % STEPS + 1));
    Tolvo.SetColor(255, 255, 160);
    Tolvo.DrawText(8, HEIGHT - 24, line);
    // Typed characters are not used here; keep their buffer from filling.
    while (Tolvo.GetKey() != 0) {
    }
    Tolvo.ViewUpdate();
    return 0;
}
