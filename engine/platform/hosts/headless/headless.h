// The headless host's interface for tests and tools: a virtual 16-bit desktop in
// memory, fault injection into any platform call, queued input, recorded message
// boxes and presented frames.
#ifndef TOLVO_ENGINE_PLATFORM_HOSTS_HEADLESS_HEADLESS_H
#define TOLVO_ENGINE_PLATFORM_HOSTS_HEADLESS_HEADLESS_H

#include "engine/platform/subset/win32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace headless {

struct Desktop {
    int width = 1024;
    int height = 768;
    int bitsPerPixel = 16; // GetDeviceCaps(BITSPIXEL); the engine accepts only 16
    bool rgb555 = false;   // 5-5-5 instead of 5-6-5
    int pitchPadding = 0;  // extra bytes at the end of every surface row
    int refreshRate = 60;  // GetDeviceCaps(VREFRESH)
};

// main(): the desktop TOLVO_DESKTOP (WIDTHxHEIGHTxBPP) and TOLVO_PIXEL_FORMAT (565 or 555)
// ask for; a bad value is reported on standard error and the default kept.
Desktop DesktopFromEnvironment();

// Forgets every window, message, surface, failure, box and frame, and makes the
// headless host current with this desktop. Tests call it first.
void Reset(const Desktop& desktop = Desktop());

// Makes the named platform call fail with `result` (a DirectDraw code, or 0/NULL for
// user32 and gdi32 calls, which fail in their own way) after `skip` successful calls,
// `times` times (-1: for ever). Names are those of the API: "RegisterClassA",
// "CreateWindowExA", "UpdateWindow", "DirectDrawCreate", "SetCooperativeLevel",
// "SetDisplayMode", "CreateSurface", "GetAttachedSurface", "GetSurfaceDesc", "Lock",
// "Unlock", "BltFast", "Flip", "IsLost", "Restore", "GetDC" and "ReleaseDC" (surface),
// "user32!GetDC" and "user32!ReleaseDC" (window or desktop), "GetDeviceCaps", "TextOutA",
// "MessageBoxA", "PeekMessageA", ... A failing user32 or gdi32 call returns what the real
// one returns on failure (NULL, 0 or FALSE) and has no effect.
void FailCall(const std::string& call, HRESULT result, int times = 1, int skip = 0);

// Calls made so far, by name (for tests that check a retry happened).
int CallCount(const std::string& call);

// Every message box shown, in order; each was also written to standard error as
// "[message box] TITLE: TEXT" and dismissed at once with IDOK.
struct MessageBoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
const std::vector<MessageBoxRecord>& MessageBoxes();

// Input for frame N (N counts the times the frame loop found the queue empty and called
// the game's run, from 1): delivered through the message queue before the N-th run.
void QueueKeyDown(int frame, int virtualKey);
void QueueKeyUp(int frame, int virtualKey);
void QueueChar(int frame, int code);
void QueueClose(int frame);
// The settings main() takes from TOLVO_SCRIPT, TOLVO_FRAMES, TOLVO_RECORD and
// TOLVO_CAPTURE / TOLVO_CAPTURE_EVERY, for tests and tools. False when a file or folder
// cannot be used (reported on standard error).
bool PlayScript(const std::string& path);
void StopAfterFrames(int frames);
bool RecordInput(const std::string& path);
bool CaptureFrames(const std::string& folder, int every = 1);
// The most recently shown window, which receives the user's input; NULL when none.
HWND MainWindow();
// Posts any message to the main window now (focus, activation, mouse, moves, ...).
void PostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam);
// Frames the loop has asked for (run calls) so far.
int FramesRun();

// The surface memory is lost (IsLost and BltFast report DDERR_SURFACELOST until Restore).
void LoseSurfaces();
// Which window GetForegroundWindow returns (the main window after ShowWindow by default).
void SetForegroundWindow(HWND window);

// What reached the screen: each Flip or BltFast to the primary counts as one presented
// frame; the desktop's 16-bit pixels can be read back.
int FramesPresented();
const std::vector<uint16_t>& DesktopPixels(); // width x height, row after row
int DesktopWidth();
int DesktopHeight();
// Writes the desktop as a PNG, for a person to look at when a picture test fails.
bool SaveDesktop(const std::string& path);

} // namespace headless

#endif
