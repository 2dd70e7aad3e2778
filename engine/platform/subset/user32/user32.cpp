// user32: window classes, top-level windows, the thread's message queue, keyboard
// translation, behaving as Windows does where the engine can tell. MessageBoxA is in
// message_box.cpp, so a program that shows boxes needs nothing else of user32.
#include "engine/platform/subset/test_controls/calls.h"
#include "engine/platform/subset/ddraw/desktop.h"
#include "engine/platform/subset/seam/events.h"
#include "engine/platform/subset/test_controls/feed.h"
#include "engine/platform/subset/seam/host.h"
#include "engine/platform/subset/dsound/sound_stream.h"
#include "engine/platform/subset/user32/window_manager.h"

#include <string>

namespace subset {
namespace {

std::string Lower(const char* text) {
    std::string out = text ? text : "";
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

LPARAM PointParam(LONG x, LONG y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

// The character a key-down types, as on a US keyboard; 0 when it types none.
int TypedCharacter(WPARAM virtualKey, const BYTE* keys) {
    bool shift = keys[VK_SHIFT] != 0;
    bool control = keys[VK_CONTROL] != 0;
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        if (control) {
            return static_cast<int>(virtualKey - 'A' + 1);
        }
        return static_cast<int>(shift ? virtualKey : virtualKey - 'A' + 'a');
    }
    if (virtualKey >= '0' && virtualKey <= '9') {
        static const char SHIFTED_DIGITS[] = ")!@#$%^&*(";
        return shift ? SHIFTED_DIGITS[virtualKey - '0'] : static_cast<int>(virtualKey);
    }
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD9) {
        return static_cast<int>(virtualKey - VK_NUMPAD0 + '0');
    }
    switch (virtualKey) {
    case VK_SPACE:
        return ' ';
    case VK_RETURN:
        return 13;
    case VK_BACK:
        return 8;
    case VK_ESCAPE:
        return 27;
    default:
        return 0;
    }
}

void NoteKey(BYTE* keys, const MSG& msg) {
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        keys[msg.wParam & 0xff] = 1;
    } else if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) {
        keys[msg.wParam & 0xff] = 0;
    }
}

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
    if (window && msg.hwnd != window) {
        return false;
    }
    if (filterMin == 0 && filterMax == 0) {
        return true;
    }
    return msg.message >= filterMin && msg.message <= filterMax;
}

} // namespace
} // namespace subset

using namespace subset;

