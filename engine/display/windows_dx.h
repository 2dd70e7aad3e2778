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
// The engine's drawing entries as member pointers, kept in its fields.
typedef int32_t (WindowsDX::*DrawPixelEntry)(int32_t x, int32_t y, int32_t red, int32_t green,
                                             int32_t blue);
// The engine's image drawing entries as member pointers, kept in its fields.
typedef int32_t (WindowsDX::*DrawImageEntry)(int32_t x, int32_t y, const Image& image);

// The engine: one window with a DirectDraw back buffer the game draws into, presented
// once a frame, and the keyboard and mouse as the window procedure saw them.
class WindowsDX {
  public:
    WindowsDX();
    ~WindowsDX();
    WindowsDX(const WindowsDX&) = delete;
    WindowsDX& operator=(const WindowsDX&) = delete;

    // Entry and start-up.

    // Keeps the program's instance and show command for the window (WinMain calls it).
    void SetInstance(HINSTANCE instance, int showCommand);
    // Starts the display from initialize(): opens debug.txt, checks for a 16-bit desktop,
    // makes the window (a client area of width - 1 by height - 1 pixels, or the whole
    // screen when fullScreen is 1) and the DirectDraw surfaces. False, with status
    // saying the step that failed, when it cannot; WinMain then shows why and ends.
    bool Initialize(int32_t fullScreen, int32_t width, int32_t height);
    // Makes the primary surface and the back buffer again (Initialize calls it).
    bool CreateSurface();
    // Shows the message box for a start-up that failed and logs it (WinMain calls it).
    void ShowStartupError();
    // Releases the surfaces and DirectDraw; false when DirectDraw would not go.
    bool CleanUp();

    // Frame.

    // Locks the back buffer for drawing; false (and drawing does nothing) when it cannot.
    bool LockBuffer();
    // Unlocks the back buffer; text and presentation need it unlocked.
    bool UnlockBuffer();
    // Presents the back buffer, waiting first for the frame's turn (the pacing). 0 when
    // the display was busy, else 1.
    int32_t ViewUpdate();

    // Drawing into the locked back buffer. Images are 16-bit in the display's format;
    // each call is clipped to the clip rectangle and returns 1.

