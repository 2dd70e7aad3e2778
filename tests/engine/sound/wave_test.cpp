// The WAV reader on bytes in memory: every layout the game may ship is read exactly,
// every file it cannot play is refused with its own one-line reason, and no file, however
// cut or inflated, makes it read outside the bytes or allocate more than they hold.
#include "engine/sound/wave.h"
#include "tests/engine/sound/wave_bytes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

// Parsed from an exactly sized heap copy, so a read one byte past the end is caught.
bool ParseCopy(Wave& wave, const Bytes& bytes, std::string* error, const char* name = "t.wav") {
    const Bytes copy(bytes);
    return wave.Parse(copy.data(), copy.size(), name, error);
}

void ExpectEmpty(const Wave& wave) {
    EXPECT_TRUE(wave.samples.empty());
    EXPECT_EQ(wave.samples.capacity(), 0u);
    EXPECT_EQ(wave.format.channels, 0);
    EXPECT_EQ(wave.format.samplesPerSecond, 0u);
    EXPECT_EQ(wave.format.bitsPerSample, 0);
    EXPECT_EQ(wave.format.blockAlign, 0);
    EXPECT_EQ(wave.Frames(), 0u);
}

// --- Every layout the engine plays ------------------------------------------------------

TEST(WaveLayouts, EightAndSixteenBitsMonoAndStereoAtEveryCommonRate) {
    for (uint16_t bits : {8, 16}) {
        for (uint16_t channels : {1, 2}) {
            for (uint32_t rate :
                 {4000u, 8000u, 11025u, 22050u, 32000u, 44100u, 48000u, 96000u, 192000u}) {
                SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(channels) +
                             " channels, " + std::to_string(rate) + " Hz");
                const FormatFields f{1, channels, rate, bits};
                const size_t frames = 37;
                const Bytes samples = Samples(frames * AlignOf(f), rate + bits + channels);
                Wave wave;
                std::string error;
                ASSERT_TRUE(ParseCopy(wave, Riff({Fmt(f), Data(samples)}), &error)) << error;
                EXPECT_EQ(wave.format.channels, channels);
                EXPECT_EQ(wave.format.samplesPerSecond, rate);
                EXPECT_EQ(wave.format.bitsPerSample, bits);
                EXPECT_EQ(wave.format.blockAlign, channels * bits / 8);
                EXPECT_EQ(wave.Frames(), frames);
                EXPECT_EQ(wave.samples, samples);
            }
        }
    }
}

// --- How real writers arrange and size their chunks ----------------------------------------

