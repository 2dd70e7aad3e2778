// The mixer at the game's busiest moment: the tune and three effects (16-bit mono at
// 22050 Hz, resampled, each at its own volume) mixed into one 60 Hz frame of 44100 Hz
// stereo, against the frame it has to fit in and against SDL2's SDL_MixAudioFormat
// summing four streams already at the output's rate and layout.
#include "tools/bench/cases.h"

#include "engine/platform/subset/dsound/mixer.h"

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
    // Kept for the program's life: Google Benchmark runs the operations after this returns.
    struct Mixing {
        std::vector<std::vector<uint8_t>> sounds, streams;
        std::vector<subset::Voice> voices = std::vector<subset::Voice>(VOICES);
        std::vector<int32_t> sum = std::vector<int32_t>(FRAME * 2);
        std::vector<int16_t> out = std::vector<int16_t>(FRAME * 2);
        std::vector<uint8_t> sdlOut = std::vector<uint8_t>(FRAME * 4);
    };
    static Mixing m;
    // Two seconds of each sound: the voices never reach their ends while timed.
    for (int v = 0; v < VOICES; v++) {
        m.sounds.push_back(Noise(22050 * 2 * 2, 7u + v));
        subset::Voice& voice = m.voices[v];
        voice.bytes = m.sounds[v].data();
        voice.frames = 22050 * 2;
        voice.channels = 1;
        voice.bitsPerSample = 16;
        voice.rate = 22050;
        voice.gain = subset::GainOfVolume(-300 * v);
        voice.playing = true;
        voice.looping = true;
    }
    auto mix = [] {
        std::memset(m.sum.data(), 0, m.sum.size() * sizeof(int32_t));
        for (subset::Voice& voice : m.voices) {
            subset::MixVoice(voice, m.sum.data(), FRAME, 44100);
        }
        subset::Saturate(m.sum.data(), m.out.data(), FRAME * 2);
    };

    // The peer: four streams already stereo at 44100 Hz, summed with clipping by SDL.
    for (int v = 0; v < VOICES; v++) {
        m.streams.push_back(Noise(FRAME * 4, 11u + v));
    }
    auto sdlMix = [] {
        std::memset(m.sdlOut.data(), 0, m.sdlOut.size());
        for (int v = 0; v < VOICES; v++) {
            SDL_MixAudioFormat(m.sdlOut.data(), m.streams[v].data(), AUDIO_S16LSB, FRAME * 4,
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
    goals.push_back(MakeGoal("Mixer frame <= 2x SDL_MixAudioFormat", "mix 4 voices, 735 frames",
                             t[0] / 1e3, "SDL_MixAudioFormat x4, no resampling", t[1] / 1e3, "us",
                             2.0, true,
                             "the mixer also resamples 22050 Hz mono with interpolation"));
    return true;
}
