// main() for programs on the subset: picks the host, applies the environment's settings
// and calls the engine's WinMain as Windows would.
#include "engine/platform/platform.h"

#include "engine/platform/hosts/headless/headless.h"
#include "engine/platform/hosts/sdl/sdl.h"
#include "engine/platform/subset/display.h"
#include "engine/platform/subset/session.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// A whole number from `low`, or `fallback` (with a complaint) when it is something else.
int Number(const char* name, int low, int fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) {
        return fallback;
    }
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (*end || value < low || value > 1000000000) {
        std::fprintf(stderr, "%s: '%s' is not a whole number from %d; ignored\n", name, text, low);
        return fallback;
    }
    return static_cast<int>(value);
}

// Picks the host: SDL where a display is available (or asked for), else headless.
// Returns 0, or the exit status when the asked-for host cannot start.
int ChooseHost(bool* sdlStarted) {
    std::string chosen = Set("TOLVO_HOST") ? std::getenv("TOLVO_HOST") : "";
    *sdlStarted = false;
    if (!chosen.empty() && chosen != "sdl" && chosen != "headless") {
        std::fprintf(stderr, "TOLVO_HOST: unknown host '%s' (sdl or headless)\n", chosen.c_str());
        return 2;
    }
    bool display = Set("DISPLAY") || Set("WAYLAND_DISPLAY");
    if (chosen == "sdl" || (chosen.empty() && display)) {
        std::string error;
        if (sdl::Start(&error)) {
            *sdlStarted = true;
            return 0;
        }
        if (chosen == "sdl") {
            std::fprintf(stderr, "TOLVO_HOST=sdl: no display: %s\n", error.c_str());
            return 1;
        }
    }
    headless::Reset(headless::DesktopFromEnvironment()); // unpaced unless TOLVO_FPS says
    return 0;
}

void ApplyEnvironment() {
    if (Set("TOLVO_SCRIPT")) {
        subset::PlayScript(std::getenv("TOLVO_SCRIPT"));
    }
    int frames = Number("TOLVO_FRAMES", 1, 0);
    if (frames > 0) {
        subset::StopAfterFrames(frames);
    }
    if (Set("TOLVO_RECORD")) {
        subset::RecordInput(std::getenv("TOLVO_RECORD"));
    }
    if (Set("TOLVO_CAPTURE")) {
        subset::CaptureFrames(std::getenv("TOLVO_CAPTURE"), Number("TOLVO_CAPTURE_EVERY", 1, 1));
    }
}

} // namespace

int main(int argc, char** argv) {
    bool sdlStarted = false;
    int failed = ChooseHost(&sdlStarted);
    if (failed) {
        return failed;
    }
    ApplyEnvironment();
    std::string commandLine;
    for (int i = 1; i < argc; i++) {
        commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    static char module;
    int result =
        WinMain(reinterpret_cast<HINSTANCE>(&module), nullptr, &commandLine[0], SW_SHOWNORMAL);
    if (sdlStarted) {
        sdl::Stop();
    }
    return result;
}
