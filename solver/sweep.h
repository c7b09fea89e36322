// Exact counting over one component of the frontier: a dynamic-programming sweep.
//
// The component's variables (single sectors or groups of sectors touching the same numbers)
// are taken in a sweep order; the state after each variable is how many mines every "open"
// number (touched before and after this point) still needs, and each state keeps its
// arrangement counts per mine total. A forward pass counts; a backward pass, given the
// weight of every mine total from the rest of the field, yields each variable's expected
// mines. The cost grows with the sweep's width (open numbers at once), not with the size.
#pragma once

#include "work.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace kelvane::solver
{

// The numbers one variable touches, at most eight.
struct NumberList {
    int32_t Count = 0;
    std::array<int32_t, 8> Of{};
    const int32_t *begin() const { return Of.data(); }
    const int32_t *end() const { return Of.data() + Count; }
};

struct Component {
    std::vector<int32_t> VarSize;           // sectors in each variable, 1 to 8
    std::vector<NumberList> VarNumbers;     // numbers each variable touches
    std::vector<int32_t> VarColumn, VarRow; // where it lies, for the sweep order
    std::vector<int32_t> Need;              // mines each number still needs
};

// How a sweep's states usually grow against its plan's bound: about B^UsualGrowth.
inline constexpr double UsualGrowth = 0.75;

class Sweep
{
  public:
    virtual ~Sweep() = default;
    // Finds the states of the sweep and the range of mine totals FewestTotal .. MostTotal
    // its arrangements can have; false when there are none.
    // The candidate sweep orders race here: the one keeping the fewest states is taken.
    // The sweep claims its memory from work; one destroyed before its Backward has ended
    // gives the claims back there, so work must outlive it.
    virtual bool Prepare(Work &work) = 0;
    // After Prepare: counts the arrangements with fewest .. most mines by mine total,
    // keeping no count that cannot end in that range; false when there are none.
    virtual bool Forward(int32_t fewest, int32_t most, Work &work) = 0;
    // Arrangements with m mines (m past the end: none).
    virtual const std::vector<long double> &Counts() const = 0;
    // Given the weight of each mine total (largest 1), fills ExpectedMines and the
    // certainty bounds of every variable.
    virtual void Backward(const std::vector<double> &weight, Work &work) = 0;
    // The steps this sweep still has ahead, estimated from its states so far: to build its
    // layers, count forward and go back. Before any layer is built, a layer whose plan
    // bounds its states by B is taken to keep B^usualGrowth.
    virtual double StepsAhead(double usualGrowth) const = 0;
    // How many sectors of variable i are mines, on average over the weighted arrangements;
    // and the fewest and most mines it holds in any arrangement of positive weight.
    std::vector<double> ExpectedMines;
    std::vector<int32_t> FewestMines, MostMines;
    // The order in which the variables are swept.
    std::vector<int32_t> Order;
    int32_t Width = 0;
    int32_t FewestTotal = 0, MostTotal = 0;
    // After Prepare: how its states grew, a layer bounded by B keeping about B^Growth.
    double Growth = UsualGrowth;
};

// The sweep for a component holding at most maxMines mines, with the likely orders that
// Prepare races. Null when the sweep would be wider than any field of 32 x 32 allows.
// keepEveryLayer: a large sweep keeps all its counts (Options::KeepEveryLayer).
std::unique_ptr<Sweep> MakeSweep(const Component &component, int32_t maxMines,
                                 bool keepEveryLayer = false);

} // namespace kelvane::solver
