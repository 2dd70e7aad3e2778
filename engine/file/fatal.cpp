#include "engine/file/fatal.h"

#include <cstdio>
#include <cstdlib>

void FatalExit() {
    // Messages printed just before (the TIF reader's) must not be lost in a buffer.
    std::fflush(stdout);
    std::exit(-1);
}
