#include "game/random.h"

Random gameRandom;

int32_t RandomOverwriteIndex(int32_t capacity) {
    // 32-bit arithmetic: 32767 * 99 fits easily, and the result lies in 0..capacity-1.
    return (gameRandom.Next() * (capacity - 1)) / 32767;
}
