// DirectSound result codes by name and meaning, for the sound part's one line in debug.txt.
#ifndef TOLVO_ENGINE_SOUND_DIRECT_SOUND_RESULT_H
#define TOLVO_ENGINE_SOUND_DIRECT_SOUND_RESULT_H

#include <cstdint>
#include <string>

struct DirectSoundResult {
    int32_t code;
    const char* name; // the SDK's name of the code
    const char* text; // what it means for the player, lower case, no full stop
};

extern const DirectSoundResult DIRECT_SOUND_RESULTS[];
extern const int DIRECT_SOUND_RESULT_COUNT;

// "DSERR_NODRIVER (no sound device or driver)", or the code in hexadecimal when the
// table does not have it.
std::string DescribeDirectSoundResult(int32_t result);

#endif
