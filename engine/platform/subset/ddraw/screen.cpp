#include "engine/platform/subset/ddraw/screen.h"

#include "engine/platform/subset/ddraw/desktop.h"
#include "engine/platform/subset/user32/window_manager.h"

#include <algorithm>
#include <cstring>

namespace subset {
namespace {

struct Screen {
    std::vector<uint16_t> pixels;
    int width = 0;
    int height = 0;
    int presented = 0;
    FrameListener listener = nullptr;
};

Screen& State() {
    static Screen screen;
    return screen;
}

RECT Intersect(RECT a, const RECT& b) {
    a.left = std::max(a.left, b.left);
    a.top = std::max(a.top, b.top);
    a.right = std::min(a.right, b.right);
    a.bottom = std::min(a.bottom, b.bottom);
    return a;
}

bool Empty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// What a person sees of the screen: the main window's client area, or all of it in full
// screen; only the part on the desktop has pixels.
Frame MakeFrame() {
    Screen& screen = State();
    const RECT whole = {0, 0, screen.width, screen.height};
    const HWND main = MainWindow();
    Frame frame;
    frame.number = screen.presented;
    frame.masks = CurrentDesktop().masks;
    frame.fullScreen = FullScreenMode();
    RECT view = whole;
    if (!frame.fullScreen && main) {
        view = DescribeWindow(main).client;
    }
    frame.width = view.right - view.left;
    frame.height = view.bottom - view.top;
    RECT shown = Intersect(view, whole);
    if (Empty(shown)) {
        shown = {view.left, view.top, view.left, view.top};
    }
    frame.shown = {shown.left - view.left, shown.top - view.top, shown.right - view.left,
                   shown.bottom - view.top};
    frame.stride = screen.width;
    frame.pixels = Empty(shown) ? nullptr
                                : screen.pixels.data() +
                                      static_cast<size_t>(shown.top) * screen.width + shown.left;
    return frame;
}

} // namespace

void ClearScreen() {
    Screen& screen = State();
    screen.width = CurrentDesktop().width;
    screen.height = CurrentDesktop().height;
    screen.pixels.assign(static_cast<size_t>(screen.width) * screen.height, 0);
}

void ResetScreen() {
    ClearScreen();
    State().presented = 0;
    State().listener = nullptr;
}

void PresentPrimary(const uint16_t* pixels, int pitchBytes, const RECT& area) {
    Screen& screen = State();
    if (screen.width != CurrentDesktop().width || screen.height != CurrentDesktop().height) {
        ClearScreen();
    }
    RECT copy = Intersect(area, RECT{0, 0, screen.width, screen.height});
    if (!Empty(copy)) {
        size_t row = static_cast<size_t>(copy.right - copy.left) * sizeof(uint16_t);
        for (LONG y = copy.top; y < copy.bottom; y++) {
            const uint8_t* source = reinterpret_cast<const uint8_t*>(pixels) +
                                    static_cast<size_t>(y) * pitchBytes +
                                    static_cast<size_t>(copy.left) * sizeof(uint16_t);
            std::memcpy(&screen.pixels[static_cast<size_t>(y) * screen.width + copy.left], source,
                        row);
        }
    }
    screen.presented++;
    const Frame frame = MakeFrame();
    if (screen.listener) {
        screen.listener(frame);
    }
    CurrentHost().Present(frame);
}

int PresentedFrames() {
    return State().presented;
}

const std::vector<uint16_t>& ScreenPixels() {
    Screen& screen = State();
    if (screen.width != CurrentDesktop().width || screen.height != CurrentDesktop().height) {
        ClearScreen();
    }
    return screen.pixels;
}

void ListenToFrames(FrameListener listener) {
    State().listener = listener;
}

} // namespace subset
