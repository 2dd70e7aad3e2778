// The window procedure and the input state it keeps for the game to poll: held
// keys, typed characters (a stack) and the mouse.
#include "engine/display/windows_dx.h"

#include "engine/file/debug_log.h"

LRESULT CALLBACK WindowsDX::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowsDX& engine = Tolvo;
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_MOVE:
        engine.clientX = LOWORD(lParam);
        engine.clientY = HIWORD(lParam);
        break;
    case WM_SETFOCUS:
        // Focus gained during start-up presents nothing: there is no frame yet.
        if (engine.status == READY) {
            engine.active = 1;
            engine.ViewUpdate();
        }
        break;
    case WM_KILLFOCUS:
        engine.active = 0;
        break;
    case WM_CLOSE:
        DestroyWindow(window);
        break;
    case WM_ACTIVATEAPP:
        engine.active = int32_t(wParam);
        break;
    case WM_KEYDOWN:
        engine.keyState[wParam & 0xFF] = 1;
        break;
    case WM_KEYUP:
        engine.keyState[wParam & 0xFF] = 0;
        break;
    case WM_CHAR: {
        uint8_t character = uint8_t(wParam & 0xFF);
        if (character == 27)
            PostQuitMessage(0);
        if (engine.keyCount < int32_t(sizeof(engine.keyBuffer))) {
            engine.keyBuffer[engine.keyCount] = character;
            engine.keyCount += 1;
        } else {
            debugLog.Write("WinDX: Keyboard buffer overflow.\n", "");
        }
        break;
    }
    case WM_MOUSEMOVE:
        engine.OnMouseMove(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_LBUTTONDOWN:
        engine.OnMouseDown(1);
        break;
    case WM_RBUTTONDOWN:
        engine.OnMouseDown(2);
        break;
    case WM_MBUTTONDOWN:
        engine.OnMouseDown(16);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        engine.OnMouseUp();
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

uint8_t WindowsDX::IsKeyDown(int32_t key) const {
    if (key < 0 || key > 255)
        return 0;
    return keyState[key];
}

uint8_t WindowsDX::GetKey() {
    if (keyCount <= 0)
        return 0;
    keyCount -= 1;
    return keyBuffer[keyCount];
}

void WindowsDX::OnMouseMove(int32_t x, int32_t y) {
    lastMouseX = mouseX;
    lastMouseY = mouseY;
    mouseX = x;
    mouseY = y;
}

void WindowsDX::OnMouseDown(int32_t button) {
    mouseButton = button;
}

void WindowsDX::OnMouseUp() {
    mouseButton = 0;
}
