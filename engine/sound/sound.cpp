#include "engine/sound/sound.h"

#include <cstring>
#include <string>

Sound::~Sound() {
    Free();
}

bool Sound::Load(SoundSystem& newSystem, const char* fileName) {
    Free();
    system = &newSystem;
    if (!system->IsOn()) {
        return false;
    }
    Wave wave;
    std::string error;
    if (!wave.Load(fileName, &error)) {
        system->Report("Sound: " + error + "; that sound stays silent.");
        return false;
    }
    WAVEFORMATEX format;
    std::memset(&format, 0, sizeof format);
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = wave.format.channels;
    format.nSamplesPerSec = wave.format.samplesPerSecond;
    format.wBitsPerSample = wave.format.bitsPerSample;
    format.nBlockAlign = wave.format.blockAlign;
    format.nAvgBytesPerSec = wave.format.samplesPerSecond * wave.format.blockAlign;
    DSBUFFERDESC description;
    std::memset(&description, 0, sizeof description);
    description.dwSize = sizeof description;
    // Volume is the only control the game needs; the second cursor flag asks emulated
    // drivers for the exact play position.
    description.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2;
    description.dwBufferBytes = static_cast<DWORD>(wave.samples.size());
    description.lpwfxFormat = &format;
    LPDIRECTSOUNDBUFFER buffer = nullptr;
    HRESULT result = system->Device()->CreateSoundBuffer(&description, &buffer, nullptr);
    if (result != DS_OK || buffer == nullptr) {
        system->ReportCall((std::string("CreateSoundBuffer for ") + fileName).c_str(), result,
                           "that sound stays silent");
        return false;
    }
    samples.swap(wave.samples);
    if (!Fill(buffer)) {
        buffer->Release();
        samples.clear();
        return false;
    }
    voices[0] = buffer;
    voiceCount = 1;
    system->Add(this);
    oldest = 0;
    if (volume != DSBVOLUME_MAX) {
        SetVolume(volume);
    }
    return true;
}

void Sound::Free() {
    if (system != nullptr && voices[0] != nullptr) {
        system->Remove(this);
    }
    for (LPDIRECTSOUNDBUFFER& voice : voices) {
        if (voice != nullptr) {
            voice->Stop();
            voice->Release();
            voice = nullptr;
        }
    }
    voiceCount = 0;
    oldest = 0;
    samples.clear();
}

bool Sound::Fill(LPDIRECTSOUNDBUFFER buffer) {
    LPVOID first = nullptr, second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    HRESULT result =
        buffer->Lock(0, 0, &first, &firstBytes, &second, &secondBytes, DSBLOCK_ENTIREBUFFER);
    if (result != DS_OK || first == nullptr) {
        system->ReportCall("IDirectSoundBuffer::Lock", result, "that sound stays silent");
        return false;
    }
    const size_t size = samples.size();
    const size_t head = firstBytes < size ? firstBytes : size;
    std::memcpy(first, samples.data(), head);
    if (second != nullptr && head < size) {
        const size_t tail = secondBytes < size - head ? secondBytes : size - head;
        std::memcpy(second, samples.data() + head, tail);
    }
    buffer->Unlock(first, firstBytes, second, secondBytes);
    return true;
}

bool Sound::Playing(int voice) const {
    DWORD status = 0;
    return voices[voice] != nullptr && voices[voice]->GetStatus(&status) == DS_OK &&
           (status & DSBSTATUS_PLAYING) != 0;
}

bool Sound::IsPlaying() const {
    for (int voice = 0; voice < voiceCount; voice++) {
        if (Playing(voice)) {
            return true;
        }
    }
    return false;
}

// A voice that is not playing, a new duplicate when all are, or the oldest play.
int Sound::FreeVoice() {
    for (int voice = 0; voice < voiceCount; voice++) {
        if (!Playing(voice)) {
            return voice;
        }
    }
    if (voiceCount < SOUND_VOICES) {
        LPDIRECTSOUNDBUFFER copy = nullptr;
        if (system->Device()->DuplicateSoundBuffer(voices[0], &copy) == DS_OK && copy != nullptr) {
            voices[voiceCount] = copy;
            if (volume != DSBVOLUME_MAX) {
                copy->SetVolume(volume);
            }
            return voiceCount++;
        }
        // No duplicate (some drivers refuse): the oldest play starts again instead.
    }
    const int voice = oldest;
    oldest = (oldest + 1) % voiceCount;
    return voice;
}

// Plays a voice from its cursor; a buffer whose memory was lost is restored, filled again
// and tried once more.
bool Sound::Start(int voice, DWORD flags) {
    LPDIRECTSOUNDBUFFER buffer = voices[voice];
    HRESULT result = buffer->Play(0, 0, flags);
    if (result == DSERR_BUFFERLOST && buffer->Restore() == DS_OK && Fill(buffer)) {
        result = buffer->Play(0, 0, flags);
    }
    if (result != DS_OK) {
        system->ReportCall("IDirectSoundBuffer::Play", result, "a sound was not heard");
        return false;
    }
    return true;
}

void Sound::Play() {
    if (!IsLoaded()) {
        return;
    }
    const int voice = FreeVoice();
    voices[voice]->Stop();
    voices[voice]->SetCurrentPosition(0);
    Start(voice, 0);
}

void Sound::Loop() {
    if (!IsLoaded()) {
        return;
    }
    DWORD status = 0;
    if (voices[0]->GetStatus(&status) == DS_OK && (status & DSBSTATUS_LOOPING)) {
        return;
    }
    Start(0, DSBPLAY_LOOPING);
}

void Sound::Stop() {
    for (int voice = 0; voice < voiceCount; voice++) {
        voices[voice]->Stop();
        voices[voice]->SetCurrentPosition(0);
    }
}

void Sound::Pause() {
    for (int voice = 0; voice < voiceCount; voice++) {
        voices[voice]->Stop();
    }
}

void Sound::SetVolume(int32_t hundredthsOfDb) {
    volume = hundredthsOfDb < DSBVOLUME_MIN   ? DSBVOLUME_MIN
             : hundredthsOfDb > DSBVOLUME_MAX ? DSBVOLUME_MAX
                                              : hundredthsOfDb;
    for (int voice = 0; voice < voiceCount; voice++) {
        HRESULT result = voices[voice]->SetVolume(volume);
        if (result != DS_OK) {
            system->ReportCall("IDirectSoundBuffer::SetVolume", result, "its volume is unchanged");
            return;
        }
    }
}
