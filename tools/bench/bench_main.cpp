// tolvo-bench: Google Benchmark runs of the engine's operations and their peers, then
// the goals table (interleaved medians as ratios) and a JSON report.
//   tolvo-bench [--images DIR] [--muffins PROGRAM] [--json FILE] [--rounds N]
//               [--no-gbench] [--only blit|load|game|sound] [Google Benchmark flags]
#include "tools/bench/cases.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

// Engine hooks: the benchmark drives the engine's operations itself.
void initialize() {}
int run() {
    return 0;
}

void RegisterOperation(const std::string& name, std::function<void()> operation) {
    benchmark::RegisterBenchmark(name.c_str(), [operation](benchmark::State& state) {
        for (auto _ : state)
            operation();
    })->MinTime(0.05);
}

namespace {

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

bool WriteJson(const std::string& path, const std::vector<Goal>& goals, bool same) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        return false;
    std::fprintf(file, "{\"identicalPixels\":%s,\"goals\":[\n", same ? "true" : "false");
    for (size_t i = 0; i < goals.size(); ++i) {
        const Goal& g = goals[i];
        std::fprintf(file,
                     "  {\"goal\":\"%s\",\"engine\":\"%s\",\"engineValue\":%.6g,\"peer\":\"%s\","
                     "\"peerValue\":%.6g,\"unit\":\"%s\",\"ratio\":%.4f,\"limit\":%.2f,"
                     "\"atMost\":%s,\"met\":%s,\"note\":\"%s\"}%s\n",
                     Escaped(g.name).c_str(), Escaped(g.engine).c_str(), g.engineValue,
                     Escaped(g.peer).c_str(), g.peerValue, g.unit.c_str(), g.ratio, g.limit,
                     g.atMost ? "true" : "false", g.met ? "true" : "false", Escaped(g.note).c_str(),
                     i + 1 < goals.size() ? "," : "");
    }
    std::fprintf(file, "]}\n");
    std::fclose(file);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    std::string json = "bench/report.json";
    bool gbench = true;
    std::string only; // one group of cases, for quick runs while tuning
    std::vector<char*> rest = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--images" && hasValue)
            options.images = argv[++i];
        else if (arg == "--muffins" && hasValue)
            options.muffins = argv[++i];
        else if (arg == "--json" && hasValue)
            json = argv[++i];
        else if (arg == "--rounds" && hasValue)
            options.rounds = std::max(10, std::atoi(argv[++i]));
        else if (arg == "--only" && hasValue)
            only = argv[++i];
        else if (arg == "--no-gbench")
            gbench = false;
        else
            rest.push_back(argv[i]);
    }
    int restCount = int(rest.size());
    benchmark::Initialize(&restCount, rest.data());

    std::vector<Goal> goals;
    // The game first: a child's peak memory counts this process's memory at the fork,
    // which is smallest before the pictures and surfaces below exist.
    std::vector<Goal> gameGoals;
    auto wanted = [&only](const char* group) { return only.empty() || only == group; };
    bool game = wanted("game") ? GameCases(options, gameGoals) : true;
    bool same = wanted("blit") ? BlitCases(options, goals) : true;
    if (wanted("load"))
        same &= LoadCases(options, goals);
    if (wanted("sound"))
        SoundCases(options, goals);
    goals.insert(goals.end(), gameGoals.begin(), gameGoals.end());
    if (gbench)
        benchmark::RunSpecifiedBenchmarks();

    std::printf("\n%-40s %12s %12s %7s %7s  %s\n", "goal", "engine", "peer", "ratio", "limit",
                "met");
    for (const Goal& g : goals) {
        std::printf("%-40s %9.3f %-2s %9.3f %-2s %7.3f %s%-5.2f  %s\n", g.name.c_str(),
                    g.engineValue, g.unit.substr(0, 2).c_str(), g.peerValue,
                    g.unit.substr(0, 2).c_str(), g.ratio, g.atMost ? "<=" : ">=", g.limit,
                    g.met ? "yes" : "NO");
        if (!g.note.empty())
            std::printf("    %s\n", g.note.c_str());
    }
    std::printf("identical pixels where compared: %s\n", same ? "yes" : "NO");
    if (!WriteJson(json, goals, same))
        std::fprintf(stderr, "bench: cannot write %s\n", json.c_str());
    else
        std::printf("report: %s\n", json.c_str());
    return same && game ? 0 : 1;
}
