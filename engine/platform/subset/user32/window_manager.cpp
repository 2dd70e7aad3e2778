#include "engine/platform/subset/user32/window_manager.h"

#include <chrono>

namespace subset {
namespace {

// The frame of a WS_SYSMENU window: a fixed border all round and a caption on top.
const int FRAME_BORDER = 3;
const int FRAME_CAPTION = 20;

bool Framed(const Window& window) {
    return (window.style & WS_POPUP) == 0;
}

DWORD Ticks() {
    static const auto start = std::chrono::steady_clock::now();
    auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

} // namespace

WindowManager& Windows() {
    static WindowManager manager;
    return manager;
}

void ResetWindows() {
    // Handles and atoms keep counting, so a handle from before never names a new window.
    WindowManager& manager = Windows();
    const uintptr_t nextHandle = manager.nextHandle;
    const ATOM nextAtom = manager.nextAtom;
    manager = WindowManager();
    manager.nextHandle = nextHandle;
    manager.nextAtom = nextAtom;
}

Window* LookUpWindow(HWND handle) {
    auto found = Windows().windows.find(handle);
    return found == Windows().windows.end() ? nullptr : &found->second;
}

RECT ClientRect(const Window& window) {
    RECT rect = {window.x, window.y, window.x + window.width, window.y + window.height};
    if (Framed(window)) {
        rect.left += FRAME_BORDER;
        rect.top += FRAME_BORDER + FRAME_CAPTION;
        rect.right -= FRAME_BORDER;
        rect.bottom -= FRAME_BORDER;
    }
    if (rect.right < rect.left) {
        rect.right = rect.left;
    }
    if (rect.bottom < rect.top) {
        rect.bottom = rect.top;
    }
    return rect;
}

bool IsWindowHandle(HWND handle) {
    return LookUpWindow(handle) != nullptr;
}

HWND MainWindow() {
    return Windows().mainWindow;
}

WindowInfo DescribeWindow(HWND handle) {
    WindowInfo info;
    Window* window = LookUpWindow(handle);
    if (!window) {
        return info;
    }
    info.handle = handle;
    info.title = window->title;
    info.popup = !Framed(*window);
    info.client = ClientRect(*window);
    return info;
}

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg = {};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = Ticks();
    return msg;
}

LRESULT SendToWindow(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = LookUpWindow(handle);
    if (!window || !window->procedure) {
        return 0;
    }
    WNDPROC procedure = window->procedure; // the record may move while the procedure runs
    return procedure(handle, message, wParam, lParam);
}

bool PostToWindow(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!LookUpWindow(handle)) {
        return false;
    }
    Windows().queue.push_back(MakeMessage(handle, message, wParam, lParam));
    return true;
}

void Deactivate(HWND handle) {
    WindowManager& manager = Windows();
    if (manager.focus != handle) {
        return;
    }
    manager.focus = nullptr;
    SendToWindow(handle, WM_ACTIVATE, WA_INACTIVE, 0);
    if (manager.appActive) {
        manager.appActive = false;
        SendToWindow(handle, WM_ACTIVATEAPP, FALSE, 0);
    }
    SendToWindow(handle, WM_KILLFOCUS, 0, 0);
}

void Activate(HWND handle) {
    WindowManager& manager = Windows();
    if (manager.focus == handle) {
        return;
    }
    HWND previous = manager.focus;
    if (previous) {
        manager.focus = nullptr;
        SendToWindow(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(handle));
        SendToWindow(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(handle), 0);
    }
    // Foreground and focus move first, so the procedure already sees itself in front.
    manager.focus = handle;
    if (!manager.appActive) {
        manager.appActive = true;
        SendToWindow(handle, WM_ACTIVATEAPP, TRUE, 0);
    }
    SendToWindow(handle, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
    SendToWindow(handle, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
}

void SetFocusWithoutMessages(HWND window) {
    Windows().focus = window;
}

} // namespace subset
