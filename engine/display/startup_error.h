// The texts of the start-up error box, one row per start-up status.
#ifndef TOLVO_ENGINE_DISPLAY_STARTUP_ERROR_H
#define TOLVO_ENGINE_DISPLAY_STARTUP_ERROR_H

#include <cstdint>

struct StartupError {
    const char* line; // "Error: NAME (what went wrong)"
    const char* hint; // what the user can do about it
};

// The row for a status; statuses the table does not know get a generic row.
StartupError StartupErrorFor(int32_t status);

#endif
