// One fuzz input for the WAV reader: parsed from memory and loaded by name, with every
// promise the reader makes checked. A broken promise prints what broke and aborts.
#ifndef TOLVO_TESTS_FUZZ_WAV_INPUT_H
#define TOLVO_TESTS_FUZZ_WAV_INPUT_H

#include <cstddef>
#include <cstdint>

// Parses the bytes; when path is given, also writes them there and loads that file,
// which must give the same answer. path is a name File can open (99 characters at most).
void CheckWaveInput(const uint8_t* data, size_t size, const char* path);

#endif
