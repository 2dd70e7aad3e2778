// dsound: the DirectSound object and its secondary buffers, with the checks and results of
// the real ones. A buffer's bytes are shared with its duplicates; each has its own voice
// (cursor, volume, playing or not), which the sound stream mixes while it plays.
#include "engine/platform/subset/test_controls/calls.h"
#include "engine/platform/subset/sdk/dsound.h"
#include "engine/platform/subset/dsound/sound_stream.h"
#include "engine/platform/subset/user32/window_manager.h"

#include <cstddef>
#include <memory>
#include <new>
#include <vector>

namespace subset {
namespace {

// Rates DirectSound plays (DSBFREQUENCY_MIN to DSBFREQUENCY_MAX).
const DWORD RATE_MIN = 100;
const DWORD RATE_MAX = 200000;
// A description may be the DirectX 7 one (with guid3DAlgorithm) or the older one without.
const DWORD OLD_DESCRIPTION_SIZE = offsetof(DSBUFFERDESC, guid3DAlgorithm);

HRESULT CheckFormat(const WAVEFORMATEX& format) {
    if (format.wFormatTag != WAVE_FORMAT_PCM || format.nChannels < 1 || format.nChannels > 2 ||
        (format.wBitsPerSample != 8 && format.wBitsPerSample != 16)) {
        return DSERR_BADFORMAT;
    }
    if (format.nSamplesPerSec < RATE_MIN || format.nSamplesPerSec > RATE_MAX ||
        format.nBlockAlign != format.nChannels * format.wBitsPerSample / 8 ||
        format.nAvgBytesPerSec != format.nSamplesPerSec * format.nBlockAlign) {
        return DSERR_INVALIDPARAM;
    }
    return DS_OK;
}

class SoundBuffer : public IDirectSoundBuffer {
  public:
    SoundBuffer(std::shared_ptr<std::vector<uint8_t>> memory, const WAVEFORMATEX& format,
                DWORD caps, int generation)
        : memory(std::move(memory)), format(format), caps(caps), generation(generation) {
        voice.bytes = this->memory->data();
        voice.frames = static_cast<uint32_t>(this->memory->size() / format.nBlockAlign);
        voice.channels = format.nChannels;
        voice.bitsPerSample = format.wBitsPerSample;
        voice.rate = format.nSamplesPerSec;
        AddVoice(&voice, generation);
    }

    // A duplicate: the same bytes, format, capabilities and volume; stopped at the start.
    SoundBuffer* Duplicate() const {
        SoundBuffer* copy = new (std::nothrow) SoundBuffer(memory, format, caps, generation);
        if (copy) {
            copy->volume = volume;
            copy->voice.gain = voice.gain;
        }
        return copy;
    }

    ULONG AddRef() override { return ++references; }

    ULONG Release() override {
        CallFails("dsound!Release");
        ULONG left = --references;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* audio1, LPDWORD bytes1, LPVOID* audio2,
                 LPDWORD bytes2, DWORD flags) override {
        HRESULT failure;
        if (CallFails("dsound!Lock", &failure)) {
            return failure;
        }
        const DWORD size = Size();
        if (flags & DSBLOCK_FROMWRITECURSOR) {
            offset = PlayCursor();
        }
        if (flags & DSBLOCK_ENTIREBUFFER) {
            bytes = size;
        }
        if (!audio1 || !bytes1 || bytes == 0 || bytes > size || offset >= size) {
            return DSERR_INVALIDPARAM;
        }
        // A range past the end wraps to the start, in a second part.
        const DWORD first = bytes < size - offset ? bytes : size - offset;
        *audio1 = memory->data() + offset;
        *bytes1 = first;
        if (audio2) {
            *audio2 = first < bytes ? memory->data() : nullptr;
        }
        if (bytes2) {
            *bytes2 = bytes - first;
        }
        return DS_OK;
    }

