// The run's work meter: counts elementary steps, enforces the budget, paces the reports
// and answers halt requests.
#pragma once

#include "solver.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace kelvane::solver
{

// Thrown inside the core to end a run early; Solve() turns it into a "Halted" result.
struct StopRun {
    bool OverBudget;
};

class Work
{
  public:
    Work(uint64_t budget, uint64_t memoryLimit, Monitor *monitor);

    // Adds n steps; between checks this is a counter and one comparison.
    void Tick(uint64_t n)
    {
        Steps += n;
        if (Steps >= NextCheck) Check();
    }
    // Claims (or, with a negative count, returns) working memory in bytes: everything a sweep
    // keeps, its states and transitions as well as its counts.
    void Claim(int64_t bytes);
    // A report now, whatever the pace (the last one of a finished run).
    void ReportNow();

    uint64_t Steps = 0;
    uint64_t Budget;
    Progress Figures;
    // The steps the run still has ahead, estimated when a report goes out; the percentage
    // is the share of the steps done so far, and it never falls back.
    std::function<double()> StepsAhead;
    bool AllDone = false; // the closing report: 100 %
    Monitor *Observer;

  private:
    using Clock = std::chrono::steady_clock;
    void Check();
    int32_t PercentDone() const;

    static constexpr uint64_t CheckEvery = 2048;
    uint64_t NextCheck;
    uint64_t MemoryLimit;
    int64_t MemoryInUse = 0;
    Clock::time_point LastReport;
};

} // namespace kelvane::solver
