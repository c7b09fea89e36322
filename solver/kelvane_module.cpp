// The library's one exported entry: kelvane.so beside the program.
#include "engine_object.h"
#include "solver.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace
{

// The largest field, 32 x 32, with its top and bottom rows open: every number a 1 over a
// row of closed sectors holding a mine in every third. Two chains of groups to sweep, and
// working memory the size of any field's.
kelvane::solver::Position WarmUpPosition()
{
    using kelvane::solver::Cell;
    kelvane::solver::Position p;
    p.Width = 32;
    p.Height = 32;
    p.Mines = 100;
    p.State.assign(32 * 32, Cell::Closed);
    p.Number.assign(32 * 32, 0);
    for (int32_t c = 0; c < 32; ++c) {
        for (int32_t r : {0, 31}) {
            p.State[p.Index(c, r)] = Cell::Open;
            p.Number[p.Index(c, r)] = 1;
        }
    }
    return p;
}

// A position as play on a small field leaves it: mines laid by a fixed sequence away from
// the first press, and every sector that press's opening uncovers open with its number.
kelvane::solver::Position PlayedPosition(int32_t width, int32_t height, int32_t mines,
                                         uint32_t seed)
{
    using kelvane::solver::Cell;
    kelvane::solver::Position p;
    p.Width = width;
    p.Height = height;
    p.Mines = mines;
    p.State.assign(static_cast<size_t>(width * height), Cell::Closed);
    p.Number.assign(p.State.size(), 0);
    const int32_t pressC = width / 2, pressR = height / 2;
    std::vector<bool> mine(p.State.size(), false);
    for (int32_t laid = 0; laid < mines;) {
        seed = seed * 1664525u + 1013904223u;
        const int32_t at = static_cast<int32_t>((seed >> 8) % p.State.size());
        const int32_t c = at / height, r = at % height;
        if (mine[at] || (std::abs(c - pressC) <= 1 && std::abs(r - pressR) <= 1)) continue;
        mine[at] = true;
        ++laid;
    }
    auto around = [&](int32_t c, int32_t r) {
        int32_t n = 0;
        for (int32_t dc = -1; dc <= 1; ++dc)
            for (int32_t dr = -1; dr <= 1; ++dr) {
                const int32_t cc = c + dc, rr = r + dr;
                n += cc >= 0 && cc < width && rr >= 0 && rr < height && mine[p.Index(cc, rr)];
            }
        return n;
    };
    std::vector<int32_t> open{p.Index(pressC, pressR)};
    p.State[open[0]] = Cell::Open;
    while (!open.empty()) {
        const int32_t at = open.back();
        open.pop_back();
        const int32_t c = at / height, r = at % height;
        p.Number[at] = around(c, r);
        if (p.Number[at] != 0) continue;
        for (int32_t dc = -1; dc <= 1; ++dc)
            for (int32_t dr = -1; dr <= 1; ++dr) {
                const int32_t cc = c + dc, rr = r + dr;
                if (cc < 0 || cc >= width || rr < 0 || rr >= height) continue;
                const int32_t next = p.Index(cc, rr);
                if (p.State[next] != Cell::Closed) continue;
                p.State[next] = Cell::Open;
                open.push_back(next);
            }
    }
    return p;
}

// The program's events, unheard: the calculation as the library loads draws nothing.
void Ignore(EngineEvents *) {}
void IgnoreSector(EngineEvents *, int32_t, int32_t) {}
void IgnoreCounts(EngineEvents *, int32_t, int32_t, int32_t) {}
void IgnoreBudget(EngineEvents *, int32_t, int32_t) {}
void IgnoreProgress(EngineEvents *, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
const EngineEventsTable Unheard = {IgnoreSector, IgnoreSector, Ignore,       IgnoreCounts,
                                   IgnoreCounts, Ignore,       IgnoreBudget, IgnoreProgress,
                                   Ignore,       Ignore,       Ignore};

// How many small played positions of each size the calculation at load goes through.
constexpr uint32_t PlayedWarmUps = 12;

// A first run in a new process pays for bringing the engine's code and working memory in,
// several times what a run costs later: each page the process touches for the first time
// costs about as much as a small run, and the processor has not yet learnt the way the
// engine's loops go. Calculations through an engine object of its own, as the program calls
// it, pay that as the program starts: one on the largest field (the memory it frees stays
// with the process for the player's runs), then a few on small fields as play leaves them.
void WarmUp()
{
    auto game = std::make_unique<TGameState>();
    EngineEvents events{&Unheard};
    ProbabilityEngine *engine = kelvane::solver::NewEngineObject();
    engine->vtbl->Attach(engine, game.get(), &events);
    auto calculate = [&](const kelvane::solver::Position &position) {
        kelvane::solver::LoadPosition(*game, position);
        game->AdvancedMode = 1;
        game->DupCheck = 1;
        game->CheckingMode = 1;
        game->StepDepth = 25;
        game->EngineBusy = 1;
        (void)engine->vtbl->Calculate(engine, 0, 0);
        game->EngineBusy = 0;
    };
    calculate(WarmUpPosition());
    for (uint32_t seed = 1; seed <= PlayedWarmUps; ++seed) {
        calculate(PlayedPosition(9, 9, 10, seed));
        calculate(PlayedPosition(16, 16, 40, seed));
    }
    kelvane::solver::DeleteEngineObject(engine);
}

// One object for the life of the library, as the program expects; it goes when the
// program unloads the library.
struct ModuleEngine {
    ModuleEngine() { WarmUp(); }
    ~ModuleEngine() { kelvane::solver::DeleteEngineObject(Engine); }
    ProbabilityEngine *Engine = kelvane::solver::NewEngineObject();
};

} // namespace

extern "C" __attribute__((visibility("default"))) ProbabilityEngine *CreateObject(void)
{
    try {
        static ModuleEngine module;
        return module.Engine;
    } catch (...) {
        return nullptr; // nothing may cross the C entry
    }
}
