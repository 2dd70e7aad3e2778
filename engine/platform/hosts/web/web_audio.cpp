// The web host's sound: the subset's finished mix goes to Web Audio (web_audio.js), which
// plays it from a ring on the browser's audio thread. The browser decides when a page may
// make sound (after the player's first click or key press) and the ring's level; nothing
// here ever waits for either.
#include "engine/platform/hosts/web/web_host.h"
#include "engine/platform/hosts/web/web_bridge.h"

namespace web {

bool WebHost::OpenAudio(int samplesPerSecond, int channels) {
    audioOpen = tolvo_web_audio_open(samplesPerSecond, channels) != 0;
    return audioOpen;
}

int WebHost::AudioFramesWanted() {
    return audioOpen ? tolvo_web_audio_wanted() : 0;
}

void WebHost::QueueAudio(const int16_t* samples, int frames) {
    if (audioOpen && samples && frames > 0) {
        tolvo_web_audio_queue(samples, frames);
    }
}

void WebHost::CloseAudio() {
    if (audioOpen) {
        tolvo_web_audio_close();
        audioOpen = false;
    }
}

} // namespace web
