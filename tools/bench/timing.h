// Interleaved timing for the benchmark: the engine and its peer take turns, and each
// side's median over the rounds is kept. Processor time of this thread is measured,
// so other work on the machine does not count against either side.
#ifndef TOLVO_TOOLS_BENCH_TIMING_H
#define TOLVO_TOOLS_BENCH_TIMING_H

#include <functional>
#include <string>
#include <vector>

// Nanoseconds of this thread's processor time.
double ThreadNanoseconds();

// Median of the values (they are reordered).
double Median(std::vector<double> values);

// Median nanoseconds per call of each function over `rounds` interleaved rounds; each
// round repeats a function enough times to last about a millisecond.
std::vector<double> Interleaved(const std::vector<std::function<void()>>& functions,
                                int rounds = 15);

// One line of the results table: engine against peer, the ratio and its limit.
struct Goal {
    std::string name;
    std::string engine, peer; // what was timed on each side
    double engineValue = 0, peerValue = 0;
    std::string unit;
    double ratio = 0, limit = 0;
    bool atMost = true; // met when ratio <= limit (else when ratio >= limit)
    bool met = false;
    std::string note; // where the formulas differ, how a number was formed
};

Goal MakeGoal(const std::string& name, const std::string& engine, double engineValue,
              const std::string& peer, double peerValue, const std::string& unit, double limit,
              bool atMost, const std::string& note = "");

#endif
