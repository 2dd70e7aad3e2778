// Tiled scrolling.
//
// Two layers move at different speeds. The sky is one small picture that
// DrawBackground repeats over the whole back buffer from an offset: the offset is all
// the scrolling there is. The ground is a tile map (rows of text, '#' a block) drawn
// with keyed tiles; only the columns in view are drawn, and the engine clips the tiles
// cut by the edges. A camera follows the world's x; the arrow keys move it, and it
// drifts right by itself. Escape quits.
#include <tolvo/tolvo.h>

#include <cstdio>
#include <cstring>

namespace {

const int32_t WIDTH = 640;
const int32_t HEIGHT = 400;
const int32_t TILE = 32;
const int32_t MAP_TOP = HEIGHT - 8 * TILE; // the map's first row on screen
const int32_t SPEED = 3;

// The world: 8 rows of one length, repeated across.
const char* const MAP[] = {
    "                                                            ",
    "                     ###                                    ",
    "            ##                 ####          #              ",
    "                                            ###             ",
    "      ###          #      ##              #####        ##   ",
    "                  ###                    #######            ",
    "##  ####### ######################  ###########  ###########",
    "############################################################",
};
const int32_t MAP_ROWS = int32_t(sizeof MAP / sizeof MAP[0]);
const int32_t MAP_COLUMNS = int32_t(std::strlen(MAP[0]));

Image sky;
Image block;
int32_t camera = 0; // the world's x at the left edge of the screen

// Floor division, so that a camera left of 0 still finds its column.
int32_t Below(int32_t value, int32_t divisor) {
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

bool Solid(int32_t row, int32_t column) {
    int32_t wrapped = ((column % MAP_COLUMNS) + MAP_COLUMNS) % MAP_COLUMNS;
    return MAP[row][wrapped] == '#';
}

void DrawMap() {
    int32_t first = Below(camera, TILE);
    int32_t last = Below(camera + WIDTH - 1, TILE);
    for (int32_t row = 0; row < MAP_ROWS; ++row)
        for (int32_t column = first; column <= last; ++column)
            if (Solid(row, column))
                Tolvo.DrawKeyed(column * TILE - camera, MAP_TOP + row * TILE, block);
}

} // namespace

void initialize() {
    if (!Tolvo.Initialize(false, WIDTH, HEIGHT))
        return;
    Tiff tiff;
    tiff.Load("Images\\sky.tif", sky, IMG_MODE_OPAQUE);
    tiff.Load("Images\\ground.tif", block, IMG_MODE_COLORKEY);
}

int run() {
    camera += 1;
    if (Tolvo.IsKeyDown(VK_LEFT))
        camera -= SPEED + 1;
    if (Tolvo.IsKeyDown(VK_RIGHT))
        camera += SPEED;

    if (Tolvo.LockBuffer()) {
        // The far layer moves at a quarter of the camera's speed.
        Tolvo.DrawBackground(Below(camera, 4), 0, sky);
        DrawMap();
        Tolvo.UnlockBuffer();
    }
    char line[80];
    std::snprintf(line, sizeof line, "camera %d  column %d  arrows scroll, Esc quits", int(camera),
                  int(Below(camera, TILE)));
    Tolvo.SetColor(20, 20, 60);
    Tolvo.DrawText(8, 8, line);
    while (Tolvo.GetKey() != 0) {
    }
    Tolvo.ViewUpdate();
    return 0;
}
