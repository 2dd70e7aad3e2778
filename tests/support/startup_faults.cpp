#include "tests/support/startup_faults.h"

namespace {

const char* const HINT_W = "Are you using Windows 98/2000/NT? Tolvo requires one of these.";
const char* const HINT_D = "Are you using DirectX SDK 3.1 or 8.1? Tolvo requires one of these.";

} // namespace

const std::vector<StartupFault>& StartupFaultTable() {
    static const std::vector<StartupFault> faults = {
        {"RegisterClassA", 0, 1, 0, 0, INITCLASS_FAILED},
        {"RegisterClassA", 0, -1, 0, 0, INITCLASS_FAILED},
        // Only a 16-bit desktop will do: a depth that cannot be read is none.
        {"user32!GetDC", 0, -1, 0, 0, BPP_FAILED},
        {"GetDeviceCaps", 0, -1, 0, 0, BPP_FAILED},
        {"GetSystemMetrics", 0, -1, 0, 0, REQSIZE_FAILED},
        {"CreateWindowExA", 0, 1, 0, 0, INITWINTEMP_FAILED},
        {"CreateWindowExA", 0, 1, 1, 0, INITWINREAL_FAILED},
        {"UpdateWindow", 0, 1, 0, 0, SHOWWIN_FAILED},
        {"UpdateWindow", 0, -1, 0, 0, SHOWWIN_FAILED},
        {"DirectDrawCreate", DDERR_GENERIC, 1, 0, 0, DDSTART_FAILED},
        {"DirectDrawCreate", DDERR_GENERIC, -1, 0, 0, DDSTART_FAILED},
        {"SetCooperativeLevel", DDERR_GENERIC, 1, 0, 0, DDSETLEVEL_FAILED},
        {"SetCooperativeLevel", DDERR_GENERIC, -1, 0, 0, DDSETLEVEL_FAILED},
        {"SetCooperativeLevel", DDERR_GENERIC, 1, 0, 1, DDSETLEVEL_FAILED},
        {"SetDisplayMode", DDERR_INVALIDMODE, 1, 0, 1, SETMODE_FAILED},
        // Each surface gets one second attempt.
        {"CreateSurface", DDERR_OUTOFVIDEOMEMORY, 2, 0, 0, FRONTSURFACE_FAILED},
        {"CreateSurface", DDERR_OUTOFVIDEOMEMORY, 2, 0, 1, FRONTSURFACE_FAILED},
        {"CreateSurface", DDERR_OUTOFVIDEOMEMORY, 2, 1, 0, BACKSURFACE_FAILED},
        {"CreateSurface", DDERR_OUTOFMEMORY, -1, 1, 0, BACKSURFACE_FAILED},
        {"GetAttachedSurface", DDERR_NOTFOUND, 1, 0, 1, BACKSURFACE_FAILED},
        // Without the back buffer's description there is no geometry to draw with.
        {"GetSurfaceDesc", DDERR_GENERIC, 1, 1, 0, BACKSURFACE_FAILED},
        {"GetSurfaceDesc", DDERR_GENERIC, -1, 0, 0, BACKSURFACE_FAILED},
        // Recovered by the second attempt.
        {"CreateSurface", DDERR_OUTOFVIDEOMEMORY, 1, 0, 0, READY},
        {"CreateSurface", DDERR_OUTOFVIDEOMEMORY, 1, 1, 0, READY},
        {"CreateSurface", DDERR_OUTOFVIDEOMEMORY, 1, 2, 0, READY},
        {"CreateSurface", DDERR_OUTOFVIDEOMEMORY, 1, 0, 1, READY},
        // Results start-up does not examine; the front buffer's description only decides
        // a log line.
        {"GetSurfaceDesc", DDERR_GENERIC, 1, 0, 0, READY},
        {"GetClientRect", 0, -1, 0, 0, READY},
        {"ClientToScreen", 0, -1, 0, 0, READY},
        {"LoadCursorA", 0, -1, 0, 0, READY},
        {"GetStockObject", 0, -1, 0, 0, READY},
        {"user32!ReleaseDC", 0, -1, 0, 0, READY},
    };
    return faults;
}

std::string Describe(const StartupFault& fault) {
    return std::string(fault.call) + " failing " + std::to_string(fault.times) + " time(s) after " +
           std::to_string(fault.skip) + (fault.fullScreen ? " in full screen" : " in a window");
}

StartupErrorText StartupErrorTextFor(int32_t status) {
    switch (status) {
    case INITCLASS_FAILED:
        return {"Error: INITCLASS_FAILED (Cannot Initialize Window Class)", HINT_W};
    case BPP_FAILED:
        return {"Error: BPP_FAILED (Screen depth not supported)",
                "Tolvo supports 16-bit screen depths ONLY!"};
    case REQSIZE_FAILED:
        return {"Error: REQSIZE_FAILED (Requested size too large)",
                "The requested game size must be smaller than the current screen settings."};
    case INITWINTEMP_FAILED:
        return {"Error: INITWINTEMP_FAILED (Cannot Initialize Temp Window)", HINT_W};
    case INITWINREAL_FAILED:
        return {"Error: INITWINREAL_FAILED (Cannot Initialize Main Window)", HINT_W};
    case SHOWWIN_FAILED:
        return {"Error: SHOWWIN_FAILED (Unable to show Main Window)", HINT_W};
    case DDSTART_FAILED:
        return {"Error: DDSTART_FAILED (Unable to start DirectX)", HINT_D};
    case DDSETLEVEL_FAILED:
        return {"Error: DDSETLEVEL_FAILED (Unable to set DirectX Cooperative Level)", HINT_D};
    case SETMODE_FAILED:
        return {"Error: SETMODE_FAILED (Unable to set screen mode)", HINT_D};
    case FRONTSURFACE_FAILED:
        return {"Error: FRONTSURFACE_FAILED (Unable to create primary surface)", HINT_D};
    case BACKSURFACE_FAILED:
        return {"Error: BACKSURFACE_FAILED (Unable to create secondary surface)", HINT_D};
    default:
        return {"", ""};
    }
}
