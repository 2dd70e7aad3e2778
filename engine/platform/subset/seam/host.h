// The seam between the subset and the host beneath it, and all a host implements: the
// subset keeps every window, message, surface and sound buffer itself; a host shows pixels,
// plays the mixed sound, gathers the user's input, shows message boxes and keeps time. Hosts tell
// the subset what the user did through the event sink (events.h) and include nothing else of the
// subset.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_SEAM_HOST_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_SEAM_HOST_H

#include "engine/platform/subset/seam/pixel_masks.h"
#include "engine/platform/subset/sdk/windows.h"

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
    PixelMasks masks = RGB565;
    int pitchPadding = 0; // extra bytes at the end of every surface row
};

// A top-level window as the host needs to know it.
struct WindowInfo {
    HWND handle = nullptr;
    std::string title;
    bool popup = false;         // WS_POPUP: no frame
    RECT client = {0, 0, 0, 0}; // client area in desktop coordinates
};

// A presented frame as the user sees it: the view is the main window's client area (the
// whole screen in full screen, or with no window shown); `shown` is the part of the view
// that lies on the desktop, the rest of the view has no pixels.
struct Frame {
    int number = 0;              // frames presented so far, this one included
    int width = 0, height = 0;   // the view's size
    RECT shown = {0, 0, 0, 0};   // in view coordinates
    const uint16_t* pixels = {}; // the first pixel of `shown`
    int stride = 0;              // pixels from one row to the next
    PixelMasks masks = RGB565;
    bool fullScreen = false;
};

class Host {
  public:
    virtual ~Host() = default;
    // main() and diagnostics: "sdl", "headless", "web".
    virtual const char* Name() const = 0;
    // UseHost: the desktop the host starts with (GetSystemMetrics, GetDeviceCaps, DirectDraw).
    virtual DesktopInfo Desktop() const = 0;
    // ShowWindow of a hidden window, and SetDisplayMode (full screen): the host shows it.
    virtual void WindowShown(const WindowInfo& window) = 0;
    // DestroyWindow or SW_HIDE of a shown window: the host takes it away.
    virtual void WindowHidden(HWND window) = 0;
    // IDirectDraw::SetDisplayMode and its undoing: full screen at this size, or back to the
    // desktop (fullScreen false). False when the host cannot show that mode.
    virtual bool DisplayMode(bool fullScreen, int width, int height) = 0;
    // PeekMessageA with an empty queue: gather the user's input and post it (events.h).
    virtual void PollEvents() = 0;
    // BltFast or Flip to the primary: show this frame.
    virtual void Present(const Frame& frame) = 0;
    // MessageBoxA: modal; returns when the user has dismissed it.
    virtual void ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                                UINT type) = 0;
    // Sleep (the engine's frame pacing): let this much time pass, or none on a host whose
    // time is virtual.
    virtual void Sleep(DWORD milliseconds) = 0;

    // Sound, all optional: a host that keeps these has none, and DirectSoundCreate answers
    // DSERR_NODRIVER. Every call comes from the main thread; the samples are the subset's
    // finished mix, 16-bit, channels interleaved.
    // DirectSoundCreate: open the stream; false when the host cannot play sound.
    virtual bool OpenAudio(int /*samplesPerSecond*/, int /*channels*/) { return false; }
    // Each frame of the game's loop: how many sample frames to mix now. One frame's worth
    // on a virtual clock; on a real device, what tops its queue up to the latency target.
    virtual int AudioFramesWanted() { return 0; }
    // Then those frames, to be played after the ones queued before.
    virtual void QueueAudio(const int16_t* /*samples*/, int /*frames*/) {}
    // The last DirectSound object released, or the host giving way: close the stream.
    virtual void CloseAudio() {}
};

// Hosts' Start and Stop: makes a host current (NULL: none), forgetting every window,
// message, surface, failure and setting of the one before.
void UseHost(Host* host);
// The subset's entries: the current host, or one that shows nothing and has no user.
Host& CurrentHost();
// UseHost's first step, kept apart so that CurrentHost needs nothing else of the subset.
void SetCurrentHost(Host* host);

} // namespace subset

#endif
