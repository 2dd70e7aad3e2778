// The SDL2 host. The subset keeps windows, messages and surfaces; this host turns SDL's
// events into window messages and shows each presented frame by uploading the 16-bit
// pixels to a streaming texture of the same format, scaled by nearest neighbour.
#include "engine/platform/hosts/sdl/sdl.h"

#include "engine/platform/subset/host.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace sdl {
namespace {

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
int VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) {
        return 'A' + (key - SDLK_a);
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return '0' + (key - SDLK_0);
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) {
        return VK_F1 + (key - SDLK_F1);
    }
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) {
        return VK_NUMPAD0 + 1 + (key - SDLK_KP_1);
    }
    static const struct {
        SDL_Keycode key;
        int virtualKey;
    } KEYS[] = {
        {SDLK_SPACE, VK_SPACE},    {SDLK_RETURN, VK_RETURN},  {SDLK_KP_ENTER, VK_RETURN},
        {SDLK_BACKSPACE, VK_BACK}, {SDLK_TAB, VK_TAB},        {SDLK_ESCAPE, VK_ESCAPE},
        {SDLK_LEFT, VK_LEFT},      {SDLK_UP, VK_UP},          {SDLK_RIGHT, VK_RIGHT},
        {SDLK_DOWN, VK_DOWN},      {SDLK_LSHIFT, VK_SHIFT},   {SDLK_RSHIFT, VK_SHIFT},
        {SDLK_LCTRL, VK_CONTROL},  {SDLK_RCTRL, VK_CONTROL},  {SDLK_LALT, VK_MENU},
        {SDLK_RALT, VK_MENU},      {SDLK_PAUSE, VK_PAUSE},    {SDLK_PAGEUP, VK_PRIOR},
        {SDLK_PAGEDOWN, VK_NEXT},  {SDLK_END, VK_END},        {SDLK_HOME, VK_HOME},
        {SDLK_INSERT, VK_INSERT},  {SDLK_DELETE, VK_DELETE},  {SDLK_KP_0, VK_NUMPAD0},
        {SDLK_CAPSLOCK, 0x14},     {SDLK_SEMICOLON, 0xBA},    {SDLK_EQUALS, 0xBB},
        {SDLK_COMMA, 0xBC},        {SDLK_MINUS, 0xBD},        {SDLK_PERIOD, 0xBE},
        {SDLK_SLASH, 0xBF},        {SDLK_BACKQUOTE, 0xC0},    {SDLK_LEFTBRACKET, 0xDB},
        {SDLK_BACKSLASH, 0xDC},    {SDLK_RIGHTBRACKET, 0xDD}, {SDLK_QUOTE, 0xDE},
    };
    for (const auto& entry : KEYS) {
        if (entry.key == key) {
            return entry.virtualKey;
        }
    }
    return 0;
}

int EnvironmentScale() {
    const char* text = std::getenv("TOLVO_SCALE");
    if (!text || !*text) {
        return 0;
    }
    char* end = nullptr;
    long scale = std::strtol(text, &end, 10);
    if (*end || scale < 1 || scale > 8) {
        std::fprintf(stderr, "TOLVO_SCALE: '%s' is not a whole number from 1 to 8; ignored\n",
                     text);
        return 0;
    }
    return static_cast<int>(scale);
}

class SdlHost : public subset::Host {
  public:
    subset::DesktopInfo desktop;
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

    const char* Name() const override { return "sdl"; }
    subset::DesktopInfo Desktop() const override { return desktop; }

    void WindowShown(const subset::WindowInfo& info) override {
        int width = info.client.right - info.client.left;
        int height = info.client.bottom - info.client.top;
        if (width <= 0 || height <= 0) {
            return;
        }
        // An untitled window (the engine's is, as on Windows) takes TOLVO_TITLE when set.
        const char* named = std::getenv("TOLVO_TITLE");
        title = !info.title.empty() ? info.title : named && *named ? named : "Tolvo";
        popup = info.popup;
        clientWidth = width;
        clientHeight = height;
        shown = info.handle;
        Open();
    }

