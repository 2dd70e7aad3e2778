// The game's one pseudo-random generator: a linear congruential generator that
// starts at 1 and is never reseeded, so every run of the program draws the same
// sequence. Every list that needs a random index takes turns on the same state.
#ifndef TOLVO_GAME_RANDOM_H
#define TOLVO_GAME_RANDOM_H

#include <cstdint>

class Random {
  public:
    constexpr explicit Random(uint32_t seed = 1) : state(seed) {}

    // The next value, 0 to 32767.
    int32_t Next() {
        state = state * 214013u + 2531011u;
        return static_cast<int32_t>((state >> 16) & 0x7fff);
    }

    uint32_t state;
};

// The process-wide generator (constant-initialised, so usable by any global at any time).
extern Random gameRandom;

// Index of the record a full list of `capacity` overwrites, drawn from gameRandom.
int32_t RandomOverwriteIndex(int32_t capacity);

#endif
