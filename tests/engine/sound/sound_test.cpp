// The engine's sound part on the headless host: SoundSystem and Sound as the game uses
// them (play, overlapping plays, loop, pause, stop, volume), and every way sound can fail
// ending in one line of debug.txt and a game that goes on.
#include "engine/file/debug_log.h"
#include "engine/platform/hosts/headless/headless.h"
#include "engine/platform/platform.h"
#include "engine/platform/subset/test_controls/test_controls.h"
#include "tests/engine/sound/stream_support.h"
#include "engine/sound/sound.h"
#include "engine/sound/sound_system.h"
#include "tests/engine/file/temp_folder.h"
#include "tests/engine/sound/wave_bytes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

using ::testing::HasSubstr;

namespace {

const int FRAME = STREAM_FRAME;

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Mono 16-bit 22050 Hz samples as a WAV file.
void WriteWave(const std::string& path, const std::vector<int16_t>& samples) {
    Bytes data;
    for (int16_t s : samples) {
        PutLe16(data, static_cast<uint16_t>(s));
    }
    const Bytes file = Riff({Fmt(FormatFields()), Data(data)});
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
}

class SoundTest : public ::testing::Test {
  protected:
    TempFolder folder;
    HWND window = nullptr;

    void SetUp() override {
        headless::Start();
        debugLog.Open("debug.txt");
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = PlainProc;
        windowClass.lpszClassName = "Tolvo";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        window = CreateWindowExA(WS_EX_APPWINDOW, "Tolvo", "", WS_SYSMENU, 100, 100, 206, 126,
                                 nullptr, nullptr, nullptr, nullptr);
        ShowWindow(window, SW_SHOWNORMAL);
        ASSERT_EQ(mkdir("Sounds", 0755), 0);
        WriteWave("Sounds/level.wav", std::vector<int16_t>(100, 4000)); // 200 stream frames
        WriteWave("Sounds/long.wav", std::vector<int16_t>(2000, 4000));
        WriteWave("Sounds/empty.wav", {});
        std::ofstream("Sounds/text.wav") << "not a sound";
    }

    void TearDown() override { debugLog.Close(); }

