// Where the SDL host puts the view in a window of any size, and how a point of the window
// comes back to a pixel of the view.
#include "engine/platform/hosts/sdl/sdl_view.h"

#include <gtest/gtest.h>

namespace {

struct Placing {
    const char* situation;
    int viewWidth, viewHeight, drawableWidth, drawableHeight;
    int x, y, width, height;
};

TEST(PlaceView, LargestWholeScaleThatFitsCentredElseTheShapeKept) {
    const Placing CASES[] = {
        {"exactly the view", 900, 500, 900, 500, 0, 0, 900, 500},
        {"twice the view", 900, 500, 1800, 1000, 0, 0, 1800, 1000},
        {"a little larger: 1x, centred", 900, 500, 1000, 700, 50, 100, 900, 500},
        {"wide: the height decides", 900, 500, 3000, 1100, 600, 50, 1800, 1000},
        {"tall: the width decides", 900, 500, 1900, 2000, 50, 500, 1800, 1000},
        {"a full HD screen: 2x", 900, 500, 1920, 1080, 60, 40, 1800, 1000},
        {"a 4K screen: 4x", 900, 500, 3840, 2160, 120, 80, 3600, 2000},
        {"high DPI: the drawable's pixels count", 899, 499, 3596, 1996, 0, 0, 3596, 1996},
        {"odd border splits down", 899, 499, 1000, 600, 50, 50, 899, 499},
        {"narrower than the view: shape kept", 900, 500, 450, 500, 0, 125, 450, 250},
        {"lower than the view: shape kept", 900, 500, 900, 250, 225, 0, 450, 250},
        {"both smaller, width decides", 900, 500, 600, 400, 0, 33, 600, 333},
        {"a sliver still shows a pixel", 900, 500, 2, 500, 0, 249, 2, 1},
        {"nothing to draw into", 900, 500, 0, 500, 0, 0, 0, 0},
        {"no view yet", 0, 0, 800, 600, 0, 0, 0, 0},
    };
    for (const Placing& c : CASES) {
        sdl::ViewPlace place =
            sdl::PlaceView(c.viewWidth, c.viewHeight, c.drawableWidth, c.drawableHeight);
        EXPECT_EQ(place.x, c.x) << c.situation;
        EXPECT_EQ(place.y, c.y) << c.situation;
        EXPECT_EQ(place.width, c.width) << c.situation;
        EXPECT_EQ(place.height, c.height) << c.situation;
        // Whatever the window, the whole view is inside it.
        EXPECT_LE(place.x + place.width, c.drawableWidth) << c.situation;
        EXPECT_LE(place.y + place.height, c.drawableHeight) << c.situation;
    }
}

struct Pointing {
    const char* situation;
    int windowWidth, windowHeight, drawableWidth, drawableHeight;
    int pointX, pointY;
    int viewX, viewY;
};

TEST(ViewPoint, WindowPointsBecomeViewPixelsWhateverTheScale) {
    const Pointing CASES[] = {
        {"1x, top left", 900, 500, 900, 500, 0, 0, 0, 0},
        {"1x, bottom right", 900, 500, 900, 500, 899, 499, 899, 499},
        {"2x: two points a pixel", 1800, 1000, 1800, 1000, 201, 101, 100, 50},
        {"2x, last pixel", 1800, 1000, 1800, 1000, 1799, 999, 899, 499},
        {"centred 1x: the border is taken off", 1000, 700, 1000, 700, 50, 100, 0, 0},
        {"centred 1x, inside", 1000, 700, 1000, 700, 500, 400, 450, 300},
        {"left of the view: clamped", 1000, 700, 1000, 700, 10, 10, 0, 0},
        {"right of the view: clamped", 1000, 700, 1000, 700, 990, 690, 899, 499},
        {"high DPI: points are two pixels", 900, 500, 1800, 1000, 450, 250, 450, 250},
        {"high DPI, window grown", 1000, 700, 2000, 1400, 550, 400, 500, 300},
        {"shrunk below 1x", 450, 250, 450, 250, 225, 125, 450, 250},
        {"shrunk, last point", 450, 250, 450, 250, 449, 249, 898, 498},
    };
    for (const Pointing& c : CASES) {
        sdl::ViewPlace place = sdl::PlaceView(900, 500, c.drawableWidth, c.drawableHeight);
        int x = c.pointX, y = c.pointY;
        sdl::ViewPoint(place, 900, 500, c.windowWidth, c.windowHeight, c.drawableWidth,
                       c.drawableHeight, &x, &y);
        EXPECT_EQ(x, c.viewX) << c.situation;
        EXPECT_EQ(y, c.viewY) << c.situation;
    }
}

TEST(ViewPoint, NoWindowOrNoViewGivesTheCorner) {
    sdl::ViewPlace none;
    int x = 300, y = 200;
    sdl::ViewPoint(none, 900, 500, 0, 0, 0, 0, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

} // namespace
