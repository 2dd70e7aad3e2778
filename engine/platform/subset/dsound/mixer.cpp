#include "engine/platform/subset/dsound/mixer.h"

#include <cmath>
#include <cstddef>

namespace subset {
namespace {

template <int CHANNELS, int BITS>
int32_t SampleAt(const uint8_t* bytes, uint32_t frame, int channel) {
    const size_t index = static_cast<size_t>(frame) * CHANNELS + static_cast<size_t>(channel);
    if (BITS == 8) {
        return (static_cast<int32_t>(bytes[index]) - 128) * 256;
    }
    const uint8_t* sample = bytes + index * 2;
    return static_cast<int16_t>(static_cast<uint16_t>(sample[0] | (sample[1] << 8)));
}

// Linear interpolation between frame `index` and `next`, `fraction` in 1/65536ths.
template <int CHANNELS, int BITS>
int64_t Interpolate(const uint8_t* bytes, uint32_t index, uint32_t next, int64_t fraction,
                    int channel) {
    const int64_t a = SampleAt<CHANNELS, BITS>(bytes, index, channel);
    const int64_t b = SampleAt<CHANNELS, BITS>(bytes, next, channel);
    return a + (((b - a) * fraction) >> 16);
}

// Puts a position that has run past the end back in the buffer: from the start again
// when looping, else the voice stops at 0. False when it stopped.
bool Wrap(Voice& voice, uint64_t& position) {
    const uint64_t end = static_cast<uint64_t>(voice.frames) << 32;
    if (position < end) {
        return true;
    }
    if (voice.looping) {
        position %= end;
        return true;
    }
    voice.playing = false;
    position = 0;
    return false;
}

// One loop per layout, chosen once per call.
template <int CHANNELS, int BITS>
void MixLayout(Voice& voice, int32_t* sum, int frames, uint64_t step) {
    const int64_t gain = voice.gain;
    uint64_t position = voice.position;
    for (int i = 0; i < frames; i++) {
        if (!Wrap(voice, position)) {
            break;
        }
        const uint32_t index = static_cast<uint32_t>(position >> 32);
        uint32_t next = index + 1;
        if (next == voice.frames) {
            // The last frame leads into the first when looping, else it is held.
            next = voice.looping ? 0 : index;
        }
        const int64_t fraction = static_cast<int64_t>((position >> 16) & 0xffff);
        int32_t* out = sum + static_cast<ptrdiff_t>(i) * MIX_CHANNELS;
        if (CHANNELS == 1) {
            const int32_t s = static_cast<int32_t>(
                (Interpolate<CHANNELS, BITS>(voice.bytes, index, next, fraction, 0) * gain) >> 16);
            out[0] += s;
            out[1] += s;
        } else {
            for (int c = 0; c < MIX_CHANNELS; c++) {
                out[c] += static_cast<int32_t>(
                    (Interpolate<CHANNELS, BITS>(voice.bytes, index, next, fraction, c) * gain) >>
                    16);
            }
        }
        position += step;
    }
    // A voice that ends exactly with this block says so now, not on the next one.
    if (voice.playing) {
        Wrap(voice, position);
    }
    voice.position = position;
}

} // namespace

int32_t GainOfVolume(int32_t hundredthsOfDb) {
    if (hundredthsOfDb >= 0) {
        return MIX_UNITY;
    }
    if (hundredthsOfDb <= -10000) {
        return 0;
    }
    // Rounded to the nearest 1/65536: the same integer on every machine for every volume.
    return static_cast<int32_t>(std::lround(std::pow(10.0, hundredthsOfDb / 2000.0) * MIX_UNITY));
}

void MixVoice(Voice& voice, int32_t* sum, int frames, uint32_t outputRate) {
    if (!voice.playing || voice.frames == 0 || !voice.bytes || frames <= 0 || outputRate == 0) {
        return;
    }
    // Source frames per output frame, 32.32 fixed point: 0.5 for 22050 Hz into 44100.
    const uint64_t step = (static_cast<uint64_t>(voice.rate) << 32) / outputRate;
    const bool stereo = voice.channels == 2;
    const bool wide = voice.bitsPerSample == 16;
    if (stereo && wide) {
        MixLayout<2, 16>(voice, sum, frames, step);
    } else if (stereo) {
        MixLayout<2, 8>(voice, sum, frames, step);
    } else if (wide) {
        MixLayout<1, 16>(voice, sum, frames, step);
    } else {
        MixLayout<1, 8>(voice, sum, frames, step);
    }
}

void Saturate(const int32_t* sum, int16_t* out, int samples) {
    for (int i = 0; i < samples; i++) {
        const int32_t s = sum[i];
        out[i] = static_cast<int16_t>(s > 32767 ? 32767 : s < -32768 ? -32768 : s);
    }
}

} // namespace subset
