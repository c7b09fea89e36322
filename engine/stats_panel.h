// The statistics panel beside the board: the sector last asked about, the engine options
// (clickable), the counts the engine reports, its status, and the last run's time and rate.
#pragma once

#include "click_label.h"
#include "kelvane_engine.h"

#include <QLabel>
#include <QWidget>

class StatsPanel
{
  public:
    // Creates the frames and labels on the main window, at their places in its client area.
    explicit StatsPanel(QWidget *window);

    void ResetEngineStats(TGameState &game);
    void RefreshEngineOptionLabels(const TGameState &game);
    void ShowRecalc(int32_t recalcNeeded);
    void HideRunTimes();

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
