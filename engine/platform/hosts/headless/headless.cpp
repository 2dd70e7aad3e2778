// The headless host: a virtual 16-bit desktop in memory. It shows nothing and has no
// user; its input comes from scripts and tests, its message boxes go to a list.
#include "engine/platform/hosts/headless/headless.h"

#include "engine/platform/subset/calls.h"
#include "engine/platform/subset/capture.h"
#include "engine/platform/subset/display.h"
#include "engine/platform/subset/host.h"
#include "engine/platform/subset/session.h"
#include "engine/platform/subset/surface.h"
#include "engine/platform/subset/user32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace headless {
namespace {

class HeadlessHost : public subset::Host {
  public:
    headless::Desktop desktop;
    std::vector<MessageBoxRecord> boxes;

    const char* Name() const override { return "headless"; }

    subset::DesktopInfo Desktop() const override {
        subset::DesktopInfo info;
        info.width = desktop.width;
        info.height = desktop.height;
        info.bitsPerPixel = desktop.bitsPerPixel;
        info.refreshRate = desktop.refreshRate;
        info.rgb555 = desktop.rgb555;
        info.pitchPadding = desktop.pitchPadding;
        return info;
    }

    void WindowShown(const subset::WindowInfo&) override {}
    void WindowHidden(HWND) override {}
    bool DisplayMode(bool, int, int) override { return true; }
    void PollEvents() override {}
    void Present(const uint16_t*, int, int, const RECT&, const subset::WindowInfo&) override {}

    void ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                        UINT type) override {
        boxes.push_back(MessageBoxRecord{owner, text, caption, type});
    }
};

HeadlessHost& Host() {
    static HeadlessHost host;
    return host;
}

void Queue(int frame, subset::ScriptEventKind kind, int value) {
    subset::ScriptEvent event;
    event.frame = frame;
    event.kind = kind;
    event.value = value & 0xff;
    subset::QueueInput(event);
}

bool ParseDesktop(const char* text, Desktop* desktop) {
    int width = 0, height = 0, depth = 0;
    char extra = 0;
    if (std::sscanf(text, "%dx%dx%d%c", &width, &height, &depth, &extra) != 3 || width <= 0 ||
        height <= 0 || width > 8192 || height > 8192 || depth <= 0 || depth > 32) {
        return false;
    }
    desktop->width = width;
    desktop->height = height;
    desktop->bitsPerPixel = depth;
    return true;
}

} // namespace

Desktop DesktopFromEnvironment() {
    headless::Desktop desktop;
    const char* size = std::getenv("TOLVO_DESKTOP");
    if (size && *size && !ParseDesktop(size, &desktop)) {
        std::fprintf(stderr, "TOLVO_DESKTOP: '%s' is not WIDTHxHEIGHTxBPP; using 1024x768x16\n",
                     size);
    }
    const char* format = std::getenv("TOLVO_PIXEL_FORMAT");
    if (format && *format) {
        if (std::strcmp(format, "555") == 0) {
            desktop.rgb555 = true;
        } else if (std::strcmp(format, "565") != 0) {
            std::fprintf(stderr, "TOLVO_PIXEL_FORMAT: '%s' is not 565 or 555; using 565\n", format);
        }
    }
    return desktop;
}

void Reset(const Desktop& desktop) {
    HeadlessHost& host = Host();
    host.desktop = desktop;
    host.boxes.clear();
    // Tests and recordings run as fast as the machine allows unless asked otherwise.
    setenv("TOLVO_FPS", "0", 0);
    subset::UseHost(&host);
}

void FailCall(const std::string& call, HRESULT result, int times, int skip) {
    subset::InjectFailure(call, result, times, skip);
}

int CallCount(const std::string& call) {
    return subset::CallsMade(call);
}

const std::vector<MessageBoxRecord>& MessageBoxes() {
    return Host().boxes;
}

void QueueKeyDown(int frame, int virtualKey) {
    Queue(frame, subset::SCRIPT_DOWN, virtualKey);
}
void QueueKeyUp(int frame, int virtualKey) {
    Queue(frame, subset::SCRIPT_UP, virtualKey);
}
void QueueChar(int frame, int code) {
    Queue(frame, subset::SCRIPT_CHAR, code);
}
void QueueClose(int frame) {
    Queue(frame, subset::SCRIPT_CLOSE, 0);
}

bool PlayScript(const std::string& path) {
    return subset::PlayScript(path);
}
void StopAfterFrames(int frames) {
    subset::StopAfterFrames(frames);
}
bool RecordInput(const std::string& path) {
    return subset::RecordInput(path);
}
bool CaptureFrames(const std::string& folder, int every) {
    return subset::CaptureFrames(folder, every);
}

HWND MainWindow() {
    return subset::MainWindow();
}

void PostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    subset::PostToWindow(subset::MainWindow(), message, wParam, lParam);
}

int FramesRun() {
    return subset::FramesAnswered();
}

void LoseSurfaces() {
    subset::LoseAllSurfaces();
}

void SetForegroundWindow(HWND window) {
    subset::SetFocusWindow(window);
}

int FramesPresented() {
    return subset::PresentedFrames();
}

const std::vector<uint16_t>& DesktopPixels() {
    return subset::ScreenPixels();
}

int DesktopWidth() {
    return subset::CurrentDesktop().width;
}

int DesktopHeight() {
    return subset::CurrentDesktop().height;
}

bool SaveDesktop(const std::string& path) {
    std::string error;
    const subset::DesktopInfo& desktop = subset::CurrentDesktop();
    bool saved = subset::WritePng(path, subset::ScreenPixels().data(), desktop.width, desktop.width,
                                  desktop.height, desktop.rgb555, &error);
    if (!saved) {
        std::fprintf(stderr, "SaveDesktop: %s\n", error.c_str());
    }
    return saved;
}

} // namespace headless
