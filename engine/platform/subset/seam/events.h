// The subset's event sink: how a host tells the subset what the user did. Input goes to
// the main window (the most recently shown one) through the message queue, as on
// Windows, and is recorded when TOLVO_RECORD is set. Hosts call only these and host.h.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_SEAM_EVENTS_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_SEAM_EVENTS_H

#include "engine/platform/subset/seam/gamepad.h"
#include "engine/platform/subset/sdk/windows.h"

namespace subset {

// A key pressed or released (a Windows virtual-key code). A key-down while Alt is held
// (or F10) is a system key, as on Windows. Repeats are further key-downs.
void PostKey(int virtualKey, bool down);
// A typed character the key messages do not give (TranslateMessage types the usual ones).
void PostChar(int code);
// The user closes the window.
void PostClose();
// Mouse movement and buttons (WM_MOUSEMOVE, WM_LBUTTONDOWN, ...) in client coordinates of
// the main window; not recorded.
void PostMouse(UINT message, int x, int y);
// The real window gained or lost the user's attention: activation and focus messages are
// sent to the main window, and it becomes (or stops being) the foreground window.
void ActivateMainWindow(bool active);

// Gamepads, numbered by the host (any number, one per pad while it is plugged in): they
// press the game's keys through PostKey as gamepad.h maps them, so they are recorded as
// keys. A button pressed or released:
void PostGamepadButton(int pad, GamepadButton button, bool down);
// The pad's left stick moved; each axis from -1 (left, up) to 1 (right, down).
void PostGamepadStick(int pad, float x, float y);
// The pad was unplugged: the keys it holds go up.
void PostGamepadRemoved(int pad);

// PeekMessageA with an empty queue: the scripted and queued events due before the next
// frame, posted as the user's, the keys gamepads let go or press in their own time, and
// the close of the frame limit (not recorded).
void DeliverDueInput();

} // namespace subset

#endif