TEST(WaveChunks, ArrangementsRealWritersProduceAreRead) {
    const FormatFields mono16;
    const FormatFields stereo16{1, 2, 44100, 16};
    const FormatFields mono8{1, 1, 8000, 8};
    const Bytes s = Samples(400);
    const Bytes odd = Samples(333, 7);
    const Bytes s403 = Samples(403, 3);
    Chunk fmt18 = Fmt(mono16);
    PutLe16(fmt18.body, 0); // WAVEFORMATEX with cbSize 0
    Chunk fmtOdd = Fmt(mono16);
    fmtOdd.body.push_back(0x5A); // 17 bytes, padded to 18
    Chunk oddChunk{"junk", {1, 2, 3}};
    Chunk unpaddedTail{"id3 ", {1, 2, 3}};
    unpaddedTail.pad = false;
    Chunk huge = List();
    huge.declared = 0xFFFFFFFF;
    Chunk streamed = Data(s);
    streamed.declared = 0xFFFFFFFF;
    Chunk longer = Data(Bytes(s.begin(), s.begin() + 399)); // 399 bytes there, 1000 declared
    longer.declared = 1000;
    longer.pad = false;

    struct Case {
        const char* label;
        Bytes file;
        FormatFields format;
        Bytes expected;
    };
    const Case cases[] = {
        {"plain", Riff({Fmt(mono16), Data(s)}), mono16, s},
        {"LIST before fmt", Riff({List(), Fmt(mono16), Data(s)}), mono16, s},
        {"fact and cue between fmt and data",
         Riff({Fmt(mono16), Chunk{"fact", {1, 0, 0, 0}}, Chunk{"cue ", Bytes(28, 0)}, Data(s)}),
         mono16, s},
        {"odd chunk padded to even", Riff({oddChunk, Fmt(mono16), oddChunk, Data(s)}), mono16, s},
        {"odd fmt padded to even", Riff({fmtOdd, Data(s)}), mono16, s},
        {"fmt with cbSize 0", Riff({fmt18, Data(s)}), mono16, s},
        {"empty chunk", Riff({Chunk{"PEAK", {}}, Fmt(mono16), Data(s)}), mono16, s},
        {"extensible mono", Riff({ExtensibleFmt(mono16), Data(s)}), mono16, s},
        {"extensible stereo", Riff({ExtensibleFmt(stereo16), Data(s)}), stereo16, s},
        {"extensible, 12 valid bits of 16",
         Riff({ExtensibleFmt(mono16, Extensible{1, 12}), Data(s)}), mono16, s},
        {"extensible, valid bits left 0", Riff({ExtensibleFmt(mono16, Extensible{1, 0}), Data(s)}),
         mono16, s},
        {"chunks after data", Riff({Fmt(mono16), Data(s), List(), oddChunk}), mono16, s},
        {"a broken chunk after data", Riff({Fmt(mono16), Data(s), huge}), mono16, s},
        {"odd 8-bit data padded, then LIST", Riff({Fmt(mono8), Data(odd), List()}), mono8, odd},
        {"odd 8-bit data last, no padding", Riff({Fmt(mono8), Chunk{"data", odd, -1, false}}),
         mono8, odd},
        {"unpadded odd chunk at the end", Riff({Fmt(mono16), Data(s), unpaddedTail}), mono16, s},
        {"RIFF size 0", Riff({Fmt(mono16), Data(s)}, 0), mono16, s},
        {"RIFF size 0xFFFFFFFF", Riff({Fmt(mono16), Data(s)}, 0xFFFFFFFF), mono16, s},
        {"RIFF size short of the data", Riff({Fmt(mono16), Data(s)}, 40), mono16, s},
        {"data size 0xFFFFFFFF (streaming writer)", Riff({Fmt(mono16), streamed}), mono16, s},
        {"data longer than the file, part frame dropped", Riff({Fmt(mono16), longer}), mono16,
         Bytes(s.begin(), s.begin() + 398)},
        {"data declared shorter than present", Riff({Fmt(mono16), Chunk{"data", s, 100}}), mono16,
         Bytes(s.begin(), s.begin() + 100)},
        {"part frame at the end of data dropped", Riff({Fmt(stereo16), Data(s403)}), stereo16,
         Bytes(s403.begin(), s403.begin() + 400)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Wave wave;
        std::string error = "untouched";
        ASSERT_TRUE(ParseCopy(wave, c.file, &error)) << error;
        EXPECT_EQ(error, "untouched");
        EXPECT_EQ(wave.format.channels, c.format.channels);
        EXPECT_EQ(wave.format.samplesPerSecond, c.format.rate);
        EXPECT_EQ(wave.format.bitsPerSample, c.format.bits);
        EXPECT_EQ(wave.format.blockAlign, AlignOf(c.format));
        EXPECT_EQ(wave.samples, c.expected);
        EXPECT_EQ(wave.Frames(), c.expected.size() / AlignOf(c.format));
        // Whatever the declared sizes, the samples take no more room than the file has.
        EXPECT_LE(wave.samples.capacity(), c.file.size());
    }
}

// --- Files the engine cannot play: refused, each for its own reason ----------------------------

struct Refusal {
    const char* label;
    Bytes file;
    const char* reason;
};

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

std::vector<Refusal> Refusals() {
    const FormatFields mono16;
    const Bytes s = Samples(64);
    auto fmt = [](uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                  int32_t align = -1) {
        return Fmt(FormatFields{tag, channels, rate, bits, align});
    };
    Chunk shortFmt = Fmt(mono16);
    shortFmt.body.resize(14); // the old WAVEFORMAT, without bits per sample
    Chunk fmtCut = Fmt(mono16);
    fmtCut.declared = 0xFFFFFFFF;
    Chunk listCut = List();
    listCut.declared = 0xFFFFFFFF;
    Chunk listPast = List(30);
    listPast.declared = 31; // one byte more than the file holds, and odd
    Chunk extensibleAs18 = Fmt(FormatFields{0xFFFE, 1, 22050, 16});
    PutLe16(extensibleAs18.body, 0);
    Chunk nestedRiff{"RIFF", Riff({Fmt(mono16), Data(s)})};
    Bytes listWithData = {'I', 'N', 'F', 'O'};
    const Bytes inner = ChunkBytes(Data(s));
    listWithData.insert(listWithData.end(), inner.begin(), inner.end());
    Bytes cutHeader = Riff({Fmt(mono16), List()});
    cutHeader.insert(cutHeader.end(), {'d', 'a', 't', 'a', 0x10});
    Bytes riff = Riff({Fmt(mono16), Data(s)});
    Bytes rifx = riff;
    rifx[3] = 'X';
    Bytes rf64 = riff;
    rf64[1] = 'F';
    rf64[2] = '6';
    rf64[3] = '4';
    const Bytes aiff = {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'A', 'I', 'F', 'F'};
    Bytes wavx = riff;
    wavx[11] = 'X';

    return {
        {"empty", {}, "not a RIFF/WAVE file"},
        {"four bytes", Text("RIFF"), "not a RIFF/WAVE file"},
        {"header only, eleven bytes", Bytes(riff.begin(), riff.begin() + 11),
         "not a RIFF/WAVE file"},
        {"AIFF", aiff, "not a RIFF/WAVE file"},
        {"RIFF but not WAVE", wavx, "not a RIFF/WAVE file"},
        {"big-endian RIFX", rifx, "RIFX"},
        {"RF64", rf64, "RF64"},
        {"nothing after WAVE", Riff({}), "no fmt or data chunk"},
        {"only LIST", Riff({List()}), "no fmt or data chunk"},
        {"fmt, no data", Riff({Fmt(mono16)}), "no data chunk"},
        {"fmt and LIST, no data", Riff({Fmt(mono16), List()}), "no data chunk"},
        {"data without fmt", Riff({Data(s)}), "data chunk before any fmt chunk"},
        {"fmt after data", Riff({Data(s), Fmt(mono16)}), "data chunk before any fmt chunk"},
        {"two fmt chunks", Riff({Fmt(mono16), Fmt(mono16), Data(s)}), "a second fmt chunk"},
        {"fmt of 14 bytes", Riff({shortFmt, Data(s)}), "fmt chunk of 14 bytes"},
        {"fmt size 0xFFFFFFFF", Riff({fmtCut}), "ends inside the 'fmt ' chunk"},
        {"fmt cut by the end of the file", Bytes(riff.begin(), riff.begin() + 30),
         "ends inside the fmt chunk"},
        {"LIST size 0xFFFFFFFF before data", Riff({Fmt(mono16), listCut, Data(s)}),
         "ends inside the 'LIST' chunk"},
        {"LIST one byte past the end", Riff({Fmt(mono16), listPast}),
         "ends inside the 'LIST' chunk"},
        {"cut inside a chunk header", cutHeader, "inside a chunk header"},
        {"data nested in a RIFF chunk", Riff({nestedRiff}), "no fmt or data chunk"},
        {"data nested in a LIST", Riff({Fmt(mono16), Chunk{"LIST", listWithData}}),
         "no data chunk"},
        {"ADPCM", Riff({fmt(2, 1, 22050, 4, 256), Data(s)}),
         "format 0x0002 (Microsoft ADPCM) is not PCM"},
        {"float", Riff({fmt(3, 1, 44100, 32), Data(s)}), "format 0x0003 (IEEE float) is not PCM"},
        {"mu-law", Riff({fmt(7, 1, 8000, 8), Data(s)}), "format 0x0007 (mu-law) is not PCM"},
        {"MP3", Riff({fmt(0x55, 2, 44100, 0, 1), Data(s)}),
         "format 0x0055 (MPEG Layer 3) is not PCM"},
        {"unknown format", Riff({fmt(0x1234, 1, 22050, 16), Data(s)}),
         "format 0x1234 (compressed) is not PCM"},
        {"format 0", Riff({fmt(0, 1, 22050, 16), Data(s)}), "format 0x0000"},
        {"extensible float", Riff({ExtensibleFmt(FormatFields{1, 1, 44100, 32}, {3}), Data(s)}),
         "format 0x0003 (IEEE float) is not PCM"},
        {"extensible of 18 bytes", Riff({extensibleAs18, Data(s)}),
         "extensible fmt chunk too short"},
        {"extensible, cbSize 0", Riff({ExtensibleFmt(mono16, Extensible{1, 16, 0}), Data(s)}),
         "extensible fmt chunk too short"},
        {"extensible, unknown GUID",
         Riff({ExtensibleFmt(mono16, Extensible{1, 16, 22, false}), Data(s)}),
         "unknown sub-format"},
        {"extensible, 20 valid bits of 16",
         Riff({ExtensibleFmt(mono16, Extensible{1, 20}), Data(s)}), "20 valid bits in 16-bit"},
        {"0 channels", Riff({fmt(1, 0, 22050, 16, 2), Data(s)}), "0 channels"},
        {"3 channels", Riff({fmt(1, 3, 22050, 16), Data(s)}), "3 channels"},
        {"65535 channels", Riff({fmt(1, 0xFFFF, 22050, 8, 1), Data(s)}), "65535 channels"},
        {"0 bits", Riff({fmt(1, 1, 22050, 0, 1), Data(s)}), "0 bits per sample"},
        {"4 bits", Riff({fmt(1, 1, 22050, 4, 1), Data(s)}), "4 bits per sample"},
        {"12 bits", Riff({fmt(1, 1, 22050, 12, 2), Data(s)}), "12 bits per sample"},
        {"24 bits", Riff({fmt(1, 2, 22050, 24), Data(s)}), "24 bits per sample"},
        {"32 bits", Riff({fmt(1, 1, 22050, 32), Data(s)}), "32 bits per sample"},
        {"block align 0", Riff({fmt(1, 1, 22050, 16, 0), Data(s)}),
         "block align 0 does not match 1 channel(s) of 16 bits"},
        {"block align 1 for 16-bit mono", Riff({fmt(1, 1, 22050, 16, 1), Data(s)}),
         "block align 1 does not match"},
        {"block align 4 for 16-bit mono", Riff({fmt(1, 1, 22050, 16, 4), Data(s)}),
         "block align 4 does not match"},
        {"block align 3 for 8-bit stereo", Riff({fmt(1, 2, 22050, 8, 3), Data(s)}),
         "block align 3 does not match 2 channel(s) of 8 bits"},
        {"rate 0", Riff({fmt(1, 1, 0, 16), Data(s)}), "rate 0 Hz out of range (4000 to 192000)"},
        {"rate 3999", Riff({fmt(1, 1, 3999, 16), Data(s)}), "rate 3999 Hz"},
        {"rate 192001", Riff({fmt(1, 1, 192001, 16), Data(s)}), "rate 192001 Hz"},
        {"rate 0xFFFFFFFF", Riff({fmt(1, 1, 0xFFFFFFFF, 16), Data(s)}), "rate 4294967295 Hz"},
        {"empty data", Riff({Fmt(mono16), Data({})}), "no samples"},
        {"data of one byte, 16-bit", Riff({Fmt(mono16), Data({1})}), "no samples"},
        {"data of three bytes, 16-bit stereo",
         Riff({Fmt(FormatFields{1, 2, 22050, 16}), Data({1, 2, 3})}), "no samples"},
        {"data declared 0, samples follow", Riff({Fmt(mono16), Chunk{"data", s, 0}}), "no samples"},
        {"data header with nothing after it", Riff({Fmt(mono16), Chunk{"data", {}, 0xFFFFFFFF}}),
         "no samples"},
    };
}

TEST(WaveRefused, EachUnplayableFileHasItsOwnReason) {
    for (const Refusal& r : Refusals()) {
        SCOPED_TRACE(r.label);
        Wave wave;
        std::string error;
        EXPECT_FALSE(ParseCopy(wave, r.file, &error, "Sounds\\bad.wav"));
        EXPECT_THAT(error, StartsWith("Sounds\\bad.wav: "));
        EXPECT_THAT(error, HasSubstr(r.reason));
        EXPECT_EQ(error.find('\n'), std::string::npos);
        ExpectEmpty(wave);
    }
}

TEST(WaveRefused, AFileOverTheCapIsRefusedBeforeItsBytesAreRead) {
    Bytes big(WAVE_MAX_BYTES + 1);
    const Bytes head = Riff({Fmt(FormatFields()), Chunk{"data", {}, 0xFFFFFFFF}});
    std::copy(head.begin(), head.end(), big.begin());
    Wave wave;
    std::string error;
    EXPECT_FALSE(wave.Parse(big.data(), big.size(), "big.wav", &error));
    EXPECT_EQ(error, "big.wav: larger than 64 MiB (67108865 bytes)");
    big.pop_back();
    EXPECT_TRUE(wave.Parse(big.data(), big.size(), "big.wav", &error)) << error;
    EXPECT_EQ(wave.samples.size(), (WAVE_MAX_BYTES - head.size()) / 2 * 2);
}

// --- Cut anywhere ------------------------------------------------------------------------

// A file cut at any byte is either refused, or, once whole frames of data are there, gives
// exactly those frames.
TEST(WaveTruncated, EveryCutIsRefusedOrGivesTheWholeFramesPresent) {
    struct Case {
        const char* label;
        FormatFields format;
        bool extensible;
    };
    for (const Case& c : {Case{"8-bit mono", FormatFields{1, 1, 8000, 8}, false},
                          Case{"16-bit stereo, extensible", FormatFields{1, 2, 44100, 16}, true}}) {
        SCOPED_TRACE(c.label);
        const Bytes s = Samples(97 * AlignOf(c.format));
        const Bytes whole = Riff({List(31), c.extensible ? ExtensibleFmt(c.format) : Fmt(c.format),
                                  Chunk{"fact", {97, 0, 0, 0}}, Data(s), List()});
        const size_t dataStart =
            whole.size() - ChunkBytes(List()).size() - ChunkBytes(Data(s)).size() + 8;
        for (size_t cut = 0; cut < whole.size(); ++cut) {
            SCOPED_TRACE("cut at " + std::to_string(cut));
            Wave wave;
            std::string error;
            const bool ok = ParseCopy(wave, Bytes(whole.begin(), whole.begin() + cut), &error);
            const size_t present = cut > dataStart ? std::min(cut - dataStart, s.size()) : 0;
            const size_t expected = present - present % AlignOf(c.format);
            if (expected == 0) {
                EXPECT_FALSE(ok);
                EXPECT_THAT(error, StartsWith("t.wav: "));
                ExpectEmpty(wave);
            } else {
                ASSERT_TRUE(ok) << error;
                EXPECT_EQ(wave.samples, Bytes(s.begin(), s.begin() + expected));
            }
        }
    }
}

// --- The object across loads, and the messages ---------------------------------------------------

TEST(WaveReuse, AFailedParseLeavesTheWaveEmptyAfterASuccessfulOne) {
    Wave wave;
    std::string error;
    ASSERT_TRUE(ParseCopy(wave, Riff({Fmt(FormatFields()), Data(Samples(100))}), &error));
    EXPECT_FALSE(ParseCopy(wave, Riff({Fmt(FormatFields{3, 1, 22050, 32})}), &error));
    ExpectEmpty(wave);
    ASSERT_TRUE(
        ParseCopy(wave, Riff({Fmt(FormatFields{1, 2, 8000, 8}), Data(Samples(6))}), &error));
    EXPECT_EQ(wave.Frames(), 3u);
    EXPECT_EQ(wave.format.samplesPerSecond, 8000u);
}

TEST(WaveMessages, NamesAreShownOnOneLineAndErrorsAreOptional) {
    const Bytes bad = Text("not a wave at all");
    struct Case {
        const char* name;
        std::string shown;
    };
    const std::string longName(300, 'x');
    for (const Case& c : {Case{nullptr, "(no name)"}, Case{"a\nb\r\tc.wav", "a?b??c.wav"},
                          Case{"", ""}, Case{longName.c_str(), std::string(200, 'x') + "..."}}) {
        Wave wave;
        std::string error;
        EXPECT_FALSE(ParseCopy(wave, bad, &error, c.name));
        EXPECT_EQ(error, c.shown + ": not a RIFF/WAVE file");
    }
    Wave wave;
    EXPECT_FALSE(wave.Parse(bad.data(), bad.size(), "x.wav", nullptr));
    EXPECT_FALSE(wave.Parse(nullptr, 100, "x.wav", nullptr));
    const Bytes good = Riff({Fmt(FormatFields()), Data(Samples(8))});
    EXPECT_TRUE(wave.Parse(good.data(), good.size(), "x.wav", nullptr));
}

} // namespace
