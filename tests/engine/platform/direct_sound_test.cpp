// DirectSound of the subset on the headless host: the results the engine can meet, each
// entry failing on request, and what reaches the stream frame by frame (735 sample frames
// of 44100 Hz stereo for each frame of the loop at 60 Hz).
#include "engine/platform/hosts/headless/headless.h"
#include "engine/platform/platform.h"
#include "engine/platform/subset/test_controls/test_controls.h"
#include "tests/engine/sound/stream_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

const int FRAME = STREAM_FRAME;

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

WAVEFORMATEX Format(WORD channels, DWORD rate, WORD bits) {
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = bits;
    format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    return format;
}

class DirectSoundTest : public ::testing::Test {
  protected:
    LPDIRECTSOUND directSound = nullptr;
    std::vector<LPDIRECTSOUNDBUFFER> buffers;
    HWND window = nullptr;
    WAVEFORMATEX format = Format(1, 22050, 16);

    void SetUp() override {
        headless::Start();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = PlainProc;
        windowClass.lpszClassName = "Tolvo";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        window = CreateWindowExA(WS_EX_APPWINDOW, "Tolvo", "", WS_SYSMENU, 100, 100, 206, 126,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOWNORMAL);
    }

    void TearDown() override {
        for (LPDIRECTSOUNDBUFFER buffer : buffers) {
            buffer->Release();
        }
        if (directSound) {
            directSound->Release();
        }
    }

    void Start() {
        ASSERT_EQ(DirectSoundCreate(nullptr, &directSound, nullptr), DS_OK);
        ASSERT_EQ(directSound->SetCooperativeLevel(window, DSSCL_PRIORITY), DS_OK);
    }

    DSBUFFERDESC Description(DWORD bytes, DWORD flags = DSBCAPS_CTRLVOLUME) {
        DSBUFFERDESC description = {};
        description.dwSize = sizeof description;
        description.dwFlags = flags;
        description.dwBufferBytes = bytes;
        description.lpwfxFormat = &format;
        return description;
    }

