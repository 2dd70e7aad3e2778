// The DirectSound result codes the engine may meet, as a table: one row per code.
#include "engine/sound/direct_sound_result.h"

#include "engine/platform/platform.h"

#include <cstdio>

// A code and the SDK's name of it.
#define NAMED(code) static_cast<int32_t>(code), #code

const DirectSoundResult DIRECT_SOUND_RESULTS[] = {
    {NAMED(DS_OK), "success"},
    {NAMED(DSERR_ALLOCATED), "the sound device is in use by another program"},
    {NAMED(DSERR_CONTROLUNAVAIL), "the buffer has no such control"},
    {NAMED(DSERR_INVALIDPARAM), "a parameter was refused"},
    {NAMED(DSERR_INVALIDCALL), "the call is not valid now"},
    {NAMED(DSERR_GENERIC), "the sound driver failed"},
    {NAMED(DSERR_PRIOLEVELNEEDED), "the cooperative level is too low"},
    {NAMED(DSERR_OUTOFMEMORY), "out of memory"},
    {NAMED(DSERR_BADFORMAT), "the wave format is not supported"},
    {NAMED(DSERR_UNSUPPORTED), "not supported"},
    {NAMED(DSERR_NODRIVER), "no sound device or driver"},
    {NAMED(DSERR_ALREADYINITIALIZED), "already initialized"},
    {NAMED(DSERR_NOAGGREGATION), "aggregation is not supported"},
    {NAMED(DSERR_BUFFERLOST), "the buffer's memory was lost"},
    {NAMED(DSERR_OTHERAPPHASPRIO), "another program has priority"},
    {NAMED(DSERR_UNINITIALIZED), "not initialized"},
    {NAMED(DSERR_NOINTERFACE), "no such interface"},
    {NAMED(DSERR_ACCESSDENIED), "access denied"},
};

const int DIRECT_SOUND_RESULT_COUNT =
    int(sizeof(DIRECT_SOUND_RESULTS) / sizeof(DIRECT_SOUND_RESULTS[0]));

std::string DescribeDirectSoundResult(int32_t result) {
    for (const DirectSoundResult& known : DIRECT_SOUND_RESULTS) {
        if (known.code == result) {
            return std::string(known.name) + " (" + known.text + ")";
        }
    }
    char text[32];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}
