#include "engine/platform/hosts/headless/headless.h"

#include <chrono>
#include <thread>

namespace headless {
namespace {

class HeadlessHost : public subset::Host {
  public:
    subset::DesktopInfo desktop;
    bool realTime = false;
    std::vector<MessageBoxRecord> boxes;

    const char* Name() const override { return "headless"; }
    subset::DesktopInfo Desktop() const override { return desktop; }
    void WindowShown(const subset::WindowInfo&) override {}
    void WindowHidden(HWND) override {}
    bool DisplayMode(bool, int, int) override { return true; }
    void PollEvents() override {}
    void Present(const subset::Frame&) override {}

    void ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                        UINT type) override {
        boxes.push_back(MessageBoxRecord{owner, text, caption, type});
    }

    // Tests and recordings run as fast as the machine allows unless a rate was asked for.
    void Sleep(DWORD milliseconds) override {
        if (realTime) {
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        }
    }
};

HeadlessHost& Host() {
    static HeadlessHost host;
    return host;
}

void Use(const subset::DesktopInfo& desktop, bool realTime) {
    HeadlessHost& host = Host();
    host.desktop = desktop;
    host.realTime = realTime;
    host.boxes.clear();
    subset::UseHost(&host);
}

} // namespace

bool Start(const subset::Settings& settings, std::string*) {
    Use(settings.desktop, settings.rateAsked);
    return true;
}

void Start(const subset::DesktopInfo& desktop) {
    Use(desktop, false);
}

void Stop() {
    subset::UseHost(nullptr);
}

const std::vector<MessageBoxRecord>& MessageBoxes() {
    return Host().boxes;
}

} // namespace headless
