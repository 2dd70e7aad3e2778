// A sound loaded from a WAV file into a DirectSound buffer of its own format: played
// once (over itself when played again before it ends), looped, paused, stopped, at a
// volume. A sound that could not be made stays silent; every call on it is harmless.
#ifndef TOLVO_ENGINE_SOUND_SOUND_H
#define TOLVO_ENGINE_SOUND_SOUND_H

#include "engine/platform/platform.h"
#include "engine/sound/sound_system.h"
#include "engine/sound/wave.h"

#include <cstdint>
#include <vector>

// Plays of one sound that can be heard at once; a further play takes over the oldest.
constexpr int SOUND_VOICES = 4;

// One sound effect or piece of music.
class Sound {
  public:
    Sound() = default;
    ~Sound();
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // Reads the file (a Windows-style name, "Sounds\\splash.wav") and fills a buffer of the
    // system's device with it. False when the system is off (silently: it has said so) or
    // the file or a call fails (reported to the system).
    bool Load(SoundSystem& system, const char* fileName);
    // Releases every buffer; the sound is silent until loaded again.
    void Free();
    bool IsLoaded() const { return voices[0] != nullptr; }

    // A play from the start, on a voice of its own so that earlier plays ring on.
    void Play();
    // Plays looped from where a Pause left it (the start at first), unless it loops already.
    void Loop();
    // Every voice stops and goes back to the start.
    void Stop();
    // Every voice stops where it is; Loop continues from there.
    void Pause();
    // Hundredths of a decibel, DSBVOLUME_MIN (silence) to DSBVOLUME_MAX (as recorded), for
    // this play and every later one.
    void SetVolume(int32_t hundredthsOfDb);
    int32_t Volume() const { return volume; }
    // Whether any voice is playing now.
    bool IsPlaying() const;
    // Voices made so far: 1 after Load, more once plays overlap.
    int Voices() const { return voiceCount; }

  private:
    bool Fill(LPDIRECTSOUNDBUFFER buffer);
    bool Playing(int voice) const;
    int FreeVoice();
    bool Start(int voice, DWORD flags);

    SoundSystem* system = nullptr;
    LPDIRECTSOUNDBUFFER voices[SOUND_VOICES] = {};
    int voiceCount = 0;
    int oldest = 0;               // the voice a play takes over when all are busy
    std::vector<uint8_t> samples; // kept to fill a buffer again after it was lost
    int32_t volume = DSBVOLUME_MAX;
};

#endif
