// The SDL host's sound: an SDL audio device fed from the main thread with SDL_QueueAudio.
// SDL's audio thread only ever reads the queue; the subset mixes a frame at a time and
// this tops the queue up to a short target, which bounds how late a sound starts.
#include "engine/platform/hosts/sdl/sdl_host.h"

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
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = samplesPerSecond;
    want.format = AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(channels);
    want.samples = DEVICE_FRAMES;
    SDL_AudioSpec have;
    // No changes allowed: SDL converts to whatever the device really takes.
    audioDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (audioDevice == 0) {
        std::fprintf(stderr, "sdl: no sound device: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    audioFrameBytes = channels * 2;
    audioTarget = samplesPerSecond * TARGET_MILLISECONDS / 1000;
    SDL_PauseAudioDevice(audioDevice, 0);
    return true;
}

int SdlHost::AudioFramesWanted() {
    if (audioDevice == 0) {
        return 0;
    }
    const int queued = static_cast<int>(SDL_GetQueuedAudioSize(audioDevice)) / audioFrameBytes;
    return queued < audioTarget ? audioTarget - queued : 0;
}

void SdlHost::QueueAudio(const int16_t* samples, int frames) {
    if (audioDevice != 0 && frames > 0) {
        SDL_QueueAudio(audioDevice, samples, static_cast<Uint32>(frames * audioFrameBytes));
    }
}

void SdlHost::CloseAudio() {
    SystemAllocations system;
    if (audioDevice != 0) {
        SDL_CloseAudioDevice(audioDevice);
        audioDevice = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

} // namespace sdl
