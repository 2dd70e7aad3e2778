// The subset's sound stream: the host's stream while a DirectSound object lives, the
// voice of every live secondary buffer, and the mixing of one frame of the game's loop.
// Everything here runs on the main thread; the host only ever receives finished samples.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_DSOUND_SOUND_STREAM_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_DSOUND_SOUND_STREAM_H

#include "engine/platform/subset/dsound/mixer.h"

#include <cstdint>

namespace subset {

// The stream: 16-bit stereo at 44100 frames a second, 735 frames to a 60 Hz frame.
constexpr uint32_t STREAM_RATE = 44100;
// The most one frame of the loop mixes: a quarter of a second, whatever a host asks.
constexpr int STREAM_MAX_FRAMES = 11025;

// DirectSoundCreate: the first DirectSound object opens the host's stream. False when the
// host has no sound. Returns the generation the object belongs to.
bool OpenStream(int* generation);
// A DirectSound object of `generation` released: the last one closes the stream.
void CloseStream(int generation);

// A secondary buffer's voice is mixed while it plays, from creation to release; a voice of
// an earlier generation (a host ago) is never mixed again.
void AddVoice(Voice* voice, int generation);
void RemoveVoice(Voice* voice);
int StreamGeneration();

// PeekMessageA counted a frame: as many frames as the host wants now are mixed from the
// playing voices and queued to it.
void MixStreamFrame();

// UseHost(), before the host changes: the current host's stream closes and every object
// and voice of it is forgotten.
void ResetStream();

} // namespace subset

#endif
