// UseHost: the one place that knows every module of the subset, so that a new host starts
// with nothing of the one before.
#include "engine/platform/subset/test_controls/calls.h"
#include "engine/platform/subset/ddraw/desktop.h"
#include "engine/platform/subset/gdi32/device_context.h"
#include "engine/platform/subset/test_controls/feed.h"
#include "engine/platform/subset/seam/gamepad.h"
#include "engine/platform/subset/seam/host.h"
#include "engine/platform/subset/ddraw/screen.h"
#include "engine/platform/subset/dsound/sound_stream.h"
#include "engine/platform/subset/ddraw/surface.h"
#include "engine/platform/subset/user32/window_manager.h"

namespace subset {

void UseHost(Host* host) {
    ResetStream(); // closes the stream of the host that is still current
    SetCurrentHost(host);
    ResetCalls();
    ResetWindows();
    OrphanAllSurfaces();
    ResetDeviceContexts();
    ResetFeed();
    ResetGamepads();
    ResetDesktop(CurrentHost().Desktop());
    ResetScreen();
}

} // namespace subset
