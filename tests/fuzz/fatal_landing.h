// The fuzz build's FatalExit: instead of ending the process it jumps back to the
// harness, which counts the input as rejected and goes on with the next one.
#ifndef TOLVO_TESTS_FUZZ_FATAL_LANDING_H
#define TOLVO_TESTS_FUZZ_FATAL_LANDING_H

#include <csetjmp>

// Where FatalExit lands while set; with none set it ends the process as usual.
void SetFatalLanding(std::jmp_buf* landing);

// Closes every stream the engine opened while a landing was set and has not closed:
// a fatal exit leaves the File of the abandoned load open.
void CloseAbandonedStreams();

#endif
