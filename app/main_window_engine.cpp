// The probability engine in the main window: runs, the option labels and the sink.
#include "main_window.h"

#include "setting_table.h"

#include <QCoreApplication>
#include <QLocale>

#include <cmath>

void TfrmMain::MarkRecalcNeeded()
{
    GameState->RecalcNeeded = 1;
    Stats->ShowRecalc(1);
}

void TfrmMain::ShowSectorInfo(int32_t c, int32_t r)
{
    Stats->lblCell->setText(QString("(%1, %2)").arg(c).arg(r));
    RunEngine(c, r);
    const float p = GameState->Prob[KELVANE_SECTOR_INDEX(c, r)];
    Stats->lblProb->setText(std::signbit(p) ? QString("N/A") : QString::number(double(p), 'f', 4));
}

void TfrmMain::RunEngine(int32_t c, int32_t r)
{
    if (!EngineLoaded()) return;
    TGameState &game = *GameState;
    game.EngineBusy = 1;
    game.HaltRequest = 0;
    Stats->HideRunTimes();
    Stats->lblStatus->setText("Working");
    Board.SetFontSize(Board.Geometry.SmallFontSize);
    const uint32_t t0 = Options.Clock();

    int32_t count = 0;
    RunFault = false;
    RunStatusShown = false;
    try {
        count = Engine.Engine->vtbl->Calculate(Engine.Engine, c, r);
    } catch (...) {
        count = 0;
    }
    // A library that breaks the contract is told as an error, never shown as a result: no
    // status, a negative count or a probability outside [0, 1] (which then reads "N/A").
    if (!RunStatusShown || count < 0) RunFault = true;
    for (int32_t x = 0; x < game.SizeX; ++x)
        for (int32_t y = 0; y < game.SizeY; ++y)
            if (!KeepProbInRange(KELVANE_SECTOR_INDEX(x, y)) && IsState(x, y, SECTOR_CLOSED))
                DrawClosedSector(x, y);
    if (RunFault) {
        count = 0;
        game.RecalcNeeded = 1;
        Stats->lblStatus->setText("Error");
    }

    const uint32_t t1 = Options.Clock();
    const double elapsed = double(t1 - t0) * 0.001;
    game.EngineBusy = 0;
    game.HaltRequest = 0;
    Stats->ShowRecalc(game.RecalcNeeded);
    DrawProgressBar(0);
    // Three decimals with a point under every locale.
    Stats->lblTimer->setText(
        QString("Completed in %1 seconds").arg(QString::number(elapsed, 'f', 3)));
    Stats->lblTimer->show();
    if (count > 0 && elapsed > 0.01) {
        const double rate = std::round(double(count) / elapsed);
        QLocale locale = QLocale::system();
        locale.setNumberOptions(QLocale::DefaultNumberOptions);
        Stats->lblRate->setText("Rate: " + locale.toString(static_cast<qlonglong>(rate)) +
                                " combinations/s");
        Stats->lblRate->show();
    }
    Board.SetFontSize(Board.Geometry.LargeFontSize);
    PresentField();

    if (CloseWhenIdle) {
        CloseWhenIdle = false;
        close();
    }
}

// The option labels change the record only, and only while a game is being played.

void TfrmMain::lblModeClick()
{
    TGameState &game = *GameState;
    if (game.Active == 0 || game.EngineBusy != 0) return;
    game.AdvancedMode = game.AdvancedMode != 0 ? 0 : 1;
    Stats->lblMode->setText(game.AdvancedMode != 0 ? "Advanced" : "Simple");
    MarkRecalcNeeded();
}

void TfrmMain::lblDepthClick()
{
    TGameState &game = *GameState;
    if (game.Active == 0 || game.EngineBusy != 0 || game.AdvancedMode == 0) return;
    game.StepDepth = RowOf(Setting::StepDepth).Next(game.StepDepth);
    Stats->lblDepth->setText(QString::number(game.StepDepth));
    MarkRecalcNeeded();
}

void TfrmMain::lblDupCheckClick()
{
    TGameState &game = *GameState;
    if (game.Active == 0 || game.EngineBusy != 0) return;
    game.DupCheck = game.DupCheck != 0 ? 0 : 1;
    Stats->lblDupCheck->setText(game.DupCheck != 0 ? "True" : "False");
    MarkRecalcNeeded();
}

