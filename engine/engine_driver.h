// The engine driver: one calculation from the request to the shown result, the checks that
// keep a library breaking the contract from showing anything it should not, the run's
// timing, the statistics panel's texts and the option labels' clicks.
#pragma once

#include "engine_client.h"
#include "field_painter.h"
#include "kelvane_engine.h"
#include "stats_panel.h"

#include <cstdint>
#include <functional>

// What the driver needs of the window it runs in.
class EngineHost
{
  public:
    virtual ~EngineHost() = default;
    // Copies what was drawn into the board image since the last time to the screen.
    virtual void PresentField() = 0;
    virtual void DrawProgressBar(int32_t percent) = 0;
    // Handles the window's pending input and painting, the one place a run lets it in.
    virtual void HandlePendingEvents() = 0;
};

class EngineDriver : private EngineCallbacks
{
  public:
    EngineDriver(TGameState &game, FieldPainter &board, StatsPanel &panel, EngineHost &host,
                 std::function<uint32_t()> clock);

    // Hands the record and the sink to the engine (again, after the engine ran on another
    // record); null means no engine.
    void Attach(ProbabilityEngine *engine);

    // A request about one closed sector: its index, the run, then its probability.
    void ShowSectorInfo(int32_t c, int32_t r);
    void RunEngine(int32_t c, int32_t r);
    // Escape during a run: asks the engine to stop; outside a run it does nothing.
    void RequestHalt();
    void MarkRecalcNeeded();

    // Clicks on the option labels; each is ignored unless a game is being played and no
    // run is going on.
    void lblModeClick();
    void lblDepthClick();
    void lblDupCheckClick();
    void lblChModeClick();
    void lblRecalcClick();

  private:
    // What the engine reports during a run.
    void HighlightSector(int32_t c, int32_t r) override;
    void DrawClosedSector(int32_t c, int32_t r) override;
    void ShowStatusIdle() override;
    void SetSectorCounts(int32_t closed, int32_t open, int32_t partial) override;
    void AppendSectorCounts(int32_t closed, int32_t open, int32_t partial) override;
    void ResetRunCounters() override;
    void SetMaxCombinations(int32_t total, int32_t percent) override;
    void ReportProgress(int32_t run, int32_t runs, int32_t successful, int32_t successful2,
                        int32_t combinations, int32_t percent) override;
    void ShowStatusError() override;
    void ShowStatusDone() override;
    void RefreshBoard() override;

    // A run's faults at the engine contract: each makes the run end as "Error".
    void NoteSinkCall(bool statusCall);
    bool KeepProbInRange(int32_t slot);
    bool InField(int32_t c, int32_t r) const;
    bool OptionClickAllowed() const;
    void RedrawClosedSector(int32_t c, int32_t r);

    TGameState &Game;
    FieldPainter &Board;
    StatsPanel &Panel;
    EngineHost &Host;
    std::function<uint32_t()> Clock;
    ForwardingSink Events;
    ProbabilityEngine *Engine = nullptr;
    bool RunFault = false;       // the running engine broke the contract
    bool RunStatusShown = false; // the running engine has told its status
};
