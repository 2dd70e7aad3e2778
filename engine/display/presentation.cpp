// The frame: locking the back buffer, presenting it, and text through the
// platform's device context.
#include "engine/display/windows_dx.h"

#include "engine/file/debug_log.h"

#include <cstring>

bool WindowsDX::LockBuffer() {
    DDSURFACEDESC description;
    std::memset(&description, 0, sizeof(description));
    description.dwSize = sizeof(description);
    if (back == nullptr || back->Lock(nullptr, &description, DDLOCK_WAIT, nullptr) != DD_OK) {
        // pixels keeps its old value; locked stays false, so drawing leaves it alone.
        locked = false;
        status = LOCK_FAILED;
        ShowStartupError();
        return false;
    }
    pixels = static_cast<uint16_t*>(description.lpSurface);
    locked = true;
    return true;
}

bool WindowsDX::UnlockBuffer() {
    if (back != nullptr)
        back->Unlock(nullptr);
    locked = false;
    return true;
}

int32_t WindowsDX::ViewUpdate() {
    // Every frame waits its turn, shown or not, so the game keeps its speed while
    // the window is in the background too.
    pacer.Wait();
    if (active != 1 || primary == nullptr || back == nullptr)
        return 1;
    if (GetForegroundWindow() != window)
        return 1;
    if (fullScreen == 1) {
        primary->Flip(nullptr, DDFLIP_WAIT);
        if (primary->IsLost() == DDERR_SURFACELOST)
            primary->Restore();
        return 1;
    }
    HRESULT result =
        primary->BltFast(DWORD(clientX), DWORD(clientY), back, nullptr, DDBLTFAST_WAIT);
    if (result == DDERR_WASSTILLDRAWING)
        return 0;
    if (result == DDERR_SURFACELOST) {
        MessageBoxA(window, "<WinDX::ViewUpdate> Error: Surface Lost", "", MB_OK);
        if (primary->Restore() != DD_OK)
            return 0;
        if (back->Restore() != DD_OK)
            return 0;
    }
    return 1;
}

int32_t WindowsDX::DrawText(int32_t x, int32_t y, const char* text) {
    HDC dc = nullptr;
    if (back == nullptr || back->GetDC(&dc) < 0) {
        debugLog.Write("WinDX::DrawText: Unable to get device context handle.\n", "");
        return 0;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, COLORREF(textColor));
    if (text != nullptr)
        TextOutA(dc, x, y, text, int(std::strlen(text)));
    back->ReleaseDC(dc);
    return 1;
}
