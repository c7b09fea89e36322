// The engine client: everything a caller needs to drive an engine library through its
// contract, in plain C++ without Qt. Loading a library and checking its table, sinks that
// show nothing or forward to C++ callbacks, and one run on a record with options.
#pragma once

#include "kelvane_engine.h"

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

// How opening an engine library went: the first check that failed.
enum class EngineOpen {
    Opened,
    NotLoaded,   // dlopen refused the file (missing, not a library, unresolved symbols)
    NoEntry,     // no CreateObject
    CreateThrew, // CreateObject threw
    NoObject,    // CreateObject returned null
    NoTable,     // the object has no table
    NoAttach,    // the table has no Attach
    NoCalculate, // the table has no Calculate
};

struct EngineLibraryHandle {
    EngineOpen Result = EngineOpen::NotLoaded;
    std::string Reason;      // dlerror's text for NotLoaded and NoEntry, else empty
    void *Library = nullptr; // open only when Result is Opened
    ProbabilityEngine *Engine = nullptr;
};

// Loads exactly `path` (RTLD_NOW; a name without a folder means the current one, and no
// other file name is tried) and creates its engine, so that neither an exception nor an
// unusable object gets past this call. A library that fails a check is closed again.
EngineLibraryHandle OpenEngineLibrary(const std::string &path);
// Unloads the library; the handle is empty afterwards.
void CloseEngineLibrary(EngineLibraryHandle &handle);

// How a run ended, as its sink saw it: the last status call decides; none is a failure.
enum class RunEnd { Failed, Halted, Finished };

// The sink's entries as C++ calls, in the table's order; every one does nothing by default.
class EngineCallbacks
{
  public:
    virtual ~EngineCallbacks() = default;
    virtual void HighlightSector(int32_t /*col*/, int32_t /*row*/) {}
    virtual void DrawClosedSector(int32_t /*col*/, int32_t /*row*/) {}
    virtual void ShowStatusIdle() {}
    virtual void SetSectorCounts(int32_t /*closed*/, int32_t /*open*/, int32_t /*partial*/) {}
    virtual void AppendSectorCounts(int32_t /*closed*/, int32_t /*open*/, int32_t /*partial*/) {}
    virtual void ResetRunCounters() {}
    virtual void SetMaxCombinations(int32_t /*total*/, int32_t /*percent*/) {}
    virtual void ReportProgress(int32_t /*run*/, int32_t /*runs*/, int32_t /*successful*/,
                                int32_t /*successful2*/, int32_t /*combinations*/,
                                int32_t /*percent*/)
    {
    }
    virtual void ShowStatusError() {}
    virtual void ShowStatusDone() {}
    virtual void RefreshBoard() {}
};

// A sink that forwards every call to `callbacks` and notes how the run ended (reading the
// record's HaltRequest at "done", as the game does).
struct ForwardingSink {
    ForwardingSink(TGameState &game, EngineCallbacks &callbacks);
    EngineEvents *Events() { return &Base; }

    EngineEvents Base; // first: the engine hands this address back to every entry
    TGameState *Game;
    EngineCallbacks *Target;
    RunEnd End = RunEnd::Failed;
};
static_assert(std::is_standard_layout_v<ForwardingSink>);

// A sink that shows nothing and only notes how the run ended.
struct SilentSink : ForwardingSink {
    explicit SilentSink(TGameState &game);
};

// The engine options a run reads from the record.
struct EngineOptions {
    bool Advanced = true;
    bool DupCheck = true;
    int32_t CheckingMode = 1; // 0 Minimal, 1 Optimal, 2 Maximal
    int32_t StepDepth = 25;   // 20 to 30
};
void SetEngineOptions(TGameState &game, const EngineOptions &options);

struct RunResult {
    RunEnd End = RunEnd::Failed;
    int32_t Combinations = 0; // what Calculate returned
};

// One run as the game makes it: EngineBusy = 1 and HaltRequest = 0 around Calculate on
// (col, row), a throw taken as a failure, and RecalcNeeded = 0 only after a finished run.
// The engine must be attached to `game` and `sink`.
RunResult RunEngineOnce(ProbabilityEngine &engine, TGameState &game, ForwardingSink &sink,
                        int32_t col, int32_t row);

// An engine with a record and a sink of its own, for callers outside the window: a 16-byte
// aligned scratch record, zeroed, and a silent sink unless callbacks are given.
class EngineSession
{
  public:
    explicit EngineSession(ProbabilityEngine &engine, EngineCallbacks *callbacks = nullptr);
    TGameState &Game() { return Scratch->Game; }
    // Attaches the engine to this session's record and sink; call again after the engine
    // was attached elsewhere.
    void Attach();
    RunResult Run(int32_t col, int32_t row);

  private:
    struct alignas(16) Record {
        TGameState Game{};
    };
    ProbabilityEngine &Engine;
    std::unique_ptr<Record> Scratch = std::make_unique<Record>();
    EngineCallbacks Quiet;
    ForwardingSink Sink;
};
