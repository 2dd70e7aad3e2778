// The web host: start and stop, time and message boxes. The subset keeps windows,
// messages and surfaces; this host shows each presented frame on the page's canvas
// (web_canvas.cpp) and turns the page's events into the user's input (web_input.cpp).
#include "engine/platform/hosts/web/web.h"

#include "engine/platform/hosts/web/web_host.h"
#include "engine/platform/hosts/web/web_bridge.h"

#include <emscripten.h>

namespace web {
namespace {

// Longest stretch the engine runs without giving the browser its turn: about one display
// frame, so the page keeps showing frames and taking input when frames come late; unpaced,
// once for each frame drawn (UNPACED_EVERY_MS), as each turn costs the run time.
const double YIELD_EVERY_MS = 16;

WebHost* host = nullptr;

} // namespace

WebHost::WebHost(const subset::Settings& settings)
    : desktop(settings.desktop), unpaced(settings.unpaced) {
    // The game counts its time in frames at 60 a second, whatever the real display's rate:
    // the engine paces to this and the host waits for the display frame each is due on.
    desktop.refreshRate = 60;
    desktop.bitsPerPixel = 16;
    lastYield = emscripten_get_now();
}

void WebHost::Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        tolvo_web_yield();
    } else {
        tolvo_web_sleep(static_cast<int>(milliseconds));
    }
    Yielded();
}

void WebHost::YieldIfDue() {
    if (emscripten_get_now() - lastYield >= (unpaced ? UNPACED_EVERY_MS : YIELD_EVERY_MS)) {
        tolvo_web_yield();
        Yielded();
    }
}

void WebHost::Yielded() {
    lastYield = emscripten_get_now();
}

void WebHost::ShowMessageBox(HWND, const std::string& text, const std::string& caption, UINT) {
    // Modal: the game waits on the page's dialog, and keys pressed meanwhile are the
    // dialog's. Already written to standard error (the page's console).
    modal = true;
    tolvo_web_message_box(text.c_str(), caption.c_str());
    modal = false;
    Yielded();
}

bool Start(const subset::Settings& settings, std::string* error) {
    if (!tolvo_web_has_canvas()) {
        *error = "the page has no canvas for the game";
        return false;
    }
    host = new WebHost(settings);
    host->Listen();
    subset::UseHost(host);
    return true;
}

void Stop() {
    if (!host) {
        return;
    }
    subset::UseHost(nullptr);
    host->Forget();
    tolvo_web_window(0, 0);
    delete host;
    host = nullptr;
}

} // namespace web
