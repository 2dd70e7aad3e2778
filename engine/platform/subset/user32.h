// What the rest of the subset needs from its window manager (user32.cpp).
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_USER32_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_USER32_H

#include "engine/platform/subset/win32.h"

namespace subset {

// UseHost(): no classes, windows, messages, focus or quit request.
void ResetWindows();
// Calls the window's procedure now, as SendMessage does; 0 for a window that is gone.
LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Appends a message to the queue, as PostMessage does; false for a window that is gone.
bool PostToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool IsWindowHandle(HWND window);
// headless::SetForegroundWindow: the window with focus, changed without any message.
void SetFocusWindow(HWND window);
// The input feed: WM_CLOSE for the main window without recording it (TOLVO_FRAMES).
void PostCloseUnrecorded();

} // namespace subset

#endif
