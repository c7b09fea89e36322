#include "engine_driver.h"

#include "setting_table.h"

#include <cmath>
#include <utility>

EngineDriver::EngineDriver(TGameState &game, FieldPainter &board, StatsPanel &panel,
                           EngineHost &host, std::function<uint32_t()> clock)
    : Game(game), Board(board), Panel(panel), Host(host), Clock(std::move(clock)),
      Events(game, *this)
{
}

void EngineDriver::Attach(ProbabilityEngine *engine)
{
    Engine = engine;
    if (Engine != nullptr) Engine->vtbl->Attach(Engine, &Game, Events.Events());
}

void EngineDriver::MarkRecalcNeeded()
{
    Game.RecalcNeeded = 1;
    Panel.ShowRecalc(1);
}

void EngineDriver::ShowSectorInfo(int32_t c, int32_t r)
{
    Panel.ShowSector(c, r);
    RunEngine(c, r);
    Panel.ShowProbability(Game.Prob[KELVANE_SECTOR_INDEX(c, r)]);
}

void EngineDriver::RunEngine(int32_t c, int32_t r)
{
    if (Engine == nullptr) return;
    Game.EngineBusy = 1;
    Game.HaltRequest = 0;
    Panel.HideRunTimes();
    Panel.ShowStatus(EngineStatus::Working);
    Board.SetFontSize(Board.Geometry.SmallFontSize);
    const uint32_t t0 = Clock();

    int32_t count = 0;
    RunFault = false;
    RunStatusShown = false;
    try {
        count = Engine->vtbl->Calculate(Engine, c, r);
    } catch (...) {
        count = 0;
    }
    // A library that breaks the contract is told as an error, never shown as a result: no
    // status, a negative count or a probability outside [0, 1] (which then reads "N/A").
    if (!RunStatusShown || count < 0) RunFault = true;
    for (int32_t x = 0; x < Game.SizeX; ++x)
        for (int32_t y = 0; y < Game.SizeY; ++y)
            if (!KeepProbInRange(KELVANE_SECTOR_INDEX(x, y)) &&
                Game.State[KELVANE_SECTOR_INDEX(x, y)] == SECTOR_CLOSED)
                RedrawClosedSector(x, y);
    if (RunFault) {
        count = 0;
        Game.RecalcNeeded = 1;
        Panel.ShowStatus(EngineStatus::Error);
    }

    const uint32_t t1 = Clock();
    const double elapsed = double(t1 - t0) * 0.001;
    Game.EngineBusy = 0;
    Game.HaltRequest = 0;
    Panel.ShowRecalc(Game.RecalcNeeded);
    Host.DrawProgressBar(0);
    Panel.ShowCompleted(elapsed);
    if (count > 0 && elapsed > 0.01)
        Panel.ShowRate(static_cast<int64_t>(std::round(double(count) / elapsed)));
    Board.SetFontSize(Board.Geometry.LargeFontSize);
    Host.PresentField();
}

void EngineDriver::RequestHalt()
{
    if (Game.EngineBusy != 0) Game.HaltRequest = 1;
}

// The option labels change the record only, and only while a game is being played.

bool EngineDriver::OptionClickAllowed() const
{
    return Game.Active != 0 && Game.EngineBusy == 0;
}

void EngineDriver::lblModeClick()
{
    if (!OptionClickAllowed()) return;
    Game.AdvancedMode = Game.AdvancedMode != 0 ? 0 : 1;
    Panel.ShowMode(Game.AdvancedMode);
    MarkRecalcNeeded();
}

void EngineDriver::lblDepthClick()
{
    if (!OptionClickAllowed() || Game.AdvancedMode == 0) return;
    Game.StepDepth = RowOf(Setting::StepDepth).Next(Game.StepDepth);
    Panel.ShowDepth(Game.StepDepth);
    MarkRecalcNeeded();
}

void EngineDriver::lblDupCheckClick()
{
    if (!OptionClickAllowed()) return;
    Game.DupCheck = Game.DupCheck != 0 ? 0 : 1;
    Panel.ShowDupCheck(Game.DupCheck);
    MarkRecalcNeeded();
}