// ---- user32 ------------------------------------------------------------------------

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    if (CallFails("RegisterClassA") || !windowClass || !windowClass->lpfnWndProc ||
        !windowClass->lpszClassName || !windowClass->lpszClassName[0]) {
        return 0;
    }
    WindowManager& manager = Windows();
    std::string key = Lower(windowClass->lpszClassName);
    if (manager.classes.count(key)) {
        return 0; // ERROR_CLASS_ALREADY_EXISTS
    }
    WindowClass entry;
    entry.atom = manager.nextAtom++;
    entry.procedure = windowClass->lpfnWndProc;
    entry.name = windowClass->lpszClassName;
    manager.classes[key] = entry;
    return entry.atom;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR) {
    if (CallFails("LoadCursorA")) {
        return nullptr;
    }
    static char arrow;
    return reinterpret_cast<HCURSOR>(&arrow);
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
    if (CallFails("CreateWindowExA")) {
        return nullptr;
    }
    WindowManager& manager = Windows();
    auto found = manager.classes.find(Lower(className));
    if (found == manager.classes.end()) {
        return nullptr; // ERROR_CANNOT_FIND_WND_CLASS
    }
    Window window;
    window.handle = reinterpret_cast<HWND>(manager.nextHandle);
    manager.nextHandle += 0x10;
    window.procedure = found->second.procedure;
    window.title = windowName ? windowName : "";
    window.style = style;
    window.exStyle = exStyle;
    window.x = x;
    window.y = y;
    window.width = width < 0 ? 0 : width;
    window.height = height < 0 ? 0 : height;
    HWND handle = window.handle;
    manager.windows[handle] = window;

    CREATESTRUCTA create = {};
    create.lpCreateParams = param;
    create.hInstance = instance;
    create.hMenu = menu;
    create.hwndParent = parent;
    create.cy = window.height;
    create.cx = window.width;
    create.y = y;
    create.x = x;
    create.style = static_cast<LONG>(style);
    create.lpszName = windowName;
    create.lpszClass = className;
    create.dwExStyle = exStyle;
    LPARAM createParam = reinterpret_cast<LPARAM>(&create);

    // As Windows: a procedure may refuse in WM_NCCREATE (FALSE) or WM_CREATE (-1).
    if (!SendToWindow(handle, WM_NCCREATE, 0, createParam)) {
        DestroyWindow(handle);
        return nullptr;
    }
    if (SendToWindow(handle, WM_CREATE, 0, createParam) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    Window* created = LookUpWindow(handle);
    if (!created) {
        return nullptr;
    }
    RECT client = ClientRect(*created);
    SendToWindow(handle, WM_SIZE, SIZE_RESTORED,
                 PointParam(client.right - client.left, client.bottom - client.top));
    SendToWindow(handle, WM_MOVE, 0, PointParam(client.left, client.top));
    return LookUpWindow(handle) ? handle : nullptr;
}

BOOL GetClientRect(HWND handle, LPRECT rect) {
    Window* window = LookUpWindow(handle);
    if (CallFails("GetClientRect") || !window || !rect) {
        return FALSE;
    }
    RECT client = ClientRect(*window);
    rect->left = 0;
    rect->top = 0;
    rect->right = client.right - client.left;
    rect->bottom = client.bottom - client.top;
    return TRUE;
}

BOOL ClientToScreen(HWND handle, LPPOINT point) {
    Window* window = LookUpWindow(handle);
    if (CallFails("ClientToScreen") || !window || !point) {
        return FALSE;
    }
    RECT client = ClientRect(*window);
    point->x += client.left;
    point->y += client.top;
    return TRUE;
}

BOOL ShowWindow(HWND handle, int command) {
    Window* window = LookUpWindow(handle);
    if (CallFails("ShowWindow") || !window) {
        return FALSE;
    }
    bool wasVisible = window->visible;
    bool show = command != SW_HIDE;
    if (show == wasVisible) {
        return wasVisible ? TRUE : FALSE;
    }
    window->visible = show;
    window->needsPaint = show;
    SendToWindow(handle, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (show) {
        Windows().mainWindow = handle;
        CurrentHost().WindowShown(DescribeWindow(handle));
        Activate(handle);
    } else {
        Deactivate(handle);
        CurrentHost().WindowHidden(handle);
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND handle) {
    Window* window = LookUpWindow(handle);
    if (CallFails("UpdateWindow") || !window) {
        return FALSE;
    }
    if (window->visible && window->needsPaint) {
        window->needsPaint = false;
        SendToWindow(handle, WM_PAINT, 0, 0);
    }
    return TRUE;
}

int GetSystemMetrics(int index) {
    if (CallFails("GetSystemMetrics")) {
        return 0;
    }
    switch (index) {
    case SM_CXSCREEN:
        return CurrentDesktop().width;
    case SM_CYSCREEN:
        return CurrentDesktop().height;
    default:
        return 0;
    }
}

HWND GetForegroundWindow(void) {
    CallFails("GetForegroundWindow");
    return Windows().focus;
}

BOOL PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage) {
    WindowManager& manager = Windows();
    bool remove = (removeMessage & PM_REMOVE) != 0;
    if (CallFails("PeekMessageA") || !message) {
        if (remove) {
            CountFrame(); // the loop treats it as an empty queue and runs a frame
            MixStreamFrame();
        }
        return FALSE;
    }
    if (manager.queue.empty() && !manager.quitPending) {
        CurrentHost().PollEvents();
    }
    if (manager.queue.empty() && !manager.quitPending) {
        DeliverDueInput();
    }
    for (auto it = manager.queue.begin(); it != manager.queue.end(); ++it) {
        if (Matches(*it, window, filterMin, filterMax)) {
            *message = *it;
            if (remove) {
                manager.queue.erase(it);
                NoteKey(manager.retrievedKeys, *message);
            }
            return TRUE;
        }
    }
    // A quit request comes out once nothing else is waiting, as on Windows.
    if (manager.quitPending &&
        Matches(MakeMessage(window, WM_QUIT, 0, 0), window, filterMin, filterMax)) {
        *message = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(manager.quitCode), 0);
        if (remove) {
            manager.quitPending = false;
        }
        return TRUE;
    }
    if (remove) {
        // A frame of the game's loop begins: the sound the last one started is mixed now.
        CountFrame();
        MixStreamFrame();
    }
    return FALSE;
}

BOOL TranslateMessage(const MSG* message) {
    if (CallFails("TranslateMessage") || !message) {
        return FALSE;
    }
    switch (message->message) {
    case WM_KEYDOWN: {
        int code = TypedCharacter(message->wParam, Windows().retrievedKeys);
        if (code) {
            // Posted ahead of later input, so the character follows its key-down directly.
            MSG character =
                MakeMessage(message->hwnd, WM_CHAR, static_cast<WPARAM>(code), message->lParam);
            Windows().queue.push_front(character);
        }
        return TRUE;
    }
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT DispatchMessageA(const MSG* message) {
    if (CallFails("DispatchMessageA") || !message || !message->hwnd) {
        return 0;
    }
    return SendToWindow(message->hwnd, message->message, message->wParam, message->lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    default:
        return 0;
    }
}

void PostQuitMessage(int exitCode) {
    CallFails("PostQuitMessage");
    Windows().quitPending = true;
    Windows().quitCode = exitCode;
}

BOOL DestroyWindow(HWND handle) {
    Window* window = LookUpWindow(handle);
    if (CallFails("DestroyWindow") || !window || window->destroying) {
        return FALSE;
    }
    window->destroying = true;
    bool wasVisible = window->visible;
    window->visible = false;
    Deactivate(handle);
    if (wasVisible) {
        CurrentHost().WindowHidden(handle);
    }
    SendToWindow(handle, WM_DESTROY, 0, 0);
    SendToWindow(handle, WM_NCDESTROY, 0, 0);
    WindowManager& manager = Windows();
    manager.windows.erase(handle);
    if (manager.mainWindow == handle) {
        manager.mainWindow = nullptr;
    }
    return TRUE;
}
