// The plan of a sweep: the order of its variables, what each step does to the open numbers,
// and a bound on the states it may keep. Internal to the sweep.
#pragma once

#include "sweep.h"

#include <cstdint>
#include <vector>

// Hidden, as file-local code would be: the sweep's insides are neither exported from the
// engine module nor bound outside it.
#pragma GCC visibility push(hidden)
namespace kelvane::solver::detail
{

// One open number as seen by one variable of the sweep.
struct Touch {
    int32_t Slot; // where the number's need lives in the state
    int32_t Add;  // its need, added when the sweep first meets it
    int32_t Cap;  // sectors of it still to come: a larger need cannot be met
};

// Two numbers that share sectors still to come, one of them touched by this step: their
// needs a and b can both be met only with some s of the shared sectors mines, the rest of a
// among A's own sectors and the rest of b among B's.
struct PairCheck {
    int32_t SlotA;
    int32_t SlotB; // -1: B is not open yet and still needs NeedB
    int32_t NeedB;
    int32_t OwnA, OwnB, Shared;
};

struct Plan {
    std::vector<int32_t> Order;
    std::vector<Touch> Touches;      // every step's, one after another
    std::vector<int32_t> FirstTouch; // where step p's begin; one past the end last
    std::vector<PairCheck> Checks;   // every step's, one after another (or none at all)
    std::vector<int32_t> FirstCheck; // where step p's begin; one past the end last
    int32_t Width = 0;
    // A bound on the states the sweep may keep, summed over its steps: the needs each open
    // number can still have, multiplied together.
    double Cost = 0.0;
    std::vector<double> Bound; // per step: the bound on the states after it
};

// Sweeps whose best bound is this costly also try the orders along bands.
inline constexpr double WideSweep = 1e7;

// The likely sweep orders, best bound first: along columns or rows, from either end; and for
// wide sweeps also along bands two columns (or rows) wide, each band taken across, so that
// on a lattice a number's sectors beside it and below it come close together.
std::vector<Plan> CandidatePlans(const Component &comp);

} // namespace kelvane::solver::detail
#pragma GCC visibility pop
