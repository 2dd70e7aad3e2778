// The engine demo: the game hooks of a tiny game. A tiled kitchen-wall background
// scrolls by itself, a keyed sprite follows the arrow keys, and the engine's text
// output shows the frame count. Escape or closing the window ends it.
#include "engine/display/windows_dx.h"
#include "engine/image/image.h"
#include "engine/image/pixel_format.h"

#include <cmath>
#include <cstdio>

namespace {

const int32_t DEMO_WIDTH = 640;
const int32_t DEMO_HEIGHT = 400;
const int32_t DEMO_TILE_WIDTH = 96;
const int32_t DEMO_TILE_HEIGHT = 80;
const int32_t DEMO_SPRITE_SIZE = 48;
const int32_t DEMO_STEP = 3;

Image tile;
Image sprite;
int32_t spriteX = DEMO_WIDTH / 2 - DEMO_SPRITE_SIZE / 2;
int32_t spriteY = DEMO_HEIGHT / 2 - DEMO_SPRITE_SIZE / 2;
int32_t scroll = 0;
int32_t frame = 0;

// An 8-bit colour in the display's 16-bit layout.
uint16_t Pack(int red, int green, int blue) {
    auto field = [](int value, int32_t width, int32_t shift) {
        return uint32_t(value >> (8 - width)) << shift;
    };
    return uint16_t(field(red, pixelFormat.redWidth, pixelFormat.redShift) |
                    field(green, pixelFormat.greenWidth, pixelFormat.greenShift) |
                    field(blue, pixelFormat.blueWidth, pixelFormat.blueShift));
}

uint16_t* PixelsOf(Image& image) {
    return reinterpret_cast<uint16_t*>(image.pixels);
}

// Tiles of a kitchen wall: cream tiles with grout lines, a blue stripe and a red dot,
// seamless when repeated.
void MakeTile() {
    tile.Size(DEMO_TILE_WIDTH, DEMO_TILE_HEIGHT, IMG_16BIT);
    uint16_t* pixels = PixelsOf(tile);
    for (int32_t y = 0; y < DEMO_TILE_HEIGHT; ++y) {
        for (int32_t x = 0; x < DEMO_TILE_WIDTH; ++x) {
            bool grout = x % 24 == 0 || y % 20 == 0;
            bool stripe = y >= 40 && y < 60;
            int shade = 8 * ((x / 24 + y / 20) % 2);
            // A red dot on one tile of each repeat, so the scrolling shows.
            int dotX = x - 60;
            int dotY = y - 10;
            bool dot = dotX * dotX + dotY * dotY <= 25;
            uint16_t colour = grout    ? Pack(150, 140, 120)
                              : stripe ? Pack(60, 110 + shade, 200)
                              : dot    ? Pack(200, 40, 40)
                                       : Pack(245 - shade, 235 - shade, 205);
            pixels[y * DEMO_TILE_WIDTH + x] = colour;
        }
    }
}

// A round, smiling muffin-coloured face with a dark outline on a transparent (0) square.
void MakeSprite() {
    sprite.Size(DEMO_SPRITE_SIZE, DEMO_SPRITE_SIZE, IMG_16BIT);
    uint16_t* pixels = PixelsOf(sprite);
    const float centre = (DEMO_SPRITE_SIZE - 1) / 2.0f;
    const float radius = DEMO_SPRITE_SIZE / 2.0f - 1;
    for (int32_t y = 0; y < DEMO_SPRITE_SIZE; ++y) {
        for (int32_t x = 0; x < DEMO_SPRITE_SIZE; ++x) {
            float dx = x - centre;
            float dy = y - centre;
            float distance = std::sqrt(dx * dx + dy * dy);
            uint16_t colour = 0;
            if (distance <= radius - 3)
                colour = Pack(230, 160 - int(distance * 2), 60);
            else if (distance <= radius)
                colour = Pack(40, 24, 16);
            bool eye = (std::fabs(dx + 8) < 3 || std::fabs(dx - 8) < 3) && std::fabs(dy + 6) < 4;
            bool smile = dy > 5 && dy < 10 && std::fabs(distance - 13) < 1.6f;
            if (colour != 0 && (eye || smile))
                colour = Pack(40, 24, 16);
            pixels[y * DEMO_SPRITE_SIZE + x] = colour;
        }
    }
}

int32_t Clamp(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : value > high ? high : value;
}

} // namespace

void initialize() {
    if (!Tolvo.Initialize(false, DEMO_WIDTH, DEMO_HEIGHT))
        return;
    // The pixel format is known only now.
    MakeTile();
    MakeSprite();
}

int run() {
    ++frame;
    scroll += 1;
    if (Tolvo.IsKeyDown(VK_LEFT))
        spriteX -= DEMO_STEP;
    if (Tolvo.IsKeyDown(VK_RIGHT))
        spriteX += DEMO_STEP;
    if (Tolvo.IsKeyDown(VK_UP))
        spriteY -= DEMO_STEP;
    if (Tolvo.IsKeyDown(VK_DOWN))
        spriteY += DEMO_STEP;
    spriteX = Clamp(spriteX, -DEMO_SPRITE_SIZE / 2, DEMO_WIDTH - DEMO_SPRITE_SIZE / 2);
    spriteY = Clamp(spriteY, -DEMO_SPRITE_SIZE / 2, DEMO_HEIGHT - DEMO_SPRITE_SIZE / 2);

    if (Tolvo.LockBuffer()) {
        Tolvo.DrawBackground(scroll, 0, tile);
        Tolvo.FillRectangle(0, DEMO_HEIGHT - 28, DEMO_WIDTH - 1, DEMO_HEIGHT - 1, 0, 0, 0);
        Tolvo.DrawImage(spriteX, spriteY, sprite);
        Tolvo.UnlockBuffer();
    }
    char line[96];
    std::snprintf(line, sizeof(line), "Tolvo engine demo  frame %d  arrows move, Esc quits",
                  int(frame));
    Tolvo.SetColor(255, 255, 160);
    Tolvo.DrawText(8, DEMO_HEIGHT - 20, line);
    // Typed characters are not used; keep the buffer from filling.
    while (Tolvo.GetKey() != 0) {
    }
    Tolvo.ViewUpdate();
    return 0;
}