void TfrmMain::lblChModeClick()
{
    TGameState &game = *GameState;
    if (game.Active == 0 || game.EngineBusy != 0) return;
    game.CheckingMode = RowOf(Setting::CheckingMode).Next(game.CheckingMode);
    Stats->lblChMode->setText(CheckingModeName(game.CheckingMode));
    MarkRecalcNeeded();
}

void TfrmMain::lblRecalcClick()
{
    TGameState &game = *GameState;
    if (game.Active == 0 || game.EngineBusy != 0) return;
    game.RecalcNeeded = game.RecalcNeeded != 0 ? 0 : 1;
    Stats->ShowRecalc(game.RecalcNeeded);
}

// The sink: what the engine reports while it runs.

bool TfrmMain::IsState(int32_t c, int32_t r, int32_t state) const
{
    return GameState->State[KELVANE_SECTOR_INDEX(c, r)] == state;
}

// Anything but a status after the status, or a sector outside the field, is a fault.
void TfrmMain::NoteSinkCall(bool statusCall)
{
    if (RunStatusShown && !statusCall) RunFault = true;
    if (statusCall) RunStatusShown = true;
}

// False, with the value replaced by "not available", for a probability outside [0, 1].
bool TfrmMain::KeepProbInRange(int32_t slot)
{
    float &p = GameState->Prob[slot];
    if (std::signbit(p) || (p >= 0.0f && p <= 1.0f)) return true;
    p = -1.0f;
    RunFault = true;
    return false;
}

void TfrmMain::SinkHighlightSector(int32_t c, int32_t r)
{
    NoteSinkCall(false);
    if (InField(c, r))
        Board.HighlightSector(c, r);
    else
        RunFault = true;
}

void TfrmMain::SinkDrawClosedSector(int32_t c, int32_t r)
{
    NoteSinkCall(false);
    if (InField(c, r)) {
        KeepProbInRange(KELVANE_SECTOR_INDEX(c, r));
        DrawClosedSector(c, r);
    } else {
        RunFault = true;
    }
}

void TfrmMain::ShowStatusIdle()
{
    NoteSinkCall(false);
    Stats->lblStatus->setText("Idle");
}

void TfrmMain::SetSectorCounts(int32_t closed, int32_t open, int32_t partial)
{
    NoteSinkCall(false);
    Stats->lblAdjClosed->setText(QString::number(closed));
    Stats->lblNumbers->setText(QString::number(open));
    Stats->lblPartial->setText(QString::number(partial));
}

void TfrmMain::AppendSectorCounts(int32_t closed, int32_t open, int32_t partial)
{
    NoteSinkCall(false);
    PresentField();
    Stats->lblAdjClosed->setText(Stats->lblAdjClosed->text() + QString(" (%1)").arg(closed));
    Stats->lblNumbers->setText(Stats->lblNumbers->text() + QString(" (%1)").arg(open));
    Stats->lblPartial->setText(Stats->lblPartial->text() + QString(" (%1)").arg(partial));
}

void TfrmMain::ResetRunCounters()
{
    NoteSinkCall(false);
    Stats->lblTotal->setText("0");
    Stats->lblItems->setText("0 of 0");
    Stats->lblCChecked->setText("0");
    Stats->lblSuccessful->setText("0 (0)");
}

void TfrmMain::SetMaxCombinations(int32_t total, int32_t percent)
{
    NoteSinkCall(false);
    Stats->lblTotal->setText(QString::number(total));
    DrawProgressBar(percent);
}

void TfrmMain::ReportProgress(int32_t run, int32_t runs, int32_t successful, int32_t successful2,
                              int32_t combinations, int32_t percent)
{
    NoteSinkCall(false);
    Stats->lblItems->setText(QString("%1 of %2").arg(run).arg(runs));
    Stats->lblSuccessful->setText(QString("%1 (%2)").arg(successful).arg(successful2));
    Stats->lblCChecked->setText(QString::number(combinations));
    DrawProgressBar(percent);
    QCoreApplication::processEvents();
}

void TfrmMain::ShowStatusError()
{
    NoteSinkCall(true);
    Stats->lblStatus->setText("Error");
}

void TfrmMain::ShowStatusDone()
{
    NoteSinkCall(true);
    TGameState &game = *GameState;
    if (game.HaltRequest != 0) {
        game.RecalcNeeded = 1;
        Stats->lblStatus->setText("Halted");
    } else {
        game.RecalcNeeded = 0;
        Stats->lblStatus->setText("Finished");
    }
}

void TfrmMain::RefreshBoard()
{
    NoteSinkCall(false);
    PresentField();
}
