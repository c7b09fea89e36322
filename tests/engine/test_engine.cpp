// Engines for the bridge's tests only, never shipped. One source, built as several
// libraries; TEST_ENGINE_KIND picks the behaviour:
//   1 scripted: calls every sink entry in a fixed order, with a checkpoint after each
//   2 halting:  reports progress until the program asks it to halt
//   3 no entry: has no CreateObject
//   4 null:     CreateObject returns null
//   5 throws:   CreateObject throws
#include "kelvane_engine.h"

#include <stdexcept>

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

TGameState *Game = nullptr;
EngineEvents *Events = nullptr;
void (*Checkpoint)(int step) = nullptr;
int32_t Result = 0;
float ProbabilityToWrite = 0.25f;

void Step(int step)
{
    if (Checkpoint != nullptr)
        Checkpoint(step);
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

const ProbabilityEngineTable Table = {Attach,
                                      TEST_ENGINE_KIND == 1 ? CalculateScripted : CalculateHalting};
[[maybe_unused]] ProbabilityEngine Engine = {&Table};

} // namespace

TEST_EXPORT void TestEngineSetCheckpoint(void (*checkpoint)(int)) { Checkpoint = checkpoint; }
TEST_EXPORT void TestEngineSetResult(int32_t combinations, float probability)
{
    Result = combinations;
    ProbabilityToWrite = probability;
}

#if TEST_ENGINE_KIND == 1 || TEST_ENGINE_KIND == 2
TEST_EXPORT ProbabilityEngine *CreateObject() { return &Engine; }
#elif TEST_ENGINE_KIND == 4
TEST_EXPORT ProbabilityEngine *CreateObject() { return nullptr; }
#elif TEST_ENGINE_KIND == 5
TEST_EXPORT ProbabilityEngine *CreateObject() { throw std::runtime_error("no engine today"); }
#endif
