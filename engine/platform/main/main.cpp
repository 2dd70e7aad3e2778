// main() for programs on the subset: reads the settings, starts a host from those this
// program was built with, applies the settings and calls the engine's WinMain as
// Windows would.
#include "engine/platform/platform.h"

#include "engine/platform/requested_files.h"
#include "engine/platform/subset/test_controls/test_controls.h"
#include "engine/platform/subset/seam/settings.h"

#if TOLVO_HOST_SDL
#include "engine/platform/hosts/sdl/sdl.h"
#endif
#if TOLVO_HOST_WEB
#include "engine/platform/hosts/web/web.h"
#endif
#include "engine/platform/hosts/headless/headless.h"

#include <cstdio>
#include <cstdlib>
#include <string>

// The program's own title for its untitled window (tolvo_program's TITLE).
extern const char* const TOLVO_PROGRAM_TITLE;

namespace {

struct HostChoice {
    const char* name;
    bool (*start)(const subset::Settings& settings, std::string* error);
    void (*stop)();
    bool wantsDisplay; // chosen by default only where there is a desktop to show it on
};

// In order of preference; headless is always there.
const HostChoice HOSTS[] = {
#if TOLVO_HOST_WEB
    {"web", web::Start, web::Stop, false},
#endif
#if TOLVO_HOST_SDL
    {"sdl", sdl::Start, sdl::Stop, true},
#endif
    {"headless", headless::Start, headless::Stop, false},
};

std::string HostNames() {
    std::string names;
    for (const HostChoice& host : HOSTS) {
        names += (names.empty() ? "" : " or ") + std::string(host.name);
    }
    return names;
}

// The asked-for host, or the first that suits this machine. Null, with the exit status,
// when the asked-for host is unknown or cannot start.
const HostChoice* StartHost(const subset::Settings& settings, int* status) {
    const HostChoice* asked = nullptr;
    if (!settings.host.empty()) {
        for (const HostChoice& host : HOSTS) {
            if (settings.host == host.name) {
                asked = &host;
            }
        }
        if (!asked) {
            std::fprintf(stderr, "TOLVO_HOST: unknown host '%s' (%s)\n", settings.host.c_str(),
                         HostNames().c_str());
            *status = 2;
            return nullptr;
        }
    }
    for (const HostChoice& host : HOSTS) {
        if (asked ? &host != asked : host.wantsDisplay && !settings.display) {
            continue;
        }
        std::string error;
        if (host.start(settings, &error)) {
            return &host;
        }
        if (asked) {
            std::fprintf(stderr, "TOLVO_HOST=%s: cannot start: %s\n", host.name, error.c_str());
            *status = 1;
            return nullptr;
        }
    }
    *status = 1; // headless always starts
    return nullptr;
}

// The settings' script, frame limit, recording and capture; each that cannot be used is
// reported on standard error and the program runs without it.
void ApplySettings(const subset::Settings& settings) {
    if (!settings.script.empty()) {
        subset::PlayScript(settings.script);
    }
    if (settings.frames > 0) {
        subset::StopAfterFrames(settings.frames);
    }
    if (!settings.record.empty()) {
        subset::RecordInput(settings.record);
    }
    if (!settings.capture.empty()) {
#if TOLVO_CAPTURE
        subset::CaptureFrames(settings.capture, settings.captureEvery);
#else
        std::fprintf(stderr, "TOLVO_CAPTURE: this program is built without frame capture\n");
#endif
    }
}

} // namespace

int main(int argc, char** argv) {
    subset::Settings settings = subset::ReadSettings();
    if (settings.title.empty()) {
        settings.title = TOLVO_PROGRAM_TITLE;
    }
    int status = 0;
    const HostChoice* host = StartHost(settings, &status);
    if (!host) {
        return status;
    }
    ApplySettings(settings);
    std::string commandLine;
    for (int i = 1; i < argc; i++) {
        commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    static char module;
    int result =
        WinMain(reinterpret_cast<HINSTANCE>(&module), nullptr, &commandLine[0], SW_SHOWNORMAL);
    host->stop(); // closes the recording and the captures: their last words count too
    result = ExitCodeAfterWrites(result);
#if TOLVO_HOST_WEB
    // In a browser this main() returned to the page at its first sleep (Asyncify), so the
    // page learns the status only from exit(), which also flushes and closes every file.
    std::exit(result);
#endif
    return result;
}
