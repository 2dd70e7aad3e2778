// The mixer at the game's busiest moment: the tune and three effects (16-bit mono at
// 22050 Hz, resampled, each at its own volume) mixed into one 60 Hz frame of 44100 Hz
// stereo, against the frame it has to fit in and against SDL2's SDL_MixAudioFormat
// summing four streams already at the output's rate and layout.
#include "tools/bench/cases.h"

#include "engine/platform/subset/mixer.h"

#include <SDL.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

const int FRAME = 735; // sample frames of a 60 Hz frame at 44100 Hz
const int VOICES = 4;

std::vector<uint8_t> Noise(size_t bytes, uint32_t seed) {
    std::vector<uint8_t> out(bytes);
    for (uint8_t& b : out) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<uint8_t>(seed >> 16);
    }
    return out;
}

} // namespace

bool SoundCases(const BenchOptions& options, std::vector<Goal>& goals) {
    // Two seconds of each sound: the voices never reach their ends while timed.
    std::vector<std::vector<uint8_t>> sounds;
    std::vector<subset::Voice> voices(VOICES);
    for (int v = 0; v < VOICES; v++) {
        sounds.push_back(Noise(22050 * 2 * 2, 7u + v));
        voices[v].bytes = sounds[v].data();
        voices[v].frames = 22050 * 2;
        voices[v].channels = 1;
        voices[v].bitsPerSample = 16;
        voices[v].rate = 22050;
        voices[v].gain = subset::GainOfVolume(-300 * v);
        voices[v].playing = true;
        voices[v].looping = true;
    }
    std::vector<int32_t> sum(FRAME * 2);
    std::vector<int16_t> out(FRAME * 2);
    auto mix = [&] {
        std::memset(sum.data(), 0, sum.size() * sizeof(int32_t));
        for (subset::Voice& voice : voices) {
            subset::MixVoice(voice, sum.data(), FRAME, 44100);
        }
        subset::Saturate(sum.data(), out.data(), FRAME * 2);
    };

    // The peer: four streams already stereo at 44100 Hz, summed with clipping by SDL.
    std::vector<std::vector<uint8_t>> streams;
    for (int v = 0; v < VOICES; v++) {
        streams.push_back(Noise(FRAME * 4, 11u + v));
    }
    std::vector<uint8_t> sdlOut(FRAME * 4);
    auto sdlMix = [&] {
        std::memset(sdlOut.data(), 0, sdlOut.size());
        for (int v = 0; v < VOICES; v++) {
            SDL_MixAudioFormat(sdlOut.data(), streams[v].data(), AUDIO_S16LSB, FRAME * 4,
                               SDL_MIX_MAXVOLUME - 16 * v);
        }
    };

    RegisterOperation("mixer: tune and three effects, one 60 Hz frame", mix);
    RegisterOperation("SDL_MixAudioFormat: four streams, one 60 Hz frame", sdlMix);
    const std::vector<double> t = Interleaved({mix, sdlMix}, options.rounds);
    const double frameBudget = 1e9 / 60;
    goals.push_back(MakeGoal("Mixer frame <= 1% of a 60 Hz frame", "mix 4 voices, 735 frames",
                             t[0] / 1e3, "1% of 16.7 ms", frameBudget / 100 / 1e3, "us", 1.0, true,
                             "the mixer takes " +
                                 std::to_string(100 * t[0] / frameBudget).substr(0, 5) +
                                 "% of the frame"));
    goals.push_back(MakeGoal("Mixer frame <= 4x SDL_MixAudioFormat", "mix 4 voices, 735 frames",
                             t[0] / 1e3, "SDL_MixAudioFormat x4, no resampling", t[1] / 1e3, "us",
                             4.0, true,
                             "the mixer also resamples 22050 Hz mono with interpolation"));
    return true;
}
