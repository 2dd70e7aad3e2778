// The web host's one object, its parts in web_host.cpp (start, time, message boxes),
// web_canvas.cpp (the main window as the page's canvas), web_input.cpp (keys, mouse,
// focus, the full-screen keys), web_gamepad.cpp (the Gamepad API), web_touch.cpp (the
// page's touch controls) and web_audio.cpp (Web Audio).
#ifndef TOLVO_ENGINE_PLATFORM_HOSTS_WEB_WEB_HOST_H
#define TOLVO_ENGINE_PLATFORM_HOSTS_WEB_WEB_HOST_H

#include "engine/platform/hosts/web/web_keys.h"
#include "engine/platform/hosts/web/web_pads.h"
#include "engine/platform/hosts/web/web_touch_pad.h"
#include "engine/platform/subset/seam/full_screen_keys.h"
#include "engine/platform/subset/seam/host.h"
#include "engine/platform/subset/seam/settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace web {

// One thing the user did, kept from the browser's event until the engine asks for input
// (PeekMessageA), so it reaches the engine, and any recording, on a frame boundary.
struct Input {
    enum Kind { KEY, MOUSE, FOCUS } kind;
    int key;      // KEY: virtual key
    bool down;    // KEY: pressed; FOCUS: gained
    UINT message; // MOUSE: WM_MOUSEMOVE, WM_LBUTTONDOWN, ...
    int x, y;     // MOUSE: view coordinates
};

// web_canvas.cpp: `count` 5-6-5 pixels as the 2D canvas's RGBA, 8 bits a channel.
void ExpandRow(const uint16_t* from, uint32_t* to, int count);

class WebHost : public subset::Host {
  public:
    explicit WebHost(const subset::Settings& settings);

    const char* Name() const override { return "web"; }
    subset::DesktopInfo Desktop() const override { return desktop; }
    void WindowShown(const subset::WindowInfo& info) override;
    void WindowHidden(HWND handle) override;
    bool DisplayMode(bool full, int width, int height) override;
    void PollEvents() override;
    void Present(const subset::Frame& frame) override;
    void ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                        UINT type) override;
    void Sleep(DWORD milliseconds) override;
    // web_audio.cpp
    bool OpenAudio(int samplesPerSecond, int channels) override;
    int AudioFramesWanted() override;
    void QueueAudio(const int16_t* samples, int frames) override;
    void CloseAudio() override;

    // web_input.cpp: the browser's events, registered once.
    void Listen();
    void Forget();
    // From the browser's event handlers.
    void Queue(const Input& input) { inputs.push_back(input); }
    void KeyChanged(int key, bool down);
    void FocusChanged(bool gained);
    // F11 and Alt+Enter, the host's (from the key handler).
    subset::FullScreenKeys::Action FullScreenKey(int key, bool alt, bool down, bool repeat) {
        return fullScreenKeys.Key(key, alt, down, repeat);
    }
    // web_gamepad.cpp: the browser saw a pad (gamepadconnected), so there are pads to read.
    void PadsSeen() { padsSeen = true; }
    bool Modal() const { return modal; }
    int ViewWidth() const { return viewWidth; }
    int ViewHeight() const { return viewHeight; }

    subset::DesktopInfo desktop;

  private:
    // Gives the browser its turn when the engine has run for a while without sleeping
    // (an unpaced run, or frames slower than the display).
    void YieldIfDue();
    void Yielded();
    void Draw(const subset::Frame& frame);
    // web_gamepad.cpp: the pads' changes since the last look, to the event sink.
    void ListenToPads();
    void PollPads();
    void ReleasePads();
    // web_touch.cpp: the page's touch controls, one more pad.
    void PollTouch();
    void ReleaseTouch();

    std::vector<Input> inputs;
    HeldKeys held;
    subset::FullScreenKeys fullScreenKeys;
    PadTracker pads;
    bool padsSeen = false;
    TouchPad touch;
    int framesPresented = 0; // the last presented frame's number
    bool pageFocused = true;
    bool audioOpen = false;
    std::vector<uint16_t> pixels; // a frame packed for the canvas
    std::vector<uint32_t> rgba;   // or expanded, for a 2D canvas
    HWND shown = nullptr;
    int viewWidth = 0, viewHeight = 0;
    bool modal = false;
    // Unpaced (TOLVO_FPS=0: tests and recordings) the engine presents far more often than
    // a display shows: one frame in this many milliseconds is drawn, enough to follow the
    // run, and the browser gets its turn as often; the rest are only counted.
    static constexpr double UNPACED_EVERY_MS = 50;
    bool unpaced = false;
    double lastYield = 0; // emscripten_get_now() milliseconds
    double lastDraw = -1e9;
};

} // namespace web

#endif
