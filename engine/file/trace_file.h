// A trace for any game: with TOLVO_TRACE set, one line of the game's state per frame in
// the file it names, so that a test can play an input script and compare what the game
// did, frame by frame. (Muffin Meltdown writes its own, richer trace.)
#ifndef TOLVO_ENGINE_FILE_TRACE_FILE_H
#define TOLVO_ENGINE_FILE_TRACE_FILE_H

#include <cstdio>
#include <string>

// The trace file of a game, written a line a frame.
class TraceFile {
  public:
    TraceFile() = default;
    ~TraceFile();
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    // Opens the file TOLVO_TRACE names, if it names one: true when a trace is written.
    // A file that cannot be created is said on standard error, and the program's exit
    // code becomes EXIT_NOT_WRITTEN.
    bool OpenFromSetting();
    // Creates or empties path; false, said as above, when it cannot.
    bool Open(const char* path);
    // Closes the trace; later lines are dropped.
    void Close();
    // Whether a trace is being written.
    bool IsOpen() const { return file != nullptr; }

    // Writes one line, printf-style, the newline added, flushed at once so a run that
    // ends abruptly keeps every finished frame. Nothing when no trace is open; the first
    // failed write is said and ends the trace.
    void Line(const char* format, ...)
#if defined(__GNUC__) || defined(__clang__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

  private:
    std::FILE* file = nullptr;
    std::string path;
};

#endif