    // The sound part's lines in debug.txt.
    std::vector<std::string> SoundLines() {
        std::vector<std::string> lines;
        std::istringstream text(ReadText("debug.txt"));
        for (std::string line; std::getline(text, line);) {
            const size_t at = line.find("Sound:");
            if (at != std::string::npos) {
                lines.push_back(line.substr(at));
            }
        }
        return lines;
    }
};

// --- Playing --------------------------------------------------------------------------

TEST_F(SoundTest, APlayIsHeardFromTheNextFrameAndEndsOnItsOwn) {
    SoundSystem system;
    ASSERT_TRUE(system.Start(window));
    Sound sound;
    ASSERT_TRUE(sound.Load(system, "Sounds\\level.wav"));
    RunLoopFrame();
    sound.Play();
    EXPECT_TRUE(sound.IsPlaying());
    RunLoopFrame();
    const std::vector<int16_t> left = LeftOfStreamFrame(1);
    EXPECT_EQ(left[0], 4000);
    EXPECT_EQ(left[199], 4000);
    EXPECT_EQ(left[200], 0);
    EXPECT_FALSE(sound.IsPlaying());
    EXPECT_TRUE(SoundLines().empty());
}

TEST_F(SoundTest, PlaysOfTheSameSoundOverlapOnVoicesOfTheirOwn) {
    SoundSystem system;
    ASSERT_TRUE(system.Start(window));
    Sound sound;
    ASSERT_TRUE(sound.Load(system, "Sounds\\long.wav")); // 4000 stream frames
    sound.Play();
    RunLoopFrame();
    sound.Play(); // the first still rings: a second voice
    RunLoopFrame();
    EXPECT_EQ(sound.Voices(), 2);
    EXPECT_EQ(LeftOfStreamFrame(0)[0], 4000);
    EXPECT_EQ(LeftOfStreamFrame(1)[0], 8000);
    for (int i = 0; i < 6; i++) {
        sound.Play();
    }
    EXPECT_EQ(sound.Voices(), SOUND_VOICES); // the rest took over the oldest plays
    RunLoopFrame();
    EXPECT_EQ(LeftOfStreamFrame(2)[0], 4000 * SOUND_VOICES);
}

TEST_F(SoundTest, WithoutDuplicatesAPlayStartsTheSoundAgain) {
    SoundSystem system;
    ASSERT_TRUE(system.Start(window));
    Sound sound;
    ASSERT_TRUE(sound.Load(system, "Sounds\\long.wav"));
    subset::FailCall("DuplicateSoundBuffer", DSERR_UNSUPPORTED, -1);
    sound.Play();
    RunLoopFrame();
    sound.Play();
    RunLoopFrame();
    EXPECT_EQ(sound.Voices(), 1);
    EXPECT_EQ(LeftOfStreamFrame(1)[0], 4000);
    EXPECT_TRUE(sound.IsPlaying());
    EXPECT_TRUE(SoundLines().empty());
}

TEST_F(SoundTest, ALoopGoesOnPausesInPlaceAndStopsBackAtTheStart) {
    std::vector<int16_t> ramp;
    for (int i = 0; i < 1000; i++) {
        ramp.push_back(static_cast<int16_t>(i));
    }
    WriteWave("Sounds/ramp.wav", ramp); // 2000 stream frames, under three of the loop's
    SoundSystem system;
    ASSERT_TRUE(system.Start(window));
    Sound sound;
    ASSERT_TRUE(sound.Load(system, "Sounds\\ramp.wav"));
    sound.Loop();
    sound.Loop(); // already looping: nothing changes
    for (int i = 0; i < 3; i++) {
        RunLoopFrame();
    }
    EXPECT_EQ(LeftOfStreamFrame(2)[2000 - 2 * FRAME], 0); // round again
    EXPECT_TRUE(sound.IsPlaying());
    sound.Pause();
    RunLoopFrame();
    EXPECT_EQ(LeftOfStreamFrame(3), std::vector<int16_t>(FRAME, 0));
    sound.Loop();
    RunLoopFrame();
    EXPECT_EQ(LeftOfStreamFrame(4)[0], (3 * FRAME - 2000) / 2); // where the pause left it
    sound.Stop();
    sound.Loop();
    RunLoopFrame();
    EXPECT_EQ(LeftOfStreamFrame(5)[0], 0);
    EXPECT_EQ(LeftOfStreamFrame(5)[2], 1);
}

TEST_F(SoundTest, VolumeScalesEveryVoiceNowAndLater) {
    SoundSystem system;
    ASSERT_TRUE(system.Start(window));
    Sound sound;
    ASSERT_TRUE(sound.Load(system, "Sounds\\long.wav"));
    sound.SetVolume(-602); // -6 dB: half
    EXPECT_EQ(sound.Volume(), -602);
    sound.Play();
    sound.Play();
    RunLoopFrame();
    EXPECT_EQ(LeftOfStreamFrame(0)[0], 2 * 2000);
    sound.SetVolume(DSBVOLUME_MIN - 500); // clamped to silence
    EXPECT_EQ(sound.Volume(), DSBVOLUME_MIN);
    RunLoopFrame();
    EXPECT_EQ(LeftOfStreamFrame(1)[0], 0);
}

TEST_F(SoundTest, ALostBufferIsRestoredFilledAgainAndPlayed) {
    SoundSystem system;
    ASSERT_TRUE(system.Start(window));
    Sound sound;
    ASSERT_TRUE(sound.Load(system, "Sounds\\level.wav"));
    subset::FailCall("Play", DSERR_BUFFERLOST, 1);
    const int restores = subset::CallCount("dsound!Restore");
    sound.Play();
    RunLoopFrame();
    EXPECT_EQ(subset::CallCount("dsound!Restore"), restores + 1);
    EXPECT_EQ(LeftOfStreamFrame(0)[0], 4000);
    EXPECT_TRUE(SoundLines().empty());
}

TEST_F(SoundTest, StoppingTheSystemReleasesItsSoundsBeforeTheDevice) {
    SoundSystem system;
    ASSERT_TRUE(system.Start(window));
    Sound sound;
    ASSERT_TRUE(sound.Load(system, "Sounds\\long.wav"));
    sound.Play();
    sound.Play(); // two voices
    const int releases = subset::CallCount("dsound!Release");
    system.Stop();
    EXPECT_EQ(subset::CallCount("dsound!Release"), releases + 3);
    EXPECT_FALSE(sound.IsLoaded());
    EXPECT_FALSE(system.IsOn());
    sound.Play(); // harmless
    RunLoopFrame();
    EXPECT_TRUE(headless::AudioPlayed().empty()); // no device, no stream
}

// --- Failing: one line, then silence, never an end ---------------------------------------

TEST_F(SoundTest, EachFailureWritesOneLineAndTheRestPlaysOnOrStaysSilent) {
    const struct {
        const char* name;
        const char* call; // injected failure, or null
        HRESULT result;
        const char* file;
        bool started; // the system is on
        bool loaded;  // the sound is
        const char* line;
    } CASES[] = {
        {"no sound device", "DirectSoundCreate", DSERR_NODRIVER, "Sounds\\level.wav", false, false,
         "Sound: DirectSoundCreate: DSERR_NODRIVER (no sound device or driver); no sound device, "
         "the game plays silently."},
        {"a refused window", "dsound!SetCooperativeLevel", DSERR_INVALIDPARAM, "Sounds\\level.wav",
         false, false,
         "Sound: SetCooperativeLevel: DSERR_INVALIDPARAM (a parameter was refused); the game "
         "plays silently."},
        {"no buffer", "CreateSoundBuffer", DSERR_OUTOFMEMORY, "Sounds\\level.wav", true, false,
         "Sound: CreateSoundBuffer for Sounds\\level.wav: DSERR_OUTOFMEMORY (out of memory); "
         "that sound stays silent."},
        {"no lock", "dsound!Lock", DSERR_GENERIC, "Sounds\\level.wav", true, false,
         "Sound: IDirectSoundBuffer::Lock: DSERR_GENERIC (the sound driver failed); that sound "
         "stays silent."},
        {"a missing file", nullptr, 0, "Sounds\\missing.wav", true, false,
         "Sound: Sounds\\missing.wav: not found; that sound stays silent."},
        {"not a WAV file", nullptr, 0, "Sounds\\text.wav", true, false,
         "Sound: Sounds\\text.wav: "},
        {"an unknown code", "DirectSoundCreate", static_cast<HRESULT>(0x88781234u),
         "Sounds\\level.wav", false, false,
         "Sound: DirectSoundCreate: 0x88781234; no sound device, the game plays silently."},
    };
    for (const auto& c : CASES) {
        SCOPED_TRACE(c.name);
        headless::Start();
        debugLog.Open("debug.txt");
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = PlainProc;
        windowClass.lpszClassName = "Tolvo";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(WS_EX_APPWINDOW, "Tolvo", "", WS_SYSMENU, 100, 100, 206, 126,
                                 nullptr, nullptr, nullptr, nullptr);
        if (c.call) {
            subset::FailCall(c.call, c.result, -1);
        }
        SoundSystem system;
        EXPECT_EQ(system.Start(window), c.started);
        Sound sound, other;
        EXPECT_EQ(sound.Load(system, c.file), c.loaded);
        other.Load(system, "Sounds\\missing.wav"); // a second problem, not written
        // Every call on a silent sound is harmless.
        sound.Play();
        sound.Loop();
        sound.SetVolume(-100);
        sound.Pause();
        sound.Stop();
        EXPECT_FALSE(sound.IsPlaying());
        RunLoopFrame();
        const std::vector<std::string> lines = SoundLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_THAT(lines[0], HasSubstr(c.line));
        EXPECT_GE(system.Problems(), 1);
    }
}

TEST_F(SoundTest, AnEmptySoundLoadsAndPlaysAsSilence) {
    SoundSystem system;
    ASSERT_TRUE(system.Start(window));
    Sound sound;
    EXPECT_FALSE(sound.Load(system, "Sounds\\empty.wav"));
    sound.Play();
    RunLoopFrame();
    EXPECT_EQ(LeftOfStreamFrame(0), std::vector<int16_t>(FRAME, 0));
    EXPECT_EQ(SoundLines().size(), 1u);
}

TEST_F(SoundTest, AFailingPlayIsWrittenOnceAndLaterPlaysStillWork) {
    SoundSystem system;
    ASSERT_TRUE(system.Start(window));
    Sound sound;
    ASSERT_TRUE(sound.Load(system, "Sounds\\level.wav"));
    subset::FailCall("Play", DSERR_GENERIC, 2);
    sound.Play();
    sound.Play();
    RunLoopFrame();
    EXPECT_EQ(LeftOfStreamFrame(0), std::vector<int16_t>(FRAME, 0));
    sound.Play();
    RunLoopFrame();
    EXPECT_EQ(LeftOfStreamFrame(1)[0], 4000);
    ASSERT_EQ(SoundLines().size(), 1u);
    EXPECT_EQ(SoundLines()[0],
              "Sound: IDirectSoundBuffer::Play: DSERR_GENERIC (the sound driver failed); a sound "
              "was not heard.");
}

} // namespace
