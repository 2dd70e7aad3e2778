// The Windows types, user32, gdi32 and kernel32 of the subset: what the engine uses of
// <windows.h>, for hosts that do not have the real thing. Names, types, values and calling
// shapes are those of the Windows SDK, so the engine compiles unchanged against either.
// Each entry says who calls it and when; behaviour follows Windows where the engine
// relies on it. DirectDraw is in ddraw.h beside it.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_SDK_WINDOWS_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_SDK_WINDOWS_H

#include <cstddef>
#include <cstdint>

// ---- Basic types -----------------------------------------------------------

#define WINAPI
#define CALLBACK
#define APIENTRY

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef unsigned int UINT;
typedef int32_t HRESULT;
typedef uint16_t ATOM;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef DWORD COLORREF;
typedef void* LPVOID;
typedef void* HANDLE;
typedef char* LPSTR;
typedef const char* LPCSTR;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Handles are distinct opaque pointer types, as with STRICT on Windows.
struct HWND__;
struct HDC__;
struct HINSTANCE__;
struct HICON__;
struct HCURSOR__;
struct HBRUSH__;
struct HMENU__;
struct HGDIOBJ__;
typedef HWND__* HWND;
typedef HDC__* HDC;
typedef HINSTANCE__* HINSTANCE;
typedef HICON__* HICON;
typedef HCURSOR__* HCURSOR;
typedef HBRUSH__* HBRUSH;
typedef HMENU__* HMENU;
typedef HGDIOBJ__* HGDIOBJ;

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
typedef RECT* LPRECT;

struct POINT {
    LONG x;
    LONG y;
};
typedef POINT* LPPOINT;

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG* LPMSG;

struct CREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};
typedef CREATESTRUCTA* LPCREATESTRUCTA;

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

#define LOWORD(l) ((WORD)(((uintptr_t)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((uintptr_t)(l)) >> 16) & 0xffff))
#define MAKEINTRESOURCEA(i) ((LPSTR)((uintptr_t)((WORD)(i))))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)((WORD)(l) | ((DWORD)(WORD)(h) << 16)))

// ---- Constants ---------------------------------------------------------------

// Window messages.
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_SHOWWINDOW 0x0018
#define WM_ACTIVATEAPP 0x001C
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208

// WM_ACTIVATE, WM_SIZE and mouse-message parameters.
#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define SIZE_RESTORED 0
#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008
#define MK_MBUTTON 0x0010

// Virtual-key codes the engine and game name (letters and digits are their ASCII codes).
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_CAPITAL 0x14
#define VK_NUMPAD0 0x60
#define VK_NUMPAD9 0x69
#define VK_F1 0x70
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B
#define VK_OEM_1 0xBA      // ;:
#define VK_OEM_PLUS 0xBB   // =+
#define VK_OEM_COMMA 0xBC  // ,<
#define VK_OEM_MINUS 0xBD  // -_
#define VK_OEM_PERIOD 0xBE // .>
#define VK_OEM_2 0xBF      // /?
#define VK_OEM_3 0xC0      // `~
#define VK_OEM_4 0xDB      // [{
#define VK_OEM_5 0xDC      // \|
#define VK_OEM_6 0xDD      // ]}
#define VK_OEM_7 0xDE      // '"

// Class and window styles.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define WS_POPUP 0x80000000u
#define WS_SYSMENU 0x00080000u
#define WS_EX_APPWINDOW 0x00040000u

// ShowWindow commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5

// PeekMessage options.
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

// System metrics.
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1

// Message boxes.
#define MB_OK 0x00000000u
#define IDOK 1

// Cursors and stock objects.
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define BLACK_BRUSH 4

// GDI.
#define BITSPIXEL 12
#define VREFRESH 116
#define TRANSPARENT 1
#define OPAQUE 2
#define RGB(r, g, b)                                                                               \
    ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))

// ---- user32 ------------------------------------------------------------------

// Start-up: registers the engine's window class. Nonzero atom on success.
ATOM RegisterClassA(const WNDCLASSA* windowClass);
// Start-up: the class cursor.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
// Start-up: temporary and main windows. Sends WM_NCCREATE, WM_CREATE, WM_MOVE to the
// procedure before returning, as Windows does. NULL on failure.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param);
// Start-up: client size of the temporary window (left and top are 0).
BOOL GetClientRect(HWND window, LPRECT rect);
// Start-up and presentation: screen position of a client point.
BOOL ClientToScreen(HWND window, LPPOINT point);
// Start-up: shows the main window; activation and focus messages are sent synchronously.
BOOL ShowWindow(HWND window, int command);
// Start-up: zero on failure.
BOOL UpdateWindow(HWND window);
// Start-up: desktop size.
int GetSystemMetrics(int index);
// Start-up: the desktop's device context (window NULL), for its depth.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
// Presentation: the window that has focus.
HWND GetForegroundWindow(void);
// Frame loop: takes one message without waiting. FALSE when the queue is empty.
BOOL PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage);
// Frame loop: posts WM_CHAR for key-downs that type a character.
BOOL TranslateMessage(const MSG* message);
// Frame loop: calls the window procedure of the message's window.
LRESULT DispatchMessageA(const MSG* message);
// Window procedure: default handling; destroys the window on WM_CLOSE.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Window procedure: posts WM_QUIT carrying the exit code.
void PostQuitMessage(int exitCode);
// Window procedure: destroys a window, sending WM_DESTROY.
BOOL DestroyWindow(HWND window);
// Start-up errors, lost surfaces, missing pictures: a modal box, dismissed before returning.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// ---- gdi32 -------------------------------------------------------------------

// Start-up: BITSPIXEL of the desktop; VREFRESH its refresh rate (0 or 1: unknown).
int GetDeviceCaps(HDC dc, int index);
// Start-up: the class background brush.
HGDIOBJ GetStockObject(int object);
// DrawText: transparent background, colour, and the text itself (built-in bitmap font).
int SetBkMode(HDC dc, int mode);
COLORREF SetTextColor(HDC dc, COLORREF color);
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length);

// ---- COM -------------------------------------------------------------------------

struct GUID;

// The base of the DirectX objects: reference counted, released rather than deleted.
struct IUnknown {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    virtual ~IUnknown() = default;
};

// ---- kernel32 ----------------------------------------------------------------

// Frame pacing: waits this long before returning (the host decides what time is).
void Sleep(DWORD milliseconds);

// ---- winmm -------------------------------------------------------------------

typedef UINT MMRESULT;
#define TIMERR_NOERROR 0

// Frame pacing: Sleep to the millisecond. On Windows the system timer ticks every 15.6 ms
// unless a program asks for finer; the subset's hosts keep time exactly already.
MMRESULT timeBeginPeriod(UINT period);

// ---- Entry -------------------------------------------------------------------

// The engine's entry point; the subset's main() calls it with the instance, no previous
// instance, the command line and SW_SHOWNORMAL, and returns its result.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

#endif
