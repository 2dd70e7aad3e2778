#include "engine/file/trace_file.h"

#include "engine/platform/requested_files.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>

namespace {

const char* const SETTING = "TOLVO_TRACE";

} // namespace

TraceFile::~TraceFile() {
    Close();
}

bool TraceFile::OpenFromSetting() {
    const char* setting = std::getenv(SETTING);
    return setting != nullptr && setting[0] != '\0' && Open(setting);
}

bool TraceFile::Open(const char* name) {
    Close();
    errno = 0;
    file = std::fopen(name, "w");
    if (file == nullptr) {
        ReportNotWritten(SETTING, CannotText("create", name, errno), "no trace is written");
        return false;
    }
    path = name;
    return true;
}

void TraceFile::Close() {
    if (file != nullptr) {
        errno = 0;
        if (std::fclose(file) != 0) {
            ReportNotWritten(SETTING, CannotText("write", path, errno), "the trace is incomplete");
        }
        file = nullptr;
    }
}

void TraceFile::Line(const char* format, ...) {
    if (file == nullptr) {
        return;
    }
    errno = 0;
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vfprintf(file, format, arguments);
    va_end(arguments);
    if (written < 0 || std::fputc('\n', file) == EOF || std::fflush(file) != 0) {
        ReportNotWritten(SETTING, CannotText("write", path, errno), "trace stopped");
        std::fclose(file);
        file = nullptr;
    }
}
