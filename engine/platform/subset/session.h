// The input feed between the message queue and the frame loop: scripted and queued
// events delivered per frame, the frame limit, and the recording of the user's input.
// A frame N is the N-th time PeekMessageA answers "empty" (and the engine calls run).
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_SESSION_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_SESSION_H

#include "engine/platform/subset/script.h"

#include <string>

namespace subset {

// UseHost(): no script, no queued events, no limit, no recording, frame count 0.
void ResetSession();

// TOLVO_SCRIPT: false (with a line on standard error) when the file cannot be read.
// Bad lines are reported on standard error and skipped.
bool PlayScript(const std::string& path);
// TOLVO_FRAMES: WM_CLOSE for the main window before run `frames` + 1; 0 or less: no limit.
void StopAfterFrames(int frames);
// TOLVO_RECORD: every input event from now on is written to this file as a script line.
bool RecordInput(const std::string& path);
// headless::Queue*: one more event, delivered like a script line.
void QueueInput(const ScriptEvent& event);

// PostKey, PostChar, PostClose: writes the event with the frame it will precede.
void RecordEvent(ScriptEventKind kind, int value);

// PeekMessageA with an empty queue: posts every event of the frames up to the next one.
void DeliverDueInput();
// PeekMessageA answered "empty": the engine runs one more frame.
void CountEmptyAnswer();
int FramesAnswered();

} // namespace subset

#endif
