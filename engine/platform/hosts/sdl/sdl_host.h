// The SDL host's one object, its parts in sdl_host.cpp (start, time, message boxes),
// sdl_window.cpp (the real window and presentation), sdl_input.cpp (events) and
// sdl_audio.cpp (sound).
#ifndef TOLVO_ENGINE_PLATFORM_HOSTS_SDL_SDL_HOST_H
#define TOLVO_ENGINE_PLATFORM_HOSTS_SDL_SDL_HOST_H

#include "engine/platform/subset/host.h"
#include "engine/platform/subset/settings.h"

#include <SDL.h>

#include <string>

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

    subset::Settings settings;
    subset::DesktopInfo desktop;

  private:
    void Open();
    void Destroy();
    void Resize(int width, int height);
    void Show();
    void Mouse(UINT message, int x, int y);
    void Handle(const SDL_Event& event);

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
    bool fullScreen = false;
    int fullWidth = 0, fullHeight = 0;
    // Sound (sdl_audio.cpp): the device, bytes of one sample frame, the queue's target.
    SDL_AudioDeviceID audioDevice = 0;
    int audioFrameBytes = 4;
    int audioTarget = 0;
};

} // namespace sdl

#endif
