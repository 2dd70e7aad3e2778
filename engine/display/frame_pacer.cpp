#include "engine/display/frame_pacer.h"

#include "engine/platform/platform.h"

#include <cstdlib>

FramePacer::FramePacer() : rate(0), period(Clock::duration::zero()), due(), started(false) {}

void FramePacer::SetRate(double framesPerSecond) {
    rate = framesPerSecond > 0 ? framesPerSecond : 0;
    // Sleep must be good to the millisecond: with Windows' default 15.6 ms timer a wait of
    // 16 ms lasts 31, and the game would run at half speed. Asked once; it lasts until
    // the process ends.
    static bool fineTimer = false;
    if (rate > 0 && !fineTimer) {
        timeBeginPeriod(1);
        fineTimer = true;
    }
    period =
        rate > 0
            ? std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / rate))
            : Clock::duration::zero();
    started = false;
}

double FramePacer::ChooseRate(const char* environmentValue, int refreshRate) {
    if (environmentValue != nullptr && *environmentValue != '\0') {
        char* end = nullptr;
        double value = std::strtod(environmentValue, &end);
        if (end != environmentValue && *end == '\0' && value >= 0 && value < 100000)
            return value;
    }
    return refreshRate > 1 ? refreshRate : 60;
}

FramePacer::Clock::duration FramePacer::Delay(Clock::time_point now) {
    if (rate <= 0)
        return Clock::duration::zero();
    if (!started || now >= due) {
        // The first frame, or a late one: show it now and count the next from here.
        started = true;
        due = now + period;
        return Clock::duration::zero();
    }
    Clock::duration wait = due - now;
    due += period;
    return wait;
}

void FramePacer::Wait() {
    Clock::duration wait = Delay(Clock::now());
    // Whole milliseconds, rounded down: a frame a fraction early keeps the schedule, one
    // late would restart it. The platform decides what sleeping means (a browser yields).
    if (wait > Clock::duration::zero())
        Sleep(DWORD(std::chrono::duration_cast<std::chrono::milliseconds>(wait).count()));
}
