// The engine's speed on the committed corpus: per level, for the hard set and for the dense
// lattices (counted as unfinished where the default budget runs out), the median,
// 90th and 99th percentile and largest time of one full "Advanced" run, with duplicate
// checking on and off. The warm figure of a position is its fastest of three runs.
//
// The fixed cost of a run shows in two more figures per play level:
//   Level/FreshObject: each position once in a new engine object, through the engine's
//     table as the program calls it: creation, attaching, the run and the object's end are
//     timed together, beside the warm runs of the same table (warm_median_ms) and their ratio.
//   Level/FreshProcess: each position once in a new kelvane-solve process, the time that
//     process reports for its only run.
//   kelvane-solver-bench [--smoke] [--corpus DIR] [benchmark options]
// --smoke takes only the first few positions of each set (the test suite's quick run).
#include "bench_figures.h"
#include "board_text.h"
#include "engine_object.h"
#include "solver.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace kelvane::solver;

namespace
{

using bench::Percentile;
using bench::ThreadWorkMs;

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

// The program's sink, doing nothing.
void Ignore(EngineEvents *) {}
void IgnoreSector(EngineEvents *, int32_t, int32_t) {}
void IgnoreCounts(EngineEvents *, int32_t, int32_t, int32_t) {}
void IgnoreBudget(EngineEvents *, int32_t, int32_t) {}
void IgnoreProgress(EngineEvents *, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
const EngineEventsTable QuietTable = {IgnoreSector, IgnoreSector, Ignore,       IgnoreCounts,
                                      IgnoreCounts, Ignore,       IgnoreBudget, IgnoreProgress,
                                      Ignore,       Ignore,       Ignore};

// One run through the engine's table, as the program makes it.
void Calculate(ProbabilityEngine *engine, TGameState &game, const Position &position)
{
    LoadPosition(game, position);
    game.AdvancedMode = 1;
    game.DupCheck = 1;
    game.CheckingMode = 1;
    game.StepDepth = 25;
    game.EngineBusy = 1;
    game.HaltRequest = 0;
    benchmark::DoNotOptimize(engine->vtbl->Calculate(engine, 0, 0));
    game.EngineBusy = 0;
}

void RunFreshObjects(benchmark::State &state, const std::string &name)
{
    const std::vector<Position> positions = Load(name);
    alignas(16) static TGameState game;
    EngineEvents sink{&QuietTable};
    std::vector<double> cold(positions.size()), coldWork(positions.size());
    std::vector<double> warm(positions.size(), 1e300), warmWork(positions.size(), 1e300);
    for (auto _ : state) {
        for (size_t i = 0; i < positions.size(); ++i) {
            const double w0 = ThreadWorkMs();
            const auto t0 = std::chrono::steady_clock::now();
            ProbabilityEngine *engine = NewEngineObject();
            engine->vtbl->Attach(engine, &game, &sink);
            Calculate(engine, game, positions[i]);
            DeleteEngineObject(engine);
            const auto t1 = std::chrono::steady_clock::now();
            cold[i] = std::chrono::duration<double, std::milli>(t1 - t0).count();
            coldWork[i] = ThreadWorkMs() - w0;
        }
        ProbabilityEngine *engine = NewEngineObject();
        engine->vtbl->Attach(engine, &game, &sink);
        for (int round = 0; round < 3; ++round) {
            for (size_t i = 0; i < positions.size(); ++i) {
                const double w0 = ThreadWorkMs();
                const auto t0 = std::chrono::steady_clock::now();
                Calculate(engine, game, positions[i]);
                const auto t1 = std::chrono::steady_clock::now();
                warm[i] =
                    std::min(warm[i], std::chrono::duration<double, std::milli>(t1 - t0).count());
                warmWork[i] = std::min(warmWork[i], ThreadWorkMs() - w0);
            }
        }
        DeleteEngineObject(engine);
    }
    state.counters["positions"] = static_cast<double>(positions.size());
    state.counters["median_ms"] = Percentile(cold, 0.5);
    state.counters["p90_ms"] = Percentile(cold, 0.9);
    state.counters["max_ms"] = Percentile(cold, 1.0);
    state.counters["cpu_median_ms"] = Percentile(coldWork, 0.5);
    state.counters["warm_median_ms"] = Percentile(warm, 0.5);
    state.counters["cpu_warm_median_ms"] = Percentile(warmWork, 0.5);
    state.counters["cold_per_warm"] = Percentile(cold, 0.5) / Percentile(warm, 0.5);
    state.counters["cpu_cold_per_warm"] = Percentile(coldWork, 0.5) / Percentile(warmWork, 0.5);
}

// The seconds a new kelvane-solve process reports for its one run of the position.
double FreshProcessMs(const Position &position, const std::string &file)
{
    {
        std::ofstream out(file);
        out << FormatPosition(position);
    }
    const std::string command = "'" KELVANE_SOLVE_PATH "' '" + file + "'";
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return -1.0;
    char line[4096];
    double seconds = -1.0;
    while (std::fgets(line, sizeof line, pipe) != nullptr)
        if (std::strncmp(line, "status ", 7) == 0) {
            const char *at = std::strstr(line, " seconds ");
            if (at != nullptr) seconds = std::atof(at + 9);
        }
    pclose(pipe);
    return seconds * 1e3;
}

void RunFreshProcesses(benchmark::State &state, const std::string &name)
{
    const std::vector<Position> positions = Load(name);
    const std::string file =
        "/tmp/kelvane-solver-bench-" + std::to_string(static_cast<long>(getpid())) + ".txt";
    std::vector<double> cold(positions.size());
    int64_t failed = 0;
    for (auto _ : state) {
        failed = 0;
        for (size_t i = 0; i < positions.size(); ++i) {
            cold[i] = FreshProcessMs(positions[i], file);
            failed += cold[i] < 0.0;
        }
    }
    std::remove(file.c_str());
    state.counters["positions"] = static_cast<double>(positions.size());
    state.counters["failed"] = static_cast<double>(failed);
    state.counters["median_ms"] = Percentile(cold, 0.5);
    state.counters["p90_ms"] = Percentile(cold, 0.9);
    state.counters["max_ms"] = Percentile(cold, 1.0);
}

void Register()
{
    for (const char *name : {"beginner", "intermediate", "expert", "ultra", "hard", "dense"}) {
        std::string title = name;
        title[0] = static_cast<char>(title[0] - 'a' + 'A');
        const bool play = title != "Hard" && title != "Dense";
        for (bool dup : {true, false}) {
            // The dense set runs for seconds a position: one run each.
            benchmark::RegisterBenchmark(
                (title + (dup ? "/DupCheck" : "/NoDupCheck")).c_str(),
                [name = std::string(name), dup](benchmark::State &s) { RunSet(s, name, dup); })
                ->Iterations(title == "Dense" ? 1 : 3)
                ->Unit(benchmark::kMillisecond);
        }
        if (!play) continue;
        benchmark::RegisterBenchmark(
            (title + "/FreshObject").c_str(),
            [name = std::string(name)](benchmark::State &s) { RunFreshObjects(s, name); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(
            (title + "/FreshProcess").c_str(),
            [name = std::string(name)](benchmark::State &s) { RunFreshProcesses(s, name); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
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
