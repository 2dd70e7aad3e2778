// One fuzz input as a TIF file: written where the reader can open it by name, then
// loaded the way the game loads pictures, once in each load mode.
#ifndef TOLVO_TESTS_FUZZ_TIFF_INPUT_H
#define TOLVO_TESTS_FUZZ_TIFF_INPUT_H

#include <cstddef>
#include <cstdint>
#include <string>

class Image;
class Tiff;

// Writes the bytes to path; false when the file cannot be written.
bool WriteInputFile(const std::string& path, const uint8_t* data, size_t size);

// Loads path into image with tiff in modes 0, 1 and 2, reusing both objects as the
// game reuses them for a batch of pictures; the caller owns them, so a harness that
// catches the fatal exit still releases what the load held. The display format is 5-6-5, or 5-5-5
// when the input's last byte is odd, so both conversions are exercised. A bad file may end the
// process through FatalExit; anything else must return.
void LoadInEachMode(const char* path, const uint8_t* data, size_t size, Tiff& tiff, Image& image);

#endif
