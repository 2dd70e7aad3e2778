// The engine's one way to give up: unrecoverable file-request and file-format errors.
#ifndef TOLVO_ENGINE_FILE_FATAL_H
#define TOLVO_ENGINE_FILE_FATAL_H

// Flushes the standard output and ends the process with exit code -1. It goes through
// std::exit, so the end-of-process handlers run and the debug log is closed on disk.
[[noreturn]] void FatalExit();

#endif
