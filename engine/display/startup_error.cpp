#include "engine/display/startup_error.h"

namespace {

const char HINT_WINDOWS[] =
    "Are you using Windows 98/2000/NT? Tolvo requires one of these. Still having trouble? Please "
    "report error and system configuration.";
const char HINT_DIRECTX[] =
    "Are you using DirectX SDK 3.1 or 8.1? Tolvo requires one of these. Still having trouble? "
    "Please report error and system configuration.";
// Even statuses record a step that succeeded; the box shows one only when a game's
// initialize returned in the middle of start-up.
const char HINT_INCOMPLETE[] =
    "Start-up stopped before the display was ready. Call Tolvo.Initialize (fullscreen, xres, "
    "yres) once from the initialize() function and do not return from it early. Still having "
    "trouble? Please report error and system configuration.";

const StartupError TABLE[] = {
    /* 0 */ {
        "Error: NO_INIT (User did not initialize Tolvo)",
        "You must start Tolvo by calling:\n  Tolvo.Initialize (fullscreen, xres, yres)\n\nfrom "
        "the initialize() function. See documentation for starting Tolvo."},
    /* 1 */ {"Error: INITCLASS_FAILED (Cannot Initialize Window Class)", HINT_WINDOWS},
    /* 2 */
    {"Error: INITCLASS_OK (Start-up stopped after registering the window class)", HINT_INCOMPLETE},
    /* 3 */ {"Error: INITWINTEMP_FAILED (Cannot Initialize Temp Window)", HINT_WINDOWS},
    /* 4 */
    {"Error: INITWINTEMP_OK (Start-up stopped after creating the temp window)", HINT_INCOMPLETE},
    /* 5 */ {"Error: INITWINREAL_FAILED (Cannot Initialize Main Window)", HINT_WINDOWS},
    /* 6 */
    {"Error: INITWINREAL_OK (Start-up stopped after creating the main window)", HINT_INCOMPLETE},
    /* 7 */ {"Error: SHOWWIN_FAILED (Unable to show Main Window)", HINT_WINDOWS},
    /* 8 */ {"Error: SHOWWIN_OK (Start-up stopped after showing the main window)", HINT_INCOMPLETE},
    /* 9 */ {"Error: DDSTART_FAILED (Unable to start DirectX)", HINT_DIRECTX},
    /* 10 */ {"Error: DDSTART_OK (Start-up stopped after starting DirectX)", HINT_INCOMPLETE},
    /* 11 */ {"Error: DDSETLEVEL_FAILED (Unable to set DirectX Cooperative Level)", HINT_DIRECTX},
    /* 12 */
    {"Error: DDSETLEVEL_OK (Start-up stopped after setting the cooperative level)",
     HINT_INCOMPLETE},
    /* 13 */ {"Error: SETMODE_FAILED (Unable to set screen mode)", HINT_DIRECTX},
    /* 14 */
    {"Error: SETMODE_OK (Start-up stopped after setting the screen mode)", HINT_INCOMPLETE},
    /* 15 */ {"Error: FRONTSURFACE_FAILED (Unable to create primary surface)", HINT_DIRECTX},
    /* 16 */
    {"Error: FRONTSURFACE_OK (Start-up stopped after creating the primary surface)",
     HINT_INCOMPLETE},
    /* 17 */ {"Error: BACKSURFACE_FAILED (Unable to create secondary surface)", HINT_DIRECTX},
    /* 18 */
    {"Error: BACKSURFACE_OK (Start-up stopped after creating the secondary surface)",
     HINT_INCOMPLETE},
    /* 19 */
    {"Error: READY (Tolvo started, but was reported as not started)",
     "Still having trouble? Please report error and system configuration."},
    /* 20 */
    {"Error: LOCK_FAILED (Unable to lock the secondary surface for drawing)",
     "Another program may be using the display, or the screen mode was changed while "
     "Tolvo was running. Close other full-screen programs and try again. Still having "
     "trouble? Please report error and system configuration."},
    /* 21 */
    {"Error: REQSIZE_FAILED (Requested size too large)",
     "The requested game size must be smaller than the current screen settings. Reduce "
     "requested size to less than the screen size or use fullscreen mode.\n\nIf you are "
     "unsure of screen size initialize Tolvo as follows:\n\nTolvo.Initialize (false, "
     "700, 500);"},
    /* 22 */
    {"Error: BPP_FAILED (Screen depth not supported)",
     "Tolvo supports 16-bit screen depths ONLY!\n\nPlease adjust your screen depth to "
     "16-bit as follows:\n- Right click on desktop\n- Select Properties\n- Goto Settings "
     "Tab\n- Select High Color (16-bit)"},
};

const StartupError UNKNOWN = {"Error: UNKNOWN (Unknown start-up status)",
                              "Still having trouble? Please report error and system "
                              "configuration."};

} // namespace

StartupError StartupErrorFor(int32_t status) {
    if (status < 0 || status >= int32_t(sizeof(TABLE) / sizeof(TABLE[0])))
        return UNKNOWN;
    return TABLE[status];
}