    // A buffer holding these 16-bit samples (of `format`).
    LPDIRECTSOUNDBUFFER Buffer(const std::vector<int16_t>& samples,
                               DWORD flags = DSBCAPS_CTRLVOLUME) {
        const DSBUFFERDESC description = Description(DWORD(samples.size() * 2), flags);
        LPDIRECTSOUNDBUFFER buffer = nullptr;
        EXPECT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
        if (!buffer) {
            return nullptr;
        }
        LPVOID part = nullptr;
        DWORD bytes = 0;
        EXPECT_EQ(buffer->Lock(0, 0, &part, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
        std::memcpy(part, samples.data(), bytes);
        EXPECT_EQ(buffer->Unlock(part, bytes, nullptr, 0), DS_OK);
        buffers.push_back(buffer);
        return buffer;
    }
};

// --- Results the engine can meet -------------------------------------------------------

TEST_F(DirectSoundTest, CreationRefusesWhatTheRealOneRefuses) {
    LPDIRECTSOUND made = nullptr;
    GUID device = {};
    IUnknown* outer = reinterpret_cast<IUnknown*>(&device);
    EXPECT_EQ(DirectSoundCreate(nullptr, nullptr, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(DirectSoundCreate(nullptr, &made, outer), DSERR_NOAGGREGATION);
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(DirectSoundCreate(&device, &made, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(made, nullptr);
}

TEST_F(DirectSoundTest, CooperativeLevelWantsAWindowAndALevel) {
    ASSERT_EQ(DirectSoundCreate(nullptr, &directSound, nullptr), DS_OK);
    const DSBUFFERDESC description = Description(100);
    LPDIRECTSOUNDBUFFER buffer = nullptr;
    EXPECT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr),
              DSERR_PRIOLEVELNEEDED);
    EXPECT_EQ(directSound->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DSERR_INVALIDPARAM);
    EXPECT_EQ(directSound->SetCooperativeLevel(reinterpret_cast<HWND>(&buffer), DSSCL_NORMAL),
              DSERR_INVALIDPARAM);
    EXPECT_EQ(directSound->SetCooperativeLevel(window, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(directSound->SetCooperativeLevel(window, DSSCL_WRITEPRIMARY), DSERR_UNSUPPORTED);
    for (DWORD level : {DSSCL_NORMAL, DSSCL_PRIORITY, DSSCL_EXCLUSIVE}) {
        EXPECT_EQ(directSound->SetCooperativeLevel(window, level), DS_OK);
    }
}

TEST_F(DirectSoundTest, BufferDescriptionsAreCheckedLikeTheRealOnes) {
    Start();
    const struct {
        const char* name;
        std::function<void(DSBUFFERDESC&, WAVEFORMATEX&)> change;
        HRESULT result;
    } CASES[] = {
        {"as the engine asks", [](DSBUFFERDESC&, WAVEFORMATEX&) {}, DS_OK},
        {"the description without its DirectX 7 GUID",
         [](DSBUFFERDESC& d, WAVEFORMATEX&) { d.dwSize = sizeof d - sizeof(GUID); }, DS_OK},
        {"8-bit stereo 11025 Hz", [](DSBUFFERDESC&, WAVEFORMATEX& f) { f = Format(2, 11025, 8); },
         DS_OK},
        {"a wrong description size", [](DSBUFFERDESC& d, WAVEFORMATEX&) { d.dwSize = 8; },
         DSERR_INVALIDPARAM},
        {"no format", [](DSBUFFERDESC& d, WAVEFORMATEX&) { d.lpwfxFormat = nullptr; },
         DSERR_INVALIDPARAM},
        {"the primary buffer",
         [](DSBUFFERDESC& d, WAVEFORMATEX&) { d.dwFlags = DSBCAPS_PRIMARYBUFFER; },
         DSERR_UNSUPPORTED},
        {"floating-point samples", [](DSBUFFERDESC&, WAVEFORMATEX& f) { f.wFormatTag = 3; },
         DSERR_BADFORMAT},
        {"24-bit samples", [](DSBUFFERDESC&, WAVEFORMATEX& f) { f = Format(1, 22050, 24); },
         DSERR_BADFORMAT},
        {"three channels", [](DSBUFFERDESC&, WAVEFORMATEX& f) { f = Format(3, 22050, 16); },
         DSERR_BADFORMAT},
        {"a block that is not one frame", [](DSBUFFERDESC&, WAVEFORMATEX& f) { f.nBlockAlign = 4; },
         DSERR_INVALIDPARAM},
        {"bytes a second that do not match",
         [](DSBUFFERDESC&, WAVEFORMATEX& f) { f.nAvgBytesPerSec = 1; }, DSERR_INVALIDPARAM},
        {"a rate below 100 Hz", [](DSBUFFERDESC&, WAVEFORMATEX& f) { f = Format(1, 99, 16); },
         DSERR_INVALIDPARAM},
        {"fewer than four bytes", [](DSBUFFERDESC& d, WAVEFORMATEX&) { d.dwBufferBytes = 3; },
         DSERR_INVALIDPARAM},
        {"more than 256 MiB",
         [](DSBUFFERDESC& d, WAVEFORMATEX&) { d.dwBufferBytes = DSBSIZE_MAX + 1; },
         DSERR_INVALIDPARAM},
    };
    for (const auto& c : CASES) {
        SCOPED_TRACE(c.name);
        format = Format(1, 22050, 16);
        DSBUFFERDESC description = Description(1000);
        c.change(description, format);
        LPDIRECTSOUNDBUFFER buffer = reinterpret_cast<LPDIRECTSOUNDBUFFER>(&description);
        EXPECT_EQ(directSound->CreateSoundBuffer(&description, &buffer, nullptr), c.result);
        if (c.result == DS_OK) {
            ASSERT_NE(buffer, nullptr);
            buffers.push_back(buffer);
        } else {
            EXPECT_EQ(buffer, nullptr);
        }
    }
}

TEST_F(DirectSoundTest, BufferCallsCheckTheirArguments) {
    Start();
    LPDIRECTSOUNDBUFFER buffer = Buffer(std::vector<int16_t>(50, 0));
    LPDIRECTSOUNDBUFFER fixed = Buffer(std::vector<int16_t>(50, 0), 0);
    DWORD status = 0;
    EXPECT_EQ(buffer->SetVolume(DSBVOLUME_MIN - 1), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetVolume(DSBVOLUME_MAX + 1), DSERR_INVALIDPARAM);
    EXPECT_EQ(fixed->SetVolume(-100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(buffer->SetCurrentPosition(100), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetCurrentPosition(99), DS_OK);
    DWORD play = 1, write = 1;
    EXPECT_EQ(buffer->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_EQ(play, 98u); // rounded down to a whole sample frame
    EXPECT_EQ(write, 98u);
    EXPECT_EQ(buffer->Play(1, 0, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Play(0, 1, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->GetStatus(nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(directSound->DuplicateSoundBuffer(nullptr, &buffer), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, LockPastTheEndWrapsToTheStartInASecondPart) {
    Start();
    LPDIRECTSOUNDBUFFER buffer = Buffer(std::vector<int16_t>(50, 0));
    LPVOID first = nullptr, second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    ASSERT_EQ(buffer->Lock(80, 40, &first, &firstBytes, &second, &secondBytes, 0), DS_OK);
    EXPECT_EQ(firstBytes, 20u);
    EXPECT_EQ(secondBytes, 20u);
    EXPECT_EQ(static_cast<uint8_t*>(first) - static_cast<uint8_t*>(second), 80);
    EXPECT_EQ(buffer->Unlock(first, firstBytes, second, secondBytes), DS_OK);
    EXPECT_EQ(buffer->Lock(0, 101, &first, &firstBytes, &second, &secondBytes, 0),
              DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(100, 4, &first, &firstBytes, &second, &secondBytes, 0),
              DSERR_INVALIDPARAM);
    int16_t elsewhere[4];
    EXPECT_EQ(buffer->Unlock(elsewhere, 8, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Unlock(first, 1000, nullptr, 0), DSERR_INVALIDPARAM);
}

TEST(DirectSoundHost, AHostWithoutSoundHasNoDriver) {
    // A host that keeps the seam's defaults, as one written before sound existed.
    struct SilentHost : subset::Host {
        const char* Name() const override { return "silent"; }
        subset::DesktopInfo Desktop() const override { return subset::DesktopInfo(); }
        void WindowShown(const subset::WindowInfo&) override {}
        void WindowHidden(HWND) override {}
        bool DisplayMode(bool, int, int) override { return true; }
        void PollEvents() override {}
        void Present(const subset::Frame&) override {}
        void ShowMessageBox(HWND, const std::string&, const std::string&, UINT) override {}
        void Sleep(DWORD) override {}
    } silent;
    subset::UseHost(&silent);
    LPDIRECTSOUND made = nullptr;
    EXPECT_EQ(DirectSoundCreate(nullptr, &made, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(made, nullptr);
    subset::UseHost(nullptr);
}

// --- Every entry can fail on request ------------------------------------------------------

TEST_F(DirectSoundTest, EachEntryFailsWithTheInjectedResultAndChangesNothing) {
    Start();
    LPDIRECTSOUNDBUFFER buffer = Buffer(std::vector<int16_t>(2000, 1000));
    LPVOID part = nullptr;
    DWORD bytes = 0, status = 0, cursor = 0;
    LPDIRECTSOUNDBUFFER made = nullptr;
    LPDIRECTSOUND device = nullptr;
    const DSBUFFERDESC description = Description(100);
    const struct {
        const char* call;
        std::function<HRESULT()> make;
    } CASES[] = {
        {"DirectSoundCreate", [&] { return DirectSoundCreate(nullptr, &device, nullptr); }},
        {"dsound!SetCooperativeLevel",
         [&] { return directSound->SetCooperativeLevel(window, DSSCL_NORMAL); }},
        {"CreateSoundBuffer",
         [&] { return directSound->CreateSoundBuffer(&description, &made, nullptr); }},
        {"DuplicateSoundBuffer", [&] { return directSound->DuplicateSoundBuffer(buffer, &made); }},
        {"dsound!Lock",
         [&] { return buffer->Lock(0, 0, &part, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER); }},
        {"dsound!Unlock", [&] { return buffer->Unlock(part, bytes, nullptr, 0); }},
        {"Play", [&] { return buffer->Play(0, 0, DSBPLAY_LOOPING); }},
        {"Stop", [&] { return buffer->Stop(); }},
        {"SetVolume", [&] { return buffer->SetVolume(-500); }},
        {"SetCurrentPosition", [&] { return buffer->SetCurrentPosition(2); }},
        {"GetCurrentPosition", [&] { return buffer->GetCurrentPosition(&cursor, nullptr); }},
        {"GetStatus", [&] { return buffer->GetStatus(&status); }},
        {"dsound!Restore", [&] { return buffer->Restore(); }},
    };
    for (const auto& c : CASES) {
        SCOPED_TRACE(c.call);
        const int before = subset::CallCount(c.call);
        subset::FailCall(c.call, DSERR_BUFFERLOST, 1);
        EXPECT_EQ(c.make(), DSERR_BUFFERLOST);
        EXPECT_EQ(subset::CallCount(c.call), before + 1);
        EXPECT_EQ(made, nullptr);
        EXPECT_EQ(device, nullptr);
        EXPECT_EQ(c.make(), DS_OK); // once only
        if (made) {
            made->Release();
            made = nullptr;
        }
        if (device) {
            device->Release();
            device = nullptr;
        }
        buffer->Stop();
    }
    // The failed Play started nothing: the stream stayed silent.
    subset::FailCall("Play", DSERR_GENERIC, 1);
    buffer->Play(0, 0, 0);
    RunLoopFrame();
    RunLoopFrame();
    EXPECT_EQ(LeftOfStreamFrame(1), std::vector<int16_t>(FRAME, 0));
}

// --- What reaches the stream ----------------------------------------------------------------

TEST_F(DirectSoundTest, APlayStartsInTheStreamAtTheNextFrameOfTheLoop) {
    Start();
    LPDIRECTSOUNDBUFFER buffer = Buffer({3000, 3000, 3000});
    RunLoopFrame(); // stream frame 0: nothing playing
    buffer->Play(0, 0, 0);
    RunLoopFrame(); // stream frame 1: the sound, from its first sample
    RunLoopFrame();
    ASSERT_EQ(headless::AudioPlayed().size(), size_t(3 * FRAME * 2));
    EXPECT_EQ(LeftOfStreamFrame(0), std::vector<int16_t>(FRAME, 0));
    const std::vector<int16_t> first = LeftOfStreamFrame(1);
    EXPECT_EQ(std::vector<int16_t>(first.begin(), first.begin() + 7),
              std::vector<int16_t>({3000, 3000, 3000, 3000, 3000, 3000, 0}));
    DWORD status = 1;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, 0u); // a one-shot stops at its end
    const std::vector<int16_t>& played = headless::AudioPlayed();
    EXPECT_EQ(played[FRAME * 2], played[FRAME * 2 + 1]); // mono in both channels
}

TEST_F(DirectSoundTest, DuplicatesShareTheBytesButNotCursorVolumeOrStatus) {
    Start();
    LPDIRECTSOUNDBUFFER original = Buffer({8000, 8000, 8000, 8000});
    LPDIRECTSOUNDBUFFER copy = nullptr;
    ASSERT_EQ(directSound->DuplicateSoundBuffer(original, &copy), DS_OK);
    buffers.push_back(copy);
    ASSERT_EQ(copy->SetVolume(-602), DS_OK); // half as loud
    original->Play(0, 0, DSBPLAY_LOOPING);
    copy->Play(0, 0, 0);
    RunLoopFrame();
    const std::vector<int16_t> left = LeftOfStreamFrame(0);
    EXPECT_EQ(left[0], 8000 + 4000);
    EXPECT_EQ(left[7], 8000 + 4000); // both still on the fourth frame at 22050 Hz
    EXPECT_EQ(left[8], 8000);        // the one-shot has ended, the loop goes on
    DWORD loopStatus = 0, copyStatus = 1;
    original->GetStatus(&loopStatus);
    copy->GetStatus(&copyStatus);
    EXPECT_EQ(loopStatus, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(copyStatus, 0u);
}

TEST_F(DirectSoundTest, StopKeepsThePlaceAndPlayGoesOnFromIt) {
    Start();
    std::vector<int16_t> ramp;
    for (int i = 0; i < 4000; i++) {
        ramp.push_back(static_cast<int16_t>(i));
    }
    LPDIRECTSOUNDBUFFER buffer = Buffer(ramp);
    buffer->Play(0, 0, 0);
    RunLoopFrame(); // 735 stream frames: 367.5 source frames
    buffer->Stop();
    DWORD cursor = 0;
    buffer->GetCurrentPosition(&cursor, nullptr);
    EXPECT_EQ(cursor, 367u * 2);
    RunLoopFrame(); // silent while stopped
    buffer->Play(0, 0, 0);
    RunLoopFrame();
    EXPECT_EQ(LeftOfStreamFrame(1), std::vector<int16_t>(FRAME, 0));
    EXPECT_EQ(LeftOfStreamFrame(2)[0], 367);
}

TEST_F(DirectSoundTest, TheStreamClosesWithTheLastDirectSoundObjectAndWithTheHost) {
    Start();
    LPDIRECTSOUNDBUFFER buffer = Buffer({1000, 1000});
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    RunLoopFrame();
    const size_t played = headless::AudioPlayed().size();
    EXPECT_EQ(played, size_t(FRAME * 2));
    directSound->Release();
    directSound = nullptr;
    RunLoopFrame();
    EXPECT_EQ(headless::AudioPlayed().size(), played); // no stream, nothing queued
    // A buffer outliving its host is only memory: releasing it later is harmless.
    headless::Start();
    EXPECT_EQ(buffer->Play(0, 0, 0), DS_OK);
    RunLoopFrame();
    EXPECT_TRUE(headless::AudioPlayed().empty());
}

} // namespace