    void WindowHidden(HWND handle) override {
        if (handle == shown) {
            Close();
        }
    }

    bool DisplayMode(bool full, int width, int height) override {
        SystemAllocations system;
        bool reopen = window && full != fullScreen;
        fullScreen = full;
        fullWidth = width;
        fullHeight = height;
        if (reopen) {
            // A window made full screen after it was opened is left at its old size by X
            // servers without a window manager, while SDL believes it covers the screen
            // and draws the frame off centre. A window opened full screen covers it on
            // every system, so the real window is opened again in the new mode.
            Open();
        } else if (window && full) {
            Resize(width, height); // another full-screen mode: only the frame's size changes
        }
        return true;
    }

    void PollEvents() override {
        SystemAllocations system;
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            Handle(event);
        }
    }

    void Present(const uint16_t* pixels, int width, int height, const RECT&,
                 const subset::WindowInfo& info) override {
        SystemAllocations system;
        if (!renderer || !texture) {
            return;
        }
        RECT visible = info.client;
        if (fullScreen || !info.handle) {
            visible = {0, 0, width, height};
        }
        int visibleWidth = visible.right - visible.left,
            visibleHeight = visible.bottom - visible.top;
        if (visibleWidth != textureWidth || visibleHeight != textureHeight) {
            Resize(visibleWidth, visibleHeight);
        }
        // Only the part of the client area that lies on the desktop has pixels.
        SDL_Rect part;
        part.x = visible.left < 0 ? -visible.left : 0;
        part.y = visible.top < 0 ? -visible.top : 0;
        part.w = std::min<int>(visible.right, width) - (visible.left + part.x);
        part.h = std::min<int>(visible.bottom, height) - (visible.top + part.y);
        if (part.w > 0 && part.h > 0) {
            const uint16_t* first =
                pixels + static_cast<size_t>(visible.top + part.y) * width + visible.left + part.x;
            SDL_UpdateTexture(texture, &part, first, width * 2);
        }
        Show();
    }

    void ShowMessageBox(HWND, const std::string& text, const std::string& caption, UINT) override {
        SystemAllocations system;
        // Modal: returns when the user dismisses it. Already written to standard error.
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(), text.c_str(), window);
    }

    // Stop(), and the main window going away: the real window closes.
    void Close() {
        Destroy();
        shown = nullptr;
    }

  private:
    // The real window for the shown window in the current mode: the whole screen in full
    // screen, else the client area at TOLVO_SCALE (or 2 where the screen has room).
    void Open() {
        SystemAllocations system;
        Destroy();
        Uint32 flags = SDL_WINDOW_SHOWN | (popup ? SDL_WINDOW_BORDERLESS : 0);
        // The frame's size: the display mode in full screen, else the client area.
        int width = fullScreen ? fullWidth : clientWidth;
        int height = fullScreen ? fullHeight : clientHeight;
        int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
        int outerWidth = 0, outerHeight = 0;
        SDL_Rect screen;
        if (fullScreen && SDL_GetDisplayBounds(0, &screen) == 0) {
            // Borderless and covering the screen from the start: without a window manager
            // nobody acts on the full-screen request, and SDL draws as if someone had.
            flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
            x = screen.x;
            y = screen.y;
            outerWidth = screen.w;
            outerHeight = screen.h;
        } else {
            int scale = EnvironmentScale();
            if (!scale) {
                // Twice the size where the screen has room for it, as small pictures are
                // hard to see.
                SDL_Rect usable;
                bool room = SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w >= 2 * width &&
                            usable.h >= 2 * height;
                scale = room ? 2 : 1;
            }
            outerWidth = width * scale;
            outerHeight = height * scale;
        }
        window = SDL_CreateWindow(title.c_str(), x, y, outerWidth, outerHeight, flags);
        if (!window) {
            std::fprintf(stderr, "sdl: cannot open a window: %s\n", SDL_GetError());
            return;
        }
        // No vsync here: the engine paces its own frames.
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
        if (!renderer) {
            renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
        }
        if (!renderer) {
            std::fprintf(stderr, "sdl: no renderer: %s\n", SDL_GetError());
            return;
        }
        Resize(width, height);
        SDL_RenderClear(renderer);
        SDL_RenderPresent(renderer);
    }

    void Destroy() {
        SystemAllocations system;
        if (texture) {
            SDL_DestroyTexture(texture);
        }
        if (renderer) {
            SDL_DestroyRenderer(renderer);
        }
        if (window) {
            SDL_DestroyWindow(window);
        }
        texture = nullptr;
        renderer = nullptr;
        window = nullptr;
        textureWidth = textureHeight = 0;
    }

    void Resize(int width, int height) {
        if (texture) {
            SDL_DestroyTexture(texture);
            texture = nullptr;
        }
        textureWidth = width;
        textureHeight = height;
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
        SDL_RenderSetLogicalSize(renderer, width, height);
        SDL_RenderSetIntegerScale(renderer, SDL_TRUE);
        Uint32 format = desktop.rgb555 ? SDL_PIXELFORMAT_RGB555 : SDL_PIXELFORMAT_RGB565;
        texture = SDL_CreateTexture(renderer, format, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!texture) {
            std::fprintf(stderr, "sdl: no texture: %s\n", SDL_GetError());
        }
    }

    void Show() {
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
    }

    void Mouse(UINT message, int x, int y) {
        x = std::max(0, std::min(x, textureWidth - 1));
        y = std::max(0, std::min(y, textureHeight - 1));
        subset::PostMouse(message, x, y);
    }

    static UINT ButtonMessage(Uint8 button, bool down) {
        switch (button) {
        case SDL_BUTTON_LEFT:
            return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        case SDL_BUTTON_RIGHT:
            return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        case SDL_BUTTON_MIDDLE:
            return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        default:
            return 0;
        }
    }

    void Handle(const SDL_Event& event) {
        switch (event.type) {
        case SDL_QUIT:
            subset::PostClose();
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            int key = VirtualKey(event.key.keysym.sym);
            if (key) {
                subset::PostKey(key, event.type == SDL_KEYDOWN); // repeats arrive as key-downs
            }
            break;
        }
        case SDL_MOUSEMOTION:
            Mouse(WM_MOUSEMOVE, event.motion.x, event.motion.y);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            UINT message = ButtonMessage(event.button.button, event.type == SDL_MOUSEBUTTONDOWN);
            if (message) {
                Mouse(message, event.button.x, event.button.y);
            }
            break;
        }
        case SDL_WINDOWEVENT:
            // A window closed on a change of display mode still reports losing focus;
            // only the open one speaks for the main window.
            if (!window || event.window.windowID != SDL_GetWindowID(window)) {
                break;
            }
            switch (event.window.event) {
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                subset::ActivateMainWindow(true);
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                subset::ActivateMainWindow(false);
                break;
            case SDL_WINDOWEVENT_EXPOSED:
                if (renderer && texture) {
                    Show();
                }
                break;
            default:
                break;
            }
            break;
        default:
            break;
        }
    }
};

SdlHost* host = nullptr;

} // namespace

bool Start(std::string* error) {
    SystemAllocations system;
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        *error = SDL_GetError();
        return false;
    }
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        *error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    host = new SdlHost();
    host->desktop.width = mode.w;
    host->desktop.height = mode.h;
    host->desktop.bitsPerPixel = 16; // the emulated display, whatever the real one is
    host->desktop.refreshRate = mode.refresh_rate;
    const char* format = std::getenv("TOLVO_PIXEL_FORMAT");
    host->desktop.rgb555 = format && std::strcmp(format, "555") == 0;
    subset::UseHost(host);
    return true;
}

void Stop() {
    SystemAllocations system;
    if (!host) {
        return;
    }
    subset::UseHost(nullptr);
    host->Close();
    delete host;
    host = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
}

} // namespace sdl
