// Drawing: the engine's image operations against memcpy, SDL2 surfaces and pixman on
// the same pixels, and a synthetic frame of one tiled background and 30 sprites.
#include "tools/bench/cases.h"

#include "engine/display/windows_dx.h"
#include "engine/image/pixel_format.h"

#include <SDL.h>
#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

const int VIEW_WIDTH = 900;
const int VIEW_HEIGHT = 500;
const int SPRITE_WIDTH = 100;
const int SPRITE_HEIGHT = 150;

uint32_t Noise(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// A 16-bit picture of noise; with `keyed`, 41% of it (outside an ellipse) is the key 0.
void MakePicture(Image& image, int width, int height, bool keyed, uint32_t seed) {
    image.Size(width, height, IMG_16BIT | IMG_ALPHA);
    uint16_t* pixels = reinterpret_cast<uint16_t*>(image.pixels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double dx = (x + 0.5 - width / 2.0) / (0.87 * width / 2.0);
            double dy = (y + 0.5 - height / 2.0) / (0.87 * height / 2.0);
            uint16_t value = uint16_t(Noise(seed) | 1);
            pixels[y * width + x] = keyed && dx * dx + dy * dy > 1 ? 0 : value;
            image.alpha[y * width + x] = uint8_t(Noise(seed));
        }
}

// A back buffer of our own, locked, the whole view as clip rectangle.
struct Screen {
    std::vector<uint16_t> pixels = std::vector<uint16_t>(size_t(VIEW_WIDTH) * VIEW_HEIGHT);
    std::unique_ptr<WindowsDX> engine = std::make_unique<WindowsDX>();
    Screen() {
        engine->pixels = pixels.data();
        engine->width = VIEW_WIDTH;
        engine->height = VIEW_HEIGHT;
        engine->pitch = VIEW_WIDTH * 2;
        for (int row = 0; row < VIEW_HEIGHT; ++row)
            engine->rowOffsets[row] = row * engine->pitch;
        engine->SetClipRect(0, 0, VIEW_WIDTH - 1, VIEW_HEIGHT - 1);
        engine->locked = true;
    }
    void Fill(uint32_t seed) {
        for (auto& p : pixels)
            p = uint16_t(Noise(seed));
    }
};

SDL_Surface* SdlSurface(void* pixels, int width, int height) {
    return SDL_CreateRGBSurfaceWithFormatFrom(pixels, width, height, 16, width * 2,
                                              SDL_PIXELFORMAT_RGB565);
}

pixman_image_t* PixmanImage(pixman_format_code_t format, void* pixels, int width, int height,
                            int bytesPerPixel) {
    return pixman_image_create_bits(format, width, height, static_cast<uint32_t*>(pixels),
                                    width * bytesPerPixel);
}

bool Same(const char* what, const std::vector<uint16_t>& a, const std::vector<uint16_t>& b) {
    if (a == b)
        return true;
    std::fprintf(stderr, "bench: %s: the engine and its peer drew different pixels\n", what);
    return false;
}

// memcpy of the rows of a rectangle, the floor for any copy of it.
void CopyRect(uint16_t* destination, const uint16_t* source, int sourceWidth, int x, int y,
              int width, int height) {
    for (int row = 0; row < height; ++row)
        std::memcpy(destination + size_t(y + row) * VIEW_WIDTH + x,
                    source + size_t(row) * sourceWidth, size_t(width) * 2);
}

} // namespace

