// The headless host: a virtual 16-bit desktop in memory that shows nothing and has no
// user. Its input comes from scripts and tests (controls.h), its message boxes go to a
// list, its sound device is virtual (written to a WAV file on request), and its time is
// virtual unless a frame rate is asked for.
#ifndef TOLVO_ENGINE_PLATFORM_HOSTS_HEADLESS_HEADLESS_H
#define TOLVO_ENGINE_PLATFORM_HOSTS_HEADLESS_HEADLESS_H

#include "engine/platform/subset/seam/host.h"
#include "engine/platform/subset/seam/settings.h"

#include <string>
#include <vector>

namespace headless {

// main(): the desktop of TOLVO_DESKTOP and TOLVO_PIXEL_FORMAT; real time when TOLVO_FPS
// asks for a rate; the sound written to TOLVO_AUDIO_CAPTURE. Never fails.
bool Start(const subset::Settings& settings, std::string* error);
// Tests: forgets every window, message, surface, failure, box and frame, and makes the
// headless host current with this desktop, in virtual time. Tests call it first.
void Start(const subset::DesktopInfo& desktop = subset::DesktopInfo());
// main(), after WinMain returns.
void Stop();

// Every message box shown, in order; each was also written to standard error as
// "[message box] TITLE: TEXT" and dismissed at once with IDOK.
struct MessageBoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
const std::vector<MessageBoxRecord>& MessageBoxes();

// Tests: every sample the sound stream played since Start (stereo, left first), one frame
// of the desktop's refresh for each frame of the game's loop while a DirectSound object
// lives. main() keeps none; it writes them to TOLVO_AUDIO_CAPTURE instead.
const std::vector<int16_t>& AudioPlayed();

} // namespace headless

#endif
