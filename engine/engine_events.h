// The program's event sink: the table of eleven operations the engine calls during a run,
// each handed on to the window that owns the sink.
#pragma once

#include "kelvane_engine.h"

#include <cstdint>

class EngineSinkTarget
{
  public:
    virtual ~EngineSinkTarget() = default;
    virtual void SinkHighlightSector(int32_t c, int32_t r) = 0;
    virtual void SinkDrawClosedSector(int32_t c, int32_t r) = 0;
    virtual void ShowStatusIdle() = 0;
    virtual void SetSectorCounts(int32_t closed, int32_t open, int32_t partial) = 0;
    virtual void AppendSectorCounts(int32_t closed, int32_t open, int32_t partial) = 0;
    virtual void ResetRunCounters() = 0;
    virtual void SetMaxCombinations(int32_t total, int32_t percent) = 0;
    virtual void ReportProgress(int32_t run, int32_t runs, int32_t successful, int32_t successful2,
                                int32_t combinations, int32_t percent) = 0;
    virtual void ShowStatusError() = 0;
    virtual void ShowStatusDone() = 0;
    virtual void RefreshBoard() = 0;
};

// The object handed to the engine: the table first, as the contract wants, then the
// window it reports to (the engine never looks past the table).
struct ProgramEvents {
    EngineEvents Events;
    EngineSinkTarget *Target;

    explicit ProgramEvents(EngineSinkTarget *target);
};
static_assert(offsetof(ProgramEvents, Events) == 0);
