// The probability engine's core: exact mine probabilities for a visible position.
//
// Plain C++ with no toolkit. The library's C entry (kelvane.so), the command-line front end,
// the tests and the benchmarks all come through Solve().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvane::solver
{

enum class Cell : uint8_t { Closed = 0, Open = 1, Marked = 2, Triggered = 3 };

// What the player sees. Cells are column-major and dense: (c, r) is c * Height + r.
struct Position {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Mines = 0;
    bool FairPlay = false; // the four corner sectors never hold a mine
    std::vector<Cell> State;
    std::vector<int32_t> Number; // read only where State is Open

    int32_t Index(int32_t c, int32_t r) const { return c * Height + r; }
};

enum class CheckingRule { Minimal = 0, Optimal = 1, Maximal = 2 };

struct Options {
    bool Advanced = true; // exact probabilities; otherwise the cheaper "Simple" rule
    bool DupCheck = true; // count sectors touching the same numbers as one group
    CheckingRule Checking = CheckingRule::Optimal;
    int32_t StepDepth = 25; // work budget 2^StepDepth steps in "Advanced"
    // Working memory of one run in bytes: a run that would need more halts as over budget.
    uint64_t MemoryLimit = uint64_t{1} << 30;
    // For tests only: large sweeps keep every layer's counts too, as small ones do, rather
    // than count the layers between kept ones again on the way back.
    bool KeepEveryLayer = false;
};

enum class Status { Finished, Halted, Error };

// Figures reported while a run works; see kelvane_engine.h for the panel's meaning.
struct Progress {
    int32_t Run = 0;      // component being solved, 1-based
    int32_t Runs = 0;     // components in the run
    int64_t Live = 0;     // consistent partial states kept at the current step
    int64_t MostLive = 0; // the most any step has kept in this run
    uint64_t Steps = 0;   // elementary steps so far
    int32_t Percent = 0;  // share of the sweep done
};

// The run's observer. Every entry is optional; Halted() is polled often and ends the run
// as "Halted" when it answers true.
class Monitor
{
  public:
    virtual ~Monitor() = default;
    // Closed sectors next to numbers, numbers next to closed sectors, groups.
    virtual void SectorCounts(int32_t, int32_t, int32_t) {}
    // The same figures once forced sectors are settled.
    virtual void SimplifiedCounts(int32_t, int32_t, int32_t) {}
    virtual void Budget(uint64_t) {}
    virtual void Working(int32_t, int32_t) {} // a sector the sweep is about to work on
    virtual void Report(const Progress &) {}  // every 20 to 50 ms of work
    virtual bool Halted() { return false; }
};

struct Result {
    Status RunStatus = Status::Error;
    std::string Error;       // why a run failed, in the program's words
    uint64_t Steps = 0;      // elementary steps examined
    bool OverBudget = false; // a halted run that ran out of budget (not asked to stop)
    // Mine probability of every closed or marked sector, -1 elsewhere; only when Finished.
    std::vector<double> Probability;
};

// How often the core calls Monitor::Report while it works, in milliseconds.
inline constexpr int32_t ReportIntervalMs = 30;

Result Solve(const Position &position, const Options &options, Monitor *monitor = nullptr);

// Why a position cannot be read, or empty when it can.
std::string CheckPosition(const Position &position);

} // namespace kelvane::solver
