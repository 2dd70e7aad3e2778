// The seam between the subset (user32, gdi32, ddraw) and the host underneath it:
// SDL2 for people, headless for tests and recordings. The subset keeps every window,
// message and surface itself; a host only shows pixels, gathers the user's input and
// shows message boxes. Hosts call back into the subset through the functions below
// the class.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_HOST_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_HOST_H

#include "engine/platform/subset/win32.h"

#include <cstdint>
#include <string>

namespace subset {

// The emulated display: always 16 bits per pixel in the subset's surfaces, whatever the
// real screen is; bitsPerPixel is only what GetDeviceCaps(BITSPIXEL) reports.
struct DesktopInfo {
    int width = 1024;
    int height = 768;
    int bitsPerPixel = 16;
    int refreshRate = 60; // GetDeviceCaps(VREFRESH); 0 or 1 mean unknown
    bool rgb555 = false;
    int pitchPadding = 0; // extra bytes at the end of every surface row
};

// A top-level window as the host needs to know it.
struct WindowInfo {
    HWND handle = nullptr;
    std::string title;
    bool popup = false;         // WS_POPUP: no frame
    RECT client = {0, 0, 0, 0}; // client area in desktop coordinates
};

class Host {
  public:
    virtual ~Host() = default;
    // main() and diagnostics: "sdl" or "headless".
    virtual const char* Name() const = 0;
    // Start-up (GetSystemMetrics, GetDeviceCaps, DirectDraw): the desktop when the host starts.
    virtual DesktopInfo Desktop() const = 0;
    // ShowWindow of a hidden window, and SetDisplayMode (full screen): the host shows it.
    virtual void WindowShown(const WindowInfo& window) = 0;
    // DestroyWindow or SW_HIDE of a shown window: the host takes it away.
    virtual void WindowHidden(HWND window) = 0;
    // IDirectDraw::SetDisplayMode and its undoing: full screen at this size, or back to the
    // desktop (fullScreen false). False when the host cannot show that mode.
    virtual bool DisplayMode(bool fullScreen, int width, int height) = 0;
    // PeekMessageA with an empty queue: gather the user's input and post it (PostKey, ...).
    virtual void PollEvents() = 0;
    // BltFast or Flip to the primary: the desktop's pixels (width x height, unpadded) are
    // new inside `area`; `window` is the client area of the main window to show.
    virtual void Present(const uint16_t* desktop, int width, int height, const RECT& area,
                         const WindowInfo& window) = 0;
    // MessageBoxA: modal; returns when the user has dismissed it.
    virtual void ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                                UINT type) = 0;
};

// main() and headless::Reset(): makes a host current, forgetting every window, message,
// surface and setting of the one before.
void UseHost(Host* host);
Host& CurrentHost();

// ---- Called by hosts (and by the input feed) --------------------------------

// The window the user sees: the most recently shown top-level window, or NULL.
HWND MainWindow();
WindowInfo DescribeWindow(HWND window);
// User input for the main window, posted to the message queue and recorded when
// TOLVO_RECORD is set. A key-down while Alt is held (or F10) is a system key, as on Windows.
void PostKey(int virtualKey, bool down);
void PostChar(int code);
void PostClose();
// Mouse input in client coordinates; not recorded.
void PostMouse(UINT message, int x, int y);
// The real window gained or lost the user's attention: activation and focus messages are
// sent to the main window, and it becomes (or stops being) the foreground window.
void ActivateMainWindow(bool active);

} // namespace subset

#endif
