// The engine's diagnostic text file, "debug.txt" in the working directory (or, where
// that cannot be written, in the user's state folder: see OpenUserFile).
#ifndef TOLVO_ENGINE_FILE_DEBUG_LOG_H
#define TOLVO_ENGINE_FILE_DEBUG_LOG_H

#include <cstdio>

// A text log written line by line, flushed as it goes.
class DebugLog {
  public:
    // Creates or empties "debug.txt" and writes the header line.
    DebugLog();
    ~DebugLog();
    DebugLog(const DebugLog&) = delete;
    DebugLog& operator=(const DebugLog&) = delete;

    // Closes any open log and starts name afresh, empty, where OpenUserFile puts it. On
    // failure the log has no stream and later messages are dropped.
    void Open(const char* name);
    // Writes "message  detail" and flushes at once, so the file is complete even when
    // the process ends on a fatal path.
    void Write(const char* message, const char* detail = "");
    void Close();
    bool IsOpen() const;

  private:
    // The open stream, or null. The global log keeps it outside the object, in a plain
    // pointer that is never destroyed: that log is destroyed before the other globals
    // and constructed after them, and a message one of them writes before or after
    // must find it closed. (A null stored into the object by its destructor would be
    // dropped by the optimiser, the object's lifetime having ended.) Any other log
    // keeps it in ownStream.
    std::FILE*& Stream() const;
    mutable std::FILE* ownStream;
};

// The one log. It is constructed after every other global and so destroyed first.
extern DebugLog debugLog;

#endif
