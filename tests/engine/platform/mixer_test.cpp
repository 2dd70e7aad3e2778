// The mixer alone: sums, saturation, volume, looping, overlapping voices and resampling,
// each checked against samples worked out by hand.
#include "engine/platform/subset/dsound/mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

using subset::GainOfVolume;
using subset::MIX_UNITY;
using subset::MixVoice;
using subset::Saturate;
using subset::Voice;

namespace {

const uint32_t RATE = 44100;

// 16-bit little-endian samples as a buffer's bytes.
std::vector<uint8_t> Pcm16(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> bytes;
    for (int16_t s : samples) {
        bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s)));
        bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
    }
    return bytes;
}

Voice PlayingVoice(const std::vector<uint8_t>& bytes, int channels, int bits, uint32_t rate) {
    Voice voice;
    voice.bytes = bytes.data();
    voice.channels = channels;
    voice.bitsPerSample = bits;
    voice.frames = static_cast<uint32_t>(bytes.size() / (channels * bits / 8));
    voice.rate = rate;
    voice.playing = true;
    return voice;
}

// `frames` stereo frames of the voices, mixed and saturated.
std::vector<int16_t> Mix(std::vector<Voice*> voices, int frames) {
    std::vector<int32_t> sum(static_cast<size_t>(frames) * 2, 0);
    for (Voice* voice : voices) {
        MixVoice(*voice, sum.data(), frames, RATE);
    }
    std::vector<int16_t> out(sum.size());
    Saturate(sum.data(), out.data(), static_cast<int>(sum.size()));
    return out;
}

// Left channel of a stereo mix.
std::vector<int16_t> Left(const std::vector<int16_t>& stereo) {
    std::vector<int16_t> left;
    for (size_t i = 0; i < stereo.size(); i += 2) {
        left.push_back(stereo[i]);
    }
    return left;
}

// --- Layouts: every format a buffer may hold lands in both channels at its level ----------

TEST(MixerLayouts, EachFormatAtTheStreamRateComesOutUnchanged) {
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        int channels, bits;
        std::vector<int16_t> expected; // left, right, left, right...
    } CASES[] = {
        {"16-bit mono",
         Pcm16({1000, -2000, 32767}),
         1,
         16,
         {1000, 1000, -2000, -2000, 32767, 32767}},
        {"16-bit stereo", Pcm16({1000, -1000, -32768, 5}), 2, 16, {1000, -1000, -32768, 5}},
        {"8-bit mono", {128, 255, 0}, 1, 8, {0, 0, 32512, 32512, -32768, -32768}},
        {"8-bit stereo", {129, 127, 128, 192}, 2, 8, {256, -256, 0, 16384}},
    };
    for (const auto& c : CASES) {
        SCOPED_TRACE(c.name);
        Voice voice = PlayingVoice(c.bytes, c.channels, c.bits, RATE);
        const int frames = static_cast<int>(c.expected.size() / 2);
        EXPECT_EQ(Mix({&voice}, frames), c.expected);
    }
}

// --- Sums and saturation ------------------------------------------------------------------

TEST(MixerSums, VoicesAddAndLoudMomentsClipInsteadOfWrapping) {
    const struct {
        const char* name;
        std::vector<int16_t> a, b;
        std::vector<int16_t> expected;
    } CASES[] = {
        {"plain sum", {100, -300}, {50, 1000}, {150, 700}},
        {"cancelling", {20000, -20000}, {-20000, 20000}, {0, 0}},
        {"clips at the top", {30000, 32767}, {10000, 32767}, {32767, 32767}},
        {"clips at the bottom", {-30000, -32768}, {-10000, -32768}, {-32768, -32768}},
    };
    for (const auto& c : CASES) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> a = Pcm16(c.a), b = Pcm16(c.b);
        Voice first = PlayingVoice(a, 1, 16, RATE), second = PlayingVoice(b, 1, 16, RATE);
        EXPECT_EQ(Left(Mix({&first, &second}, 2)), c.expected);
    }
}

