// The web host's events: keys and mouse on the canvas, and the page's focus, become the
// user's input through the subset's event sink. The browser calls these handlers only
// while the engine has yielded; they queue what happened, and PollEvents hands it on.
#include "engine/platform/hosts/web/web_host.h"

#include "engine/platform/subset/events.h"

#include <emscripten/html5.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace web {
namespace {

// The page's canvas (tools/web/index.html).
const char* const CANVAS = "#screen";

UINT ButtonMessage(unsigned short button, bool down) {
    switch (button) {
    case 0:
        return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case 1:
        return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    case 2:
        return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    default:
        return 0;
    }
}

// Keys whose browser meaning matters more than the game's: reloading, the browser's own
// full screen, moving the focus off the game, and shortcuts.
bool BrowserKeeps(int key, const EmscriptenKeyboardEvent& event) {
    return event.ctrlKey || event.metaKey || key == VK_TAB || (key >= VK_F1 && key <= VK_F1 + 11);
}

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void* data) {
    WebHost* host = static_cast<WebHost*>(data);
    int key = VirtualKey(event->code);
    if (!key || host->Modal()) {
        return EM_FALSE;
    }
    host->Queue(Input{Input::KEY, key, type == EMSCRIPTEN_EVENT_KEYDOWN, 0, 0, 0});
    // Arrows and Space must not scroll the page while the game has the focus.
    return BrowserKeeps(key, *event) ? EM_FALSE : EM_TRUE;
}

EM_BOOL OnMouse(int type, const EmscriptenMouseEvent* event, void* data) {
    WebHost* host = static_cast<WebHost*>(data);
    UINT message = type == EMSCRIPTEN_EVENT_MOUSEMOVE
                       ? WM_MOUSEMOVE
                       : ButtonMessage(event->button, type == EMSCRIPTEN_EVENT_MOUSEDOWN);
    double cssWidth = 0, cssHeight = 0;
    if (!message || host->Modal() || host->ViewWidth() <= 0 ||
        emscripten_get_element_css_size(CANVAS, &cssWidth, &cssHeight) !=
            EMSCRIPTEN_RESULT_SUCCESS ||
        cssWidth <= 0 || cssHeight <= 0) {
        return EM_FALSE;
    }
    // The canvas is scaled by the page: back to the view's own pixels.
    int x = int(event->targetX * host->ViewWidth() / cssWidth);
    int y = int(event->targetY * host->ViewHeight() / cssHeight);
    x = std::max(0, std::min(x, host->ViewWidth() - 1));
    y = std::max(0, std::min(y, host->ViewHeight() - 1));
    host->Queue(Input{Input::MOUSE, 0, false, message, x, y});
    return EM_FALSE;
}

EM_BOOL OnFocus(int type, const EmscriptenFocusEvent*, void* data) {
    static_cast<WebHost*>(data)->Queue(
        Input{Input::FOCUS, 0, type == EMSCRIPTEN_EVENT_FOCUS, 0, 0, 0});
    return EM_FALSE;
}

} // namespace

int VirtualKey(const char* code) {
    if (!code) {
        return 0;
    }
    // "KeyA".."KeyZ", "Digit0".."Digit9", "Numpad0".."Numpad9", "F1".."F12".
    if (std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && !code[4]) {
        return code[3];
    }
    if (std::strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9' && !code[6]) {
        return code[5];
    }
    if (std::strncmp(code, "Numpad", 6) == 0 && code[6] >= '0' && code[6] <= '9' && !code[7]) {
        return VK_NUMPAD0 + (code[6] - '0');
    }
    if (code[0] == 'F' && code[1] >= '1' && code[1] <= '9') {
        int number = 0;
        char extra = 0;
        if (std::sscanf(code + 1, "%d%c", &number, &extra) == 1 && number >= 1 && number <= 12) {
            return VK_F1 + number - 1;
        }
        return 0;
    }
    static const struct {
        const char* code;
        int virtualKey;
    } KEYS[] = {
        {"Space", VK_SPACE},
        {"Enter", VK_RETURN},
        {"NumpadEnter", VK_RETURN},
        {"Backspace", VK_BACK},
        {"Tab", VK_TAB},
        {"Escape", VK_ESCAPE},
        {"ArrowLeft", VK_LEFT},
        {"ArrowUp", VK_UP},
        {"ArrowRight", VK_RIGHT},
        {"ArrowDown", VK_DOWN},
        {"ShiftLeft", VK_SHIFT},
        {"ShiftRight", VK_SHIFT},
        {"ControlLeft", VK_CONTROL},
        {"ControlRight", VK_CONTROL},
        {"AltLeft", VK_MENU},
        {"AltRight", VK_MENU},
        {"Pause", VK_PAUSE},
        {"PageUp", VK_PRIOR},
        {"PageDown", VK_NEXT},
        {"End", VK_END},
        {"Home", VK_HOME},
        {"Insert", VK_INSERT},
        {"Delete", VK_DELETE},
        {"CapsLock", VK_CAPITAL},
        {"Semicolon", VK_OEM_1},
        {"Equal", VK_OEM_PLUS},
        {"Comma", VK_OEM_COMMA},
        {"Minus", VK_OEM_MINUS},
        {"Period", VK_OEM_PERIOD},
        {"Slash", VK_OEM_2},
        {"Backquote", VK_OEM_3},
        {"BracketLeft", VK_OEM_4},
        {"Backslash", VK_OEM_5},
        {"BracketRight", VK_OEM_6},
        {"Quote", VK_OEM_7},
    };
    for (const auto& entry : KEYS) {
        if (std::strcmp(entry.code, code) == 0) {
            return entry.virtualKey;
        }
    }
    return 0;
}

void WebHost::Listen() {
    emscripten_set_keydown_callback(CANVAS, this, true, OnKey);
    emscripten_set_keyup_callback(CANVAS, this, true, OnKey);
    emscripten_set_mousemove_callback(CANVAS, this, true, OnMouse);
    emscripten_set_mousedown_callback(CANVAS, this, true, OnMouse);
    emscripten_set_mouseup_callback(CANVAS, this, true, OnMouse);
    // Not capturing: the page's own focus, not that of an element moving within it.
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, false, OnFocus);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, false, OnFocus);
}

void WebHost::Forget() {
    emscripten_html5_remove_all_event_listeners();
    inputs.clear();
    held.clear();
}

void WebHost::PollEvents() {
    // The browser's turn first, so what the user did meanwhile reaches this frame.
    YieldIfDue();
    std::vector<Input> waiting;
    waiting.swap(inputs);
    for (const Input& input : waiting) {
        switch (input.kind) {
        case Input::KEY:
            KeyChanged(input.key, input.down);
            break;
        case Input::MOUSE:
            subset::PostMouse(input.message, input.x, input.y);
            break;
        case Input::FOCUS:
            FocusChanged(input.down);
            break;
        }
    }
}

void WebHost::KeyChanged(int key, bool down) {
    if (down) {
        held.insert(key); // repeats arrive as further key-downs
    } else if (!held.erase(key)) {
        return; // pressed before the game had the focus: the engine never saw it go down
    }
    subset::PostKey(key, down);
}

void WebHost::FocusChanged(bool gained) {
    if (!gained) {
        // Keys let go while the page is in the background would never come up.
        std::set<int> releasing;
        releasing.swap(held);
        for (int key : releasing) {
            subset::PostKey(key, false);
        }
    }
    subset::ActivateMainWindow(gained);
}

} // namespace web
