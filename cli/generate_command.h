// kelvane-solve --generate: a no-guess layout for a field and a first press.
#pragma once

#include "kelvane_engine.h"

#include <string>

// The engine library at the path, loaded for the rest of the process; null, with the reason
// on standard error, when it cannot be loaded or offers no engine.
ProbabilityEngine *LoadEngine(const std::string &enginePath);

// Runs the whole command: prints the layout and its status line. Exit code 0 when a board
// was found, 3 when none was within the budget, 2 for bad arguments, 1 without an engine.
int RunGenerate(int argc, char **argv, const std::string &defaultEngine);
