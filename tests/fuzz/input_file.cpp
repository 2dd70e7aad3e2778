#include "tests/fuzz/input_file.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Never destroyed: the exit handler that removes the file still needs it.
std::string& Path() {
    static std::string& path = *new std::string();
    return path;
}

void RemoveInput() {
    const std::string& path = Path();
    unlink(path.c_str());
    rmdir(path.substr(0, path.rfind('/')).c_str());
}

} // namespace

const std::string& FuzzInputPath(const char* folderPrefix, const char* extension) {
    std::string& path = Path();
    if (path.empty()) {
        struct stat info;
        std::string folder = stat("/dev/shm", &info) == 0 ? "/dev/shm" : "/tmp";
        folder += "/" + std::string(folderPrefix) + "-" + std::to_string(getpid());
        mkdir(folder.c_str(), 0700);
        path = folder + "/input." + extension;
        std::atexit(RemoveInput);
    }
    return path;
}
