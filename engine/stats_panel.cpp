#include "stats_panel.h"

#include "frame.h"
#include "setting_table.h"

#include <QLocale>

#include <cmath>

namespace
{
constexpr int PanelLeft = 776;
constexpr int CaptionLeft = 784;
constexpr int ValueRight = 953;
constexpr int RowHeight = 13;

QLabel *Caption(QWidget *window, const QString &text, int top)
{
    auto *label = new QLabel(text, window);
    label->move(CaptionLeft, top);
    label->adjustSize();
    return label;
}

template <typename Label, typename... Extra>
Label *Value(QWidget *window, const QString &text, int left, int top, Extra... extra)
{
    auto *label = new Label(text, window, extra...);
    label->setGeometry(left, top, ValueRight - left, RowHeight);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

ClickLabel *OptionValue(QWidget *window, const QString &text, int left, int top)
{
    return Value<ClickLabel>(window, text, left, top, HoverLook::Underline);
}
} // namespace

QString CheckingModeName(int32_t mode)
{
    return QString::fromLatin1(RowOf(Setting::CheckingMode).NameOf(mode));
}

StatsPanel::StatsPanel(QWidget *window)
{
    const int frames[7][2] = {{4, 21},   {24, 41},  {64, 73},  {136, 73},
                              {208, 57}, {264, 41}, {304, 197}};
    for (const auto &frame : frames)
        new Frame(window, QRect(PanelLeft, frame[0], 185, frame[1]));

    lblStats = new QLabel("Probability Engine Statistics", window);
    QFont bold = lblStats->font();
    bold.setBold(true);
    lblStats->setFont(bold);
    lblStats->move(CaptionLeft, 8);
    lblStats->adjustSize();

    // Each value is labelled by its caption for assistive technology; the caption is made
    // first (a call's object is evaluated before its arguments), as the frames' order wants.
    Caption(window, "Sector Index", 32)
        ->setBuddy(lblCell = Value<QLabel>(window, "(0, 0)", 896, 32));
    Caption(window, "Probability", 48)
        ->setBuddy(lblProb = Value<QLabel>(window, "0.0000", 896, 48));
    Caption(window, "Calculation Mode", 72)
        ->setBuddy(lblMode = OptionValue(window, "Advanced", 896, 72));
    Caption(window, "Step Depth", 88)->setBuddy(lblDepth = OptionValue(window, "25", 904, 88));
    Caption(window, "Duplicate Checking", 104)
        ->setBuddy(lblDupCheck = OptionValue(window, "True", 904, 104));
    Caption(window, "Combinations Checking", 120)
        ->setBuddy(lblChMode = OptionValue(window, "Optimal", 896, 120));
    Caption(window, "Adjacent Closed Sectors", 144)
        ->setBuddy(lblAdjClosed = Value<QLabel>(window, "0", 904, 144));
    Caption(window, "Adjacent Open Sectors", 160)
        ->setBuddy(lblNumbers = Value<QLabel>(window, "0", 904, 160));
    Caption(window, "Adjacent Partial Sectors", 176)
        ->setBuddy(lblPartial = Value<QLabel>(window, "0", 904, 176));
    Caption(window, "Max Combinations", 192)
        ->setBuddy(lblTotal = Value<QLabel>(window, "0", 872, 192));
    Caption(window, "Run", 216)->setBuddy(lblItems = Value<QLabel>(window, "0 of 0", 880, 216));
    Caption(window, "Combinations", 232)
        ->setBuddy(lblCChecked = Value<QLabel>(window, "0", 872, 232));
    Caption(window, "Successful", 248)
        ->setBuddy(lblSuccessful = Value<QLabel>(window, "0 (0)", 856, 248));
    Caption(window, "Engine Status", 272)
        ->setBuddy(lblStatus = Value<QLabel>(window, "Finished", 864, 272));
    Caption(window, "Recalculation Needed?", 288)
        ->setBuddy(lblRecalc = OptionValue(window, "True", 920, 288));

    lblTimer = new QLabel("Completed in 0 seconds", window);
    lblTimer->setGeometry(CaptionLeft, 312, 169, RowHeight);
    lblRate = new QLabel("Rate: 0 combinations/s", window);
    lblRate->setGeometry(CaptionLeft, 328, 169, RowHeight);
    lblTimer->hide();
    lblRate->hide();
}

void StatsPanel::ResetEngineStats(TGameState &game)
{
    if (game.EngineBusy != 0) return;
    ShowSector(0, 0);
    lblProb->setText("0.000");
    ShowSectorCounts(0, 0, 0);
    ResetRunCounters();
    ShowStatus(EngineStatus::Idle);
    HideRunTimes();
    game.HaltRequest = 0;
    game.RecalcNeeded = 1;
    ShowRecalc(1);
}

void StatsPanel::RefreshEngineOptionLabels(const TGameState &game)
{
    ShowMode(game.AdvancedMode);
    ShowDepth(game.StepDepth);
    ShowDupCheck(game.DupCheck);
    ShowCheckingMode(game.CheckingMode);
}

void StatsPanel::ShowMode(int32_t advancedMode)
{
    lblMode->setText(advancedMode != 0 ? "Advanced" : "Simple");
}

void StatsPanel::ShowDepth(int32_t stepDepth)
{
    lblDepth->setText(QString::number(stepDepth));
}

void StatsPanel::ShowDupCheck(int32_t dupCheck)
{
    lblDupCheck->setText(dupCheck != 0 ? "True" : "False");
}

void StatsPanel::ShowCheckingMode(int32_t checkingMode)
{
    lblChMode->setText(CheckingModeName(checkingMode));
}

void StatsPanel::ShowSector(int32_t c, int32_t r)
{
    lblCell->setText(QString("(%1, %2)").arg(c).arg(r));
}

void StatsPanel::ShowStatus(EngineStatus status)
{
    static const char *const texts[] = {"Idle", "Working", "Finished", "Halted", "Error"};
    lblStatus->setText(texts[static_cast<int>(status)]);
}

void StatsPanel::ShowSectorCounts(int32_t closed, int32_t open, int32_t partial)
{
    lblAdjClosed->setText(QString::number(closed));
    lblNumbers->setText(QString::number(open));
    lblPartial->setText(QString::number(partial));
}

void StatsPanel::AppendSectorCounts(int32_t closed, int32_t open, int32_t partial)
{
    lblAdjClosed->setText(lblAdjClosed->text() + QString(" (%1)").arg(closed));
    lblNumbers->setText(lblNumbers->text() + QString(" (%1)").arg(open));
    lblPartial->setText(lblPartial->text() + QString(" (%1)").arg(partial));
}

void StatsPanel::ResetRunCounters()
{
    ShowMaxCombinations(0);
    ShowProgress(0, 0, 0, 0, 0);
}

void StatsPanel::ShowMaxCombinations(int32_t total)
{
    lblTotal->setText(QString::number(total));
}

void StatsPanel::ShowProgress(int32_t run, int32_t runs, int32_t successful, int32_t successful2,
                              int32_t combinations)
{
    lblItems->setText(QString("%1 of %2").arg(run).arg(runs));
    lblSuccessful->setText(QString("%1 (%2)").arg(successful).arg(successful2));
    lblCChecked->setText(QString::number(combinations));
}

void StatsPanel::ShowProbability(float p)
{
    lblProb->setText(std::signbit(p) ? QString("N/A") : QString::number(double(p), 'f', 4));
}

void StatsPanel::ShowCompleted(double seconds)
{
    // Three decimals with a point under every locale.
    lblTimer->setText(QString("Completed in %1 seconds").arg(QString::number(seconds, 'f', 3)));
    lblTimer->show();
}

void StatsPanel::ShowRate(int64_t rate)
{
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    lblRate->setText("Rate: " + locale.toString(static_cast<qlonglong>(rate)) + " combinations/s");
    lblRate->show();
}

void StatsPanel::ShowRecalc(int32_t recalcNeeded)
{
    lblRecalc->setText(recalcNeeded != 0 ? "True" : "False");
}

void StatsPanel::HideRunTimes()
{
    lblTimer->hide();
    lblRate->hide();
}