    // The same as DrawKeyed.
    int32_t DrawImage(int32_t x, int32_t y, const Image& image);
    // Fills the back buffer with the image repeated, the tile at (0, 0) shifted left and
    // up by the offsets: scrolling is a change of offset.
    int32_t DrawBackground(int32_t xOffset, int32_t yOffset, const Image& image);
    // One pixel; red, green and blue are the 5-bit fields of a 5-5-5 pixel (0 to 31).
    int32_t DrawPixel(int32_t x, int32_t y, int32_t red, int32_t green, int32_t blue);
    // Copies every pixel of the image.
    int32_t DrawOpaque(int32_t x, int32_t y, const Image& image);
    // Copies every pixel but the colour key, 0 (IMG_MODE_COLORKEY makes it).
    int32_t DrawKeyed(int32_t x, int32_t y, const Image& image);
    // Blends a premultiplied image (IMG_MODE_PREMULTIPLY) over the back buffer by its
    // alpha plane; nothing without one.
    int32_t DrawAlpha(int32_t x, int32_t y, const Image& image);
    // Adds a premultiplied image's colours to the back buffer, each field saturating;
    // pixels its alpha plane makes fully transparent are left out. Nothing without one.
    int32_t DrawAdditive(int32_t x, int32_t y, const Image& image);
    // Writes text with its top left at (x, y) in the colour SetColor chose, through the
    // back buffer's device context: call it with the buffer unlocked. 0 when it cannot.
    int32_t DrawText(int32_t x, int32_t y, const char* text);
    // The colour of DrawText, 0 to 255 each.
    void SetColor(int32_t red, int32_t green, int32_t blue);
    // Sets every pixel of the back buffer to 0, black.
    void ClearBuffer();
    // Fills the rectangle from (x1, y1) to (x2, y2), both corners included, kept to the
    // back buffer. The colour (0 to 255 each) is packed as a 5-5-5 pixel.
    void FillRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t red, int32_t green,
                       int32_t blue);
    // Where images may draw, edges included; Initialize sets the whole back buffer.
    void SetClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // Fills saturationTable: the sum of two 5-bit fields, saturated at 31.
    void BuildSaturationTable();

    // The back buffer's width in pixels (its pitch over 2), valid after a lock.
    int32_t GetWidth() const { return width; }
    // The back buffer's height in rows.
    int32_t GetHeight() const { return height; }
    // Bytes from one row of the back buffer to the next, valid after a lock.
    int32_t GetPitch() const { return pitch; }
    // The back buffer's first pixel while it is locked.
    uint16_t* GetPixels() const { return pixels; }
    // The main window, for the sound system and message boxes.
    HWND GetWindow() const { return window; }
    // The start-up status: READY once Initialize succeeded, else the step reached.
    int32_t GetStatus() const { return status; }

    // Input.

    // The window procedure registered with the window class: keeps the keys, typed
    // characters and mouse for the game to poll; Escape typed or the window closed ends
    // the message loop.
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // 1 while the key of this virtual-key code (VK_LEFT, 'A', ...) is held, else 0.
    uint8_t IsKeyDown(int32_t key) const;
    // The last typed character not yet taken (the buffer is a stack), or 0 when none.
    uint8_t GetKey();
    // The pointer moved to (x, y) in the client area (the window procedure calls it).
    void OnMouseMove(int32_t x, int32_t y);
    // A mouse button went down: 1 left, 2 right, 16 middle.
    void OnMouseDown(int32_t button);
    // The mouse buttons went up.
    void OnMouseUp();
    // The button held (as OnMouseDown takes it), or 0.
    int32_t GetMouseButton() const { return mouseButton; }
    // The pointer's x in the client area.
    int32_t GetMouseX() const { return mouseX; }
    // The pointer's y in the client area.
    int32_t GetMouseY() const { return mouseY; }
    // The pointer's last move along x.
    double GetMouseDX() const { return double(mouseX - lastMouseX); }
    // The pointer's last move along y.
    double GetMouseDY() const { return double(mouseY - lastMouseY); }

    // Fields, in the engine's documented order.

    uint16_t* pixels;                                 // the locked back buffer's first pixel
    int32_t rowOffsets[1024];                         // byte offset of each row from pixels
    int32_t height;                                   // back buffer rows
    int32_t width;                                    // back buffer pixels a row: pitch / 2
    int32_t pitch;                                    // back buffer bytes a row
    DrawPixelEntry drawPixel;                         // the DrawPixel entry
    DrawImageEntry drawOpaque;                        // the DrawOpaque entry
    DrawImageEntry drawKeyed;                         // the DrawKeyed entry
    DrawImageEntry drawAlpha;                         // the DrawAlpha entry
    DrawImageEntry drawAdditive;                      // the DrawAdditive entry
    HINSTANCE instance;                               // the program's instance (SetInstance)
    int32_t showCommand;                              // how WinMain was asked to show the window
    int32_t status;                                   // a StartupStatus: READY once started
    int32_t requestedFullScreen;                      // Initialize's fullScreen
    int32_t requestedWidth;                           // Initialize's width
    int32_t requestedHeight;                          // Initialize's height
    int32_t fullScreen;                               // 1 when the display is full screen
    int32_t screenWidth;                              // the desktop's width
    int32_t screenHeight;                             // the desktop's height
    int32_t bitsPerPixel;                             // the desktop's depth: 16
    int32_t clipLeft, clipTop, clipRight, clipBottom; // the clip rectangle (SetClipRect)
    int32_t clientX, clientY;                         // the client area's top left on the desktop
    int32_t active;                                   // 1 while the program is active and presents
    HWND window;                                      // the main window
    int32_t textRed, textGreen, textBlue;             // the text colour (SetColor)
    int32_t textColor;                                // the same as a COLORREF
    int32_t keyCount;                                 // typed characters in keyBuffer
    uint8_t keyBuffer[1000];                          // typed characters, a stack (GetKey)
    uint8_t keyState[256];                          // 1 for each virtual-key code held (IsKeyDown)
    int32_t mouseX, mouseY, lastMouseX, lastMouseY; // the pointer now and before its last move
    int32_t mouseButton;                            // the mouse button held (GetMouseButton)
    int16_t* saturationTable;                       // BuildSaturationTable's sums, or null
    LPDIRECTDRAW directDraw;                        // the DirectDraw object
    LPDIRECTDRAWSURFACE primary;                    // the visible surface
    LPDIRECTDRAWSURFACE back;                       // the back buffer the game draws into

    // Beyond the documented fields: whether the back buffer is locked now (drawing
    // does nothing otherwise, so a failed lock cannot lead to stray writes), and the
    // pacing of presentation.
    bool locked;      // the back buffer is locked now
    FramePacer pacer; // paces ViewUpdate

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

// The game's two hooks, bound by name. initialize is called once before the loop: it
// starts the display (Tolvo.Initialize) and loads what the game needs.
void initialize();
// The game's other hook, called once per pass of the loop that finds no message: one
// frame (read input, update, draw, ViewUpdate). Its result is not used.
int run();

#endif
