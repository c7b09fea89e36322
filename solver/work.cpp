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
    Figures.Percent = static_cast<int32_t>(
        std::clamp<int64_t>(UnitsDone * 100 / std::max<int64_t>(UnitsTotal, 1), 0, 100));
    Observer->Report(Figures);
    // The time spent inside the report (the window handling its input) is not work.
    LastReport = Clock::now();
}

void Work::Claim(int64_t doubles)
{
    MemoryInUse += doubles;
    if (doubles > 0 && static_cast<uint64_t>(MemoryInUse) > MemoryLimit) throw StopRun{true};
}

} // namespace kelvane::solver
