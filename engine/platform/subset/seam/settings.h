// The settings people and tools give a program on the subset, read once into one record:
// from the TOLVO_* environment variables, or from anything that answers by the same names
// (the browser's page address).
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_SEAM_SETTINGS_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_SEAM_SETTINGS_H

#include "engine/platform/subset/seam/host.h"

#include <string>

namespace subset {

struct Settings {
    std::string host;         // TOLVO_HOST; empty: the best one for this machine
    bool display = false;     // DISPLAY or WAYLAND_DISPLAY: a desktop to open windows on
    std::string script;       // TOLVO_SCRIPT
    std::string record;       // TOLVO_RECORD
    int frames = 0;           // TOLVO_FRAMES; 0: no limit
    std::string capture;      // TOLVO_CAPTURE
    int captureEvery = 1;     // TOLVO_CAPTURE_EVERY
    bool rateAsked = false;   // TOLVO_FPS is a rate above 0: even a virtual host keeps time
    bool unpaced = false;     // TOLVO_FPS is 0: frames as fast as they come, nothing waits
    int scale = 0;            // TOLVO_SCALE, 1 to 8; 0: the host chooses
    std::string title;        // TOLVO_TITLE: the title of an untitled window
    DesktopInfo desktop;      // TOLVO_DESKTOP and TOLVO_PIXEL_FORMAT (the headless desktop)
    std::string audioCapture; // TOLVO_AUDIO_CAPTURE
};

// The value of a setting by its name, NULL when it is not given (std::getenv).
typedef const char* (*SettingLookup)(const char* name);

// Every setting; a value that is not understood is reported on standard error and its
// default kept.
Settings ReadSettings(SettingLookup lookup);
// The same from the environment.
Settings ReadSettings();

} // namespace subset

#endif
