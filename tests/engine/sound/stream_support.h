// Shared by the sound tests on the headless host: frames of the game's loop, and what the
// mixed stream played in each.
#ifndef TOLVO_TESTS_SOUND_STREAM_SUPPORT_H
#define TOLVO_TESTS_SOUND_STREAM_SUPPORT_H

#include "engine/platform/hosts/headless/headless.h"
#include "engine/platform/platform.h"

#include <cstdint>
#include <vector>

// Sample frames of one 60 Hz frame at 44100 Hz.
const int STREAM_FRAME = 735;

// One frame of the game's loop: PeekMessageA finds the queue empty (and mixes).
inline void RunLoopFrame() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
}

// The left samples the stream played in its frame `index` (0-based).
inline std::vector<int16_t> LeftOfStreamFrame(size_t index) {
    const std::vector<int16_t>& played = headless::AudioPlayed();
    std::vector<int16_t> left;
    for (size_t i = index * STREAM_FRAME * 2;
         i < (index + 1) * STREAM_FRAME * 2 && i < played.size(); i += 2) {
        left.push_back(played[i]);
    }
    return left;
}

#endif
