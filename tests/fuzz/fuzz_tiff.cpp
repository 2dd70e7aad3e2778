// libFuzzer target: raw bytes as a TIF file, through LoadTiff and Convert in each
// load mode. The reader's fatal exits (bad magic number, unknown mode, impossible
// size) are fine outcomes: they land back here and the input counts as rejected.
#include "engine/image/image.h"
#include "engine/image/tiff.h"
#include "tests/fuzz/fatal_landing.h"
#include "tests/fuzz/tiff_input.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A RAM folder of this process: the reader opens files by name, and names are at most
// 99 characters.
const std::string& InputPath() {
    // Never destroyed: the exit handler that removes the file still needs it.
    static std::string& path = *new std::string();
    if (path.empty()) {
        struct stat info;
        std::string folder = stat("/dev/shm", &info) == 0 ? "/dev/shm" : "/tmp";
        folder += "/tolvo-fuzz-" + std::to_string(getpid());
        mkdir(folder.c_str(), 0700);
        path = folder + "/input.tif";
    }
    return path;
}

void RemoveInput() {
    const std::string& path = InputPath();
    unlink(path.c_str());
    rmdir(path.substr(0, path.rfind('/')).c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::atexit(RemoveInput);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = InputPath();
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
