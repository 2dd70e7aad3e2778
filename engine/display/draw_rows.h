// The inner loops of the image operations, one visible row at a time. Each has a
// portable form and, where the processor offers SSE2, a vector form giving the same
// pixels; DrawRows picks the vector form when it was compiled in.
#ifndef TOLVO_ENGINE_DISPLAY_DRAW_ROWS_H
#define TOLVO_ENGINE_DISPLAY_DRAW_ROWS_H

#include <cstdint>

// The three colour masks the blends work with.
struct DrawMasks {
    uint16_t red, green, blue;
};

// One row of `count` pixels: source (and alpha) in, destination updated in place.
struct DrawRows {
    void (*keyed)(uint16_t* destination, const uint16_t* source, int32_t count);
    void (*alpha)(uint16_t* destination, const uint16_t* source, const uint8_t* alpha,
                  int32_t count, const DrawMasks& masks);
    void (*additive)(uint16_t* destination, const uint16_t* source, const uint8_t* alpha,
                     int32_t count, const DrawMasks& masks);
};

// The straightforward loops: one test per pixel, the reference the fast forms match.
extern const DrawRows DRAW_ROWS_PORTABLE;
// The rows the engine draws with: vector forms where available, else the portable ones.
extern const DrawRows DRAW_ROWS_FAST;

#endif
