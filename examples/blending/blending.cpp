// Alpha and additive drawing: a glow and particles.
//
// Pictures that blend are loaded with IMG_MODE_PREMULTIPLY: their colours are scaled by
// their alpha once, at load time, so drawing needs one multiply a pixel. DrawAlpha
// mixes a picture over what is there (the glow follows the arrow keys); DrawAdditive
// adds it, so overlapping sparks grow brighter up to white (a fountain of particles).
// The sparks move in whole numbers from a seeded generator of our own: every run, on
// every host, draws the same frames. Escape quits.
#include <tolvo/tolvo.h>

#include <cstdio>

namespace {

const int32_t WIDTH = 640;
const int32_t HEIGHT = 400;
const int32_t PARTICLES = 300;
const int32_t GRAVITY = 6; // sixteenths of a pixel a frame, each frame
const int32_t LIFE = 90;   // frames a spark lives
const int32_t SKY_BOTTOM = 130;

Image sky;
Image glow;
Image spark;
int32_t glowX = 150, glowY = SKY_BOTTOM;
uint32_t seed = 12345;

// Positions and speeds in sixteenths of a pixel.
struct Particle {
    int32_t x, y, dx, dy, age;
};
Particle particles[PARTICLES];

// A small linear congruential generator: the same numbers on every machine.
int32_t Random(int32_t range) {
    seed = seed * 1103515245u + 12345u;
    return int32_t((seed >> 16) % uint32_t(range));
}

// A spark leaves the fountain's mouth upwards, a little to either side.
void Launch(Particle& particle) {
    particle.x = (WIDTH * 2 / 3) * 16;
    particle.y = (HEIGHT - 40) * 16;
    particle.dx = Random(65) - 32;
    particle.dy = -(Random(96) + 96);
    particle.age = 0;
}

void Move(Particle& particle) {
    particle.x += particle.dx;
    particle.y += particle.dy;
    particle.dy += GRAVITY;
    if (++particle.age > LIFE || particle.y > HEIGHT * 16)
        Launch(particle);
}

} // namespace

void initialize() {
    if (!Tolvo.Initialize(false, WIDTH, HEIGHT))
        return;
    Tiff tiff;
    tiff.Load("Images\\sky.tif", sky, IMG_MODE_OPAQUE);
    tiff.Load("Images\\glow.tif", glow, IMG_MODE_PREMULTIPLY);
    tiff.Load("Images\\spark.tif", spark, IMG_MODE_PREMULTIPLY);
    // Sparks start at staggered ages, so the fountain is full from the first frame on.
    for (int32_t i = 0; i < PARTICLES; ++i) {
        Launch(particles[i]);
        for (int32_t step = i % LIFE; step > 0; --step)
            Move(particles[i]);
    }
}

int run() {
    const int32_t step = 4;
    if (Tolvo.IsKeyDown(VK_LEFT))
        glowX -= step;
    if (Tolvo.IsKeyDown(VK_RIGHT))
        glowX += step;
    if (Tolvo.IsKeyDown(VK_UP))
        glowY -= step;
    if (Tolvo.IsKeyDown(VK_DOWN))
        glowY += step;
    for (Particle& particle : particles)
        Move(particle);

    if (Tolvo.LockBuffer()) {
        // The sky on the top rows only: the clip rectangle keeps every drawing call
        // inside it. Below it, the night.
        Tolvo.ClearBuffer();
        Tolvo.SetClipRect(0, 0, WIDTH - 1, SKY_BOTTOM);
        Tolvo.DrawBackground(0, 0, sky);
        Tolvo.SetClipRect(0, 0, WIDTH - 1, HEIGHT - 1);
        Tolvo.DrawAlpha(glowX - glow.width / 2, glowY - glow.height / 2, glow);
        for (const Particle& particle : particles)
            Tolvo.DrawAdditive(particle.x / 16 - spark.width / 2, particle.y / 16, spark);
        Tolvo.UnlockBuffer();
    }
    Tolvo.SetColor(255, 255, 255);
    Tolvo.DrawText(8, HEIGHT - 24, "Alpha: the glow (arrows)  Additive: sparks");
    while (Tolvo.GetKey() != 0) {
    }
    Tolvo.ViewUpdate();
    return 0;
}
