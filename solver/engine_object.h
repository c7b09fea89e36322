// The engine object behind the C contract of kelvane_engine.h, shared by kelvane.so and the
// tests (which drive it through its table exactly as the program does).
#pragma once

#include "kelvane_engine.h"

namespace kelvane::solver
{

// A new engine object; it lives until the program ends.
ProbabilityEngine *NewEngineObject();

} // namespace kelvane::solver
