#include "engine/file/debug_log.h"

#include "engine/file/init_order.h"
#include "engine/platform/diagnostics.h"
#include "engine/platform/file_names.h"

#include <string>

namespace {
const char* const LOG_FILE_NAME = "debug.txt";
const char* const LOG_HEADER = "* Debugging Output *\n";
const char* const LOG_MOVED = "The working directory cannot be written: the log is %s\n";
const char* const LOG_OPEN_FAILED = "DEBUGGER ERROR: Unable to open debug log file.\n";

// The global log's stream: a plain pointer, constant-initialised and never destroyed.
std::FILE* globalLogStream = nullptr;
} // namespace

DebugLog debugLog TOLVO_INIT_ORDER(TOLVO_ORDER_DEBUG_LOG);

DebugLog::DebugLog() : ownStream(nullptr) {
    if (this == &debugLog) {
        // The platform's lines (a host that lost a device) come here too.
        SetDiagnosticWriter([](const char* line) { debugLog.Write(line); });
    }
    Open(LOG_FILE_NAME);
    if (std::FILE* stream = Stream()) {
        std::fputs(LOG_HEADER, stream);
        std::fflush(stream); // like every message, on disk at once
    }
}

DebugLog::~DebugLog() {
    Close();
}

std::FILE*& DebugLog::Stream() const {
    return this == &debugLog ? globalLogStream : ownStream;
}

bool DebugLog::IsOpen() const {
    return Stream() != nullptr;
}

void DebugLog::Open(const char* name) {
    Close();
    // A working directory that cannot be written (an installed game started from /)
    // sends the log to the user's state folder; say where, so it can be found.
    std::string elsewhere;
    std::FILE*& stream = Stream();
    stream = name ? OpenUserFile(name, "w+t", &elsewhere) : nullptr;
    if (!stream) {
        std::fputs(LOG_OPEN_FAILED, stdout);
    } else if (!elsewhere.empty()) {
        // Once per place: the engine opens the log afresh when it starts.
        static std::string reported;
        if (elsewhere != reported) {
            std::fprintf(stderr, LOG_MOVED, elsewhere.c_str());
            reported = elsewhere;
        }
    }
}

void DebugLog::Write(const char* message, const char* detail) {
    std::FILE* stream = Stream();
    if (!stream) {
        return;
    }
    std::fprintf(stream, "%s  %s", message ? message : "", detail ? detail : "");
    std::fflush(stream);
}

void DebugLog::Close() {
    std::FILE*& stream = Stream();
    if (stream) {
        std::fclose(stream);
        stream = nullptr;
    }
}
