#include "engine/platform/subset/test_controls/calls.h"

#include "engine/platform/subset/sdk/ddraw.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace subset {
namespace {

// Every entry point, by the name it counts under. The device-context calls of user32 are
// "user32!GetDC" and "user32!ReleaseDC", apart from the surface methods "GetDC" and
// "ReleaseDC"; "Release" is any DirectDraw object's. DirectSound's methods that share a
// name with DirectDraw's count as "dsound!Lock", "dsound!Release", ...
const char* const ENTRY_NAMES[] = {
    // user32
    "RegisterClassA", "LoadCursorA", "CreateWindowExA", "GetClientRect", "ClientToScreen",
    "ShowWindow", "UpdateWindow", "GetSystemMetrics", "user32!GetDC", "user32!ReleaseDC",
    "GetForegroundWindow", "PeekMessageA", "TranslateMessage", "DispatchMessageA",
    "PostQuitMessage", "DestroyWindow", "MessageBoxA",
    // gdi32
    "GetDeviceCaps", "GetStockObject", "SetBkMode", "SetTextColor", "TextOutA",
    // kernel32, winmm
    "Sleep", "timeBeginPeriod",
    // ddraw
    "DirectDrawCreate", "SetCooperativeLevel", "SetDisplayMode", "CreateSurface",
    "WaitForVerticalBlank", "GetAttachedSurface", "GetSurfaceDesc", "Lock", "Unlock", "Flip",
    "BltFast", "IsLost", "Restore", "GetDC", "ReleaseDC", "Release",
    // dsound; the names DirectDraw has too carry the module's prefix
    "DirectSoundCreate", "dsound!SetCooperativeLevel", "CreateSoundBuffer", "DuplicateSoundBuffer",
    "dsound!Lock", "dsound!Unlock", "Play", "Stop", "SetVolume", "SetCurrentPosition",
    "GetCurrentPosition", "GetStatus", "dsound!Restore", "dsound!Release"};

bool IsEntryName(const char* name) {
    for (const char* entry : ENTRY_NAMES) {
        if (std::strcmp(entry, name) == 0) {
            return true;
        }
    }
    return false;
}

[[noreturn]] void UnknownEntry(const char* name) {
    std::fprintf(stderr, "subset: '%s' is not an entry point of the platform subset\n", name);
    std::abort();
}

struct Failure {
    HRESULT result = DDERR_GENERIC;
    int times = 0; // -1: for ever
    int skip = 0;
};

std::map<std::string, int>& Counts() {
    static std::map<std::string, int> counts;
    return counts;
}

std::map<std::string, Failure>& Failures() {
    static std::map<std::string, Failure> failures;
    return failures;
}

} // namespace

bool CallFails(const char* name, HRESULT* result) {
    int& count = Counts()[name];
    if (count++ == 0 && !IsEntryName(name)) {
        UnknownEntry(name); // an entry point missing from the table
    }
    auto found = Failures().find(name);
    if (found == Failures().end()) {
        return false;
    }
    Failure& failure = found->second;
    if (failure.skip > 0) {
        failure.skip--;
        return false;
    }
    if (failure.times == 0) {
        return false;
    }
    if (failure.times > 0) {
        failure.times--;
    }
    if (result) {
        *result = failure.result == DD_OK ? DDERR_GENERIC : failure.result;
    }
    return true;
}

void InjectFailure(const std::string& name, HRESULT result, int times, int skip) {
    if (!IsEntryName(name.c_str())) {
        UnknownEntry(name.c_str());
    }
    Failure failure;
    failure.result = result;
    failure.times = times;
    failure.skip = skip < 0 ? 0 : skip;
    Failures()[name] = failure;
}

int CallsMade(const std::string& name) {
    auto found = Counts().find(name);
    return found == Counts().end() ? 0 : found->second;
}

void ResetCalls() {
    Counts().clear();
    Failures().clear();
}

} // namespace subset
