// The test controls of the subset, the same on every host: fault injection, input by
// frame, scripts, recording, frame capture, the frame limit, lost surfaces, frame
// counters and the screen's pixels. Tests and tools drive the platform through these;
// main() applies the settings people give with them.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_TEST_CONTROLS_TEST_CONTROLS_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_TEST_CONTROLS_TEST_CONTROLS_H

#include "engine/platform/subset/sdk/windows.h"

#include <cstdint>
#include <string>
#include <vector>

namespace subset {

// Makes the named platform call fail with `result` (a DirectDraw code, or 0 for user32 and
// gdi32 calls, which fail in their own way) after `skip` successful calls, `times` times
// (-1: for ever). Names are those of the API: "RegisterClassA", "CreateWindowExA",
// "DirectDrawCreate", "CreateSurface", "Lock", "Flip", "BltFast", "Restore", "GetDC" and
// "ReleaseDC" (surface), "user32!GetDC" and "user32!ReleaseDC" (window or desktop),
// "MessageBoxA", "PeekMessageA", ... A failing user32 or gdi32 call returns what the real
// one returns on failure (NULL, 0 or FALSE) and has no effect. A name that is not an
// entry of the subset stops the program with a message.
void FailCall(const std::string& call, HRESULT result, int times = 1, int skip = 0);
// Calls made so far, by name (for tests that check a retry happened).
int CallCount(const std::string& call);

// Input for frame N (N counts the times the frame loop found the queue empty and called
// the game's run, from 1): delivered through the message queue before the N-th run, as
// the user's.
void QueueKeyDown(int frame, int virtualKey);
void QueueKeyUp(int frame, int virtualKey);
void QueueChar(int frame, int code);
void QueueClose(int frame);
// An input script (TOLVO_SCRIPT); false when it cannot be read (reported on standard error).
bool PlayScript(const std::string& path);
// The user's input from now on is written to this file as an input script (TOLVO_RECORD).
bool RecordInput(const std::string& path);
// The main window is closed before run `frames` + 1 (TOLVO_FRAMES); 0: no limit.
void StopAfterFrames(int frames);
// PNG files of every k-th presented frame, as the user sees it, go into this folder
// (TOLVO_CAPTURE); an empty folder stops capture. Needs the tolvo_capture library.
bool CaptureFrames(const std::string& folder, int every = 1);

// The most recently shown window, which receives the user's input; NULL when none.
HWND MainWindow();
// Posts any message to the main window now (focus, activation, mouse, moves, ...).
void PostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam);
// Which window has focus and GetForegroundWindow returns (the main window after
// ShowWindow by default), changed without any message.
void SetFocusWithoutMessages(HWND window);
// The memory of every surface is lost (IsLost, Lock, BltFast and Flip report
// DDERR_SURFACELOST until Restore).
void LoseSurfaces();

// Frames the loop has asked for (run calls) so far.
int FramesRun();
// Each Flip or BltFast to the primary is one presented frame.
int FramesPresented();
// What reached the screen: its 16-bit pixels, row after row, in the mode in force.
const std::vector<uint16_t>& ScreenPixels();
int ScreenWidth();
int ScreenHeight();
// Writes the whole screen as a PNG, for a person to look at when a picture test fails.
// Needs the tolvo_capture library.
bool SaveScreen(const std::string& path);

} // namespace subset

#endif
