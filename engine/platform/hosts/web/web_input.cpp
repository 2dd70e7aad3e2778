// The web host's events: keys and mouse on the canvas, and the page's focus, become the
// user's input through the subset's event sink. The browser calls these handlers only
// while the engine has yielded; they queue what happened, and PollEvents hands it on with
// the gamepads' and the touch controls' changes (web_gamepad.cpp, web_touch.cpp). F11 and Alt+Enter
// are the host's own.
#include "engine/platform/hosts/web/web_host.h"
#include "engine/platform/hosts/web/web_keys.h"
#include "engine/platform/hosts/web/web_bridge.h"

#include "engine/platform/subset/seam/events.h"

#include <emscripten/html5.h>

#include <algorithm>

namespace web {
namespace {

// The page's canvas (page/index.html).
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

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void* data) {
    WebHost* host = static_cast<WebHost*>(data);
    int key = VirtualKey(event->code);
    if (!key || host->Modal()) {
        return EM_FALSE;
    }
    const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    switch (host->FullScreenKey(key, event->altKey, down, event->repeat)) {
    case subset::FullScreenKeys::TOGGLE:
        // Now, while the browser handles the key: a page may go full screen only then.
        tolvo_web_full_screen();
        return EM_TRUE;
    case subset::FullScreenKeys::TAKE:
        return EM_TRUE;
    case subset::FullScreenKeys::PASS:
        break;
    }
    host->Queue(Input{Input::KEY, key, down, 0, 0, 0});
    // Arrows and Space must not scroll the page while the game has the focus.
    return BrowserKeeps(key, event->ctrlKey, event->metaKey) ? EM_FALSE : EM_TRUE;
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

void WebHost::Listen() {
    emscripten_set_keydown_callback(CANVAS, this, true, OnKey);
    emscripten_set_keyup_callback(CANVAS, this, true, OnKey);
    emscripten_set_mousemove_callback(CANVAS, this, true, OnMouse);
    emscripten_set_mousedown_callback(CANVAS, this, true, OnMouse);
    emscripten_set_mouseup_callback(CANVAS, this, true, OnMouse);
    // Not capturing: the page's own focus, not that of an element moving within it.
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, false, OnFocus);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, false, OnFocus);
    pageFocused = tolvo_web_has_focus() != 0;
    ListenToPads();
}

void WebHost::Forget() {
    emscripten_html5_remove_all_event_listeners();
    inputs.clear();
    held.ReleaseAll();
    std::vector<PadChange> forgotten;
    pads.ForgetAll(&forgotten); // the host is going: nothing left to tell
    padsSeen = false;
    touch = TouchPad();
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
    PollPads();
    PollTouch();
}

void WebHost::KeyChanged(int key, bool down) {
    if (held.Change(key, down)) {
        subset::PostKey(key, down); // repeats arrive as further key-downs
    }
}

void WebHost::FocusChanged(bool gained) {
    pageFocused = gained;
    if (!gained) {
        for (int key : held.ReleaseAll()) {
            subset::PostKey(key, false);
        }
        // The pads too: the browser stops showing them to a page away from the user.
        ReleasePads();
        ReleaseTouch();
    }
    subset::ActivateMainWindow(gained);
}

} // namespace web
