// The engine object behind the C contract of kelvane_engine.h, shared by kelvane.so and the
// tests (which drive it through its table exactly as the program does).
#pragma once

#include "kelvane_engine.h"
#include "solver.h"

namespace kelvane::solver
{

// A new engine object. The program never destroys its engine; tools and tests that make
// their own give it back with DeleteEngineObject.
ProbabilityEngine *NewEngineObject();
void DeleteEngineObject(ProbabilityEngine *engine);

// Lays a position into a game record as the program would hold it: field, counts, states,
// numbers of open sectors, Prob -1 on closed and marked sectors (0 open, 1 triggered).
// The options and the flags are left to the caller.
void LoadPosition(TGameState &game, const Position &position);

} // namespace kelvane::solver
