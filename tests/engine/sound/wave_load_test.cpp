// The WAV reader on files: Windows-style names, files that are missing, empty, folders or
// too large, the size cap itself, and files written by Python's own wave module.
#include "engine/sound/wave.h"
#include "tests/engine/file/temp_folder.h"
#include "tests/engine/sound/wave_bytes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using ::testing::HasSubstr;

namespace {

void WriteFile(const std::string& name, const Bytes& bytes) {
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file of the given size holding head, the rest a hole: no disk space, all zeros.
void WriteSparse(const std::string& name, const Bytes& head, size_t size) {
    WriteFile(name, head);
    ASSERT_EQ(truncate(name.c_str(), static_cast<off_t>(size)), 0);
}

class WaveLoad : public LoggedFolderTest {};

TEST_F(WaveLoad, WindowsStyleNamesFindTheFileWhateverItsCase) {
    ASSERT_EQ(mkdir("sounds", 0700), 0);
    const Bytes s = Samples(1000);
    const Bytes file = Riff({List(), Fmt(FormatFields{1, 2, 44100, 16}), Data(s)});
    WriteFile("sounds/Splash.wav", file);
    for (const char* name : {"Sounds\\SPLASH.WAV", "sounds\\Splash.wav", "SOUNDS/splash.wav"}) {
        SCOPED_TRACE(name);
        Wave wave;
        std::string error;
        ASSERT_TRUE(wave.Load(name, &error)) << error;
        EXPECT_EQ(wave.format.channels, 2);
        EXPECT_EQ(wave.format.samplesPerSecond, 44100u);
        EXPECT_EQ(wave.samples, s);
        EXPECT_EQ(wave.Frames(), 250u);
        EXPECT_LE(wave.samples.capacity(), file.size());
    }
}

TEST_F(WaveLoad, FilesThatCannotBePlayedGiveOneLineAndNeverEndTheGame) {
    ASSERT_EQ(mkdir("sounds", 0700), 0);
    WriteFile("sounds/empty.wav", {});
    WriteFile("sounds/float.wav", Riff({Fmt(FormatFields{3, 1, 44100, 32}), Data(Samples(64))}));
    WriteSparse("sounds/big.wav", Riff({Fmt(FormatFields()), Chunk{"data", {}, 0xFFFFFFFF}}),
                WAVE_MAX_BYTES + 1);
    const std::string longName = "sounds\\" + std::string(92, 'a') + ".wav"; // 103 characters

    struct Case {
        const char* name;
        std::string error;
    };
    const Case cases[] = {
        {"Sounds\\missing.wav", "Sounds\\missing.wav: not found"},
        {"Nowhere\\splash.wav", "Nowhere\\splash.wav: not found"},
        {"Sounds", "Sounds: not found"}, // a folder
        {nullptr, "(no name): not found"},
        {longName.c_str(), longName + ": name too long (99 characters at most)"},
        {"Sounds\\empty.wav", "Sounds\\empty.wav: not a RIFF/WAVE file"},
        {"Sounds\\float.wav", "Sounds\\float.wav: format 0x0003 (IEEE float) is not PCM"},
        {"Sounds\\big.wav", "Sounds\\big.wav: larger than 64 MiB (67108865 bytes)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        Wave wave;
        std::string error;
        EXPECT_FALSE(wave.Load(c.name, &error));
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(wave.samples.empty());
        EXPECT_EQ(wave.format.blockAlign, 0);
        EXPECT_FALSE(wave.Load(c.name, nullptr));
    }
}

TEST_F(WaveLoad, AFileOfExactlyTheCapLoadsWithWhatItHolds) {
    // A streaming writer's header on 64 MiB: every whole frame after it is a sample.
    const Bytes head = Riff({Fmt(FormatFields{1, 2, 22050, 16}), Chunk{"data", {}, 0xFFFFFFFF}});
    WriteSparse("cap.wav", head, WAVE_MAX_BYTES);
    Wave wave;
    std::string error;
    ASSERT_TRUE(wave.Load("cap.wav", &error)) << error;
    EXPECT_EQ(wave.Frames(), (WAVE_MAX_BYTES - head.size()) / 4);
    EXPECT_LE(wave.samples.capacity(), WAVE_MAX_BYTES);
}

TEST_F(WaveLoad, LoadAndParseAgreeOnTheSameBytes) {
    const FormatFields stereo8{1, 2, 11025, 8};
    Chunk streamed = Data(Samples(301));
    streamed.declared = 0xFFFFFFFF;
    const Bytes files[] = {
        Riff({Fmt(stereo8), Data(Samples(300)), List()}),
        Riff({ExtensibleFmt(stereo8), streamed}),
        Riff({List(), Data(Samples(10))}),
        Riff({Fmt(FormatFields{1, 3, 22050, 8})}),
    };
    for (const Bytes& file : files) {
        WriteFile("same.wav", file);
        Wave loaded;
        Wave parsed;
        std::string loadError;
        std::string parseError;
        const bool ok = loaded.Load("same.wav", &loadError);
        EXPECT_EQ(ok, parsed.Parse(file.data(), file.size(), "same.wav", &parseError));
        EXPECT_EQ(loadError, parseError);
        EXPECT_EQ(loaded.samples, parsed.samples);
        EXPECT_EQ(loaded.Frames(), parsed.Frames());
        EXPECT_LE(loaded.samples.capacity(), file.size());
    }
}

TEST_F(WaveLoad, AFailedLoadEmptiesAWaveThatHeldASound) {
    WriteFile("good.wav", Riff({Fmt(FormatFields()), Data(Samples(100))}));
    Wave wave;
    std::string error;
    ASSERT_TRUE(wave.Load("good.wav", &error));
    EXPECT_FALSE(wave.Load("gone.wav", &error));
    EXPECT_EQ(error, "gone.wav: not found");
    EXPECT_EQ(wave.samples.capacity(), 0u);
    EXPECT_EQ(wave.Frames(), 0u);
}

// --- Someone else's bytes: files from Python's wave module, made at build time ------------

TEST(WaveFromPython, EveryFileReadsAsPythonWroteItOrIsRefusedForItsReason) {
    const std::string folder = "wave_tool_files/";
    std::ifstream manifest(folder + "manifest.txt");
    ASSERT_TRUE(manifest.good()) << "no " << folder << "manifest.txt: build wave_tool_files";
    int playable = 0;
    int refused = 0;
    std::string line;
    while (std::getline(manifest, line)) {
        std::istringstream fields(line);
        std::string kind, name;
        fields >> kind >> name;
        ASSERT_NE(kind, "missing") << line;
        SCOPED_TRACE(line);
        // Windows-style, as the game names its sounds.
        const std::string wavName = "wave_tool_files\\" + name + ".wav";
        Wave wave;
        std::string error;
        const bool ok = wave.Load(wavName.c_str(), &error);
        if (kind == "ok") {
            unsigned channels = 0, rate = 0, bits = 0;
            fields >> channels >> rate >> bits;
            ASSERT_TRUE(ok) << error;
            EXPECT_EQ(wave.format.channels, channels);
            EXPECT_EQ(wave.format.samplesPerSecond, rate);
            EXPECT_EQ(wave.format.bitsPerSample, bits);
            EXPECT_EQ(wave.format.blockAlign, channels * bits / 8);
            EXPECT_EQ(wave.samples, ReadFile(folder + name + ".raw"));
            ++playable;
        } else {
            std::string reason;
            std::getline(fields >> std::ws, reason);
            EXPECT_FALSE(ok);
            EXPECT_EQ(error.rfind(wavName + ": ", 0), 0u) << error;
            EXPECT_THAT(error, HasSubstr(reason));
            ++refused;
        }
    }
    EXPECT_GE(playable, 8);
    EXPECT_GE(refused, 7);
}

} // namespace
