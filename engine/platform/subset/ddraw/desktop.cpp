#include "engine/platform/subset/ddraw/desktop.h"

#include "engine/platform/subset/sdk/ddraw.h"

namespace subset {
namespace {

struct Desktop {
    DesktopInfo started; // what the host started with
    DesktopInfo mode;    // in force now
    bool fullScreen = false;
};

Desktop& State() {
    static Desktop desktop;
    return desktop;
}

} // namespace

void ResetDesktop(const DesktopInfo& desktop) {
    State().started = desktop;
    State().mode = desktop;
    State().fullScreen = false;
}

const DesktopInfo& CurrentDesktop() {
    return State().mode;
}

HRESULT SetMode(int width, int height, int bitsPerPixel) {
    Desktop& desktop = State();
    // The emulated display has 16-bit modes up to the size of the screen it started with.
    if (bitsPerPixel != 16 || width <= 0 || height <= 0 || width > desktop.started.width ||
        height > desktop.started.height) {
        return DDERR_INVALIDMODE;
    }
    if (!CurrentHost().DisplayMode(true, width, height)) {
        return DDERR_UNSUPPORTED;
    }
    desktop.mode.width = width;
    desktop.mode.height = height;
    desktop.mode.bitsPerPixel = 16;
    desktop.fullScreen = true;
    return DD_OK;
}

void RestoreMode() {
    Desktop& desktop = State();
    if (!desktop.fullScreen) {
        return;
    }
    CurrentHost().DisplayMode(false, desktop.started.width, desktop.started.height);
    desktop.mode = desktop.started;
    desktop.fullScreen = false;
}

bool FullScreenMode() {
    return State().fullScreen;
}

} // namespace subset
