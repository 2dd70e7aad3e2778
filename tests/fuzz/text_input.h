// One fuzz input for the engine's small text and run-length helpers: UnpackRuns on
// arbitrary bytes, PackRuns and UnpackRuns as a round trip, and File::GetToken taking a
// line apart. A broken promise prints what broke and aborts.
#ifndef TOLVO_TESTS_FUZZ_TEXT_INPUT_H
#define TOLVO_TESTS_FUZZ_TEXT_INPUT_H

#include <cstddef>
#include <cstdint>

void CheckRunsInput(const uint8_t* data, size_t size);
// The first byte is the separator, the rest (to the first zero byte) the line.
void CheckTokenInput(const uint8_t* data, size_t size);

#endif
