#include "engine/platform/hosts/sdl/sdl_pacing.h"

#include <algorithm>
#include <cmath>

namespace sdl {
namespace {

// A present that waited for the refresh comes a whole number of refreshes after the one
// before; one period of the engine's, give or take what timers add, proves vsync runs at
// the engine's rate. An emulated display that waits a little less, or a faster display,
// does not prove it; one that waits less than TOO_SOON of a period no longer paces.
constexpr double PROOF_LOW = 0.98, PROOF_HIGH = 1.3;
constexpr double TOO_SOON = 0.95;
// A display whose refresh is known differs from the engine's rate by at most this share
// if its vsync is to pace the game.
constexpr double SAME_RATE = 0.02;
// The first attempt comes after a few frames, once the window shows.
constexpr int FIRST_ATTEMPT = 3;

} // namespace

void VsyncPacing::Start(bool withVsync, double framePeriod, double refreshPeriod) {
    *this = VsyncPacing();
    vsync = withVsync;
    period = framePeriod;
    couldPace = vsync && period > 0 &&
                (refreshPeriod <= 0 || std::fabs(refreshPeriod / period - 1) <= SAME_RATE);
    Doubt();
}

void VsyncPacing::Doubt() {
    trusted = false;
    skipping = 0;
    proofs = 0;
    strikes = 0;
    untilAttempt = FIRST_ATTEMPT;
    retry = PACING_RETRY;
}

unsigned VsyncPacing::SleepFor(unsigned asked) {
    bool flowing = presentedSinceSleep;
    presentedSinceSleep = false;
    if (couldPace && flowing) {
        // A present follows, and waits for the refresh: vsync covers the wait.
        if (trusted) {
            return 0;
        }
        if (skipping > 0) {
            skipping--;
            return 0;
        }
        if (--untilAttempt <= 0) {
            untilAttempt = retry;
            retry = std::min(2 * retry, PACING_LONGEST_RETRY);
            skipping = PACING_PROOFS - 1;
            return 0;
        }
    }
    // No present follows (the engine shows no frames while its window is in the
    // background), or it does not wait long enough: sleep as asked, but never more than a
    // frame, which the engine asks for only after frames vsync showed faster than it counts.
    unsigned sleep = asked;
    if (period > 0) {
        sleep = std::min(sleep, static_cast<unsigned>(std::ceil(period)));
    }
    sleptSincePresent = sleptSincePresent || sleep > 0;
    return sleep;
}

void VsyncPacing::Presented(double now) {
    presentedSinceSleep = true;
    bool sample = havePresent && !sleptSincePresent && couldPace;
    double ratio = period > 0 ? (now - lastPresent) / period : 0;
    havePresent = true;
    lastPresent = now;
    sleptSincePresent = false;
    if (!sample) {
        return;
    }
    if (ratio < PROOF_LOW) {
        proofs = 0;
        skipping = 0; // this attempt is over
    }
    if (trusted) {
        strikes = ratio < TOO_SOON ? strikes + 1 : 0;
        if (strikes >= PACING_STRIKES) {
            trusted = false;
            strikes = 0;
        }
    } else if (ratio >= PROOF_LOW && ratio <= PROOF_HIGH && ++proofs >= PACING_PROOFS) {
        trusted = true;
        skipping = 0;
        retry = PACING_RETRY;
    }
}

} // namespace sdl
