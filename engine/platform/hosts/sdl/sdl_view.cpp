#include "engine/platform/hosts/sdl/sdl_view.h"

#include <algorithm>

namespace sdl {

ViewPlace PlaceView(int viewWidth, int viewHeight, int drawableWidth, int drawableHeight) {
    ViewPlace place;
    if (viewWidth <= 0 || viewHeight <= 0 || drawableWidth <= 0 || drawableHeight <= 0) {
        return place;
    }
    int scale = std::min(drawableWidth / viewWidth, drawableHeight / viewHeight);
    if (scale >= 1) {
        // Whole scales only, so every pixel of the view becomes the same square of pixels.
        place.width = viewWidth * scale;
        place.height = viewHeight * scale;
    } else if (static_cast<long long>(drawableWidth) * viewHeight <=
               static_cast<long long>(drawableHeight) * viewWidth) {
        // Smaller than the view itself: as large as it goes with the view's shape.
        place.width = drawableWidth;
        place.height = std::max(
            1, static_cast<int>(static_cast<long long>(drawableWidth) * viewHeight / viewWidth));
    } else {
        place.height = drawableHeight;
        place.width = std::max(
            1, static_cast<int>(static_cast<long long>(drawableHeight) * viewWidth / viewHeight));
    }
    place.x = (drawableWidth - place.width) / 2;
    place.y = (drawableHeight - place.height) / 2;
    return place;
}

namespace {

// One axis: window points to drawable pixels, less the border, to view pixels.
int ViewCoordinate(int point, int windowSize, int drawableSize, int start, int placed,
                   int viewSize) {
    if (windowSize <= 0 || placed <= 0 || viewSize <= 0) {
        return 0;
    }
    long long pixel = static_cast<long long>(point) * drawableSize / windowSize;
    long long inside = (pixel - start) * viewSize;
    // Rounded towards minus infinity, so the border left of the view clamps to 0.
    long long view = inside >= 0 ? inside / placed : -((-inside + placed - 1) / placed);
    return static_cast<int>(std::max(0LL, std::min(view, static_cast<long long>(viewSize) - 1)));
}

} // namespace

void ViewPoint(const ViewPlace& place, int viewWidth, int viewHeight, int windowWidth,
               int windowHeight, int drawableWidth, int drawableHeight, int* x, int* y) {
    *x = ViewCoordinate(*x, windowWidth, drawableWidth, place.x, place.width, viewWidth);
    *y = ViewCoordinate(*y, windowHeight, drawableHeight, place.y, place.height, viewHeight);
}

} // namespace sdl
