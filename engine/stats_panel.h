// The statistics panel beside the board: the sector last asked about, the engine options
// (clickable), the counts the engine reports, its status, and the last run's time and rate.
#pragma once

#include "click_label.h"
#include "kelvane_engine.h"

#include <QLabel>
#include <QWidget>

#include <cstdint>

// What the engine is doing, as the panel's status row tells it.
enum class EngineStatus { Idle, Working, Finished, Halted, Error };

class StatsPanel
{
  public:
    // Creates the frames and labels on the main window, at their places in its client area.
    explicit StatsPanel(QWidget *window);

    void ResetEngineStats(TGameState &game);
    void RefreshEngineOptionLabels(const TGameState &game);
    void ShowRecalc(int32_t recalcNeeded);
    void HideRunTimes();

    // The option rows, each from its setting in the record.
    void ShowMode(int32_t advancedMode);
    void ShowDepth(int32_t stepDepth);
    void ShowDupCheck(int32_t dupCheck);
    void ShowCheckingMode(int32_t checkingMode);

    // A calculation: the sector asked about, what the engine reports while it runs, and
    // the result.
    void ShowSector(int32_t c, int32_t r);
    void ShowStatus(EngineStatus status);
    void ShowSectorCounts(int32_t closed, int32_t open, int32_t partial);
    // Each count gets " (n)" appended to what it shows.
    void AppendSectorCounts(int32_t closed, int32_t open, int32_t partial);
    void ResetRunCounters();
    void ShowMaxCombinations(int32_t total);
    void ShowProgress(int32_t run, int32_t runs, int32_t successful, int32_t successful2,
                      int32_t combinations);
    // Its probability with four decimals, or "N/A" when its sign bit is set.
    void ShowProbability(float p);
    void ShowCompleted(double seconds);
    // Combinations per second, with the player's thousands separators.
    void ShowRate(int64_t rate);

    // Read by tests and the window's accessibility; written only through the operations.
    QLabel *lblStats;
    QLabel *lblCell, *lblProb;
    ClickLabel *lblMode, *lblDepth, *lblDupCheck, *lblChMode, *lblRecalc;
    QLabel *lblAdjClosed, *lblNumbers, *lblPartial, *lblTotal;
    QLabel *lblItems, *lblCChecked, *lblSuccessful;
    QLabel *lblStatus;
    QLabel *lblTimer, *lblRate;
};

// The names of the checking modes; an index outside them shows no text.
QString CheckingModeName(int32_t mode);
