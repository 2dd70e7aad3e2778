// The inner loops of the image operations, one visible row at a time. Each has a
// portable form and, where the processor offers SSE2, a vector form giving the same
// pixels; DrawRows picks the vector form when it was compiled in.
#ifndef TOLVO_ENGINE_DISPLAY_DRAW_ROWS_H
#define TOLVO_ENGINE_DISPLAY_DRAW_ROWS_H

#include "engine/image/keyed_runs.h"

#include <cstdint>

// The three colour masks the blends work with.
struct DrawMasks {
    uint16_t red, green, blue;
};

// One row of `count` pixels: source (and alpha) in, destination updated in place
// (keyedRuns draws every row of a picture).
struct DrawRows {
    void (*keyed)(uint16_t* destination, const uint16_t* source, int32_t count);
    // Keyed from runs, a whole picture at once: its rows firstRow to firstRow + rows - 1
    // and image columns column to column + count - 1, the first of them drawn at
    // destination, whose rows are `stride` pixels apart.
    void (*keyedRuns)(uint16_t* destination, int32_t stride, const KeyedRuns& runs,
                      int32_t firstRow, int32_t rows, int32_t column, int32_t count);
    void (*alpha)(uint16_t* destination, const uint16_t* source, const uint8_t* alpha,
                  int32_t count, const DrawMasks& masks);
    void (*additive)(uint16_t* destination, const uint16_t* source, const uint8_t* alpha,
                     int32_t count, const DrawMasks& masks);
};

// The straightforward loops: one test per pixel, the reference the fast forms match.
extern const DrawRows DRAW_ROWS_PORTABLE;
// The rows the engine draws with: vector forms where available, else the portable ones.
extern const DrawRows DRAW_ROWS_FAST;
#if defined(__SSE2__)
// The SSE2 forms alone (FAST may choose wider ones), for the tests to compare.
extern const DrawRows DRAW_ROWS_SSE2;
#endif

#endif