TEST(MixerSums, SaturationHappensOnceAfterTheSumSoOrderNeverMatters) {
    // Two loud voices and one that takes them back into range: clipping each addition
    // would lose what the third gives back.
    const std::vector<uint8_t> a = Pcm16({30000}), b = Pcm16({30000}), c = Pcm16({-30000});
    for (int order = 0; order < 3; order++) {
        Voice x = PlayingVoice(a, 1, 16, RATE), y = PlayingVoice(b, 1, 16, RATE),
              z = PlayingVoice(c, 1, 16, RATE);
        std::vector<Voice*> voices = {&x, &y, &z};
        std::rotate(voices.begin(), voices.begin() + order, voices.end());
        EXPECT_EQ(Left(Mix(voices, 1)), std::vector<int16_t>({30000}));
    }
}

TEST(MixerSums, AVoiceThatIsNotPlayingAddsNothing) {
    const std::vector<uint8_t> bytes = Pcm16({5000, 5000});
    Voice voice = PlayingVoice(bytes, 1, 16, RATE);
    voice.playing = false;
    EXPECT_EQ(Mix({&voice}, 2), std::vector<int16_t>(4, 0));
    EXPECT_EQ(voice.position, 0u);
}

// --- Volume in hundredths of a decibel -----------------------------------------------------

TEST(MixerVolume, GainFollowsDecibelsFromUnityToSilence) {
    const struct {
        int32_t volume;
        int32_t gain;
    } CASES[] = {
        {0, MIX_UNITY}, {100, MIX_UNITY}, {-602, 32770}, // -6.02 dB: half
        {-2000, 6554},  {-4000, 655},     {-9999, 1},    {-10000, 0}, {-12000, 0},
    };
    for (const auto& c : CASES) {
        SCOPED_TRACE(c.volume);
        EXPECT_EQ(GainOfVolume(c.volume), c.gain);
    }
}

TEST(MixerVolume, AVoiceIsScaledByItsGain) {
    const std::vector<uint8_t> bytes = Pcm16({32000, -32000, 1000});
    Voice voice = PlayingVoice(bytes, 1, 16, RATE);
    voice.gain = GainOfVolume(-602);
    EXPECT_EQ(Left(Mix({&voice}, 3)), std::vector<int16_t>({16000, -16001, 500}));
    Voice silent = PlayingVoice(bytes, 1, 16, RATE);
    silent.gain = GainOfVolume(-10000);
    EXPECT_EQ(Left(Mix({&silent}, 3)), std::vector<int16_t>({0, 0, 0}));
}

// --- Ends and loops ------------------------------------------------------------------------

TEST(MixerEnds, AOneShotStopsAtItsEndAndGoesBackToTheStart) {
    const std::vector<uint8_t> bytes = Pcm16({1, 2, 3});
    Voice voice = PlayingVoice(bytes, 1, 16, RATE);
    EXPECT_EQ(Left(Mix({&voice}, 5)), std::vector<int16_t>({1, 2, 3, 0, 0}));
    EXPECT_FALSE(voice.playing);
    EXPECT_EQ(voice.position, 0u);
}

TEST(MixerEnds, AVoiceEndingExactlyWithTheBlockHasStoppedWhenItReturns) {
    const std::vector<uint8_t> bytes = Pcm16({1, 2, 3});
    Voice voice = PlayingVoice(bytes, 1, 16, RATE);
    Mix({&voice}, 3);
    EXPECT_FALSE(voice.playing);
}

TEST(MixerEnds, ALoopStartsAgainFromTheFirstFrameAcrossBlocks) {
    const std::vector<uint8_t> bytes = Pcm16({1, 2, 3});
    Voice voice = PlayingVoice(bytes, 1, 16, RATE);
    voice.looping = true;
    EXPECT_EQ(Left(Mix({&voice}, 4)), std::vector<int16_t>({1, 2, 3, 1}));
    EXPECT_EQ(Left(Mix({&voice}, 4)), std::vector<int16_t>({2, 3, 1, 2}));
    EXPECT_TRUE(voice.playing);
}