void EngineDriver::lblChModeClick()
{
    if (!OptionClickAllowed()) return;
    Game.CheckingMode = RowOf(Setting::CheckingMode).Next(Game.CheckingMode);
    Panel.ShowCheckingMode(Game.CheckingMode);
    MarkRecalcNeeded();
}

void EngineDriver::lblRecalcClick()
{
    if (!OptionClickAllowed()) return;
    Game.RecalcNeeded = Game.RecalcNeeded != 0 ? 0 : 1;
    Panel.ShowRecalc(Game.RecalcNeeded);
}

// The sink: what the engine reports while it runs.

bool EngineDriver::InField(int32_t c, int32_t r) const
{
    return c >= 0 && r >= 0 && c <= Game.MaxX && r <= Game.MaxY;
}

void EngineDriver::RedrawClosedSector(int32_t c, int32_t r)
{
    Board.DrawClosedSector(c, r, Game.Prob[KELVANE_SECTOR_INDEX(c, r)]);
}

// Anything but a status after the status, or a sector outside the field, is a fault.
void EngineDriver::NoteSinkCall(bool statusCall)
{
    if (RunStatusShown && !statusCall) RunFault = true;
    if (statusCall) RunStatusShown = true;
}

// False, with the value replaced by "not available", for a probability outside [0, 1].
bool EngineDriver::KeepProbInRange(int32_t slot)
{
    float &p = Game.Prob[slot];
    if (std::signbit(p) || (p >= 0.0f && p <= 1.0f)) return true;
    p = -1.0f;
    RunFault = true;
    return false;
}

void EngineDriver::HighlightSector(int32_t c, int32_t r)
{
    NoteSinkCall(false);
    if (InField(c, r))
        Board.HighlightSector(c, r);
    else
        RunFault = true;
}

void EngineDriver::DrawClosedSector(int32_t c, int32_t r)
{
    NoteSinkCall(false);
    if (InField(c, r)) {
        KeepProbInRange(KELVANE_SECTOR_INDEX(c, r));
        RedrawClosedSector(c, r);
    } else {
        RunFault = true;
    }
}

void EngineDriver::ShowStatusIdle()
{
    NoteSinkCall(false);
    Panel.ShowStatus(EngineStatus::Idle);
}

void EngineDriver::SetSectorCounts(int32_t closed, int32_t open, int32_t partial)
{
    NoteSinkCall(false);
    Panel.ShowSectorCounts(closed, open, partial);
}

void EngineDriver::AppendSectorCounts(int32_t closed, int32_t open, int32_t partial)
{
    NoteSinkCall(false);
    Host.PresentField();
    Panel.AppendSectorCounts(closed, open, partial);
}

void EngineDriver::ResetRunCounters()
{
    NoteSinkCall(false);
    Panel.ResetRunCounters();
}

void EngineDriver::SetMaxCombinations(int32_t total, int32_t percent)
{
    NoteSinkCall(false);
    Panel.ShowMaxCombinations(total);
    Host.DrawProgressBar(percent);
}

void EngineDriver::ReportProgress(int32_t run, int32_t runs, int32_t successful,
                                  int32_t successful2, int32_t combinations, int32_t percent)
{
    NoteSinkCall(false);
    Panel.ShowProgress(run, runs, successful, successful2, combinations);
    Host.DrawProgressBar(percent);
    Host.HandlePendingEvents();
}

void EngineDriver::ShowStatusError()
{
    NoteSinkCall(true);
    Panel.ShowStatus(EngineStatus::Error);
}

void EngineDriver::ShowStatusDone()
{
    NoteSinkCall(true);
    if (Game.HaltRequest != 0) {
        Game.RecalcNeeded = 1;
        Panel.ShowStatus(EngineStatus::Halted);
    } else {
        Game.RecalcNeeded = 0;
        Panel.ShowStatus(EngineStatus::Finished);
    }
}

void EngineDriver::RefreshBoard()
{
    NoteSinkCall(false);
    Host.PresentField();
}
