#include "engine/platform/requested_files.h"

#include <cstdio>
#include <cstring>

namespace {
bool notWritten = false;
} // namespace

std::string CannotText(const char* verb, const std::string& path, int error) {
    return std::string("cannot ") + verb + " " + path + ": " +
           (error != 0 ? std::strerror(error) : "unknown error");
}

void ReportNotWritten(const char* setting, const std::string& problem, const char* consequence) {
    std::fprintf(stderr, "%s: %s; %s\n", setting, problem.c_str(), consequence);
    std::fflush(stderr);
    notWritten = true;
}

bool AnyNotWritten() {
    return notWritten;
}

void ForgetNotWritten() {
    notWritten = false;
}

int ExitCodeAfterWrites(int result) {
    return result == 0 && notWritten ? EXIT_NOT_WRITTEN : result;
}
