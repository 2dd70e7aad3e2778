#include "engine/platform/subset/host.h"

#include "engine/platform/subset/calls.h"
#include "engine/platform/subset/display.h"
#include "engine/platform/subset/gdi32.h"
#include "engine/platform/subset/session.h"
#include "engine/platform/subset/surface.h"
#include "engine/platform/subset/user32.h"

namespace subset {
namespace {

// Until a host is chosen: a default desktop that shows nothing and has no user.
class NullHost : public Host {
  public:
    const char* Name() const override { return "none"; }
    DesktopInfo Desktop() const override { return DesktopInfo(); }
    void WindowShown(const WindowInfo&) override {}
    void WindowHidden(HWND) override {}
    bool DisplayMode(bool, int, int) override { return true; }
    void PollEvents() override {}
    void Present(const uint16_t*, int, int, const RECT&, const WindowInfo&) override {}
    void ShowMessageBox(HWND, const std::string&, const std::string&, UINT) override {}
};

NullHost nullHost;
Host* current = nullptr;

} // namespace

void UseHost(Host* host) {
    current = host ? host : &nullHost;
    ResetCalls();
    ResetWindows();
    OrphanAllSurfaces();
    ResetDeviceContexts();
    ResetSession();
    ResetDisplay(current->Desktop());
}

Host& CurrentHost() {
    if (!current) {
        UseHost(nullptr);
    }
    return *current;
}

} // namespace subset
