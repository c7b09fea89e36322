// How long a no-guess board takes, with the engine driven through its contract as the game
// drives it: per level the median, 90th and 99th percentile and largest time over many seeds
// (a random first press each, Fair Play on), and on 16 x 16 the share of boards found within
// the game's 2-second budget at densities from 10 % to 30 %.
//   kelvane-no-guess-bench [--seeds N] [--density-seeds N] [benchmark options]
#include "bench_figures.h"
#include "engine_object.h"
#include "level_table.h"
#include "no_guess.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace
{

using bench::Percentile;
using bench::ThreadWorkMs;

int32_t Seeds = 300;
int32_t DensitySeeds = 100;

void Generate(benchmark::State &state, int32_t sizeX, int32_t sizeY, int32_t mines, int32_t seeds)
{
    ProbabilityEngine *engine = kelvane::solver::NewEngineObject();
    std::vector<double> wall, work;
    int32_t found = 0, attempts = 0;
    for (auto _ : state) {
        wall.clear();
        work.clear();
        found = attempts = 0;
        for (int32_t seed = 1; seed <= seeds; ++seed) {
            Random press;
            press.Seed(static_cast<uint32_t>(seed) * 7919u);
            NoGuessRequest request;
            request.SizeX = sizeX;
            request.SizeY = sizeY;
            request.Mines = mines;
            request.Col = static_cast<int32_t>(press.Below(static_cast<uint32_t>(sizeX)));
            request.Row = static_cast<int32_t>(press.Below(static_cast<uint32_t>(sizeY)));
            request.FairPlay = true;
            Random rng;
            rng.Seed(static_cast<uint32_t>(seed));
            const double w0 = ThreadWorkMs();
            const NoGuessBoard board = GenerateNoGuessBoard(*engine, rng, request);
            work.push_back(ThreadWorkMs() - w0);
            wall.push_back(board.Seconds * 1e3);
            found += board.Found;
            attempts += board.Attempts;
            benchmark::DoNotOptimize(board.Mined.data());
        }
    }
    kelvane::solver::DeleteEngineObject(engine);
    state.counters["boards"] = seeds;
    state.counters["found_pct"] = 100.0 * found / seeds;
    state.counters["attempts_mean"] = double(attempts) / seeds;
    state.counters["median_ms"] = Percentile(wall, 0.5);
    state.counters["p90_ms"] = Percentile(wall, 0.9);
    state.counters["p99_ms"] = Percentile(wall, 0.99);
    state.counters["max_ms"] = Percentile(wall, 1.0);
    // The same in this thread's processor time, which other work on the machine cannot swell.
    state.counters["cpu_median_ms"] = Percentile(work, 0.5);
    state.counters["cpu_p99_ms"] = Percentile(work, 0.99);
}

void Register()
{
    for (const LevelRow &level : LevelTable)
        benchmark::RegisterBenchmark(level.Name,
                                     [level](benchmark::State &s) {
                                         Generate(s, level.SizeX, level.SizeY, level.Mines, Seeds);
                                     })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    for (int32_t percent = 10; percent <= 30; percent += 5) {
        const int32_t mines = (256 * percent + 50) / 100;
        benchmark::RegisterBenchmark(
            ("Density16x16/" + std::to_string(percent) + "%").c_str(),
            [mines](benchmark::State &s) { Generate(s, 16, 16, mines, DensitySeeds); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<char *> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seeds") == 0 && i + 1 < argc)
            Seeds = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--density-seeds") == 0 && i + 1 < argc)
            DensitySeeds = std::max(1, std::atoi(argv[++i]));
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
