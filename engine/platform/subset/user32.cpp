// user32: window classes, top-level windows, the thread's message queue, keyboard
// translation and message boxes, behaving as Windows does where the engine can tell.
#include "engine/platform/subset/user32.h"

#include "engine/platform/subset/calls.h"
#include "engine/platform/subset/display.h"
#include "engine/platform/subset/host.h"
#include "engine/platform/subset/session.h"

#include <chrono>
#include <cstdio>
#include <deque>
#include <map>
#include <string>

namespace subset {
namespace {

// The frame of a WS_SYSMENU window: a fixed border all round and a caption on top.
const int FRAME_BORDER = 3;
const int FRAME_CAPTION = 20;

struct WindowClass {
    ATOM atom = 0;
    WNDPROC procedure = nullptr;
    std::string name;
};

struct Window {
    HWND handle = nullptr;
    WNDPROC procedure = nullptr;
    std::string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0; // outer rectangle on the desktop
    bool visible = false;
    bool needsPaint = false;
    bool destroying = false;
};

struct WindowManager {
    std::map<std::string, WindowClass> classes; // by lower-case name
    std::map<HWND, Window> windows;
    uintptr_t nextHandle = 0x10010;
    ATOM nextAtom = 0xC000;
    std::deque<MSG> queue;
    bool quitPending = false;
    int quitCode = 0;
    HWND focus = nullptr;
    HWND mainWindow = nullptr;
    bool appActive = false;
    BYTE retrievedKeys[256] = {}; // as GetKeyState sees them: updated when taken from the queue
    BYTE postedKeys[256] = {};    // as the input arrives
};

WindowManager& Manager() {
    static WindowManager manager;
    return manager;
}

std::string Lower(const char* text) {
    std::string out = text ? text : "";
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

Window* Find(HWND handle) {
    auto found = Manager().windows.find(handle);
    return found == Manager().windows.end() ? nullptr : &found->second;
}

bool Framed(const Window& window) {
    return (window.style & WS_POPUP) == 0;
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

DWORD Ticks() {
    static const auto start = std::chrono::steady_clock::now();
    auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
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

void Deactivate(HWND handle) {
    WindowManager& manager = Manager();
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
    WindowManager& manager = Manager();
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

} // namespace

// ---- Inside the subset -------------------------------------------------------

void ResetWindows() {
    WindowManager& manager = Manager();
    manager.classes.clear();
    manager.windows.clear();
    manager.queue.clear();
    manager.quitPending = false;
    manager.quitCode = 0;
    manager.focus = nullptr;
    manager.mainWindow = nullptr;
    manager.appActive = false;
    for (int i = 0; i < 256; i++) {
        manager.retrievedKeys[i] = 0;
        manager.postedKeys[i] = 0;
    }
}

LRESULT SendToWindow(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = Find(handle);
    if (!window || !window->procedure) {
        return 0;
    }
    WNDPROC procedure = window->procedure; // the record may move while the procedure runs
    return procedure(handle, message, wParam, lParam);
}

bool PostToWindow(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!Find(handle)) {
        return false;
    }
    Manager().queue.push_back(MakeMessage(handle, message, wParam, lParam));
    return true;
}

bool IsWindowHandle(HWND handle) {
    return Find(handle) != nullptr;
}

void SetFocusWindow(HWND window) {
    Manager().focus = window;
}

void PostCloseUnrecorded() {
    PostToWindow(Manager().mainWindow, WM_CLOSE, 0, 0);
}

// ---- Called by hosts -----------------------------------------------------------

HWND MainWindow() {
    return Manager().mainWindow;
}

WindowInfo DescribeWindow(HWND handle) {
    WindowInfo info;
    Window* window = Find(handle);
    if (!window) {
        return info;
    }
    info.handle = handle;
    info.title = window->title;
    info.popup = !Framed(*window);
    info.client = ClientRect(*window);
    return info;
}

void PostKey(int virtualKey, bool down) {
    WindowManager& manager = Manager();
    virtualKey &= 0xff;
    RecordEvent(down ? SCRIPT_DOWN : SCRIPT_UP, virtualKey);
    // Keys pressed with Alt held, and F10, are system keys on Windows.
    bool system = manager.postedKeys[VK_MENU] || virtualKey == VK_MENU || virtualKey == VK_F10;
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    // lParam: repeat count 1, bit 29 with Alt, bit 30 the previous state, bit 31 a release.
    DWORD bits = 1;
    if (manager.postedKeys[VK_MENU] && virtualKey != VK_MENU) {
        bits |= 1u << 29;
    }
    if (!down || manager.postedKeys[virtualKey]) {
        bits |= 1u << 30;
    }
    if (!down) {
        bits |= 1u << 31;
    }
    manager.postedKeys[virtualKey] = down ? 1 : 0;
    PostToWindow(manager.mainWindow, message, static_cast<WPARAM>(virtualKey),
                 static_cast<LPARAM>(bits));
}

void PostChar(int code) {
    RecordEvent(SCRIPT_CHAR, code & 0xff);
    PostToWindow(Manager().mainWindow, WM_CHAR, static_cast<WPARAM>(code & 0xff), 1);
}

void PostClose() {
    RecordEvent(SCRIPT_CLOSE, 0);
    PostToWindow(Manager().mainWindow, WM_CLOSE, 0, 0);
}

void PostMouse(UINT message, int x, int y) {
    PostToWindow(Manager().mainWindow, message, 0, PointParam(x, y));
}

void ActivateMainWindow(bool active) {
    HWND main = Manager().mainWindow;
    if (!main) {
        return;
    }
    if (active) {
        Activate(main);
    } else {
        Deactivate(main);
    }
}

} // namespace subset

using namespace subset;

// ---- user32 ------------------------------------------------------------------------

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    if (CallFails("RegisterClassA") || !windowClass || !windowClass->lpfnWndProc ||
        !windowClass->lpszClassName || !windowClass->lpszClassName[0]) {
        return 0;
    }
    WindowManager& manager = Manager();
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
    WindowManager& manager = Manager();
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
    Window* created = Find(handle);
    if (!created) {
        return nullptr;
    }
    RECT client = ClientRect(*created);
    SendToWindow(handle, WM_SIZE, SIZE_RESTORED,
                 PointParam(client.right - client.left, client.bottom - client.top));
    SendToWindow(handle, WM_MOVE, 0, PointParam(client.left, client.top));
    return Find(handle) ? handle : nullptr;
}

BOOL GetClientRect(HWND handle, LPRECT rect) {
    Window* window = Find(handle);
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
    Window* window = Find(handle);
    if (CallFails("ClientToScreen") || !window || !point) {
        return FALSE;
    }
    RECT client = ClientRect(*window);
    point->x += client.left;
    point->y += client.top;
    return TRUE;
}

BOOL ShowWindow(HWND handle, int command) {
    Window* window = Find(handle);
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
        Manager().mainWindow = handle;
        CurrentHost().WindowShown(DescribeWindow(handle));
        Activate(handle);
    } else {
        Deactivate(handle);
        CurrentHost().WindowHidden(handle);
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND handle) {
    Window* window = Find(handle);
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
    return Manager().focus;
}

BOOL PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage) {
    WindowManager& manager = Manager();
    bool remove = (removeMessage & PM_REMOVE) != 0;
    if (CallFails("PeekMessageA") || !message) {
        if (remove) {
            CountEmptyAnswer(); // the loop treats it as an empty queue and runs a frame
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
        CountEmptyAnswer();
    }
    return FALSE;
}

BOOL TranslateMessage(const MSG* message) {
    if (CallFails("TranslateMessage") || !message) {
        return FALSE;
    }
    switch (message->message) {
    case WM_KEYDOWN: {
        int code = TypedCharacter(message->wParam, Manager().retrievedKeys);
        if (code) {
            // Posted ahead of later input, so the character follows its key-down directly.
            MSG character =
                MakeMessage(message->hwnd, WM_CHAR, static_cast<WPARAM>(code), message->lParam);
            Manager().queue.push_front(character);
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
    Manager().quitPending = true;
    Manager().quitCode = exitCode;
}

BOOL DestroyWindow(HWND handle) {
    Window* window = Find(handle);
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
    WindowManager& manager = Manager();
    manager.windows.erase(handle);
    if (manager.mainWindow == handle) {
        manager.mainWindow = nullptr;
    }
    return TRUE;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (CallFails("MessageBoxA")) {
        return 0;
    }
    std::string body = text ? text : "";
    std::string title = caption ? caption : "Error"; // Windows' title for a NULL caption
    std::fprintf(stderr, "[message box] %s: %s\n", title.c_str(), body.c_str());
    std::fflush(stderr);
    CurrentHost().ShowMessageBox(owner, body, title, type);
    return IDOK;
}
