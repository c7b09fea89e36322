// Engines for the bridge's tests only, never shipped. One source, built as several
// libraries; TEST_ENGINE_KIND picks the behaviour:
//   1 scripted: calls every sink entry in a fixed order, with a checkpoint after each
//   2 halting:  reports progress until the program asks it to halt
//   3 no entry: has no CreateObject
//   4 null:     CreateObject returns null
//   5 throws:   CreateObject throws
//   6 hostile:  breaks the contract in the way TestEngineSetFault picks (see Fault)
//   7 nocalc:   a table without Calculate
//   8 noattach: a table without Attach
//   9 notable:  an object without a table
//  10 mangled:  CreateObject under its C++ name only
//  11 unresolved: Calculate calls a function no library defines
#include "kelvane_engine.h"

#include <stdexcept>

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace
{

TGameState *Game = nullptr;
EngineEvents *Events = nullptr;
void (*Checkpoint)(int step) = nullptr;
int32_t Result = 0;
float ProbabilityToWrite = 0.25f;

void Step(int step)
{
    if (Checkpoint != nullptr) Checkpoint(step);
}

void Attach(ProbabilityEngine *, TGameState *game, EngineEvents *events)
{
    Game = game;
    Events = events;
}

int32_t CalculateScripted(ProbabilityEngine *, int32_t c, int32_t r)
{
    const EngineEventsTable &sink = *Events->vtbl;
    sink.ShowStatusIdle(Events);
    Step(0);
    sink.SetSectorCounts(Events, 5, 4, 3);
    Step(1);
    sink.HighlightSector(Events, c, r);
    Step(2);
    Game->Prob[KELVANE_SECTOR_INDEX(c, r)] = ProbabilityToWrite;
    sink.DrawClosedSector(Events, c, r);
    Step(3);
    sink.AppendSectorCounts(Events, 3, 2, 1);
    Step(4);
    sink.AppendSectorCounts(Events, 2, 2, 2);
    Step(5);
    sink.ResetRunCounters(Events);
    Step(6);
    sink.SetMaxCombinations(Events, 1000, 0);
    Step(7);
    sink.ReportProgress(Events, 1, 2, 3, 4, 500, 50);
    Step(8);
    sink.SetMaxCombinations(Events, 1000, 100);
    Step(9);
    sink.RefreshBoard(Events);
    Step(10);
    sink.ShowStatusError(Events);
    Step(11);
    sink.ShowStatusDone(Events);
    Step(12);
    return Result;
}

int32_t CalculateHalting(ProbabilityEngine *, int32_t, int32_t)
{
    const EngineEventsTable &sink = *Events->vtbl;
    int32_t reports = 0;
    // Bounded, so that a broken halt fails the test instead of hanging it.
    while (Game->HaltRequest == 0 && reports < 100000) {
        ++reports;
        sink.ReportProgress(Events, reports, 0, 0, 0, reports, reports % 101);
        Step(reports);
    }
    sink.ShowStatusDone(Events);
    return reports;
}

// The hostile engine's faults.
enum Fault {
    DoneFirst = 1,    // the status before the counts, then progress and a redraw after it
    OutsideField = 2, // sectors outside the field highlighted
    SlowHalt = 3,     // goes on for 50 reports after the halt request
    NoStatus = 4,     // returns without a status
    DrawnOutside = 5, // sectors outside the field drawn
};
int32_t FaultToShow = 0;

int32_t CalculateHostile(ProbabilityEngine *, int32_t c, int32_t r)
{
    const EngineEventsTable &sink = *Events->vtbl;
    switch (FaultToShow) {
    case DoneFirst:
        sink.ShowStatusDone(Events);
        Step(0);
        sink.SetSectorCounts(Events, 5, 4, 3);
        sink.ReportProgress(Events, 1, 1, 0, 0, 10, 50);
        sink.RefreshBoard(Events);
        break;
    case OutsideField:
    case DrawnOutside: {
        // One kind of call each, so that the program must notice either on its own.
        const int32_t outside[][2] = {
            {-1, 0}, {0, -1}, {Game->SizeX, 0}, {0, Game->SizeY}, {1 << 30, -(1 << 30)}, {c, 40}};
        for (const auto &at : outside) {
            if (FaultToShow == OutsideField)
                sink.HighlightSector(Events, at[0], at[1]);
            else
                sink.DrawClosedSector(Events, at[0], at[1]);
        }
        Game->Prob[KELVANE_SECTOR_INDEX(c, r)] = ProbabilityToWrite;
        sink.DrawClosedSector(Events, c, r);
        sink.RefreshBoard(Events);
        sink.ShowStatusDone(Events);
        break;
    }
    case SlowHalt: {
        int32_t reports = 0, after = 0;
        while (after < 50 && reports < 100000) {
            ++reports;
            if (Game->HaltRequest != 0) ++after;
            sink.ReportProgress(Events, reports, 0, 0, 0, reports, reports % 101);
            Step(reports);
        }
        sink.ShowStatusDone(Events);
        return reports;
    }
    case NoStatus:
        sink.SetSectorCounts(Events, 1, 1, 1);
        Game->Prob[KELVANE_SECTOR_INDEX(c, r)] = ProbabilityToWrite;
        sink.DrawClosedSector(Events, c, r);
        break;
    }
    return Result;
}

} // namespace

// Defined nowhere: bound lazily, the library would load and the first run would end the
// program.
extern "C" int32_t TestEngineDefinedNowhere(int32_t);

namespace
{

int32_t CalculateUnresolved(ProbabilityEngine *, int32_t c, int32_t)
{
    if constexpr (TEST_ENGINE_KIND == 11) return TestEngineDefinedNowhere(c);
    return c;
}

int32_t (*const CalculateOfKind)(ProbabilityEngine *, int32_t,
                                 int32_t) = TEST_ENGINE_KIND == 1    ? CalculateScripted
                                            : TEST_ENGINE_KIND == 6  ? CalculateHostile
                                            : TEST_ENGINE_KIND == 7  ? nullptr
                                            : TEST_ENGINE_KIND == 11 ? CalculateUnresolved
                                                                     : CalculateHalting;
const ProbabilityEngineTable Table = {TEST_ENGINE_KIND == 8 ? nullptr : Attach, CalculateOfKind};
[[maybe_unused]] ProbabilityEngine Engine = {TEST_ENGINE_KIND == 9 ? nullptr : &Table};

} // namespace

TEST_EXPORT void TestEngineSetCheckpoint(void (*checkpoint)(int))
{
    Checkpoint = checkpoint;
}
TEST_EXPORT void TestEngineSetResult(int32_t combinations, float probability)
{
    Result = combinations;
    ProbabilityToWrite = probability;
}

TEST_EXPORT void TestEngineSetFault(int32_t fault)
{
    FaultToShow = fault;
}

#if TEST_ENGINE_KIND == 1 || TEST_ENGINE_KIND == 2 ||                                              \
    (TEST_ENGINE_KIND >= 6 && TEST_ENGINE_KIND <= 9) || TEST_ENGINE_KIND == 11
TEST_EXPORT ProbabilityEngine *CreateObject()
{
    return &Engine;
}
#elif TEST_ENGINE_KIND == 10
__attribute__((visibility("default"))) ProbabilityEngine *CreateObject()
{
    return &Engine;
}
#elif TEST_ENGINE_KIND == 4
TEST_EXPORT ProbabilityEngine *CreateObject()
{
    return nullptr;
}
#elif TEST_ENGINE_KIND == 5
TEST_EXPORT ProbabilityEngine *CreateObject()
{
    throw std::runtime_error("no engine today");
}
#endif
