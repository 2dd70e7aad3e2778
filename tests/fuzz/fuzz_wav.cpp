// libFuzzer target: raw bytes as a WAV file, parsed from memory and loaded by name. The
// reader never ends the process, so every input must come back with its promises kept.
#include "tests/fuzz/wav_input.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A RAM folder of this process: Load opens files by name, and names are at most 99
// characters.
const std::string& InputPath() {
    // Never destroyed: the exit handler that removes the file still needs it.
    static std::string& path = *new std::string();
    if (path.empty()) {
        struct stat info;
        std::string folder = stat("/dev/shm", &info) == 0 ? "/dev/shm" : "/tmp";
        folder += "/tolvo-fuzz-wav-" + std::to_string(getpid());
        mkdir(folder.c_str(), 0700);
        path = folder + "/input.wav";
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
    CheckWaveInput(data, size, InputPath().c_str());
    return 0;
}
