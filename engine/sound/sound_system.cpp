#include "engine/sound/sound_system.h"

#include "engine/file/debug_log.h"
#include "engine/sound/direct_sound_result.h"
#include "engine/sound/sound.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Systems started and not stopped. Never destroyed: a system destroyed among the program's
// globals after exit's handlers still finds it.
std::vector<SoundSystem*>& Started() {
    static std::vector<SoundSystem*>* started = new std::vector<SoundSystem*>();
    return *started;
}

// At exit, before the destructors of everything made before the first device (the
// platform's state among them): every device and buffer is released while its platform is
// still there, as a program on Windows releases its DirectSound objects before the
// libraries go.
void StopAll() {
    const std::vector<SoundSystem*> systems = Started();
    for (SoundSystem* system : systems) {
        system->Stop();
    }
}

} // namespace

SoundSystem::~SoundSystem() {
    Stop();
}

bool SoundSystem::Start(HWND window) {
    Stop();
    HRESULT result = DirectSoundCreate(nullptr, &directSound, nullptr);
    if (result != DS_OK || directSound == nullptr) {
        directSound = nullptr;
        ReportCall("DirectSoundCreate", result, "no sound device, the game plays silently");
        return false;
    }
    Started().push_back(this);
    static const bool stopsAtExit = std::atexit(StopAll) == 0;
    (void)stopsAtExit;
    // Priority is what games ask for: the device's format may suit the game, not the desktop.
    result = directSound->SetCooperativeLevel(window, DSSCL_PRIORITY);
    if (result != DS_OK) {
        ReportCall("SetCooperativeLevel", result, "the game plays silently");
        Stop();
        return false;
    }
    return true;
}

void SoundSystem::Stop() {
    const std::vector<Sound*> loaded = sounds;
    for (Sound* sound : loaded) {
        sound->Free();
    }
    std::vector<SoundSystem*>& started = Started();
    started.erase(std::remove(started.begin(), started.end(), this), started.end());
    if (directSound != nullptr) {
        directSound->Release();
        directSound = nullptr;
    }
}

void SoundSystem::Add(Sound* sound) {
    sounds.push_back(sound);
}

void SoundSystem::Remove(Sound* sound) {
    sounds.erase(std::remove(sounds.begin(), sounds.end(), sound), sounds.end());
}

void SoundSystem::Report(const std::string& line) {
    if (problems++ == 0) {
        debugLog.Write((line + "\n").c_str(), "");
    }
}

void SoundSystem::ReportCall(const char* what, int32_t result, const char* consequence) {
    Report(std::string("Sound: ") + what + ": " + DescribeDirectSoundResult(result) + "; " +
           consequence + ".");
}
