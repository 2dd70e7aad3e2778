// Call counting and fault injection for every entry point of the subset, so tests can
// make any platform call fail the way the real one can.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_TEST_CONTROLS_CALLS_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_TEST_CONTROLS_CALLS_H

#include "engine/platform/subset/sdk/windows.h"

#include <string>

namespace subset {

// First thing in every entry point: counts the call and says whether it is to fail.
// `result` receives the injected result (never DD_OK: a failure must look like one).
// `name` must be one of the subset's entry names (ENTRY_NAMES in calls.cpp).
bool CallFails(const char* name, HRESULT* result = nullptr);

// FailCall and CallCount (controls.h). A name that is not an entry of the subset stops
// the program with a message: a misspelled fault would otherwise inject nothing.
void InjectFailure(const std::string& name, HRESULT result, int times, int skip);
int CallsMade(const std::string& name);

// UseHost(): no failures pending, no calls counted.
void ResetCalls();

} // namespace subset

#endif
