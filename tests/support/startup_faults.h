// Start-up with one platform call failing: every such fault the engine's start-up meets,
// what it ends in, and the box and log line of each failed start-up. Shared by the
// display tests (the engine alone, both modes) and the reliability tests (the whole game
// in a child process, windowed).
#ifndef TOLVO_TESTS_SUPPORT_STARTUP_FAULTS_H
#define TOLVO_TESTS_SUPPORT_STARTUP_FAULTS_H

#include "engine/display/windows_dx.h"

#include <cstdint>
#include <string>
#include <vector>

struct StartupFault {
    const char* call;   // a subset entry name
    HRESULT result;     // 0 for user32 and gdi32 calls
    int times;          // -1: every call
    int skip;           // successful calls before the failures
    int32_t fullScreen; // the mode the fault belongs to
    int32_t status;     // READY when start-up survives it
};

const std::vector<StartupFault>& StartupFaultTable();
std::string Describe(const StartupFault& fault);

// The error line ("Error: ...") and the hint the start-up box shows for a status.
struct StartupErrorText {
    const char* line;
    const char* hint;
};
StartupErrorText StartupErrorTextFor(int32_t status);

#endif
