// UseHost: the one place that knows every module of the subset, so that a new host starts
// with nothing of the one before.
#include "engine/platform/subset/calls.h"
#include "engine/platform/subset/desktop.h"
#include "engine/platform/subset/device_context.h"
#include "engine/platform/subset/feed.h"
#include "engine/platform/subset/gamepad.h"
#include "engine/platform/subset/host.h"
#include "engine/platform/subset/screen.h"
#include "engine/platform/subset/sound_stream.h"
#include "engine/platform/subset/surface.h"
#include "engine/platform/subset/window_manager.h"

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
