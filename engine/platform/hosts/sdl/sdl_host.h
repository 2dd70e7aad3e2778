// The SDL host's one object, its parts in sdl_host.cpp (start, time, message boxes),
// sdl_window.cpp (the real window and presentation), sdl_input.cpp (events),
// sdl_fullscreen.cpp (the player's full screen on F11 or Alt+Enter), sdl_gamepad.cpp
// (game controllers) and sdl_audio.cpp (sound, and a sound device that goes and comes
// back); sdl_view places the view in the window and sdl_pacing shares the wait for a
// frame between the engine's pacing and vsync.
#ifndef TOLVO_ENGINE_PLATFORM_HOSTS_SDL_SDL_HOST_H
#define TOLVO_ENGINE_PLATFORM_HOSTS_SDL_SDL_HOST_H

#include "engine/platform/hosts/sdl/sdl_pacing.h"
#include "engine/platform/hosts/sdl/sdl_view.h"
#include "engine/platform/subset/seam/full_screen_keys.h"
#include "engine/platform/subset/seam/host.h"
#include "engine/platform/subset/seam/settings.h"

#include <SDL.h>

#include <map>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace sdl {

// SDL's video drivers (D-Bus, X11, GL) keep some allocations for the life of the process;
// they are not ours to free, so sanitizer builds do not count them as leaks.
struct SystemAllocations {
#if defined(__SANITIZE_ADDRESS__)
    SystemAllocations() {
        __lsan_disable();
    }
    ~SystemAllocations() {
        __lsan_enable();
    }
#else
    // Not trivial, so a scope that only holds one is not an unused variable.
    SystemAllocations() {}
#endif
};

// Windows virtual-key code of an SDL key, 0 for keys the engine never sees.
int VirtualKey(SDL_Keycode key);
// The refresh rate the engine is told, and so paces its frames at: the display's, but
// never above 60, as the game counts time in frames of a 60 Hz display; 0 when unknown.
int EngineRefreshRate(int displayRefreshRate);
// Milliseconds of a steady clock.
double Milliseconds();

class SdlHost : public subset::Host {
  public:
    explicit SdlHost(const subset::Settings& settings) : settings(settings) {}

    const char* Name() const override { return "sdl"; }
    subset::DesktopInfo Desktop() const override { return desktop; }
    void WindowShown(const subset::WindowInfo& info) override;
    void WindowHidden(HWND handle) override;
    bool DisplayMode(bool full, int width, int height) override;
    void PollEvents() override;
    void Present(const subset::Frame& frame) override;
    void ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                        UINT type) override;
    void Sleep(DWORD milliseconds) override;
    bool OpenAudio(int samplesPerSecond, int channels) override;
    int AudioFramesWanted() override;
    void QueueAudio(const int16_t* samples, int frames) override;
    void CloseAudio() override;

    // Stop(), and the main window going away: the real window closes.
    void Close();
    // Start() and Stop(): game controllers plugged in now and later, or none any more.
    void OpenGamepads();
    void CloseGamepads();

    subset::Settings settings;
    subset::DesktopInfo desktop;
    int displayRefresh = 0; // the real display's refresh rate, 0 when unknown

  private:
    void Open();
    void Destroy();
    void Resize(int width, int height);
    void Show();
    void Mouse(UINT message, int x, int y);
    void Handle(const SDL_Event& event);
    void HandleWindow(const SDL_WindowEvent& event);
    // Keys the host keeps for itself (F11, Alt+Enter): true when `event` was one.
    bool FullScreenKey(const SDL_KeyboardEvent& event);
    void ToggleDesktopFullScreen();
    // Gamepad events: true when `event` was one.
    bool HandleGamepad(const SDL_Event& event);
    // Where the view goes in the window now, and the drawable's size.
    ViewPlace Place(int* drawableWidth, int* drawableHeight) const;
    // The window's renderer and a texture of this size; false when there is none.
    bool MakeRenderer(int width, int height);
    // SDL_RENDER_TARGETS_RESET (the texture's pixels lost) or SDL_RENDER_DEVICE_RESET
    // (everything the renderer made lost): rebuilt, and the kept frame shown again.
    void RendererReset(bool device);
    // The kept frame into the texture, when both are of one size.
    void Refill();
    // SDL_AUDIODEVICEADDED and SDL_AUDIODEVICEREMOVED.
    void HandleAudioDevice(const SDL_AudioDeviceEvent& event);
    bool OpenAudioDevice();

    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    // The main window as last shown, kept to open the real window again when the
    // display mode changes.
    HWND shown = nullptr;
    std::string title;
    bool popup = false;
    int clientWidth = 0, clientHeight = 0;
    int textureWidth = 0, textureHeight = 0;
    // The frame as last presented, the whole view (black where it has no pixels), kept
    // for a texture that has to be filled again.
    std::vector<uint16_t> kept;
    int keptWidth = 0, keptHeight = 0;
    bool fullScreen = false; // the engine's own full-screen display mode
    int fullWidth = 0, fullHeight = 0;
    // Sound (sdl_audio.cpp): the device, the stream's format, bytes of one sample frame,
    // the queue's target.
    SDL_AudioDeviceID audioDevice = 0;
    int audioRate = 0, audioChannels = 0;
    int audioFrameBytes = 4;
    int audioTarget = 0;
    // The stream is open but its device went away: the mix goes on and is dropped, at the
    // pace a device would take it, counted from this clock (milliseconds).
    bool audioLost = false;
    double audioClock = 0;
    // The player's desktop full screen (F11), and the window it gives back.
    bool desktopFull = false;
    bool windowKept = false;
    SDL_Rect windowed = {0, 0, 0, 0};
    int display = 0; // the display the window is on
    subset::FullScreenKeys fullScreenKeys;
    VsyncPacing pacing;
    // A resized or uncovered window not drawn since (the engine may not be presenting).
    bool redraw = false;
    double lastShown = 0;
    bool gamepads = false; // the game-controller subsystem runs
    struct Gamepad {
        SDL_GameController* controller = nullptr;
        float x = 0, y = 0; // the left stick
    };
    std::map<SDL_JoystickID, Gamepad> controllers;
};

} // namespace sdl

#endif
