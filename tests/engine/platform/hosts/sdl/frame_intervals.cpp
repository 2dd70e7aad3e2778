// sdl-frame-intervals: how evenly frames come on a host. The engine's own loop runs a
// 900 x 500 window whose every frame is drawn (a band moving over a gradient) and
// presented through ViewUpdate, with its pacing, for TOLVO_FRAMES frames (default 600);
// then one JSON line gives the intervals between frames: count, mean, standard deviation,
// percentiles, least and most, in milliseconds, and the frames a second they make.
//   TOLVO_FPS=0 ./sdl-frame-intervals    unpaced
//   ./sdl-frame-intervals                paced at the display's rate (60 where unknown)
#include "engine/display/windows_dx.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

typedef std::chrono::steady_clock Clock;

int wanted = 600;
std::vector<double> ends; // when each frame's presentation returned, ms

double Percentile(const std::vector<double>& sorted, double share) {
    size_t index = static_cast<size_t>(share * (sorted.size() - 1) + 0.5);
    return sorted[std::min(index, sorted.size() - 1)];
}

void Report() {
    std::vector<double> intervals;
    for (size_t i = 1; i < ends.size(); i++) {
        intervals.push_back(ends[i] - ends[i - 1]);
    }
    if (intervals.empty()) {
        std::printf("{\"intervals\":0}\n");
        return;
    }
    double sum = 0;
    for (double interval : intervals) {
        sum += interval;
    }
    double mean = sum / intervals.size();
    double squares = 0;
    for (double interval : intervals) {
        squares += (interval - mean) * (interval - mean);
    }
    std::vector<double> sorted = intervals;
    std::sort(sorted.begin(), sorted.end());
    std::printf("{\"intervals\":%zu,\"mean\":%.3f,\"sd\":%.3f,\"p1\":%.3f,\"p50\":%.3f,"
                "\"p99\":%.3f,\"min\":%.3f,\"max\":%.3f,\"fps\":%.2f}\n",
                intervals.size(), mean, std::sqrt(squares / intervals.size()),
                Percentile(sorted, 0.01), Percentile(sorted, 0.5), Percentile(sorted, 0.99),
                sorted.front(), sorted.back(), 1000.0 / mean);
    std::fflush(stdout);
}

} // namespace

void initialize() {
    const char* frames = std::getenv("TOLVO_FRAMES");
    if (frames && std::atoi(frames) > 1) {
        wanted = std::atoi(frames);
    }
    ends.reserve(static_cast<size_t>(wanted));
    Tolvo.Initialize(false, 900, 500);
}

int run() {
    if (Tolvo.LockBuffer()) {
        uint16_t* pixels = Tolvo.GetPixels();
        const int pitch = Tolvo.GetPitch() / 2;
        const int band = static_cast<int>(ends.size() * 6 % 900);
        for (int y = 0; y < 500; y++) {
            for (int x = 0; x < 900; x++) {
                bool inBand = x >= band && x < band + 40;
                pixels[y * pitch + x] =
                    inBand ? 0xffff : static_cast<uint16_t>((x / 29) << 11 | (y / 8));
            }
        }
        Tolvo.UnlockBuffer();
    }
    Tolvo.ViewUpdate();
    ends.push_back(
        std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count());
    if (static_cast<int>(ends.size()) == wanted) {
        Report();
    }
    return 0;
}
