// Reader of uncompressed PCM WAV files, the sounds the engine hands to DirectSound.
#ifndef TOLVO_ENGINE_SOUND_WAVE_H
#define TOLVO_ENGINE_SOUND_WAVE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Largest file the reader takes: the game's sounds are short effects and loops, so a
// larger file is a mistake, and refusing it bounds what a load can allocate.
constexpr size_t WAVE_MAX_BYTES = 64 * 1024 * 1024;
// Sample rates the reader accepts, in frames a second.
constexpr uint32_t WAVE_MIN_RATE = 4000;
constexpr uint32_t WAVE_MAX_RATE = 192000;

// The sample layout of a sound, as WAVEFORMATEX describes PCM.
struct WaveFormat {
    uint16_t channels = 0;         // 1 or 2
    uint32_t samplesPerSecond = 0; // e.g. 22050, 44100
    uint16_t bitsPerSample = 0;    // 8 (unsigned) or 16 (signed, little-endian)
    uint16_t blockAlign = 0;       // bytes of one frame: channels * bitsPerSample / 8
};

// The format and samples of a WAV file.
class Wave {
  public:
    WaveFormat format;            // how the samples are laid out
    std::vector<uint8_t> samples; // the PCM data as stored, whole frames only

    // Reads an uncompressed PCM WAV file; the name is Windows-style ("Sounds\splash.wav")
    // and is resolved as File resolves names. False, with a one-line reason in *error
    // ("Sounds\splash.wav: not found", no newline), and the Wave left empty, for anything
    // it cannot play. Never ends the process: a sound that cannot load is only missing.
    bool Load(const char* fileName, std::string* error);
    // The same from bytes in memory (tests, fuzzing); name only labels the messages.
    bool Parse(const uint8_t* bytes, size_t size, const char* name, std::string* error);
    // Whole frames in samples; 0 for an empty Wave.
    size_t Frames() const;

  private:
    void Clear();
};

#endif
