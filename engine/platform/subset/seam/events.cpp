#include "engine/platform/subset/seam/events.h"

#include "engine/platform/subset/test_controls/feed.h"
#include "engine/platform/subset/seam/gamepad.h"
#include "engine/platform/subset/user32/window_manager.h"

namespace subset {

void PostKey(int virtualKey, bool down) {
    WindowManager& manager = Windows();
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
    PostToWindow(Windows().mainWindow, WM_CHAR, static_cast<WPARAM>(code & 0xff), 1);
}

void PostClose() {
    RecordEvent(SCRIPT_CLOSE, 0);
    PostToWindow(Windows().mainWindow, WM_CLOSE, 0, 0);
}

void PostMouse(UINT message, int x, int y) {
    PostToWindow(Windows().mainWindow, message, 0,
                 MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

void ActivateMainWindow(bool active) {
    HWND main = Windows().mainWindow;
    if (!main) {
        return;
    }
    if (active) {
        Activate(main);
    } else {
        Deactivate(main);
    }
}

namespace {

// Gamepad input comes before the frame the feed counts next, as recorded keys do.
int NextFrame() {
    return FramesCounted() + 1;
}

void PostGamepadKeys(const std::vector<GamepadKey>& keys) {
    for (const GamepadKey& key : keys) {
        PostKey(key.virtualKey, key.down);
    }
}

} // namespace

void PostGamepadButton(int pad, GamepadButton button, bool down) {
    std::vector<GamepadKey> keys;
    Gamepads().Button(pad, button, down, NextFrame(), &keys);
    PostGamepadKeys(keys);
}

void PostGamepadStick(int pad, float x, float y) {
    std::vector<GamepadKey> keys;
    Gamepads().Stick(pad, x, y, NextFrame(), &keys);
    PostGamepadKeys(keys);
}

void PostGamepadRemoved(int pad) {
    std::vector<GamepadKey> keys;
    Gamepads().Removed(pad, &keys);
    PostGamepadKeys(keys);
}

void DeliverDueInput() {
    std::vector<GamepadKey> keys;
    Gamepads().Advance(NextFrame(), &keys);
    PostGamepadKeys(keys);
    bool closeForLimit = false;
    for (const ScriptEvent& event : TakeDueEvents(&closeForLimit)) {
        switch (event.kind) {
        case SCRIPT_DOWN:
            PostKey(event.value, true);
            break;
        case SCRIPT_UP:
            PostKey(event.value, false);
            break;
        case SCRIPT_CHAR:
            PostChar(event.value);
            break;
        case SCRIPT_CLOSE:
            PostClose();
            break;
        }
    }
    if (closeForLimit) {
        PostToWindow(Windows().mainWindow, WM_CLOSE, 0, 0);
    }
}

} // namespace subset
