// The library's one exported entry: kelvane.so beside the program.
#include "engine_object.h"
#include "solver.h"

namespace
{

// A 1-2-1 on a wall and a lone number: a few groups, settled sectors and two components.
kelvane::solver::Position SmallPosition()
{
    using kelvane::solver::Cell;
    kelvane::solver::Position p;
    p.Width = 8;
    p.Height = 4;
    p.Mines = 5;
    p.State.assign(32, Cell::Closed);
    p.Number.assign(32, 0);
    const int32_t open[][3] = {{1, 0, 1}, {2, 0, 2}, {3, 0, 1}, {6, 3, 1}, {7, 3, 0}};
    for (const auto &o : open) {
        p.State[p.Index(o[0], o[1])] = Cell::Open;
        p.Number[p.Index(o[0], o[1])] = o[2];
    }
    return p;
}

// One object for the life of the library, as the program expects; it goes when the
// program unloads the library.
struct ModuleEngine {
    ModuleEngine()
    {
        // A first run in a new process pays for bringing the engine's code and working
        // memory in, several times what a run costs later. One small calculation here, as
        // the program starts, pays it before the player's first request.
        (void)kelvane::solver::Solve(SmallPosition(), kelvane::solver::Options{});
    }
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
