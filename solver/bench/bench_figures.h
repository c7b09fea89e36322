// What the project's benchmarks measure and how they sum it up: this thread's processor
// time, which other work on the machine cannot swell, and percentiles over many runs.
#pragma once

#include <algorithm>
#include <ctime>
#include <vector>

namespace bench
{

// This thread's processor time in milliseconds.
inline double ThreadWorkMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The value below which the share q of the values lie (q = 1: the largest); 0 for none.
inline double Percentile(std::vector<double> values, double q)
{
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(q * values.size()))];
}

} // namespace bench
