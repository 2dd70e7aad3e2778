#include "engine/platform/subset/seam/settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace subset {
namespace {

const char* Given(SettingLookup lookup, const char* name) {
    const char* value = lookup(name);
    return value && *value ? value : nullptr;
}

// A whole number from `low` to `high`, or `fallback` (with a complaint) when it is
// something else.
int Number(SettingLookup lookup, const char* name, int low, int high, int fallback,
           const char* range) {
    const char* text = Given(lookup, name);
    if (!text) {
        return fallback;
    }
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (*end || value < low || value > high) {
        std::fprintf(stderr, "%s: '%s' is not a whole number %s; ignored\n", name, text, range);
        return fallback;
    }
    return static_cast<int>(value);
}

bool ParseDesktop(const char* text, DesktopInfo* desktop) {
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

Settings ReadSettings() {
    return ReadSettings([](const char* name) -> const char* { return std::getenv(name); });
}

Settings ReadSettings(SettingLookup lookup) {
    Settings settings;
    if (const char* host = Given(lookup, "TOLVO_HOST")) {
        settings.host = host;
    }
    settings.display = Given(lookup, "DISPLAY") || Given(lookup, "WAYLAND_DISPLAY");
    if (const char* script = Given(lookup, "TOLVO_SCRIPT")) {
        settings.script = script;
    }
    if (const char* record = Given(lookup, "TOLVO_RECORD")) {
        settings.record = record;
    }
    settings.frames = Number(lookup, "TOLVO_FRAMES", 1, 1000000000, 0, "from 1");
    if (const char* capture = Given(lookup, "TOLVO_CAPTURE")) {
        settings.capture = capture;
        settings.captureEvery = Number(lookup, "TOLVO_CAPTURE_EVERY", 1, 1000000000, 1, "from 1");
    }
    if (const char* rate = Given(lookup, "TOLVO_FPS")) {
        // The engine's pacer takes the same numbers and ignores any other.
        char* end = nullptr;
        const double value = std::strtod(rate, &end);
        if (end == rate || *end != '\0' || !(value >= 0 && value < 100000)) {
            std::fprintf(stderr,
                         "TOLVO_FPS: '%s' is not a number from 0 to 99999; using the "
                         "display's rate\n",
                         rate);
        } else {
            settings.rateAsked = value > 0;
            settings.unpaced = value == 0;
        }
    }
    settings.scale = Number(lookup, "TOLVO_SCALE", 1, 8, 0, "from 1 to 8");
    if (const char* title = Given(lookup, "TOLVO_TITLE")) {
        settings.title = title;
    }
    const char* size = Given(lookup, "TOLVO_DESKTOP");
    if (size && !ParseDesktop(size, &settings.desktop)) {
        std::fprintf(stderr, "TOLVO_DESKTOP: '%s' is not WIDTHxHEIGHTxBPP; using 1024x768x16\n",
                     size);
    }
    if (const char* format = Given(lookup, "TOLVO_PIXEL_FORMAT")) {
        if (std::strcmp(format, "555") == 0) {
            settings.desktop.masks = RGB555;
        } else if (std::strcmp(format, "565") != 0) {
            std::fprintf(stderr, "TOLVO_PIXEL_FORMAT: '%s' is not 565 or 555; using 565\n", format);
        }
    }
    if (const char* audio = Given(lookup, "TOLVO_AUDIO_CAPTURE")) {
        settings.audioCapture = audio;
    }
    return settings;
}

} // namespace subset
