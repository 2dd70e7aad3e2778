#include "engine/platform/subset/calls.h"

#include "engine/platform/subset/host.h"

#include <map>

namespace subset {
namespace {

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
    CurrentHost(); // the first call of all sets up the default desktop
    Counts()[name]++;
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
