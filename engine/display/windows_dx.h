// The engine object: window, DirectDraw display, drawing state and input state.
// There is one, the global `Tolvo`; the game reaches the engine through it.
#ifndef TOLVO_ENGINE_DISPLAY_WINDOWS_DX_H
#define TOLVO_ENGINE_DISPLAY_WINDOWS_DX_H

#include "engine/platform/platform.h"
#include "engine/image/image.h"
#include "engine/display/frame_pacer.h"

#include <cstdint>

// Start-up status codes; even codes below READY record the last step that succeeded.
enum StartupStatus {
    NO_INIT = 0,
    INITCLASS_FAILED = 1,
    INITCLASS_OK = 2,
    INITWINTEMP_FAILED = 3,
    INITWINTEMP_OK = 4,
    INITWINREAL_FAILED = 5,
    INITWINREAL_OK = 6,
    SHOWWIN_FAILED = 7,
    SHOWWIN_OK = 8,
    DDSTART_FAILED = 9,
    DDSTART_OK = 10,
    DDSETLEVEL_FAILED = 11,
    DDSETLEVEL_OK = 12,
    SETMODE_FAILED = 13,
    SETMODE_OK = 14,
    FRONTSURFACE_FAILED = 15,
    FRONTSURFACE_OK = 16,
    BACKSURFACE_FAILED = 17,
    BACKSURFACE_OK = 18,
    READY = 19,
    LOCK_FAILED = 20,
    REQSIZE_FAILED = 21,
    BPP_FAILED = 22,
};

class WindowsDX;
struct DrawMasks;
typedef int32_t (WindowsDX::*DrawPixelEntry)(int32_t x, int32_t y, int32_t red, int32_t green,
                                             int32_t blue);
typedef int32_t (WindowsDX::*DrawImageEntry)(int32_t x, int32_t y, const Image& image);

class WindowsDX {
  public:
    WindowsDX();
    ~WindowsDX();
    WindowsDX(const WindowsDX&) = delete;
    WindowsDX& operator=(const WindowsDX&) = delete;

    // Entry and start-up.
    void SetInstance(HINSTANCE instance, int showCommand);
    bool Initialize(int32_t fullScreen, int32_t width, int32_t height);
    bool CreateSurface();
    void ShowStartupError();
    bool CleanUp();

    // Frame.
    bool LockBuffer();
    bool UnlockBuffer();
    int32_t ViewUpdate();

    // Drawing into the locked back buffer.
    int32_t DrawImage(int32_t x, int32_t y, const Image& image);
    int32_t DrawBackground(int32_t xOffset, int32_t yOffset, const Image& image);
    int32_t DrawPixel(int32_t x, int32_t y, int32_t red, int32_t green, int32_t blue);
    int32_t DrawOpaque(int32_t x, int32_t y, const Image& image);
    int32_t DrawKeyed(int32_t x, int32_t y, const Image& image);
    int32_t DrawAlpha(int32_t x, int32_t y, const Image& image);
    int32_t DrawAdditive(int32_t x, int32_t y, const Image& image);
    int32_t DrawText(int32_t x, int32_t y, const char* text);
    void SetColor(int32_t red, int32_t green, int32_t blue);
    void ClearBuffer();
    void FillRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t red, int32_t green,
                       int32_t blue);
    void SetClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void BuildSaturationTable();

    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }
    int32_t GetPitch() const { return pitch; }
    uint16_t* GetPixels() const { return pixels; }
    HWND GetWindow() const { return window; }
    int32_t GetStatus() const { return status; }

    // Input: the window procedure registered with the window class.
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    uint8_t IsKeyDown(int32_t key) const;
    uint8_t GetKey();
    void OnMouseMove(int32_t x, int32_t y);
    void OnMouseDown(int32_t button);
    void OnMouseUp();
    int32_t GetMouseButton() const { return mouseButton; }
    int32_t GetMouseX() const { return mouseX; }
    int32_t GetMouseY() const { return mouseY; }
    double GetMouseDX() const { return double(mouseX - lastMouseX); }
    double GetMouseDY() const { return double(mouseY - lastMouseY); }

    // Fields, in the engine's documented order.
    uint16_t* pixels;
    int32_t rowOffsets[1024];
    int32_t height;
    int32_t width;
    int32_t pitch;
    DrawPixelEntry drawPixel;
    DrawImageEntry drawOpaque;
    DrawImageEntry drawKeyed;
    DrawImageEntry drawAlpha;
    DrawImageEntry drawAdditive;
    HINSTANCE instance;
    int32_t showCommand;
    int32_t status;
    int32_t requestedFullScreen;
    int32_t requestedWidth;
    int32_t requestedHeight;
    int32_t fullScreen;
    int32_t screenWidth;
    int32_t screenHeight;
    int32_t bitsPerPixel;
    int32_t clipLeft, clipTop, clipRight, clipBottom;
    int32_t clientX, clientY;
    int32_t active;
    HWND window;
    int32_t textRed, textGreen, textBlue;
    int32_t textColor;
    int32_t keyCount;
    uint8_t keyBuffer[1000];
    uint8_t keyState[256];
    int32_t mouseX, mouseY, lastMouseX, lastMouseY;
    int32_t mouseButton;
    int16_t* saturationTable;
    LPDIRECTDRAW directDraw;
    LPDIRECTDRAWSURFACE primary;
    LPDIRECTDRAWSURFACE back;

    // Beyond the documented fields: whether the back buffer is locked now (drawing
    // does nothing otherwise, so a failed lock cannot lead to stray writes), and the
    // pacing of presentation.
    bool locked;
    FramePacer pacer;

  private:
    // The visible part of an image, computed once per image.
    struct Span {
        int32_t destination; // index of the first 16-bit pixel in the back buffer
        int32_t source;      // index of the first pixel in the image
        int32_t width;       // visible pixels per row
        int32_t height;      // visible rows
    };
    bool ClipImage(int32_t x, int32_t y, const Image& image, Span& span) const;
    bool CanDraw(const Image& image) const;
    // DrawAlpha and DrawAdditive: the same walk over the visible rows, another row blend.
    typedef void (*BlendRow)(uint16_t* destination, const uint16_t* source, const uint8_t* alpha,
                             int32_t count, const DrawMasks& masks);
    int32_t DrawBlended(int32_t x, int32_t y, const Image& image, BlendRow blendRow);
};

// DrawBackground's division: the quotient rounds down, and the remainder lies in 0 to
// divisor - 1 for a >= 0 and in 1 to divisor for a < 0 (an exact negative multiple
// gives the divisor).
void FloorDivide(int32_t a, int32_t divisor, int32_t& quotient, int32_t& remainder);

// The engine object, constructed before every other global of the program.
extern WindowsDX Tolvo;

// Writes the readable text of a DirectDraw result code to the debug log.
void LogDirectDrawResult(int32_t result);

// The game's two hooks, bound by name: called once before the loop, and once per idle pass.
void initialize();
int run();

#endif