    HRESULT Unlock(LPVOID audio1, DWORD bytes1, LPVOID audio2, DWORD bytes2) override {
        HRESULT failure;
        if (CallFails("dsound!Unlock", &failure)) {
            return failure;
        }
        if (!Within(audio1, bytes1) || (audio2 && !Within(audio2, bytes2))) {
            return DSERR_INVALIDPARAM;
        }
        return DS_OK;
    }

    HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags) override {
        HRESULT failure;
        if (CallFails("Play", &failure)) {
            return failure;
        }
        if (reserved1 != 0 || priority != 0) {
            return DSERR_INVALIDPARAM; // priority is only for deferred voices, not made here
        }
        voice.looping = (flags & DSBPLAY_LOOPING) != 0;
        voice.playing = true;
        return DS_OK;
    }

    HRESULT Stop() override {
        HRESULT failure;
        if (CallFails("Stop", &failure)) {
            return failure;
        }
        voice.playing = false;
        return DS_OK;
    }

    HRESULT SetVolume(LONG newVolume) override {
        HRESULT failure;
        if (CallFails("SetVolume", &failure)) {
            return failure;
        }
        if (!(caps & DSBCAPS_CTRLVOLUME)) {
            return DSERR_CONTROLUNAVAIL;
        }
        if (newVolume < DSBVOLUME_MIN || newVolume > DSBVOLUME_MAX) {
            return DSERR_INVALIDPARAM;
        }
        volume = newVolume;
        voice.gain = GainOfVolume(newVolume);
        return DS_OK;
    }

    HRESULT SetCurrentPosition(DWORD position) override {
        HRESULT failure;
        if (CallFails("SetCurrentPosition", &failure)) {
            return failure;
        }
        if (position >= Size()) {
            return DSERR_INVALIDPARAM;
        }
        voice.position = static_cast<uint64_t>(position / format.nBlockAlign) << 32;
        return DS_OK;
    }

    HRESULT GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) override {
        HRESULT failure;
        if (CallFails("GetCurrentPosition", &failure)) {
            return failure;
        }
        // Mixing happens a frame at a time on the main thread, so the bytes after the play
        // cursor are never already on their way out: both cursors are the same.
        if (playCursor) {
            *playCursor = PlayCursor();
        }
        if (writeCursor) {
            *writeCursor = PlayCursor();
        }
        return DS_OK;
    }

    HRESULT GetStatus(LPDWORD status) override {
        HRESULT failure;
        if (CallFails("GetStatus", &failure)) {
            return failure;
        }
        if (!status) {
            return DSERR_INVALIDPARAM;
        }
        *status = voice.playing ? (DSBSTATUS_PLAYING | (voice.looping ? DSBSTATUS_LOOPING : 0)) : 0;
        return DS_OK;
    }

    HRESULT Restore() override {
        HRESULT failure;
        if (CallFails("dsound!Restore", &failure)) {
            return failure;
        }
        return DS_OK; // memory in the subset is never lost
    }

  protected:
    ~SoundBuffer() override { RemoveVoice(&voice); }

  private:
    DWORD Size() const { return static_cast<DWORD>(memory->size()); }
    DWORD PlayCursor() const {
        return static_cast<DWORD>(voice.position >> 32) * format.nBlockAlign;
    }
    bool Within(LPVOID pointer, DWORD bytes) const {
        const uint8_t* begin = memory->data();
        const uint8_t* at = static_cast<const uint8_t*>(pointer);
        return at >= begin && at < begin + Size() && bytes <= Size() - (at - begin);
    }

    ULONG references = 1;
    std::shared_ptr<std::vector<uint8_t>> memory;
    WAVEFORMATEX format;
    DWORD caps;
    int generation;
    LONG volume = DSBVOLUME_MAX;
    Voice voice;
};

class DirectSound : public IDirectSound {
  public:
    explicit DirectSound(int generation) : generation(generation) {}

    ULONG AddRef() override { return ++references; }

