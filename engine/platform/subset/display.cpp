#include "engine/platform/subset/display.h"

#include "engine/platform/subset/capture.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace subset {
namespace {

struct Display {
    DesktopInfo desktop; // what the host started with
    DesktopInfo mode;    // in force now
    bool fullScreen = false;
    std::vector<uint16_t> screen;
    int presented = 0;
    std::string captureFolder;
    int captureEvery = 1;
};

Display& State() {
    static Display display;
    return display;
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

// What a person would see of this frame: the main window's client area, or the screen.
RECT VisibleArea(const WindowInfo& window) {
    Display& display = State();
    RECT screen = {0, 0, display.mode.width, display.mode.height};
    if (display.fullScreen || !window.handle) {
        return screen;
    }
    return Intersect(window.client, screen);
}

void Capture(const WindowInfo& window) {
    Display& display = State();
    if (display.captureFolder.empty() || display.presented % display.captureEvery != 0) {
        return;
    }
    RECT area = VisibleArea(window);
    if (Empty(area)) {
        return;
    }
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", display.presented);
    std::string path = display.captureFolder + "/" + name;
    std::string error;
    const uint16_t* first =
        display.screen.data() + static_cast<size_t>(area.top) * display.mode.width + area.left;
    if (!WritePng(path, first, display.mode.width, area.right - area.left, area.bottom - area.top,
                  display.mode.rgb555, &error)) {
        // One complaint, then capture stops: a full disk should not flood the terminal.
        std::fprintf(stderr, "capture: %s; capture stopped\n", error.c_str());
        display.captureFolder.clear();
    }
}

} // namespace

void ResetDisplay(const DesktopInfo& desktop) {
    Display& display = State();
    display.desktop = desktop;
    display.mode = desktop;
    display.fullScreen = false;
    display.screen.assign(static_cast<size_t>(desktop.width) * desktop.height, 0);
    display.presented = 0;
    display.captureFolder.clear();
    display.captureEvery = 1;
}

const DesktopInfo& CurrentDesktop() {
    return State().mode;
}

HRESULT SetMode(int width, int height, int bitsPerPixel) {
    Display& display = State();
    // The emulated display has 16-bit modes up to the size of the screen it started with.
    if (bitsPerPixel != 16 || width <= 0 || height <= 0 || width > display.desktop.width ||
        height > display.desktop.height) {
        return DDERR_INVALIDMODE;
    }
    if (!CurrentHost().DisplayMode(true, width, height)) {
        return DDERR_UNSUPPORTED;
    }
    display.mode.width = width;
    display.mode.height = height;
    display.mode.bitsPerPixel = 16;
    display.fullScreen = true;
    display.screen.assign(static_cast<size_t>(width) * height, 0);
    return DD_OK;
}

void RestoreMode() {
    Display& display = State();
    if (!display.fullScreen) {
        return;
    }
    CurrentHost().DisplayMode(false, display.desktop.width, display.desktop.height);
    display.mode = display.desktop;
    display.fullScreen = false;
    display.screen.assign(static_cast<size_t>(display.mode.width) * display.mode.height, 0);
}

bool FullScreenMode() {
    return State().fullScreen;
}

void PresentPrimary(const uint16_t* pixels, int pitchBytes, const RECT& area) {
    Display& display = State();
    RECT screen = {0, 0, display.mode.width, display.mode.height};
    RECT copy = Intersect(area, screen);
    if (!Empty(copy)) {
        size_t row = static_cast<size_t>(copy.right - copy.left) * sizeof(uint16_t);
        for (LONG y = copy.top; y < copy.bottom; y++) {
            const uint8_t* source = reinterpret_cast<const uint8_t*>(pixels) +
                                    static_cast<size_t>(y) * pitchBytes +
                                    static_cast<size_t>(copy.left) * sizeof(uint16_t);
            std::memcpy(&display.screen[static_cast<size_t>(y) * display.mode.width + copy.left],
                        source, row);
        }
    }
    display.presented++;
    WindowInfo window = DescribeWindow(MainWindow());
    Capture(window);
    CurrentHost().Present(display.screen.data(), display.mode.width, display.mode.height, copy,
                          window);
}

int PresentedFrames() {
    return State().presented;
}

const std::vector<uint16_t>& ScreenPixels() {
    return State().screen;
}

bool CaptureFrames(const std::string& folder, int every) {
    Display& display = State();
    display.captureFolder.clear();
    display.captureEvery = every < 1 ? 1 : every;
    if (folder.empty()) {
        return true;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder, error)) {
        std::fprintf(stderr, "capture: cannot create folder %s\n", folder.c_str());
        return false;
    }
    display.captureFolder = folder;
    return true;
}

} // namespace subset
