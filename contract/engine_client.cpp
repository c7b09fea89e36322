#include "engine_client.h"

#include <dlfcn.h>

namespace
{

std::string LastDlError()
{
    const char *text = dlerror();
    return text != nullptr ? text : "";
}

ForwardingSink *SinkOf(EngineEvents *self)
{
    return reinterpret_cast<ForwardingSink *>(self);
}
// Hands one sink call on; no exception may travel back into the engine.
template <typename Call> void Forward(EngineEvents *self, Call call)
{
    try {
        call(*SinkOf(self)->Target);
    } catch (...) {
    }
}

void HighlightSector(EngineEvents *self, int32_t c, int32_t r)
{
    Forward(self, [&](EngineCallbacks &to) { to.HighlightSector(c, r); });
}
void DrawClosedSector(EngineEvents *self, int32_t c, int32_t r)
{
    Forward(self, [&](EngineCallbacks &to) { to.DrawClosedSector(c, r); });
}
void ShowStatusIdle(EngineEvents *self)
{
    Forward(self, [&](EngineCallbacks &to) { to.ShowStatusIdle(); });
}
void SetSectorCounts(EngineEvents *self, int32_t closed, int32_t open, int32_t partial)
{
    Forward(self, [&](EngineCallbacks &to) { to.SetSectorCounts(closed, open, partial); });
}
void AppendSectorCounts(EngineEvents *self, int32_t closed, int32_t open, int32_t partial)
{
    Forward(self, [&](EngineCallbacks &to) { to.AppendSectorCounts(closed, open, partial); });
}
void ResetRunCounters(EngineEvents *self)
{
    Forward(self, [&](EngineCallbacks &to) { to.ResetRunCounters(); });
}
void SetMaxCombinations(EngineEvents *self, int32_t total, int32_t percent)
{
    Forward(self, [&](EngineCallbacks &to) { to.SetMaxCombinations(total, percent); });
}
void ReportProgress(EngineEvents *self, int32_t run, int32_t runs, int32_t successful,
                    int32_t successful2, int32_t combinations, int32_t percent)
{
    Forward(self, [&](EngineCallbacks &to) {
        to.ReportProgress(run, runs, successful, successful2, combinations, percent);
    });
}
void ShowStatusError(EngineEvents *self)
{
    SinkOf(self)->End = RunEnd::Failed;
    Forward(self, [&](EngineCallbacks &to) { to.ShowStatusError(); });
}
void ShowStatusDone(EngineEvents *self)
{
    ForwardingSink *sink = SinkOf(self);
    sink->End = sink->Game->HaltRequest != 0 ? RunEnd::Halted : RunEnd::Finished;
    Forward(self, [&](EngineCallbacks &to) { to.ShowStatusDone(); });
}
void RefreshBoard(EngineEvents *self)
{
    Forward(self, [&](EngineCallbacks &to) { to.RefreshBoard(); });
}

const EngineEventsTable ForwardingTable = {HighlightSector,    DrawClosedSector,   ShowStatusIdle,
                                           SetSectorCounts,    AppendSectorCounts, ResetRunCounters,
                                           SetMaxCombinations, ReportProgress,     ShowStatusError,
                                           ShowStatusDone,     RefreshBoard};

EngineCallbacks NoCallbacks;

// A table the program could not call through would make the first run jump to nowhere.
EngineOpen CheckObject(const ProbabilityEngine *engine)
{
    if (engine == nullptr) return EngineOpen::NoObject;
    if (engine->vtbl == nullptr) return EngineOpen::NoTable;
    if (engine->vtbl->Attach == nullptr) return EngineOpen::NoAttach;
    if (engine->vtbl->Calculate == nullptr) return EngineOpen::NoCalculate;
    return EngineOpen::Opened;
}

} // namespace

EngineLibraryHandle OpenEngineLibrary(const std::string &path)
{
    EngineLibraryHandle handle;
    // dlopen searches the library path for a bare name; the caller means this file.
    const std::string exact = path.find('/') == std::string::npos ? "./" + path : path;
    void *library = dlopen(exact.c_str(), RTLD_NOW);
    if (library == nullptr) {
        handle.Result = EngineOpen::NotLoaded;
        handle.Reason = LastDlError();
        return handle;
    }
    dlerror();
    void *entry = dlsym(library, KELVANE_CREATE_OBJECT_ENTRY);
    ProbabilityEngine *engine = nullptr;
    if (entry == nullptr) {
        handle.Result = EngineOpen::NoEntry;
        handle.Reason = LastDlError();
    } else {
        try {
            engine = reinterpret_cast<CreateObjectFunction>(entry)();
            handle.Result = CheckObject(engine);
        } catch (...) {
            handle.Result = EngineOpen::CreateThrew;
        }
    }
    if (handle.Result != EngineOpen::Opened) {
        dlclose(library);
        return handle;
    }
    handle.Library = library;
    handle.Engine = engine;
    return handle;
}

void CloseEngineLibrary(EngineLibraryHandle &handle)
{
    if (handle.Library != nullptr) dlclose(handle.Library);
    handle = EngineLibraryHandle{};
}

ForwardingSink::ForwardingSink(TGameState &game, EngineCallbacks &callbacks)
    : Base{&ForwardingTable}, Game(&game), Target(&callbacks)
{
}

SilentSink::SilentSink(TGameState &game) : ForwardingSink(game, NoCallbacks) {}

void SetEngineOptions(TGameState &game, const EngineOptions &options)
{
    game.AdvancedMode = options.Advanced ? 1 : 0;
    game.DupCheck = options.DupCheck ? 1 : 0;
    game.CheckingMode = options.CheckingMode;
    game.StepDepth = options.StepDepth;
}

RunResult RunEngineOnce(ProbabilityEngine &engine, TGameState &game, ForwardingSink &sink,
                        int32_t col, int32_t row)
{
    game.EngineBusy = 1;
    game.HaltRequest = 0;
    sink.End = RunEnd::Failed;
    RunResult result;
    try {
        result.Combinations = engine.vtbl->Calculate(&engine, col, row);
    } catch (...) {
        sink.End = RunEnd::Failed;
    }
    result.End = sink.End;
    game.RecalcNeeded = result.End == RunEnd::Finished ? 0 : 1;
    game.EngineBusy = 0;
    game.HaltRequest = 0;
    return result;
}

EngineSession::EngineSession(ProbabilityEngine &engine, EngineCallbacks *callbacks)
    : Engine(engine), Sink(Scratch->Game, callbacks != nullptr ? *callbacks : Quiet)
{
}

void EngineSession::Attach()
{
    Engine.vtbl->Attach(&Engine, &Scratch->Game, Sink.Events());
}

RunResult EngineSession::Run(int32_t col, int32_t row)
{
    return RunEngineOnce(Engine, Scratch->Game, Sink, col, row);
}
