// The benchmark's cases, by area. Each adds its goals (interleaved medians against a
// peer) and registers its operations with Google Benchmark.
#ifndef TOLVO_TOOLS_BENCH_CASES_H
#define TOLVO_TOOLS_BENCH_CASES_H

#include "tools/bench/timing.h"

#include <string>
#include <vector>

struct BenchOptions {
    std::string images = "Images";   // the game's pictures
    std::string muffins = "muffins"; // the game program, run on the headless host
    int rounds = 15;
};

// Registered with Google Benchmark as name -> operation.
void RegisterOperation(const std::string& name, std::function<void()> operation);

// Each returns false when a check of identical pixels failed (reported on stderr).
bool BlitCases(const BenchOptions& options, std::vector<Goal>& goals);
bool LoadCases(const BenchOptions& options, std::vector<Goal>& goals);
bool GameCases(const BenchOptions& options, std::vector<Goal>& goals);
bool SoundCases(const BenchOptions& options, std::vector<Goal>& goals);

#endif
