// libFuzzer target: raw bytes as a TIF file, through LoadTiff and Convert in each
// load mode. The reader's fatal exits (bad magic number, unknown mode, impossible
// size) are fine outcomes: they land back here and the input counts as rejected.
#include "engine/image/image.h"
#include "engine/image/tiff.h"
#include "tests/fuzz/fatal_landing.h"
#include "tests/fuzz/input_file.h"
#include "tests/fuzz/tiff_input.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = FuzzInputPath("tolvo-fuzz", "tif");
    if (!WriteInputFile(path, data, size)) {
        std::fprintf(stderr, "fuzz_tiff: cannot write %s\n", path.c_str());
        std::abort();
    }
    // Declared before the landing so they are released normally after a fatal exit.
    Tiff tiff;
    Image image;
    std::jmp_buf landing;
    int rejected = 0;
    if (setjmp(landing) == 0) {
        SetFatalLanding(&landing);
        LoadInEachMode(path.c_str(), data, size, tiff, image);
    } else {
        CloseAbandonedStreams();
        rejected = -1; // keeps the input out of the corpus
    }
    SetFatalLanding(nullptr);
    return rejected;
}
