// Netpbm PAM pictures (P7) with 8-bit samples, for tolvo-tif.
#ifndef TOLVO_TOOLS_TOLVO_TIF_PAM_H
#define TOLVO_TOOLS_TOLVO_TIF_PAM_H

#include <cstdint>
#include <string>
#include <vector>

struct Pam {
    int width = 0;
    int height = 0;
    int depth = 0;  // samples per pixel
    int maxval = 0; // 255 for 8-bit samples
    std::string tupleType;
    std::vector<uint8_t> samples; // width x height x depth, rows top to bottom
};

// Reads a PAM with one byte per sample (maxval up to 255). On failure returns false
// and says why in error.
bool ReadPam(const char* path, Pam& pam, std::string& error);
// Writes pam with maxval 255. On failure returns false, says why in error (the system's
// reason, such as "No space left on device") and removes a file left cut short.
bool WritePam(const char* path, const Pam& pam, std::string& error);

#endif
