// The library's one exported entry: kelvane.so beside the program.
#include "engine_object.h"
#include "solver.h"

#include <memory>

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

// The program's events, unheard: the calculation as the library loads draws nothing.
void Ignore(EngineEvents *) {}
void IgnoreSector(EngineEvents *, int32_t, int32_t) {}
void IgnoreCounts(EngineEvents *, int32_t, int32_t, int32_t) {}
void IgnoreBudget(EngineEvents *, int32_t, int32_t) {}
void IgnoreProgress(EngineEvents *, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
const EngineEventsTable Unheard = {IgnoreSector, IgnoreSector, Ignore,       IgnoreCounts,
                                   IgnoreCounts, Ignore,       IgnoreBudget, IgnoreProgress,
                                   Ignore,       Ignore,       Ignore};

// A first run in a new process pays for bringing the engine's code and working memory in,
// several times what a run costs later: each page the process touches for the first time
// costs about as much as a small run. One calculation on the largest field, through an
// engine object of its own as the program calls it, pays that as the program starts; the
// memory it frees stays with the process for the player's runs.
void WarmUp()
{
    auto game = std::make_unique<TGameState>();
    EngineEvents events{&Unheard};
    kelvane::solver::LoadPosition(*game, WarmUpPosition());
    game->AdvancedMode = 1;
    game->DupCheck = 1;
    game->CheckingMode = 1;
    game->StepDepth = 25;
    game->EngineBusy = 1;
    ProbabilityEngine *engine = kelvane::solver::NewEngineObject();
    engine->vtbl->Attach(engine, game.get(), &events);
    (void)engine->vtbl->Calculate(engine, 0, 0);
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