    ULONG Release() override {
        CallFails("dsound!Release");
        ULONG left = --references;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC description, LPDIRECTSOUNDBUFFER* buffer,
                              LPUNKNOWN outer) override {
        HRESULT failure;
        if (buffer) {
            *buffer = nullptr;
        }
        if (CallFails("CreateSoundBuffer", &failure)) {
            return failure;
        }
        if (!description || !buffer ||
            (description->dwSize != sizeof(DSBUFFERDESC) &&
             description->dwSize != OLD_DESCRIPTION_SIZE)) {
            return DSERR_INVALIDPARAM;
        }
        if (outer) {
            return DSERR_NOAGGREGATION;
        }
        if (!levelSet) {
            return DSERR_PRIOLEVELNEEDED;
        }
        if (description->dwFlags & DSBCAPS_PRIMARYBUFFER) {
            return DSERR_UNSUPPORTED; // the subset mixes into its own stream
        }
        if (!description->lpwfxFormat) {
            return DSERR_INVALIDPARAM;
        }
        const WAVEFORMATEX format = *description->lpwfxFormat;
        HRESULT checked = CheckFormat(format);
        if (checked != DS_OK) {
            return checked;
        }
        DWORD bytes = description->dwBufferBytes;
        if (bytes < DSBSIZE_MIN || bytes > DSBSIZE_MAX) {
            return DSERR_INVALIDPARAM;
        }
        bytes -= bytes % format.nBlockAlign; // whole sample frames only
        // Silence to begin with: 8-bit samples are unsigned, centred on 128.
        const uint8_t silence = format.wBitsPerSample == 8 ? 0x80 : 0;
        std::shared_ptr<std::vector<uint8_t>> memory(new (std::nothrow) std::vector<uint8_t>());
        if (!memory) {
            return DSERR_OUTOFMEMORY;
        }
        memory->assign(bytes, silence);
        SoundBuffer* made =
            new (std::nothrow) SoundBuffer(memory, format, description->dwFlags, generation);
        if (!made) {
            return DSERR_OUTOFMEMORY;
        }
        *buffer = made;
        return DS_OK;
    }

    HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original,
                                 LPDIRECTSOUNDBUFFER* duplicate) override {
        HRESULT failure;
        if (duplicate) {
            *duplicate = nullptr;
        }
        if (CallFails("DuplicateSoundBuffer", &failure)) {
            return failure;
        }
        if (!original || !duplicate) {
            return DSERR_INVALIDPARAM;
        }
        SoundBuffer* copy = static_cast<SoundBuffer*>(original)->Duplicate();
        if (!copy) {
            return DSERR_OUTOFMEMORY;
        }
        *duplicate = copy;
        return DS_OK;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD level) override {
        HRESULT failure;
        if (CallFails("dsound!SetCooperativeLevel", &failure)) {
            return failure;
        }
        if (!window || !IsWindowHandle(window) || level < DSSCL_NORMAL ||
            level > DSSCL_WRITEPRIMARY) {
            return DSERR_INVALIDPARAM;
        }
        if (level == DSSCL_WRITEPRIMARY) {
            return DSERR_UNSUPPORTED; // there is no primary buffer to write
        }
        levelSet = true;
        return DS_OK;
    }

  protected:
    ~DirectSound() override { CloseStream(generation); }

  private:
    ULONG references = 1;
    int generation;
    bool levelSet = false;
};

} // namespace
} // namespace subset

HRESULT WINAPI DirectSoundCreate(LPCGUID guid, LPDIRECTSOUND* directSound, LPUNKNOWN outer) {
    HRESULT failure;
    if (directSound) {
        *directSound = nullptr;
    }
    if (subset::CallFails("DirectSoundCreate", &failure)) {
        return failure;
    }
    if (!directSound) {
        return DSERR_INVALIDPARAM;
    }
    if (outer) {
        return DSERR_NOAGGREGATION;
    }
    if (guid) {
        return DSERR_NODRIVER; // only the default device exists
    }
    int generation = 0;
    if (!subset::OpenStream(&generation)) {
        return DSERR_NODRIVER;
    }
    *directSound = new subset::DirectSound(generation);
    return DS_OK;
}
