// The file a fuzz target hands to a reader that opens files by name: one per process in
// a RAM folder (names stay well within the readers' 99 characters), removed at exit.
#ifndef TOLVO_TESTS_FUZZ_INPUT_FILE_H
#define TOLVO_TESTS_FUZZ_INPUT_FILE_H

#include <string>

// The path, made on first use as FOLDER_PREFIX-PID/input.EXTENSION under /dev/shm (or
// /tmp); the folder and file go when the process exits.
const std::string& FuzzInputPath(const char* folderPrefix, const char* extension);

#endif
