#include "engine/platform/hosts/headless/headless.h"

#include "engine/platform/hosts/headless/wave_capture.h"

#include <chrono>
#include <thread>

namespace headless {
namespace {

// What tests may keep of the sound in memory: two minutes, far more than any test plays.
const size_t KEPT_AUDIO_LIMIT = 2 * 60 * 44100 * 2;

class HeadlessHost : public subset::Host {
  public:
    subset::DesktopInfo desktop;
    bool realTime = false;
    std::vector<MessageBoxRecord> boxes;

    const char* Name() const override { return "headless"; }
    subset::DesktopInfo Desktop() const override { return desktop; }
    void WindowShown(const subset::WindowInfo&) override {}
    void WindowHidden(HWND) override {}
    bool DisplayMode(bool, int, int) override { return true; }
    void PollEvents() override {}
    void Present(const subset::Frame&) override {}

    void ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                        UINT type) override {
        boxes.push_back(MessageBoxRecord{owner, text, caption, type});
    }

    // Tests and recordings run as fast as the machine allows unless a rate was asked for.
    void Sleep(DWORD milliseconds) override {
        if (realTime) {
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        }
    }

    // A virtual device that is always there: deterministic, in step with the game's loop,
    // written to TOLVO_AUDIO_CAPTURE when asked for and kept in memory for tests.
    bool OpenAudio(int samplesPerSecond, int channels) override {
        audioRate = samplesPerSecond;
        audioChannels = channels;
        owed = 0;
        kept.clear();
        if (!audioCapture.empty()) {
            capture.Open(audioCapture, samplesPerSecond, channels);
        }
        return true;
    }

    // Exactly one frame of the desktop's refresh: 735 at 44100 Hz and 60 Hz. The sound a
    // frame starts is mixed at the beginning of the next, so the sound of frame N begins
    // at sample frame N * 735 of the stream.
    int AudioFramesWanted() override {
        const int refresh = desktop.refreshRate > 1 ? desktop.refreshRate : 60;
        owed += audioRate;
        const int frames = owed / refresh;
        owed -= frames * refresh;
        return frames;
    }

    void QueueAudio(const int16_t* samples, int frames) override {
        capture.Write(samples, frames);
        const size_t count = static_cast<size_t>(frames) * static_cast<size_t>(audioChannels);
        if (keepAudio && kept.size() + count <= KEPT_AUDIO_LIMIT) {
            kept.insert(kept.end(), samples, samples + count);
        }
    }

    void CloseAudio() override { capture.Close(); }

    std::string audioCapture;
    bool keepAudio = false;
    std::vector<int16_t> kept;

  private:
    WaveCapture capture;
    int audioRate = 0;
    int audioChannels = 2;
    int owed = 0;
};

HeadlessHost& Host() {
    static HeadlessHost host;
    return host;
}

void Use(const subset::DesktopInfo& desktop, bool realTime, const std::string& audioCapture,
         bool keepAudio) {
    HeadlessHost& host = Host();
    host.desktop = desktop;
    host.realTime = realTime;
    host.boxes.clear();
    host.audioCapture = audioCapture;
    host.keepAudio = keepAudio;
    host.kept.clear();
    subset::UseHost(&host);
}

} // namespace

bool Start(const subset::Settings& settings, std::string*) {
    Use(settings.desktop, settings.rateAsked, settings.audioCapture, false);
    return true;
}

void Start(const subset::DesktopInfo& desktop) {
    Use(desktop, false, std::string(), true);
}

void Stop() {
    subset::UseHost(nullptr);
}

const std::vector<MessageBoxRecord>& MessageBoxes() {
    return Host().boxes;
}

const std::vector<int16_t>& AudioPlayed() {
    return Host().kept;
}

} // namespace headless
