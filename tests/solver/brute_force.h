// A brute-force answer for small positions, written from the rules alone: every way to lay
// the mines is tried and counted. It shares nothing with the engine but the Position type.
#pragma once

#include "solver.h"

#include <optional>
#include <vector>

namespace kelvane::solver::testing
{

// Probabilities per sector (-1 where none is due), or nothing when no layout agrees with the
// position. At most 24 unknown sectors.
std::optional<std::vector<double>> BruteForce(const Position &position, bool advanced,
                                              CheckingRule rule);

} // namespace kelvane::solver::testing
