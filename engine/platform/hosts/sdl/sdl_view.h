// Where the view goes in a window of any size: the largest whole scale that fits, else
// the largest that keeps its shape, centred on black; and the way back from a point in
// the window to a pixel of the view.
#ifndef TOLVO_ENGINE_PLATFORM_HOSTS_SDL_SDL_VIEW_H
#define TOLVO_ENGINE_PLATFORM_HOSTS_SDL_SDL_VIEW_H

namespace sdl {

struct ViewPlace {
    int x = 0, y = 0;          // top left corner, in the drawable's pixels
    int width = 0, height = 0; // 0 when there is nothing to draw into
};

// The view (viewWidth x viewHeight) in a drawable of the given size (pixels, which on a
// high-DPI display are more than the window's size in points).
ViewPlace PlaceView(int viewWidth, int viewHeight, int drawableWidth, int drawableHeight);

// A point of the window (points, as mouse events give them) as a pixel of the view,
// clamped to its edges; `windowWidth` x `windowHeight` is the window's size in points.
void ViewPoint(const ViewPlace& place, int viewWidth, int viewHeight, int windowWidth,
               int windowHeight, int drawableWidth, int drawableHeight, int* x, int* y);

} // namespace sdl

#endif
