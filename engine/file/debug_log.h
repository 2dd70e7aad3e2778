// The engine's diagnostic text file, "debug.txt" in the working directory (or, where
// that cannot be written, in the user's state folder: see OpenUserFile).
#ifndef TOLVO_ENGINE_FILE_DEBUG_LOG_H
#define TOLVO_ENGINE_FILE_DEBUG_LOG_H

#include <cstdio>

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
    bool IsOpen() const { return stream != nullptr; }

  private:
    std::FILE* stream;
};

// The one log. It is constructed after every other global and so destroyed first.
extern DebugLog debugLog;

#endif
