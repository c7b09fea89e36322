// How long reviewing a whole game takes, with the engine driven through its contract as the
// game drives it: per level the median, 90th percentile and largest time over seeded games,
// each played to its end in Trainer Mode by a careful player (every certainly safe sector
// opened one press at a time, else the safest guess), so that every game is as long as the
// field allows.
//   kelvane-review-bench [--games N] [benchmark options]
#include "bench_figures.h"
#include "engine_client.h"
#include "engine_object.h"
#include "game_review.h"
#include "level_table.h"
#include "record_replay.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

using bench::Percentile;
using bench::ThreadWorkMs;

int32_t Games = 30;

// A game of the careful player on a field laid by `seed`, the first press in the middle.
GameRecord PlayedCarefully(ProbabilityEngine &engine, const LevelRow &level, uint32_t seed)
{
    GameRecord record;
    record.Width = level.SizeX;
    record.Height = level.SizeY;
    record.Mines = level.Mines;
    record.Trainer = true;
    record.Layout.assign(size_t(level.SizeX) * level.SizeY, 0);
    const int32_t first = level.SizeY / 2 * level.SizeX + level.SizeX / 2;
    Random rng;
    rng.Seed(seed);
    for (int32_t laid = 0; laid < level.Mines;) {
        const int32_t at = int32_t(rng.Below(uint32_t(record.Layout.size())));
        if (at == first || record.Layout[at]) continue;
        record.Layout[at] = 1;
        ++laid;
    }
    RecordReplay replay(record);
    EngineSession session(engine);
    session.Attach();
    uint32_t ms = 0;
    const auto play = [&](int32_t x, int32_t y) {
        record.Moves.push_back({ms += 700, MoveKind::Open, x, y});
        replay.Play(record.Moves.back());
    };
    play(level.SizeX / 2, level.SizeY / 2);
    while (!replay.Decided()) {
        TGameState &game = session.Game();
        game = replay.State();
        SetEngineOptions(game, EngineOptions{});
        if (session.Run(0, 0).End != RunEnd::Finished) break;
        std::vector<std::pair<int32_t, int32_t>> safe;
        float least = 2.0f;
        int32_t guessX = -1, guessY = -1;
        for (int32_t y = 0; y < level.SizeY; ++y)
            for (int32_t x = 0; x < level.SizeX; ++x) {
                if (replay.StateAt(x, y) != SECTOR_CLOSED) continue;
                const float p = game.Prob[KELVANE_SECTOR_INDEX(x, y)];
                if (p <= 0.0f) safe.push_back({x, y});
                if (p < least) least = p, guessX = x, guessY = y;
            }
        if (guessX < 0) break;
        if (safe.empty()) play(guessX, guessY);
        for (const auto &[x, y] : safe)
            if (replay.StateAt(x, y) == SECTOR_CLOSED && !replay.Decided()) play(x, y);
    }
    record.End = replay.Won() ? GameEnd::Won : GameEnd::Abandoned;
    return record;
}

void Review(benchmark::State &state, const LevelRow &level)
{
    ProbabilityEngine *engine = kelvane::solver::NewEngineObject();
    std::vector<GameRecord> games;
    for (int32_t seed = 1; seed <= Games; ++seed)
        games.push_back(PlayedCarefully(*engine, level, uint32_t(seed)));
    std::vector<double> wall, work;
    double moves = 0;
    for (auto _ : state) {
        wall.clear();
        work.clear();
        for (const GameRecord &game : games) {
            const double w0 = ThreadWorkMs();
            const auto t0 = std::chrono::steady_clock::now();
            const GameReview review = ReviewGame(*engine, game);
            wall.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count());
            work.push_back(ThreadWorkMs() - w0);
            moves += double(review.Moves.size());
            benchmark::DoNotOptimize(review.Figures.Survival);
        }
    }
    kelvane::solver::DeleteEngineObject(engine);
    state.counters["games"] = Games;
    state.counters["moves_mean"] = moves / Games / double(state.iterations());
    state.counters["median_ms"] = Percentile(wall, 0.5);
    state.counters["p90_ms"] = Percentile(wall, 0.9);
    state.counters["max_ms"] = Percentile(wall, 1.0);
    state.counters["cpu_median_ms"] = Percentile(work, 0.5);
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<char *> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--games") == 0 && i + 1 < argc)
            Games = std::max(1, std::atoi(argv[++i]));
        else
            rest.push_back(argv[i]);
    }
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    for (const LevelRow &level : LevelTable)
        benchmark::RegisterBenchmark(level.Name,
                                     [&level](benchmark::State &s) { Review(s, level); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
