// The DirectSound of the subset: what the engine uses of <dsound.h> (the wave format,
// buffer descriptions, result codes, the DirectSound object and its secondary buffers),
// with the SDK's names, values and layouts. Secondary buffers are bytes in memory; the
// subset mixes the playing ones into one 16-bit stereo stream that the host plays.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_SDK_DSOUND_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_SDK_DSOUND_H

#include "engine/platform/subset/sdk/windows.h"

// Declared by windows.h, completed here as guiddef.h does: DSBUFFERDESC holds one.
struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
typedef const GUID* LPCGUID;
typedef IUnknown* LPUNKNOWN;
typedef LONG* LPLONG;
typedef DWORD* LPDWORD;

#define _FACDS 0x878
#define MAKE_DSHRESULT(code) ((HRESULT)(0x88780000u + (code)))

#define DS_OK 0
#define DSERR_ALLOCATED MAKE_DSHRESULT(10)
#define DSERR_CONTROLUNAVAIL MAKE_DSHRESULT(30)
#define DSERR_INVALIDCALL MAKE_DSHRESULT(50)
#define DSERR_PRIOLEVELNEEDED MAKE_DSHRESULT(70)
#define DSERR_BADFORMAT MAKE_DSHRESULT(100)
#define DSERR_NODRIVER MAKE_DSHRESULT(120)
#define DSERR_ALREADYINITIALIZED MAKE_DSHRESULT(130)
#define DSERR_BUFFERLOST MAKE_DSHRESULT(150)
#define DSERR_OTHERAPPHASPRIO MAKE_DSHRESULT(160)
#define DSERR_UNINITIALIZED MAKE_DSHRESULT(170)
#define DSERR_BUFFERTOOSMALL MAKE_DSHRESULT(180)
#define DSERR_UNSUPPORTED ((HRESULT)0x80004001u)
#define DSERR_NOINTERFACE ((HRESULT)0x80004002u)
#define DSERR_GENERIC ((HRESULT)0x80004005u)
#define DSERR_NOAGGREGATION ((HRESULT)0x80040110u)
#define DSERR_ACCESSDENIED ((HRESULT)0x80070005u)
#define DSERR_OUTOFMEMORY ((HRESULT)0x8007000Eu)
#define DSERR_INVALIDPARAM ((HRESULT)0x80070057u)

// Cooperative levels.
#define DSSCL_NORMAL 1
#define DSSCL_PRIORITY 2
#define DSSCL_EXCLUSIVE 3
#define DSSCL_WRITEPRIMARY 4

// Buffer capabilities.
#define DSBCAPS_PRIMARYBUFFER 0x00000001u
#define DSBCAPS_STATIC 0x00000002u
#define DSBCAPS_LOCHARDWARE 0x00000004u
#define DSBCAPS_LOCSOFTWARE 0x00000008u
#define DSBCAPS_CTRL3D 0x00000010u
#define DSBCAPS_CTRLFREQUENCY 0x00000020u
#define DSBCAPS_CTRLPAN 0x00000040u
#define DSBCAPS_CTRLVOLUME 0x00000080u
#define DSBCAPS_CTRLPOSITIONNOTIFY 0x00000100u
#define DSBCAPS_STICKYFOCUS 0x00004000u
#define DSBCAPS_GLOBALFOCUS 0x00008000u
#define DSBCAPS_GETCURRENTPOSITION2 0x00010000u

// Play, status and lock flags.
#define DSBPLAY_LOOPING 0x00000001u
#define DSBSTATUS_PLAYING 0x00000001u
#define DSBSTATUS_BUFFERLOST 0x00000002u
#define DSBSTATUS_LOOPING 0x00000004u
#define DSBLOCK_FROMWRITECURSOR 0x00000001u
#define DSBLOCK_ENTIREBUFFER 0x00000002u

// Volume in hundredths of a decibel: 0 is the sound as recorded, -10000 silence.
#define DSBVOLUME_MIN -10000
#define DSBVOLUME_MAX 0

// Secondary buffers hold from 4 bytes to 256 MiB, as on Windows.
#define DSBSIZE_MIN 4
#define DSBSIZE_MAX 0x0FFFFFFF

#define WAVE_FORMAT_PCM 1

// Packed as in the SDK (mmreg.h packs to one byte): 18 bytes.
#pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)
typedef WAVEFORMATEX* LPWAVEFORMATEX;
typedef const WAVEFORMATEX* LPCWAVEFORMATEX;

struct DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    LPWAVEFORMATEX lpwfxFormat;
    GUID guid3DAlgorithm;
};
typedef DSBUFFERDESC* LPDSBUFFERDESC;
typedef const DSBUFFERDESC* LPCDSBUFFERDESC;

struct IDirectSoundBuffer;
typedef IDirectSoundBuffer* LPDIRECTSOUNDBUFFER;

// A secondary buffer: PCM bytes of one format, a play cursor, a volume, playing or not.
struct IDirectSoundBuffer : IUnknown {
    // Loading a sound: a pointer to `bytes` bytes from `offset` (and, when the range
    // wraps past the end, a second pointer to the rest from the start).
    virtual HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* audio1, LPDWORD bytes1, LPVOID* audio2,
                         LPDWORD bytes2, DWORD flags) = 0;
    virtual HRESULT Unlock(LPVOID audio1, DWORD bytes1, LPVOID audio2, DWORD bytes2) = 0;
    // Playing: from the play cursor, once to the end or looping until stopped. Playing an
    // already playing buffer only changes whether it loops.
    virtual HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags) = 0;
    // Stops where it is: the next Play continues from there.
    virtual HRESULT Stop() = 0;
    // Hundredths of a decibel, DSBVOLUME_MIN to DSBVOLUME_MAX; needs DSBCAPS_CTRLVOLUME.
    virtual HRESULT SetVolume(LONG volume) = 0;
    // The play cursor, in bytes from the start (rounded down to a whole sample frame).
    virtual HRESULT SetCurrentPosition(DWORD position) = 0;
    virtual HRESULT GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) = 0;
    // DSBSTATUS_PLAYING, DSBSTATUS_LOOPING, DSBSTATUS_BUFFERLOST.
    virtual HRESULT GetStatus(LPDWORD status) = 0;
    // After DSERR_BUFFERLOST: the memory is back, its contents must be written again.
    virtual HRESULT Restore() = 0;
};

struct IDirectSound;
typedef IDirectSound* LPDIRECTSOUND;

// The sound device: cooperative level, buffers.
struct IDirectSound : IUnknown {
    virtual HRESULT CreateSoundBuffer(LPCDSBUFFERDESC description, LPDIRECTSOUNDBUFFER* buffer,
                                      LPUNKNOWN outer) = 0;
    // Another buffer on the same memory, with its own cursor, volume and status: the same
    // sound played over itself.
    virtual HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original,
                                         LPDIRECTSOUNDBUFFER* duplicate) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
};

// Start-up: the DirectSound object of the default device (guid NULL); DSERR_NODRIVER when
// the host has no sound.
HRESULT WINAPI DirectSoundCreate(LPCGUID guid, LPDIRECTSOUND* directSound, LPUNKNOWN outer);

#endif
