// libFuzzer target: the run-length coders and File::GetToken on arbitrary bytes.
#include "tests/fuzz/text_input.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckRunsInput(data, size);
    CheckTokenInput(data, size);
    return 0;
}
