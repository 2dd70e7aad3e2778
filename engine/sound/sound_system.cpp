#include "engine/sound/sound_system.h"

#include "engine/file/debug_log.h"
#include "engine/sound/direct_sound_result.h"

SoundSystem::~SoundSystem() {
    Stop();
}

bool SoundSystem::Start(HWND window) {
    Stop();
    HRESULT result = DirectSoundCreate(nullptr, &directSound, nullptr);
    if (result != DS_OK || directSound == nullptr) {
        directSound = nullptr;
        ReportCall("DirectSoundCreate", result, "sound off");
        return false;
    }
    // Priority is what games ask for: the device's format may suit the game, not the desktop.
    result = directSound->SetCooperativeLevel(window, DSSCL_PRIORITY);
    if (result != DS_OK) {
        ReportCall("SetCooperativeLevel", result, "sound off");
        Stop();
        return false;
    }
    return true;
}

void SoundSystem::Stop() {
    if (directSound != nullptr) {
        directSound->Release();
        directSound = nullptr;
    }
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
