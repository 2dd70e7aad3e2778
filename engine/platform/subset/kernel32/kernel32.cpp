// kernel32 and winmm: time belongs to the host (real sleeping, a browser's frame, or none
// at all).
#include "engine/platform/subset/test_controls/calls.h"
#include "engine/platform/subset/seam/host.h"

void Sleep(DWORD milliseconds) {
    if (subset::CallFails("Sleep")) {
        return;
    }
    subset::CurrentHost().Sleep(milliseconds);
}

MMRESULT timeBeginPeriod(UINT) {
    subset::CallFails("timeBeginPeriod");
    return TIMERR_NOERROR;
}
