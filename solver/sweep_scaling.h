// Keeping a sweep's counts within the range of a double. Internal to the sweep.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

// Hidden, as file-local code would be: the sweep's insides are neither exported from the
// engine module nor bound outside it.
#pragma GCC visibility push(hidden)
namespace kelvane::solver::detail
{

// Brings the largest entry near 1 so that long sweeps neither overflow nor underflow, and
// returns the power of two taken out.
//
// Looking costs a pass over the layer, so a sweep looks only when it must. It keeps a bound:
// log2 of the entries' sum when last looked at, plus the variables' sizes since. A step of
// either pass multiplies the largest entry by at most 2^size (forward: the sum), so while the
// bound stays below 2^399 nothing can have overflowed. Until a sweep has rescaled once, no
// entry it keeps can fall below 1 either (each is at least one arrangement, or the weight of
// the heaviest total); after that it looks at every layer.
class Scaling
{
  public:
    int32_t After(double *values, size_t count, int32_t size)
    {
        Bound += size;
        if (!Moved && Bound < 399.0) return 0;
        return Rescale(values, count);
    }
    int32_t Rescale(double *values, size_t count)
    {
        double largest = 0.0, sum = 0.0;
        for (size_t i = 0; i < count; ++i) {
            largest = std::max(largest, values[i]);
            sum += values[i];
        }
        Bound = largest > 0.0 ? std::log2(sum) : 0.0;
        if (largest == 0.0) return 0;
        const int32_t e = std::ilogb(largest);
        if (e > -400 && e < 400) return 0;
        for (size_t i = 0; i < count; ++i)
            values[i] = std::ldexp(values[i], -e);
        Bound -= e;
        Moved = true;
        return e;
    }

  private:
    double Bound = 0.0;
    bool Moved = false;
};

} // namespace kelvane::solver::detail
#pragma GCC visibility pop
