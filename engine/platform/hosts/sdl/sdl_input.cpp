// The SDL host's events: keys, mouse, focus and closing become the user's input through
// the subset's event sink; sound devices and renderers that go away are the host's own.
#include "engine/platform/hosts/sdl/sdl_host.h"

#include "engine/platform/subset/seam/events.h"

#include <algorithm>

namespace sdl {
namespace {

UINT ButtonMessage(Uint8 button, bool down) {
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

} // namespace

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
        {SDLK_SPACE, VK_SPACE},
        {SDLK_RETURN, VK_RETURN},
        {SDLK_KP_ENTER, VK_RETURN},
        {SDLK_BACKSPACE, VK_BACK},
        {SDLK_TAB, VK_TAB},
        {SDLK_ESCAPE, VK_ESCAPE},
        {SDLK_LEFT, VK_LEFT},
        {SDLK_UP, VK_UP},
        {SDLK_RIGHT, VK_RIGHT},
        {SDLK_DOWN, VK_DOWN},
        {SDLK_LSHIFT, VK_SHIFT},
        {SDLK_RSHIFT, VK_SHIFT},
        {SDLK_LCTRL, VK_CONTROL},
        {SDLK_RCTRL, VK_CONTROL},
        {SDLK_LALT, VK_MENU},
        {SDLK_RALT, VK_MENU},
        {SDLK_PAUSE, VK_PAUSE},
        {SDLK_PAGEUP, VK_PRIOR},
        {SDLK_PAGEDOWN, VK_NEXT},
        {SDLK_END, VK_END},
        {SDLK_HOME, VK_HOME},
        {SDLK_INSERT, VK_INSERT},
        {SDLK_DELETE, VK_DELETE},
        {SDLK_KP_0, VK_NUMPAD0},
        {SDLK_CAPSLOCK, VK_CAPITAL},
        {SDLK_SEMICOLON, VK_OEM_1},
        {SDLK_EQUALS, VK_OEM_PLUS},
        {SDLK_COMMA, VK_OEM_COMMA},
        {SDLK_MINUS, VK_OEM_MINUS},
        {SDLK_PERIOD, VK_OEM_PERIOD},
        {SDLK_SLASH, VK_OEM_2},
        {SDLK_BACKQUOTE, VK_OEM_3},
        {SDLK_LEFTBRACKET, VK_OEM_4},
        {SDLK_BACKSLASH, VK_OEM_5},
        {SDLK_RIGHTBRACKET, VK_OEM_6},
        {SDLK_QUOTE, VK_OEM_7},
    };
    for (const auto& entry : KEYS) {
        if (entry.key == key) {
            return entry.virtualKey;
        }
    }
    return 0;
}

void SdlHost::PollEvents() {
    SystemAllocations system;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        Handle(event);
    }
    // A window resized or uncovered while the engine shows no frames (it does not while
    // in the background) is drawn again here; otherwise the engine's next frame does it.
    if (redraw && renderer && texture && Milliseconds() - lastShown > 50) {
        Show();
    }
}

void SdlHost::Mouse(UINT message, int x, int y) {
    if (!window) {
        return;
    }
    int drawableWidth = 0, drawableHeight = 0, windowWidth = 0, windowHeight = 0;
    ViewPlace place = Place(&drawableWidth, &drawableHeight);
    SDL_GetWindowSize(window, &windowWidth, &windowHeight);
    ViewPoint(place, textureWidth, textureHeight, windowWidth, windowHeight, drawableWidth,
              drawableHeight, &x, &y);
    subset::PostMouse(message, x, y);
}

void SdlHost::Handle(const SDL_Event& event) {
    if (HandleGamepad(event)) {
        return;
    }
    switch (event.type) {
    case SDL_QUIT:
        subset::PostClose();
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        if (FullScreenKey(event.key)) {
            break;
        }
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
        HandleWindow(event.window);
        break;
    case SDL_AUDIODEVICEADDED:
    case SDL_AUDIODEVICEREMOVED:
        HandleAudioDevice(event.adevice);
        break;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
        RendererReset(event.type == SDL_RENDER_DEVICE_RESET);
        break;
    default:
        break;
    }
}

void SdlHost::HandleWindow(const SDL_WindowEvent& event) {
    // A window closed on a change of display mode still reports losing focus; only the
    // open one speaks for the main window.
    if (!window || event.windowID != SDL_GetWindowID(window)) {
        return;
    }
    switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        subset::ActivateMainWindow(true);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        subset::ActivateMainWindow(false);
        break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        redraw = true;
        break;
    case SDL_WINDOWEVENT_HIDDEN:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
        // Some systems stop waiting for the refresh while a window is out of sight.
        pacing.Doubt();
        break;
    default:
        break;
    }
}

} // namespace sdl
