// DirectDraw result codes and the line the debug log gets for each
// (LogDirectDrawResult, declared with the engine object).
#ifndef TOLVO_ENGINE_DISPLAY_DIRECT_DRAW_RESULT_H
#define TOLVO_ENGINE_DISPLAY_DIRECT_DRAW_RESULT_H

#include "engine/display/windows_dx.h"

#include <cstdint>

struct DirectDrawResult {
    int32_t code;
    const char* name; // the SDK's name of the code
    const char* text; // the whole log line, newline included
};

extern const DirectDrawResult DIRECT_DRAW_RESULTS[];
extern const int DIRECT_DRAW_RESULT_COUNT;

// The line for a code, or null when the code has none.
const char* DirectDrawResultText(int32_t result);

#endif
