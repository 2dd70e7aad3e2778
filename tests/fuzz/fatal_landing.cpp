// Linked only into the fuzz targets. It defines FatalExit itself, so the linker never
// takes fatal.o from the engine's file library; the normal build keeps the real one.
// fopen and fclose are wrapped (-Wl,--wrap) to know which streams a fatal exit left.
#include "tests/fuzz/fatal_landing.h"

#include "engine/file/fatal.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" {
std::FILE* __real_fopen(const char* name, const char* mode);
int __real_fclose(std::FILE* stream);
}

namespace {

std::jmp_buf* fatalLanding = nullptr;

std::vector<std::FILE*>& OpenStreams() {
    static std::vector<std::FILE*>* streams = new std::vector<std::FILE*>();
    return *streams;
}

} // namespace

extern "C" std::FILE* __wrap_fopen(const char* name, const char* mode) {
    std::FILE* stream = __real_fopen(name, mode);
    // Only streams of the input in progress: the debug log stays open for good.
    if (stream && fatalLanding) {
        OpenStreams().push_back(stream);
    }
    return stream;
}

extern "C" int __wrap_fclose(std::FILE* stream) {
    std::vector<std::FILE*>& streams = OpenStreams();
    for (size_t i = 0; i < streams.size(); ++i) {
        if (streams[i] == stream) {
            streams.erase(streams.begin() + static_cast<long>(i));
            break;
        }
    }
    return __real_fclose(stream);
}

void SetFatalLanding(std::jmp_buf* landing) {
    fatalLanding = landing;
}

void CloseAbandonedStreams() {
    std::vector<std::FILE*>& streams = OpenStreams();
    while (!streams.empty()) {
        __wrap_fclose(streams.back());
    }
}

void FatalExit() {
    std::fflush(stdout);
    if (fatalLanding) {
        std::longjmp(*fatalLanding, 1);
    }
    std::exit(-1);
}
