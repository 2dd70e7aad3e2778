// The SDL host's sound: an SDL audio device fed from the main thread with SDL_QueueAudio.
// SDL's audio thread only ever reads the queue; the subset mixes a frame at a time and
// this tops the queue up to a short target, which bounds how late a sound starts.
//
// A device that goes away (headphones unplugged: SDL_AUDIODEVICEREMOVED for it) is closed
// with one line on standard error, the only log a host reaches, and the game plays on
// silently: the subset mixes as before and the samples are dropped, so nothing of the
// game depends on the device. The next playback device that comes (SDL_AUDIODEVICEADDED)
// brings the default device back in the same format, and sound goes on. A change of the
// default device needs nothing here: a device opened as the default follows it (SDL2
// has no event for it).
#include "engine/platform/hosts/sdl/sdl_host.h"

#include "engine/platform/diagnostics.h"

#include <cstdio>

namespace sdl {
namespace {

// The device's own buffer: 512 frames, 11.6 ms at 44100 Hz.
const int DEVICE_FRAMES = 512;
// The queue after each frame's top-up: about two 60 Hz frames, so one late frame does not
// run it dry. A sound mixed now waits for what is queued (up to this) and the device's
// buffer: under 50 ms from the frame that started it.
const int TARGET_MILLISECONDS = 34;

} // namespace

bool SdlHost::OpenAudio(int samplesPerSecond, int channels) {
    SystemAllocations system;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "sdl: no sound: %s\n", SDL_GetError());
        return false;
    }
    audioRate = samplesPerSecond;
    audioChannels = channels;
    if (!OpenAudioDevice()) {
        std::fprintf(stderr, "sdl: no sound device: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    audioFrameBytes = channels * 2;
    audioTarget = samplesPerSecond * TARGET_MILLISECONDS / 1000;
    audioLost = false;
    return true;
}

bool SdlHost::OpenAudioDevice() {
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = audioRate;
    want.format = AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(audioChannels);
    want.samples = DEVICE_FRAMES;
    SDL_AudioSpec have;
    // No changes allowed: SDL converts to whatever the device really takes.
    audioDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (audioDevice != 0) {
        SDL_PauseAudioDevice(audioDevice, 0);
    }
    return audioDevice != 0;
}

int SdlHost::AudioFramesWanted() {
    if (audioLost) {
        // What a device would have taken since, up to a full queue's worth after a pause.
        const double now = Milliseconds();
        const int frames = static_cast<int>((now - audioClock) * audioRate / 1000.0);
        if (frames >= audioTarget) {
            audioClock = now;
            return audioTarget;
        }
        audioClock += frames * 1000.0 / audioRate;
        return frames;
    }
    if (audioDevice == 0) {
        return 0;
    }
    const int queued = static_cast<int>(SDL_GetQueuedAudioSize(audioDevice)) / audioFrameBytes;
    return queued < audioTarget ? audioTarget - queued : 0;
}

void SdlHost::QueueAudio(const int16_t* samples, int frames) {
    // Nothing while the device is away: those samples are dropped.
    if (audioDevice != 0 && frames > 0) {
        SDL_QueueAudio(audioDevice, samples, static_cast<Uint32>(frames * audioFrameBytes));
    }
}

void SdlHost::HandleAudioDevice(const SDL_AudioDeviceEvent& event) {
    if (event.iscapture) {
        return; // microphones are not ours
    }
    if (event.type == SDL_AUDIODEVICEREMOVED && audioDevice != 0 && event.which == audioDevice) {
        WriteDiagnostic("SDL: The sound device went away; the game plays on without sound "
                        "until one comes back.\n");
        SDL_CloseAudioDevice(audioDevice);
        audioDevice = 0;
        audioLost = true;
        audioClock = Milliseconds();
    } else if (event.type == SDL_AUDIODEVICEADDED && audioLost && OpenAudioDevice()) {
        audioLost = false; // no line: sound coming back says so itself
    }
}

void SdlHost::CloseAudio() {
    SystemAllocations system;
    if (audioDevice != 0) {
        SDL_CloseAudioDevice(audioDevice);
    }
    if (audioDevice != 0 || audioLost) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    audioDevice = 0;
    audioLost = false;
}

} // namespace sdl
