#include "stats_panel.h"

#include "frame.h"
#include "setting_table.h"

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

    Caption(window, "Sector Index", 32);
    lblCell = Value<QLabel>(window, "(0, 0)", 896, 32);
    Caption(window, "Probability", 48);
    lblProb = Value<QLabel>(window, "0.0000", 896, 48);
    Caption(window, "Calculation Mode", 72);
    lblMode = OptionValue(window, "Advanced", 896, 72);
    Caption(window, "Step Depth", 88);
    lblDepth = OptionValue(window, "25", 904, 88);
    Caption(window, "Duplicate Checking", 104);
    lblDupCheck = OptionValue(window, "True", 904, 104);
    Caption(window, "Combinations Checking", 120);
    lblChMode = OptionValue(window, "Optimal", 896, 120);
    Caption(window, "Adjacent Closed Sectors", 144);
    lblAdjClosed = Value<QLabel>(window, "0", 904, 144);
    Caption(window, "Adjacent Open Sectors", 160);
    lblNumbers = Value<QLabel>(window, "0", 904, 160);
    Caption(window, "Adjacent Partial Sectors", 176);
    lblPartial = Value<QLabel>(window, "0", 904, 176);
    Caption(window, "Max Combinations", 192);
    lblTotal = Value<QLabel>(window, "0", 872, 192);
    Caption(window, "Run", 216);
    lblItems = Value<QLabel>(window, "0 of 0", 880, 216);
    Caption(window, "Combinations", 232);
    lblCChecked = Value<QLabel>(window, "0", 872, 232);
    Caption(window, "Successful", 248);
    lblSuccessful = Value<QLabel>(window, "0 (0)", 856, 248);
    Caption(window, "Engine Status", 272);
    lblStatus = Value<QLabel>(window, "Finished", 864, 272);
    Caption(window, "Recalculation Needed?", 288);
    lblRecalc = OptionValue(window, "True", 920, 288);

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
    lblCell->setText("(0, 0)");
    lblProb->setText("0.000");
    lblAdjClosed->setText("0");
    lblNumbers->setText("0");
    lblPartial->setText("0");
    lblTotal->setText("0");
    lblItems->setText("0 of 0");
    lblCChecked->setText("0");
    lblSuccessful->setText("0 (0)");
    lblStatus->setText("Idle");
    HideRunTimes();
    game.HaltRequest = 0;
    game.RecalcNeeded = 1;
    ShowRecalc(1);
}

void StatsPanel::RefreshEngineOptionLabels(const TGameState &game)
{
    lblMode->setText(game.AdvancedMode != 0 ? "Advanced" : "Simple");
    lblDepth->setText(QString::number(game.StepDepth));
    lblDupCheck->setText(game.DupCheck != 0 ? "True" : "False");
    lblChMode->setText(CheckingModeName(game.CheckingMode));
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
