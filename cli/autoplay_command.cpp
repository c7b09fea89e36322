#include "autoplay_command.h"

#include "command_args.h"

#include "engine_object.h"
#include "generate_command.h"
#include "move_policy.h"
#include "rules.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace
{

struct Setup {
    int32_t Width = 0, Height = 0, Mines = 0;
    int32_t X = -1, Y = -1; // the first press; the centre unless given
    bool Opening = false, FairPlay = false;
    bool Even = false; // every layout alike, instead of the rules' laying

    uint64_t Seed = 0;
};

struct Played {
    bool Won = false;
    bool Undecided = false; // the engine could not finish a position
    int32_t Guesses = 0;
};

// Game i's seed, from the run's seed and i alone, so that any split over threads plays the
// same games.
uint32_t GameSeed(uint64_t seed, uint64_t i)
{
    uint64_t x = seed * 0x9e3779b97f4a7c15ULL + i + 1;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return static_cast<uint32_t>(x ^ (x >> 31));
}

// The sectors that may hold a mine, in the game's placement order.
std::vector<int32_t> MineRoom(GameRules &rules, const Setup &s)
{
    std::vector<int32_t> list(KELVANE_SECTOR_SLOTS);
    list.resize(static_cast<size_t>(rules.MineCandidates(s.X, s.Y, list.data())));
    if (s.Opening)
        std::erase_if(list, [&](int32_t slot) {
            const int32_t c = slot / KELVANE_COLUMN_SLOTS, r = slot % KELVANE_COLUMN_SLOTS;
            return std::abs(c - s.X) <= 1 && std::abs(r - s.Y) <= 1;
        });
    return list;
}

void NewField(TGameState &game, const Setup &s)
{
    game = TGameState{};
    SetFieldSize(game, s.Width, s.Height, s.Mines);
    game.FairPlay = s.FairPlay ? 1 : 0;
    game.Level = 4;
    game.Live = 1;
}

Played PlayGame(ProbabilityEngine &engine, const Setup &s, uint32_t seed)
{
    Played played;
    auto game = std::make_unique<TGameState>();
    NewField(*game, s);
    LossView view(*game);
    Random rng;
    rng.Seed(seed);
    GameRules rules(*game, view, rng);
    rules.ClearBoard();
    std::vector<int32_t> room = MineRoom(rules, s);
    if (s.Even) {
        // A shuffle's first MINES sectors: every layout as likely as any other.
        for (size_t i = 0; i < static_cast<size_t>(s.Mines) && i + 1 < room.size(); ++i)
            std::swap(room[i], room[i + rng.Below(static_cast<uint32_t>(room.size() - i))]);
        std::vector<uint8_t> mined(KELVANE_SECTOR_SLOTS, 0);
        for (size_t i = 0; i < static_cast<size_t>(s.Mines); ++i)
            mined[static_cast<size_t>(room[i])] = 1;
        rules.PlaceGivenMines(mined.data());
    } else {
        rules.PlaceMinesAmong(room.data(), static_cast<int32_t>(room.size()));
    }
    rules.OpenArea(s.X, s.Y, false);
    std::vector<int32_t> safe;
    MoveOptions options;
    options.HintMines = false;
    options.SafeSlots = &safe;
    const std::vector<int32_t> order = MineRoom(rules, s);
    if (!s.Even) options.LayingOrder = &order;
    while (!view.Lost && !rules.CheckWin()) {
        const Hint hint = ChooseMove(engine, *game, options);
        if (hint.Kind == HintKind::Safe) {
            for (int32_t slot : safe)
                if (game->State[slot] == SECTOR_CLOSED)
                    rules.OpenArea(slot / KELVANE_COLUMN_SLOTS, slot % KELVANE_COLUMN_SLOTS, false);
        } else if (hint.Kind == HintKind::BestGuess || hint.Kind == HintKind::FiftyFifty) {
            ++played.Guesses;
            rules.OpenArea(hint.X, hint.Y, false);
        } else {
            played.Undecided = true;
            return played;
        }
    }
    played.Won = !view.Lost;
    return played;
}

} // namespace

