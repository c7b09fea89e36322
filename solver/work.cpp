#include "work.h"

#include <algorithm>

namespace kelvane::solver
{

Work::Work(uint64_t budget, uint64_t memoryLimit, Monitor *monitor)
    : Budget(budget), Observer(monitor), NextCheck(std::min<uint64_t>(CheckEvery, budget + 1)),
      MemoryLimit(memoryLimit), LastReport(Clock::now())
{
}

void Work::Check()
{
    if (Steps > Budget) throw StopRun{true};
    NextCheck = std::min(Steps + CheckEvery, Budget + 1);
    if (Observer == nullptr) return;
    const auto now = Clock::now();
    if (now - LastReport >= std::chrono::milliseconds(ReportIntervalMs)) ReportNow();
    if (Observer->Halted()) throw StopRun{false};
}

void Work::ReportNow()
{
    if (Observer == nullptr) return;
    Figures.Steps = Steps;
    Figures.MostLive = std::max(Figures.MostLive, Figures.Live);
    Figures.Percent = AllDone ? 100 : std::max(Figures.Percent, PercentDone());
    Observer->Report(Figures);
    // The time spent inside the report (the window handling its input) is not work.
    LastReport = Clock::now();
}

int32_t Work::PercentDone() const
{
    const double ahead = StepsAhead ? std::max(StepsAhead(), 0.0) : 0.0;
    const double done = static_cast<double>(Steps);
    // Until the run has ended, an estimate that runs out shows 99.
    if (done + ahead <= 0.0) return 0;
    return static_cast<int32_t>(std::min(99.0, 100.0 * done / (done + ahead)));
}

void Work::Claim(int64_t bytes)
{
    MemoryInUse += bytes;
    if (bytes > 0 && static_cast<uint64_t>(MemoryInUse) > MemoryLimit) throw StopRun{true};
}

} // namespace kelvane::solver
