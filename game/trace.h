// The game's trace: with TOLVO_TRACE set, one JSON line of the game's state at the
// end of every frame, so tools and tests can follow a run exactly.
#ifndef TOLVO_GAME_TRACE_H
#define TOLVO_GAME_TRACE_H

#include "engine/file/trace_file.h"

#include <cstdint>
#include <string>

class Trace {
  public:
    // Creates or empties the file; false, said on standard error, when it cannot. Every
    // failure to write it later is said there too, once, and ends the trace.
    bool Open(const char* path) { return file.Open(path); }
    void Close() { file.Close(); }
    // Writes one line for this frame when a file is open.
    void WriteFrame(int32_t frame, const char* screen);

    // The line (without the newline) for the game's current state.
    static std::string FormatFrame(int32_t frame, const char* screen);

  private:
    TraceFile file; // the engine's: created, flushed a line at a time, failures said
};

#endif
