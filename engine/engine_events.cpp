#include "engine_events.h"

namespace
{

// No exception may travel back into the engine.
template <typename Call> void Forward(EngineEvents *self, Call call)
{
    try {
        call(reinterpret_cast<ProgramEvents *>(self)->Target);
    } catch (...) {
    }
}

void HighlightSector(EngineEvents *self, int32_t c, int32_t r)
{
    Forward(self, [&](EngineSinkTarget *t) { t->SinkHighlightSector(c, r); });
}
void DrawClosedSector(EngineEvents *self, int32_t c, int32_t r)
{
    Forward(self, [&](EngineSinkTarget *t) { t->SinkDrawClosedSector(c, r); });
}
void ShowStatusIdle(EngineEvents *self)
{
    Forward(self, [&](EngineSinkTarget *t) { t->ShowStatusIdle(); });
}
void SetSectorCounts(EngineEvents *self, int32_t a, int32_t b, int32_t p)
{
    Forward(self, [&](EngineSinkTarget *t) { t->SetSectorCounts(a, b, p); });
}
void AppendSectorCounts(EngineEvents *self, int32_t a, int32_t b, int32_t p)
{
    Forward(self, [&](EngineSinkTarget *t) { t->AppendSectorCounts(a, b, p); });
}
void ResetRunCounters(EngineEvents *self)
{
    Forward(self, [&](EngineSinkTarget *t) { t->ResetRunCounters(); });
}
void SetMaxCombinations(EngineEvents *self, int32_t total, int32_t percent)
{
    Forward(self, [&](EngineSinkTarget *t) { t->SetMaxCombinations(total, percent); });
}
void ReportProgress(EngineEvents *self, int32_t i, int32_t n, int32_t s, int32_t s2, int32_t k,
                    int32_t percent)
{
    Forward(self, [&](EngineSinkTarget *t) { t->ReportProgress(i, n, s, s2, k, percent); });
}
void ShowStatusError(EngineEvents *self)
{
    Forward(self, [&](EngineSinkTarget *t) { t->ShowStatusError(); });
}
void ShowStatusDone(EngineEvents *self)
{
    Forward(self, [&](EngineSinkTarget *t) { t->ShowStatusDone(); });
}
void RefreshBoard(EngineEvents *self)
{
    Forward(self, [&](EngineSinkTarget *t) { t->RefreshBoard(); });
}

const EngineEventsTable Table = {
    HighlightSector,    DrawClosedSector, ShowStatusIdle,     SetSectorCounts,
    AppendSectorCounts, ResetRunCounters, SetMaxCombinations, ReportProgress,
    ShowStatusError,    ShowStatusDone,   RefreshBoard,
};

} // namespace

ProgramEvents::ProgramEvents(EngineSinkTarget *target) : Events{&Table}, Target(target) {}
