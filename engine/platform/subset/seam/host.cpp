#include "engine/platform/subset/seam/host.h"

namespace subset {
namespace {

// Until a host is chosen: the default desktop, showing nothing, with no user, no time.
class NullHost : public Host {
  public:
    const char* Name() const override { return "none"; }
    DesktopInfo Desktop() const override { return DesktopInfo(); }
    void WindowShown(const WindowInfo&) override {}
    void WindowHidden(HWND) override {}
    bool DisplayMode(bool, int, int) override { return true; }
    void PollEvents() override {}
    void Present(const Frame&) override {}
    void ShowMessageBox(HWND, const std::string&, const std::string&, UINT) override {}
    void Sleep(DWORD) override {}
};

NullHost nullHost;
Host* currentHost = nullptr;

} // namespace

Host& CurrentHost() {
    return currentHost ? *currentHost : nullHost;
}

void SetCurrentHost(Host* host) {
    currentHost = host;
}

} // namespace subset
