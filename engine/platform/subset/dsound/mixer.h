// The mixer: playing sound buffers summed into one 16-bit stereo stream. Pure: it knows
// nothing of DirectSound objects or hosts, only sample bytes, their layout, a position,
// a gain and whether to loop. Every buffer is resampled from its own rate (linear
// interpolation), scaled by its gain, summed in 32 bits and saturated once at the end,
// so the order of the voices never matters and loud moments clip instead of wrapping.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_DSOUND_MIXER_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_DSOUND_MIXER_H

#include <cstdint>

namespace subset {

constexpr int MIX_CHANNELS = 2;      // the stream is always stereo, left sample first
constexpr int32_t MIX_UNITY = 65536; // a gain that leaves a sample as it is

// One buffer as the mixer sees it: PCM frames of 8-bit unsigned or 16-bit signed
// little-endian samples, mono or stereo, at any rate.
struct Voice {
    const uint8_t* bytes = nullptr;
    uint32_t frames = 0;      // whole sample frames in bytes
    int channels = 1;         // 1 or 2
    int bitsPerSample = 16;   // 8 or 16
    uint32_t rate = 22050;    // frames per second
    int32_t gain = MIX_UNITY; // see GainOfVolume
    bool playing = false;
    bool looping = false;
    // Frame index in the upper 32 bits, the fraction between it and the next below.
    uint64_t position = 0;
};

// The gain of a DirectSound volume in hundredths of a decibel: MIX_UNITY at 0 (and above),
// halved about every -602, exactly 0 at -10000 (DSBVOLUME_MIN) and below.
int32_t GainOfVolume(int32_t hundredthsOfDb);

// Adds `frames` stereo frames of the voice at `outputRate` to `sum` (left, right, left, ...)
// and moves its position on. A voice that is not playing adds nothing. At its end a
// looping voice starts again from frame 0; any other stops with its position at 0.
void MixVoice(Voice& voice, int32_t* sum, int frames, uint32_t outputRate);

// The sums as 16-bit samples, each clamped to -32768..32767.
void Saturate(const int32_t* sum, int16_t* out, int samples);

} // namespace subset

#endif