TEST(MixerEnds, MixingResumesWhereTheLastBlockLeftOff) {
    std::vector<int16_t> ramp;
    for (int i = 0; i < 100; i++) {
        ramp.push_back(static_cast<int16_t>(i * 10));
    }
    const std::vector<uint8_t> bytes = Pcm16(ramp);
    Voice whole = PlayingVoice(bytes, 1, 16, 22050);
    Voice pieces = PlayingVoice(bytes, 1, 16, 22050);
    const std::vector<int16_t> once = Mix({&whole}, 150);
    std::vector<int16_t> joined;
    for (int block : {7, 64, 1, 78}) {
        const std::vector<int16_t> part = Mix({&pieces}, block);
        joined.insert(joined.end(), part.begin(), part.end());
    }
    EXPECT_EQ(joined, once);
}

// --- Overlapping plays: one sound's bytes under several voices -----------------------------

TEST(MixerOverlap, TwoVoicesOnTheSameBytesPlayTheirOwnPositions) {
    const std::vector<uint8_t> bytes = Pcm16({100, 200, 300, 400});
    Voice early = PlayingVoice(bytes, 1, 16, RATE);
    Voice late = PlayingVoice(bytes, 1, 16, RATE);
    late.position = uint64_t(2) << 32; // started two frames before the other
    EXPECT_EQ(Left(Mix({&early, &late}, 4)), std::vector<int16_t>({400, 600, 300, 400}));
    EXPECT_FALSE(early.playing);
    EXPECT_FALSE(late.playing);
}

// --- Resampling: each buffer from its own rate ----------------------------------------------

TEST(MixerRates, HalfTheStreamRateDoublesEachFrameWithAPointBetween) {
    // 22050 Hz into 44100: every source frame, then the halfway point to the next; the
    // last frame is held, not pulled towards silence.
    const std::vector<uint8_t> bytes = Pcm16({0, 1000, -1000});
    Voice voice = PlayingVoice(bytes, 1, 16, 22050);
    EXPECT_EQ(Left(Mix({&voice}, 7)), std::vector<int16_t>({0, 500, 1000, 0, -1000, -1000, 0}));
}

TEST(MixerRates, ALoopInterpolatesAcrossItsJoin) {
    const std::vector<uint8_t> bytes = Pcm16({0, 1000});
    Voice voice = PlayingVoice(bytes, 1, 16, 22050);
    voice.looping = true;
    EXPECT_EQ(Left(Mix({&voice}, 6)), std::vector<int16_t>({0, 500, 1000, 500, 0, 500}));
}

TEST(MixerRates, EveryCommonRateTakesItsDurationInStreamFrames) {
    const struct {
        uint32_t rate;
        int frames; // of the source: one second
    } CASES[] = {{8000, 8000}, {11025, 11025}, {22050, 22050}, {44100, 44100}, {48000, 48000}};
    for (const auto& c : CASES) {
        SCOPED_TRACE(c.rate);
        const std::vector<uint8_t> bytes(static_cast<size_t>(c.frames) * 2, 0x10);
        Voice voice = PlayingVoice(bytes, 1, 16, c.rate);
        std::vector<int32_t> sum(2 * 44100, 0);
        MixVoice(voice, sum.data(), 44098, RATE);
        EXPECT_TRUE(voice.playing);
        MixVoice(voice, sum.data(), 4, RATE);
        EXPECT_FALSE(voice.playing); // one second of source is one second of stream
    }
}

TEST(MixerRates, ASineKeepsItsPitchAndLevelThroughResampling) {
    // 441 Hz at 22050 Hz: 50 source frames a cycle, 100 in the stream.
    std::vector<int16_t> sine;
    for (int i = 0; i < 22050; i++) {
        sine.push_back(static_cast<int16_t>(std::lround(10000 * std::sin(2 * M_PI * i / 50.0))));
    }
    const std::vector<uint8_t> bytes = Pcm16(sine);
    Voice voice = PlayingVoice(bytes, 1, 16, 22050);
    const std::vector<int16_t> left = Left(Mix({&voice}, 44100));
    int crossings = 0;
    int peak = 0;
    for (size_t i = 1; i < left.size(); i++) {
        crossings += (left[i - 1] < 0) != (left[i] < 0);
        peak = std::max(peak, std::abs(static_cast<int>(left[i])));
    }
    EXPECT_NEAR(crossings, 882, 2); // 441 cycles, two crossings each
    EXPECT_NEAR(peak, 10000, 20);
}

} // namespace
