// The sound part of the engine: one DirectSound object for the main window, started after
// the display. Sound never stops the game: when anything fails (no device, a driver that
// refuses, a failing call, a missing or bad file) the sound part writes one line to
// debug.txt, its only one, and the game plays on, silently where it must.
#ifndef TOLVO_ENGINE_SOUND_SOUND_SYSTEM_H
#define TOLVO_ENGINE_SOUND_SOUND_SYSTEM_H

#include "engine/platform/platform.h"

#include <cstdint>
#include <string>
#include <vector>

class Sound;

// The program's sound device: start it once, then load Sounds with it.
class SoundSystem {
  public:
    SoundSystem() = default;
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // After the display's start-up: DirectSoundCreate and the cooperative level for the
    // main window. False, with the line in debug.txt, when there is no sound to be had.
    bool Start(HWND window);
    // Frees every Sound loaded with it, then releases the DirectSound object. Called at the
    // latest when the program exits, before the platform's own state goes away.
    void Stop();
    bool IsOn() const { return directSound != nullptr; }
    LPDIRECTSOUND Device() const { return directSound; }

    // A problem, as one line without its newline ("Sound: ..."). Only the first of a run
    // reaches debug.txt: one line says sound is unwell, more would bury the display's.
    void Report(const std::string& line);
    // A DirectSound call that failed: "Sound: WHAT: DSERR_... (meaning)" plus `consequence`.
    void ReportCall(const char* what, int32_t result, const char* consequence);
    int Problems() const { return problems; }

    // Sound::Load and Sound::Free: the sounds whose buffers came from this device.
    void Add(Sound* sound);
    void Remove(Sound* sound);

  private:
    LPDIRECTSOUND directSound = nullptr;
    std::vector<Sound*> sounds;
    int problems = 0;
};

#endif