bool BlitCases(const BenchOptions& options, std::vector<Goal>& goals) {
    SetPixelFormat(0xF800, 0x07E0, 0x001F);
    bool same = true;
    // Objects live as long as the process: Google Benchmark runs the operations later.
    static Screen screen, peerScreen;
    static Image page, tile, sprite, blend;
    MakePicture(page, VIEW_WIDTH, VIEW_HEIGHT, false, 1);
    MakePicture(tile, 300, VIEW_HEIGHT, false, 2);
    MakePicture(sprite, SPRITE_WIDTH, SPRITE_HEIGHT, true, 3);
    MakePicture(blend, SPRITE_WIDTH, SPRITE_HEIGHT, false, 4);
    WindowsDX* engine = screen.engine.get();
    uint16_t* view = screen.pixels.data();
    uint16_t* peerView = peerScreen.pixels.data();
    // The memcpy floors write where the peers do while pixels are compared, and into
    // the engine's own buffer while timed, so both sides touch the same memory.
    static uint16_t* floorView = nullptr;
    floorView = peerView;
    const uint16_t* pagePixels = reinterpret_cast<uint16_t*>(page.pixels);
    const uint16_t* spritePixels = reinterpret_cast<uint16_t*>(sprite.pixels);

    static SDL_Surface* sdlView = SdlSurface(peerView, VIEW_WIDTH, VIEW_HEIGHT);
    static SDL_Surface* sdlPage = SdlSurface(page.pixels, VIEW_WIDTH, VIEW_HEIGHT);
    static SDL_Surface* sdlTile = SdlSurface(tile.pixels, 300, VIEW_HEIGHT);
    static SDL_Surface* sdlSprite = SdlSurface(sprite.pixels, SPRITE_WIDTH, SPRITE_HEIGHT);
    static std::vector<uint16_t> rleCopy(spritePixels, spritePixels + SPRITE_WIDTH * SPRITE_HEIGHT);
    static SDL_Surface* sdlRle = SdlSurface(rleCopy.data(), SPRITE_WIDTH, SPRITE_HEIGHT);
    SDL_SetColorKey(sdlSprite, SDL_TRUE, 0);
    SDL_SetColorKey(sdlRle, SDL_TRUE, 0);
    SDL_SetSurfaceRLE(sdlRle, 1);
    SDL_SetSurfaceBlendMode(sdlPage, SDL_BLENDMODE_NONE);
    SDL_SetSurfaceBlendMode(sdlTile, SDL_BLENDMODE_NONE);

    // Opaque: the whole view from a page, against memcpy of the same rows.
    auto opaque = [=] { engine->DrawOpaque(0, 0, page); };
    auto opaqueFloor = [=] {
        CopyRect(floorView, pagePixels, VIEW_WIDTH, 0, 0, VIEW_WIDTH, VIEW_HEIGHT);
    };
    auto sdlOpaque = [=] { SDL_BlitSurface(sdlPage, nullptr, sdlView, nullptr); };
    // Background: 300-wide tiles scrolled by 137, against memcpy of the same pieces.
    auto background = [=] { engine->DrawBackground(137, 0, tile); };
    auto backgroundFloor = [=] {
        const uint16_t* t = reinterpret_cast<uint16_t*>(tile.pixels);
        for (int x = -137; x < VIEW_WIDTH; x += 300) {
            int left = std::max(x, 0), right = std::min(x + 300, VIEW_WIDTH);
            CopyRect(floorView, t + (left - x), 300, left, 0, right - left, VIEW_HEIGHT);
        }
    };
    // Keyed: one sprite, against SDL's colour-key blit and its RLE sprites.
    auto keyed = [=] { engine->DrawKeyed(400, 200, sprite); };
    SDL_Rect at = {400, 200, SPRITE_WIDTH, SPRITE_HEIGHT};
    auto sdlKeyed = [=] {
        SDL_Rect place = at;
        SDL_BlitSurface(sdlSprite, nullptr, sdlView, &place);
    };
    auto sdlKeyedRle = [=] {
        SDL_Rect place = at;
        SDL_BlitSurface(sdlRle, nullptr, sdlView, &place);
    };

    // Same pixels: opaque and keyed against SDL.
    screen.Fill(9);
    peerScreen.Fill(9);
    opaque();
    sdlOpaque();
    same &= Same("DrawOpaque vs SDL blit", screen.pixels, peerScreen.pixels);
    background();
    backgroundFloor();
    same &= Same("DrawBackground vs memcpy", screen.pixels, peerScreen.pixels);
    keyed();
    sdlKeyed();
    same &= Same("DrawKeyed vs SDL colour key", screen.pixels, peerScreen.pixels);
    sdlKeyedRle();
    same &= Same("DrawKeyed vs SDL RLE", screen.pixels, peerScreen.pixels);
    // Clipped by each edge of the view and by two at once: the runs are cut to it.
    const SDL_Rect clipped[] = {{-37, 120, 0, 0}, {850, -60, 0, 0},  {-50, 420, 0, 0},
                                {830, 391, 0, 0}, {300, -149, 0, 0}, {-99, -30, 0, 0}};
    for (const SDL_Rect& place : clipped) {
        engine->DrawKeyed(place.x, place.y, sprite);
        SDL_Rect peerPlace = place;
        SDL_BlitSurface(sdlRle, nullptr, sdlView, &peerPlace);
    }
    same &= Same("DrawKeyed vs SDL RLE, clipped", screen.pixels, peerScreen.pixels);

    // Blends: alpha against pixman OVER (premultiplied a8r8g8b8; the formulas differ:
    // /256 with the engine's inverted alpha against pixman's /255), additive against
    // pixman ADD on r5g6b5, which saturates each field the same way.
    static std::vector<uint32_t> argb(SPRITE_WIDTH * SPRITE_HEIGHT);
    const uint16_t* blendPixels = reinterpret_cast<uint16_t*>(blend.pixels);
    for (int i = 0; i < SPRITE_WIDTH * SPRITE_HEIGHT; ++i) {
        uint32_t a = 255 - blend.alpha[i], p = blendPixels[i];
        uint32_t r = ((p >> 11) * 255 / 31) * a / 255, g = (((p >> 5) & 63) * 255 / 63) * a / 255,
                 b = ((p & 31) * 255 / 31) * a / 255;
        argb[i] = a << 24 | r << 16 | g << 8 | b;
    }
    static pixman_image_t* pixView =
        PixmanImage(PIXMAN_r5g6b5, peerView, VIEW_WIDTH, VIEW_HEIGHT, 2);
    static pixman_image_t* pixArgb =
        PixmanImage(PIXMAN_a8r8g8b8, argb.data(), SPRITE_WIDTH, SPRITE_HEIGHT, 4);
    static pixman_image_t* pix565 =
        PixmanImage(PIXMAN_r5g6b5, blend.pixels, SPRITE_WIDTH, SPRITE_HEIGHT, 2);
    static pixman_image_t* pixPage =
        PixmanImage(PIXMAN_r5g6b5, page.pixels, VIEW_WIDTH, VIEW_HEIGHT, 2);
    static Image additive;
    MakePicture(additive, SPRITE_WIDTH, SPRITE_HEIGHT, false, 4);
    std::memset(additive.alpha, 0, SPRITE_WIDTH * SPRITE_HEIGHT); // every pixel blended
    auto alpha = [=] { engine->DrawAlpha(400, 200, blend); };
    auto pixOver = [=] {
        pixman_image_composite32(PIXMAN_OP_OVER, pixArgb, nullptr, pixView, 0, 0, 0, 0, 400, 200,
                                 SPRITE_WIDTH, SPRITE_HEIGHT);
    };
    auto add = [=] { engine->DrawAdditive(400, 200, additive); };
    auto pixAdd = [=] {
        pixman_image_composite32(PIXMAN_OP_ADD, pix565, nullptr, pixView, 0, 0, 0, 0, 400, 200,
                                 SPRITE_WIDTH, SPRITE_HEIGHT);
    };
    auto pixSrc = [=] {
        pixman_image_composite32(PIXMAN_OP_SRC, pixPage, nullptr, pixView, 0, 0, 0, 0, 0, 0,
                                 VIEW_WIDTH, VIEW_HEIGHT);
    };
    screen.Fill(5);
    peerScreen.Fill(5);
    add();
    pixAdd();
    same &= Same("DrawAdditive vs pixman ADD r5g6b5", screen.pixels, peerScreen.pixels);

    // The synthetic frame: the tiled background and 30 sprites.
    struct Place {
        int x, y;
    };
    static std::vector<Place> places;
    places.clear();
    for (int i = 0; i < 30; ++i)
        places.push_back({(i * 173) % 820 - 10, (i * 97) % 370 - 10});
    auto frame = [=] {
        background();
        for (const Place& p : places)
            engine->DrawKeyed(p.x, p.y, sprite);
    };
    auto sdlFrame = [=](SDL_Surface* spriteSurface) {
        for (int x = -137; x < VIEW_WIDTH; x += 300) {
            SDL_Rect place = {x, 0, 300, VIEW_HEIGHT};
            SDL_BlitSurface(sdlTile, nullptr, sdlView, &place);
        }
        for (const Place& p : places) {
            SDL_Rect place = {p.x, p.y, SPRITE_WIDTH, SPRITE_HEIGHT};
            SDL_BlitSurface(spriteSurface, nullptr, sdlView, &place);
        }
    };
    auto sdlFrameKeyed = [=] { sdlFrame(sdlSprite); };
    auto sdlFrameRle = [=] { sdlFrame(sdlRle); };
    auto frameFloor = [=] {
        backgroundFloor();
        for (const Place& p : places) {
            int left = std::max(p.x, 0), top = std::max(p.y, 0);
            int right = std::min(p.x + SPRITE_WIDTH, VIEW_WIDTH);
            int bottom = std::min(p.y + SPRITE_HEIGHT, VIEW_HEIGHT);
            CopyRect(floorView, spritePixels + (top - p.y) * SPRITE_WIDTH + (left - p.x),
                     SPRITE_WIDTH, left, top, right - left, bottom - top);
        }
    };
    frame();
    sdlFrameKeyed();
    same &= Same("synthetic frame vs SDL", screen.pixels, peerScreen.pixels);

    floorView = view;
    RegisterOperation("DrawOpaque/900x500", opaque);
    RegisterOperation("memcpy/900x500", opaqueFloor);
    RegisterOperation("pixman_SRC/900x500", pixSrc);
    RegisterOperation("SDL_BlitSurface_opaque/900x500", sdlOpaque);
    RegisterOperation("DrawBackground/tiles300", background);
    RegisterOperation("memcpy/tiles300", backgroundFloor);
    RegisterOperation("DrawKeyed/100x150", keyed);
    RegisterOperation("SDL_colorkey/100x150", sdlKeyed);
    RegisterOperation("SDL_RLE/100x150", sdlKeyedRle);
    RegisterOperation("DrawAlpha/100x150", alpha);
    RegisterOperation("pixman_OVER_8888_0565/100x150", pixOver);
    RegisterOperation("DrawAdditive/100x150", add);
    RegisterOperation("pixman_ADD_0565/100x150", pixAdd);
    RegisterOperation("frame/engine", frame);
    RegisterOperation("frame/SDL_colorkey", sdlFrameKeyed);
    RegisterOperation("frame/SDL_RLE", sdlFrameRle);
    RegisterOperation("frame/memcpy_floor", frameFloor);

    const int rounds = options.rounds;
    const double spritePixelCount = SPRITE_WIDTH * SPRITE_HEIGHT;
    auto t = Interleaved({opaque, opaqueFloor, pixSrc, sdlOpaque}, rounds);
    goals.push_back(MakeGoal("DrawOpaque <= 1.1x memcpy", "DrawOpaque 900x500", t[0] / 1000,
                             "memcpy of the same rows", t[1] / 1000, "us", 1.1, true,
                             "pixman SRC " + std::to_string(t[2] / t[1]).substr(0, 4) +
                                 "x memcpy, SDL opaque blit " +
                                 std::to_string(t[3] / t[1]).substr(0, 4) + "x"));
    t = Interleaved({background, backgroundFloor}, rounds);
    goals.push_back(MakeGoal("DrawBackground <= 1.1x memcpy", "DrawBackground, 300-wide tiles",
                             t[0] / 1000, "memcpy of the same row pieces", t[1] / 1000, "us", 1.1,
                             true));
    t = Interleaved({keyed, sdlKeyed, sdlKeyedRle}, rounds);
    goals.push_back(MakeGoal(
        "DrawKeyed <= 0.5x SDL colour key", "DrawKeyed 100x150, 41% key", t[0] / spritePixelCount,
        "SDL_BlitSurface colour key", t[1] / spritePixelCount, "ns/px", 0.5, true,
        "SDL RLE sprite " + std::to_string(t[2] / spritePixelCount).substr(0, 5) + " ns/px"));
    goals.push_back(MakeGoal("DrawKeyed <= 1.0x SDL RLE sprite", "DrawKeyed 100x150, 41% key",
                             t[0] / spritePixelCount, "SDL_BlitSurface RLE sprite",
                             t[2] / spritePixelCount, "ns/px", 1.0, true,
                             "identical pixels checked, clipped positions too"));
    t = Interleaved({alpha, pixOver}, rounds);
    goals.push_back(MakeGoal("DrawAlpha <= 1.0x pixman OVER", "DrawAlpha 100x150",
                             t[0] / spritePixelCount, "pixman OVER a8r8g8b8 onto r5g6b5",
                             t[1] / spritePixelCount, "ns/px", 1.0, true,
                             "formulas differ (/256 with inverted alpha vs /255): not compared "
                             "pixel for pixel"));
    t = Interleaved({add, pixAdd}, rounds);
    goals.push_back(MakeGoal("DrawAdditive <= 1.0x pixman ADD r5g6b5", "DrawAdditive 100x150",
                             t[0] / spritePixelCount, "pixman ADD r5g6b5", t[1] / spritePixelCount,
                             "ns/px", 1.0, true, "identical pixels checked"));
    t = Interleaved({frame, frameFloor, sdlFrameKeyed, sdlFrameRle}, rounds);
    goals.push_back(MakeGoal(
        "Synthetic frame <= 1.2x memcpy floor", "tiled background + 30 sprites", t[0] / 1000,
        "memcpy of the same rectangles", t[1] / 1000, "us", 1.2, true,
        "SDL colour key " + std::to_string(t[2] / t[1]).substr(0, 4) + "x floor, SDL RLE " +
            std::to_string(t[3] / t[1]).substr(0, 4) + "x floor, engine " +
            std::to_string(t[0] / t[2]).substr(0, 4) + "x SDL colour key"));
    return same;
}
