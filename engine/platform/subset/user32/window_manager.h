// The window manager behind user32: window classes, top-level windows, the thread's
// message queue, focus and activation, and the keyboard state. The user32 entries and the
// event sink work on it; the rest of the subset asks it about windows.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_USER32_WINDOW_MANAGER_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_USER32_WINDOW_MANAGER_H

#include "engine/platform/subset/seam/host.h"

#include <deque>
#include <map>
#include <string>

namespace subset {

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
    HWND mainWindow = nullptr; // the most recently shown top-level window
    bool appActive = false;
    BYTE retrievedKeys[256] = {}; // as GetKeyState sees them: updated when taken from the queue
    BYTE postedKeys[256] = {};    // as the input arrives
};

WindowManager& Windows();
// UseHost(): no classes, windows, messages, focus or quit request.
void ResetWindows();

Window* LookUpWindow(HWND window);
// A WS_SYSMENU window's client area inside its frame, in desktop coordinates.
RECT ClientRect(const Window& window);
bool IsWindowHandle(HWND window);
// The window the user sees: the most recently shown top-level window, or NULL.
HWND MainWindow();
WindowInfo DescribeWindow(HWND window);

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the window's procedure now, as SendMessage does; 0 for a window that is gone.
LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Appends a message to the queue, as PostMessage does; false for a window that is gone.
bool PostToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Focus moves to the window (or away from it) with the messages Windows sends.
void Activate(HWND window);
void Deactivate(HWND window);
// Tests: the window with focus, changed without any message.
void SetFocusWithoutMessages(HWND window);

} // namespace subset

#endif
