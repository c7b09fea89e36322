// How long the hint takes: the move policy asked on every play position of the solver's corpus,
// per level the median, 99th percentile and largest time (wall and this thread's processor
// time), with the kinds of answer given. The positions are taken as laid by the game's rule
// (every sector a candidate, columns outer), so the guesses weigh the laying order as in play.
//   kelvane-policy-bench [benchmark options]
#include "bench_figures.h"
#include "board_text.h"
#include "engine_object.h"
#include "move_policy.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace
{

using bench::Percentile;
using bench::ThreadWorkMs;

struct alignas(16) Record {
    TGameState Game{};
};

void Hints(benchmark::State &state, const std::string &level)
{
    std::ifstream in(std::string(KELVANE_CORPUS_DIR) + "/" + level + ".txt");
    std::vector<kelvane::solver::Position> positions;
    kelvane::solver::Position p;
    kelvane::solver::TextError error;
    int32_t line = 0;
    while (kelvane::solver::ReadPosition(in, line, p, error))
        positions.push_back(p);
    ProbabilityEngine *engine = kelvane::solver::NewEngineObject();
    auto record = std::make_unique<Record>();
    std::vector<double> wall, work;
    int32_t guesses = 0, halted = 0;
    for (auto _ : state) {
        wall.clear();
        work.clear();
        guesses = halted = 0;
        for (const kelvane::solver::Position &position : positions) {
            record->Game = TGameState{};
            kelvane::solver::LoadPosition(record->Game, position);
            record->Game.Active = record->Game.Live = 1;
            std::vector<int32_t> order;
            for (int32_t c = 0; c < record->Game.SizeX; ++c)
                for (int32_t r = 0; r < record->Game.SizeY; ++r)
                    order.push_back(KELVANE_SECTOR_INDEX(c, r));
            MoveOptions options;
            options.LayingOrder = &order;
            const double w0 = ThreadWorkMs();
            const auto t0 = std::chrono::steady_clock::now();
            const Hint hint = ChooseMove(*engine, record->Game, options);
            wall.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count());
            work.push_back(ThreadWorkMs() - w0);
            guesses += hint.Kind == HintKind::BestGuess || hint.Kind == HintKind::FiftyFifty;
            halted += hint.Halted;
        }
    }
    kelvane::solver::DeleteEngineObject(engine);
    state.counters["positions"] = static_cast<double>(positions.size());
    state.counters["guesses"] = guesses;
    state.counters["halted"] = halted;
    state.counters["median_ms"] = Percentile(wall, 0.5);
    state.counters["p99_ms"] = Percentile(wall, 0.99);
    state.counters["max_ms"] = Percentile(wall, 1.0);
    state.counters["cpu_median_ms"] = Percentile(work, 0.5);
    state.counters["cpu_p99_ms"] = Percentile(work, 0.99);
    state.counters["cpu_max_ms"] = Percentile(work, 1.0);
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    for (const char *level : {"beginner", "intermediate", "expert", "ultra"})
        benchmark::RegisterBenchmark(level, [level](benchmark::State &s) { Hints(s, level); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