int RunAutoplay(int argc, char **argv, const std::string &defaultEngine)
{
    Setup s;
    std::string enginePath = defaultEngine;
    bool engineGiven = false;
    long long games = -1, threads = 1;
    Positionals numbers{"--autoplay", {"W", "H", "MINES"}};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        long long value = 0;
        if (arg == "--autoplay") {
            continue;
        } else if (arg == "--games") {
            if (!hasValue || !ParseNumber(argv[++i], 1, 1000000000, games))
                return BadArguments("--games takes a number from 1 to 1000000000");
        } else if (arg == "--seed") {
            if (!hasValue || !ParseNumber(argv[++i], 0, 4294967295LL, value))
                return BadArguments("--seed takes a number from 0 to 4294967295");
            s.Seed = static_cast<uint64_t>(value);
        } else if (arg == "--first") {
            long long x = 0, y = 0;
            if (i + 2 >= argc || !ParseNumber(argv[i + 1], 0, 31, x) ||
                !ParseNumber(argv[i + 2], 0, 31, y))
                return BadArguments("--first takes a column and a row");
            s.X = static_cast<int32_t>(x);
            s.Y = static_cast<int32_t>(y);
            i += 2;
        } else if (arg == "--opening") {
            s.Opening = true;
        } else if (arg == "--even") {
            s.Even = true;
        } else if (arg == "--fair-play") {
            s.FairPlay = true;
        } else if (arg == "--threads") {
            if (!hasValue || !ParseNumber(argv[++i], 1, 64, threads))
                return BadArguments("--threads takes a number from 1 to 64");
        } else if (arg == "--engine") {
            if (!hasValue) return BadArguments("--engine takes a path");
            enginePath = argv[++i];
            engineGiven = true;
        } else if (IsOption(arg)) {
            return BadArguments("unknown option " + arg + " with --autoplay");
        } else if (const std::string why = numbers.Take(arg); !why.empty()) {
            return BadArguments(why);
        }
    }
    if (!numbers.Complete()) return BadArguments(numbers.Usage());
    if (games < 0) return BadArguments("--autoplay needs --games N");
    const std::vector<long long> &field = numbers.Values;
    const auto text = [](long long v) { return std::to_string(v); };
    if (const std::string why = FieldSizeError(field[0], field[1]); !why.empty())
        return BadArguments(why);
    s.Width = static_cast<int32_t>(field[0]);
    s.Height = static_cast<int32_t>(field[1]);
    if (s.X < 0) {
        s.X = s.Width / 2;
        s.Y = s.Height / 2;
    }
    if (s.X >= s.Width || s.Y >= s.Height)
        return BadArguments("--first must lie in the field, not " + text(s.X) + " " + text(s.Y));
    if (threads > 1 && engineGiven)
        return BadArguments("--engine plays on one thread (more threads use the built-in engine)");
    {
        auto game = std::make_unique<TGameState>();
        NewField(*game, s);
        LossView view(*game);
        Random rng;
        GameRules rules(*game, view, rng);
        const auto room = static_cast<long long>(MineRoom(rules, s).size());
        if (field[2] < 0 || field[2] > room)
            return BadArguments("MINES must be 0 to " + text(room) + ", not " + text(field[2]));
    }
    s.Mines = static_cast<int32_t>(field[2]);

    // The library offers one engine object; more threads each make their own of the same
    // engine, built in.
    std::vector<ProbabilityEngine *> engines;
    if (threads == 1) {
        ProbabilityEngine *engine = LoadEngine(enginePath);
        if (engine == nullptr) return 1;
        engines.push_back(engine);
    } else {
        for (long long t = 0; t < threads; ++t)
            engines.push_back(kelvane::solver::NewEngineObject());
    }

    std::vector<Played> results(static_cast<size_t>(games));
    std::atomic<long long> next{0};
    const auto start = std::chrono::steady_clock::now();
    const auto work = [&](ProbabilityEngine *engine) {
        for (long long i = next++; i < games; i = next++)
            results[static_cast<size_t>(i)] =
                PlayGame(*engine, s, GameSeed(s.Seed, static_cast<uint64_t>(i)));
    };
    std::vector<std::thread> pool;
    for (size_t t = 1; t < engines.size(); ++t)
        pool.emplace_back(work, engines[t]);
    work(engines.front());
    for (std::thread &t : pool)
        t.join();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (threads > 1)
        for (ProbabilityEngine *engine : engines)
            kelvane::solver::DeleteEngineObject(engine);

    long long won = 0, undecided = 0, guesses = 0;
    for (const Played &p : results) {
        won += p.Won;
        undecided += p.Undecided;
        guesses += p.Guesses;
    }
    const double n = static_cast<double>(games), share = static_cast<double>(won) / n;
    const double margin = 1.96 * std::sqrt(share * (1.0 - share) / n);
    std::printf("won %lld of %lld (%.2f %% +/- %.2f %% at 95 %%) games/s %.2f\n", won, games,
                100.0 * share, 100.0 * margin, seconds > 0.0 ? n / seconds : 0.0);
    std::printf("guesses per game %.3f\n", static_cast<double>(guesses) / n);
    if (undecided > 0) std::printf("undecided %lld (the engine did not finish)\n", undecided);
    return 0;
}
