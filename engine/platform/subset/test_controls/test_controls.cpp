#include "engine/platform/subset/test_controls/test_controls.h"

#include "engine/platform/subset/test_controls/calls.h"
#include "engine/platform/subset/ddraw/desktop.h"
#include "engine/platform/subset/test_controls/feed.h"
#include "engine/platform/subset/ddraw/screen.h"
#include "engine/platform/subset/ddraw/surface.h"
#include "engine/platform/subset/user32/window_manager.h"

namespace subset {
namespace {

void Queue(int frame, ScriptEventKind kind, int value) {
    ScriptEvent event;
    event.frame = frame;
    event.kind = kind;
    event.value = value & 0xff;
    FeedEvent(event);
}

} // namespace

void FailCall(const std::string& call, HRESULT result, int times, int skip) {
    InjectFailure(call, result, times, skip);
}

int CallCount(const std::string& call) {
    return CallsMade(call);
}

void QueueKeyDown(int frame, int virtualKey) {
    Queue(frame, SCRIPT_DOWN, virtualKey);
}

void QueueKeyUp(int frame, int virtualKey) {
    Queue(frame, SCRIPT_UP, virtualKey);
}

void QueueChar(int frame, int code) {
    Queue(frame, SCRIPT_CHAR, code);
}

void QueueClose(int frame) {
    Queue(frame, SCRIPT_CLOSE, 0);
}

bool PlayScript(const std::string& path) {
    return FeedScript(path);
}

bool RecordInput(const std::string& path) {
    return RecordTo(path);
}

void StopAfterFrames(int frames) {
    LimitFrames(frames);
}

void PostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    PostToWindow(MainWindow(), message, wParam, lParam);
}

void LoseSurfaces() {
    LoseAllSurfaces();
}

int FramesRun() {
    return FramesCounted();
}

int FramesPresented() {
    return PresentedFrames();
}

int ScreenWidth() {
    return CurrentDesktop().width;
}

int ScreenHeight() {
    return CurrentDesktop().height;
}

} // namespace subset
