// libFuzzer target: raw bytes as a WAV file, parsed from memory and loaded by name. The
// reader never ends the process, so every input must come back with its promises kept.
#include "tests/fuzz/input_file.h"
#include "tests/fuzz/wav_input.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckWaveInput(data, size, FuzzInputPath("tolvo-fuzz-wav", "wav").c_str());
    return 0;
}
