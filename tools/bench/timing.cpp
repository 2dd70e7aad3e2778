#include "tools/bench/timing.h"

#include <algorithm>
#include <ctime>

double ThreadNanoseconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e9 + double(now.tv_nsec);
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::vector<double> Interleaved(const std::vector<std::function<void()>>& functions, int rounds) {
    // Repetitions per round, found once: about 1 ms of work, at least one call.
    std::vector<int> repeats;
    for (const auto& function : functions) {
        function(); // warm caches and allocators
        double start = ThreadNanoseconds();
        function();
        double once = std::max(ThreadNanoseconds() - start, 1.0);
        repeats.push_back(std::max(1, int(1e6 / once)));
    }
    std::vector<std::vector<double>> times(functions.size());
    for (int round = 0; round < rounds; ++round) {
        // Every other round runs the sides in reverse order, so that neither always
        // finds the caches as the other left them.
        for (size_t step = 0; step < functions.size(); ++step) {
            size_t k = round % 2 ? functions.size() - 1 - step : step;
            double start = ThreadNanoseconds();
            for (int i = 0; i < repeats[k]; ++i)
                functions[k]();
            times[k].push_back((ThreadNanoseconds() - start) / repeats[k]);
        }
    }
    std::vector<double> medians;
    for (auto& side : times)
        medians.push_back(Median(side));
    return medians;
}

Goal MakeGoal(const std::string& name, const std::string& engine, double engineValue,
              const std::string& peer, double peerValue, const std::string& unit, double limit,
              bool atMost, const std::string& note) {
    Goal goal;
    goal.name = name;
    goal.engine = engine;
    goal.peer = peer;
    goal.engineValue = engineValue;
    goal.peerValue = peerValue;
    goal.unit = unit;
    goal.ratio = peerValue > 0 ? engineValue / peerValue : 0;
    goal.limit = limit;
    goal.atMost = atMost;
    goal.met = atMost ? goal.ratio <= limit : goal.ratio >= limit;
    goal.note = note;
    return goal;
}
