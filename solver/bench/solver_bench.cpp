// The engine's speed on the committed corpus: per level and for the hard set, the median,
// 90th and 99th percentile and largest time of one full "Advanced" run, with duplicate
// checking on and off.
//   kelvane-solver-bench [--smoke] [--corpus DIR] [benchmark options]
// --smoke takes only the first few positions of each set (the test suite's quick run).
#include "board_text.h"
#include "solver.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

using namespace kelvane::solver;

namespace
{

std::string CorpusDir = KELVANE_CORPUS_DIR;
size_t Limit = 0; // 0: every position

std::vector<Position> Load(const std::string &name)
{
    std::ifstream in(CorpusDir + "/" + name + ".txt");
    std::vector<Position> out;
    Position p;
    TextError error;
    int32_t line = 0;
    while (ReadPosition(in, line, p, error)) {
        out.push_back(p);
        if (Limit != 0 && out.size() >= Limit) break;
    }
    if (!error.Message.empty())
        std::fprintf(stderr, "%s.txt line %d: %s\n", name.c_str(), error.Line,
                     error.Message.c_str());
    return out;
}

double ThreadWorkMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double Percentile(std::vector<double> sorted, double q)
{
    if (sorted.empty()) return 0.0;
    std::sort(sorted.begin(), sorted.end());
    const size_t at = std::min(sorted.size() - 1, static_cast<size_t>(q * sorted.size()));
    return sorted[at];
}

void RunSet(benchmark::State &state, const std::string &name, bool dupCheck)
{
    const std::vector<Position> positions = Load(name);
    Options options;
    options.DupCheck = dupCheck;
    std::vector<double> best(positions.size(), 1e300), bestWork(positions.size(), 1e300);
    int64_t unfinished = 0;
    for (auto _ : state) {
        unfinished = 0;
        for (size_t i = 0; i < positions.size(); ++i) {
            const double w0 = ThreadWorkMs();
            const auto t0 = std::chrono::steady_clock::now();
            const Result result = Solve(positions[i], options);
            const auto t1 = std::chrono::steady_clock::now();
            bestWork[i] = std::min(bestWork[i], ThreadWorkMs() - w0);
            benchmark::DoNotOptimize(result.Probability.data());
            best[i] = std::min(best[i], std::chrono::duration<double, std::milli>(t1 - t0).count());
            unfinished += result.RunStatus != Status::Finished;
        }
    }
    state.counters["positions"] = static_cast<double>(positions.size());
    state.counters["unfinished"] = static_cast<double>(unfinished);
    state.counters["median_ms"] = Percentile(best, 0.5);
    state.counters["p90_ms"] = Percentile(best, 0.9);
    state.counters["p99_ms"] = Percentile(best, 0.99);
    state.counters["max_ms"] = Percentile(best, 1.0);
    // The same in this thread's processor time, which other work on the machine cannot swell.
    state.counters["cpu_median_ms"] = Percentile(bestWork, 0.5);
    state.counters["cpu_p90_ms"] = Percentile(bestWork, 0.9);
    state.counters["cpu_p99_ms"] = Percentile(bestWork, 0.99);
    state.counters["cpu_max_ms"] = Percentile(bestWork, 1.0);
}

void Register()
{
    for (const char *name : {"beginner", "intermediate", "expert", "ultra", "hard"}) {
        std::string title = name;
        title[0] = static_cast<char>(title[0] - 'a' + 'A');
        for (bool dup : {true, false}) {
            benchmark::RegisterBenchmark(
                (title + (dup ? "/DupCheck" : "/NoDupCheck")).c_str(),
                [name = std::string(name), dup](benchmark::State &s) { RunSet(s, name, dup); })
                ->Iterations(3)
                ->Unit(benchmark::kMillisecond);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<char *> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0)
            Limit = 5;
        else if (std::strcmp(argv[i], "--corpus") == 0 && i + 1 < argc)
            CorpusDir = argv[++i];
        else
            rest.push_back(argv[i]);
    }
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    Register();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
