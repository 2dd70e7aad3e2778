// A WAV file of 16-bit PCM written as the sound is played (TOLVO_AUDIO_CAPTURE): its header
// is brought up to date with every write, so the file is whole however the program ends.
#ifndef TOLVO_ENGINE_PLATFORM_HOSTS_HEADLESS_WAVE_CAPTURE_H
#define TOLVO_ENGINE_PLATFORM_HOSTS_HEADLESS_WAVE_CAPTURE_H

#include <cstdint>
#include <cstdio>
#include <string>

namespace headless {

class WaveCapture {
  public:
    WaveCapture() = default;
    ~WaveCapture();
    WaveCapture(const WaveCapture&) = delete;
    WaveCapture& operator=(const WaveCapture&) = delete;

    // Creates (or empties) the file; false, with a line on standard error, when it cannot.
    bool Open(const std::string& path, int samplesPerSecond, int channels);
    // Appends whole frames. A write that fails, or a file grown to the largest a WAV file
    // can describe, ends the capture with one line on standard error.
    void Write(const int16_t* samples, int frames);
    void Close();
    bool IsOpen() const { return file != nullptr; }

  private:
    bool WriteHeader();
    // Closes a file whose failure was already reported.
    void Abandon();

    std::FILE* file = nullptr;
    std::string path;
    uint32_t dataBytes = 0;
    int rate = 0;
    int channels = 0;
};

} // namespace headless

#endif
