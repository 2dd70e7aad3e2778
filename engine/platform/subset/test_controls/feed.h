// The input feed between the message queue and the frame loop: scripted and queued
// events waiting for their frame, the frame limit, the count of frames, and the
// recording of the user's input. A frame N is the N-th time PeekMessageA answers "empty"
// (and the engine calls run).
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_TEST_CONTROLS_FEED_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_TEST_CONTROLS_FEED_H

#include "engine/platform/subset/test_controls/script.h"

#include <string>
#include <vector>

namespace subset {

// UseHost(): no script, no queued events, no limit, no recording, frame count 0.
void ResetFeed();

// TOLVO_SCRIPT: false (with a line on standard error) when the file cannot be read.
// Bad lines are reported on standard error and skipped.
bool FeedScript(const std::string& path);
// One more event, delivered like a script line.
void FeedEvent(const ScriptEvent& event);
// TOLVO_FRAMES: the main window is closed before run `frames` + 1; 0 or less: no limit.
void LimitFrames(int frames);
// TOLVO_RECORD: every input event from now on is written to this file as a script line;
// an empty path stops recording.
bool RecordTo(const std::string& path);

// The event sink: writes an event of the user's with the frame it will precede.
void RecordEvent(ScriptEventKind kind, int value);

// PeekMessageA with an empty queue: the events of every frame up to the next one, in
// order, and whether the frame limit now closes the window.
std::vector<ScriptEvent> TakeDueEvents(bool* closeForLimit);
// PeekMessageA answered "empty": the engine runs one more frame.
void CountFrame();
int FramesCounted();

} // namespace subset

#endif
