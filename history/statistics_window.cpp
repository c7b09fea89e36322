#include "statistics_window.h"

#include "best_times.h"
#include "dialog_parts.h"
#include "level_table.h"

#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QScatterSeries>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace
{

constexpr int LastGameCount = 50;   // the list
constexpr int ChartGameCount = 100; // the chart

QString Seconds(double seconds)
{
    return seconds > 0.0 ? LocaleFixed(seconds, 1) : QString("-");
}

QString Rate(const GameSummary &game)
{
    double rate = 0.0;
    return game.Figures.BbbvPerSecond(game.Seconds, rate) ? LocaleFixed(rate, 2) : QString("-");
}

// In bits; "-" for a game not reviewed, infinite for one whose guess was a certain mine.
QString Luck(const GameSummary &game)
{
    if (!game.Reviewed) return "-";
    const double luck = game.Review.Luck();
    return std::isfinite(luck) ? LocaleFixed(luck, 2) : QString::fromUtf8("\u221e");
}

QString ResultName(const GameSummary &game)
{
    const QString end = game.End == GameEnd::Won    ? QString("Won")
                        : game.End == GameEnd::Lost ? QString("Lost")
                                                    : QString("Abandoned");
    return game.Replayed ? end + " (replayed)" : game.Assisted ? end + " (assisted)" : end;
}

QTableWidget *MakeTable(QWidget *parent, const QStringList &columns, const QString &name)
{
    auto *table = new QTableWidget(0, int(columns.size()), parent);
    table->setHorizontalHeaderLabels(columns);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setTabKeyNavigation(false);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setAccessibleName(name);
    return table;
}

void SetRow(QTableWidget *table, int row, const QStringList &cells)
{
    for (int column = 0; column < cells.size(); ++column) {
        auto *item = new QTableWidgetItem(cells[column]);
        if (column > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, column, item);
    }
}

} // namespace

QString LevelName(const LevelKey &key)
{
    if (key.Level >= 0 && key.Level < LevelCustom) return ::LevelTable[key.Level].Name;
    return QString("Custom %1 x %2, %3 mines").arg(key.Width).arg(key.Height).arg(key.Mines);
}

StatisticsWindow::StatisticsWindow(HistoryStore &store, QWidget *parent)
    : QDialog(parent), Store(store)
{
    setObjectName("frmStatistics");
    setWindowTitle("Statistics");
    // The history does not change under an open window: no game is played meanwhile.
    setWindowModality(Qt::ApplicationModal);
    UseProgramLook(this);
    resize(900, 600);

    Levels =
        MakeTable(this,
                  {"Level", "Played", "Won", "Win rate", "Abandoned", "Best time", "Average time",
                   "Best 3BV/s", "Streak", "Longest", "Average luck", "Avoidable losses"},
                  "Statistics per level");
    // The name and the review's two columns take their widths; the others share the rest.
    for (const int column : {0, 10, 11})
        Levels->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    Games =
        MakeTable(this, {"Date", "Level", "Result", "Time", "3BV/s", "IOE", "Luck"}, "Last games");
    Games->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    Games->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    Games->setAlternatingRowColors(true);

    auto *chart = new QChart();
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->setBackgroundBrush(Cream);
    chart->setMargins(QMargins(4, 4, 4, 4));
    ChartView = new QChartView(chart, this);
    ChartView->setRenderHint(QPainter::Antialiasing);
    ChartView->setMinimumHeight(170);
    ChartView->setAccessibleName("Chart of the level's recent games");

    GamesCaption = new QLabel(this);
    GamesCaption->setFont(DialogLabelFont(true));
    auto *levelsCaption = new QLabel("Levels", this);
    levelsCaption->setFont(DialogLabelFont(true));
    levelsCaption->setBuddy(Levels);

    PlayButton = new QPushButton("&Play Again", this);
    SaveButton = new QPushButton("&Save Game...", this);
    ReviewButton = new QPushButton("Re&view", this);
    auto *resetButton = new QPushButton("&Reset", this);
    auto *closeButton = new QPushButton("Close", this);
    connect(PlayButton, &QPushButton::clicked, this, &StatisticsWindow::PlayAgainClick);
    connect(SaveButton, &QPushButton::clicked, this, &StatisticsWindow::SaveGameClick);
    connect(ReviewButton, &QPushButton::clicked, this, &StatisticsWindow::ReviewClick);
    connect(resetButton, &QPushButton::clicked, this, &StatisticsWindow::ResetClick);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    closeButton->setDefault(true);

    auto *buttons = new QHBoxLayout();
    buttons->addWidget(PlayButton);
    buttons->addWidget(SaveButton);
    buttons->addWidget(ReviewButton);
    buttons->addStretch();
    buttons->addWidget(resetButton);
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(levelsCaption);
    layout->addWidget(Levels, 3);
    layout->addWidget(GamesCaption);
    layout->addWidget(Games, 4);
    layout->addWidget(ChartView, 4);
    layout->addLayout(buttons);

    connect(Levels, &QTableWidget::itemSelectionChanged, this, &StatisticsWindow::ShowGames);
    connect(Games, &QTableWidget::itemSelectionChanged, this, [this] {
        const bool chosen = !Games->selectedItems().isEmpty();
        PlayButton->setEnabled(chosen);
        SaveButton->setEnabled(chosen);
        ReviewButton->setEnabled(chosen && ReviewAvailable);
    });
    connect(Games, &QTableWidget::itemActivated, this, &StatisticsWindow::PlayAgainClick);

    AskSaveFile = [](QWidget *parent, const QString &suggested) {
        return QFileDialog::getSaveFileName(parent, "Save Game", suggested,
                                            "Kelvane games (*.kelvane-game);;All files (*)");
    };
    Confirm = [this](const QString &question) {
        return QMessageBox::question(this, "Kelvane", question) == QMessageBox::Yes;
    };
    ShowError = [this](const QString &message) { QMessageBox::critical(this, "Kelvane", message); };
}

void StatisticsWindow::Refresh()
{
    const int chosen = std::max(0, Levels->currentRow());
    QString error;
    LevelRows.clear();
    if (!Store.Statistics(LevelRows, error)) ShowError(error);
    ShowLevels();
    Levels->selectRow(std::min(chosen, int(LevelRows.size()) - 1));
    ShowGames();
}

void StatisticsWindow::ShowLevels()
{
    const QSignalBlocker quiet(Levels);
    Levels->setRowCount(int(LevelRows.size()));
    for (int row = 0; row < LevelRows.size(); ++row) {
        const LevelStatistics &s = LevelRows[row];
        SetRow(Levels, row,
               {LevelName(s.Key), QString::number(s.Played), QString::number(s.Won),
                s.Played > 0 ? LocaleFixed(100.0 * s.WinRate(), 1) + " %" : QString("-"),
                QString::number(s.Abandoned), Seconds(s.BestSeconds), Seconds(s.AverageSeconds),
                s.BestRate > 0.0 ? LocaleFixed(s.BestRate, 2) : QString("-"),
                QString::number(s.CurrentStreak), QString::number(s.LongestStreak),
                s.LuckGames > 0 ? LocaleFixed(s.AverageLuck, 2) + " bits" : QString("-"),
                s.ReviewedLosses > 0 ? LocaleFixed(100.0 * s.AvoidableShare(), 0) + " %"
                                     : QString("-")});
    }
}

void StatisticsWindow::ShowGames()
{
    const int level = Levels->currentRow();
    GameRows.clear();
    QString error;
    if (level >= 0 && level < LevelRows.size()) {
        const LevelKey key = LevelRows[level].Key;
        GamesCaption->setText(QString("Last games: %1").arg(LevelName(key)));
        if (!Store.LastGames(&key, ChartGameCount, GameRows, error)) ShowError(error);
    }
    GamesCaption->setBuddy(Games);
    const QSignalBlocker quiet(Games);
    const int shown = std::min(int(GameRows.size()), LastGameCount);
    Games->clearSelection();
    Games->setRowCount(shown);
    for (int row = 0; row < shown; ++row) {
        const GameSummary &game = GameRows[row];
        SetRow(Games, row,
               {game.Played.toLocalTime().toString("yyyy-MM-dd HH:mm"), LevelName(game.Key),
                ResultName(game), Seconds(game.Seconds), Rate(game),
                LocaleFixed(game.Figures.Ioe(), 2), Luck(game)});
    }
    PlayButton->setEnabled(false);
    SaveButton->setEnabled(false);
    ReviewButton->setEnabled(false);
    ShowChart(GameRows);
}

// The speed of the won and lost games, oldest on the left; the losses as red crosses.
void StatisticsWindow::ShowChart(const QList<GameSummary> &games)
{
    QChart *chart = ChartView->chart();
    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    auto *won = new QLineSeries();
    won->setName("Won");
    won->setPen(QPen(Navy, 2));
    won->setPointsVisible(true);
    auto *lost = new QScatterSeries();
    lost->setName("Lost");
    lost->setColor(QColor(192, 0, 0));
    lost->setBorderColor(QColor(192, 0, 0));
    lost->setMarkerShape(QScatterSeries::MarkerShapeRotatedRectangle);
    lost->setMarkerSize(8);
    double top = 1.0;
    int counted = 0, number = 0;
    for (auto game = games.crbegin(); game != games.crend(); ++game) {
        ++number;
        double rate = 0.0;
        if (game->End == GameEnd::Abandoned || !game->Figures.BbbvPerSecond(game->Seconds, rate))
            continue;
        (game->End == GameEnd::Won ? static_cast<QXYSeries *>(won) : lost)->append(number, rate);
        top = std::max(top, rate);
        ++counted;
    }
    chart->addSeries(won);
    chart->addSeries(lost);
    auto *x = new QValueAxis();
    // Whole game numbers, about ten of them, with room for the first and last marks.
    x->setRange(0.5, std::max(1, number) + 0.5);
    x->setLabelFormat("%d");
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(1);
    x->setTickInterval(std::max(1, (number + 8) / 10));
    x->setTitleText("Game");
    auto *y = new QValueAxis();
    y->setRange(0, top * 1.1);
    y->applyNiceNumbers();
    y->setTitleText("3BV/s");
    for (QValueAxis *axis : {x, y}) {
        axis->setLabelsColor(Navy);
        axis->setTitleBrush(Navy);
    }
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries *series : chart->series()) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
    ChartView->setAccessibleDescription(
        QString("3BV/s of %1 timed games of the last %2, %3 won, %4 lost")
            .arg(counted)
            .arg(number)
            .arg(won->count())
            .arg(lost->count()));
}

bool StatisticsWindow::ChosenGame(StoredGame &game)
{
    const int row = Games->currentRow();
    if (row < 0 || row >= GameRows.size() || Games->selectedItems().isEmpty()) return false;
    QString error;
    if (Store.Game(GameRows[row].Id, game, error)) return true;
    ShowError(error);
    return false;
}

void StatisticsWindow::PlayAgainClick()
{
    StoredGame game;
    if (!ChosenGame(game)) return;
    close(); // the board is the main window's again
    emit PlayAgain(game.Record);
}

void StatisticsWindow::SaveGameClick()
{
    StoredGame game;
    if (!ChosenGame(game)) return;
    const QString suggested =
        QString("%1.kelvane-game").arg(game.Played.toLocalTime().toString("yyyy-MM-dd-HHmmss"));
    const QString file = AskSaveFile(this, suggested);
    if (file.isEmpty()) return;
    // A failed save leaves an earlier file of that name as it was.
    QSaveFile out(file);
    const std::string text = WriteRecord(game.Record);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(text.data(), qint64(text.size())) != qint64(text.size()) || !out.commit()) {
        ShowError(QString("Cannot save the game to %1: %2.")
                      .arg(QDir::toNativeSeparators(file), out.errorString()));
    }
}

// The window stays open under the review: the list is where the player goes on from.
void StatisticsWindow::ReviewClick()
{
    StoredGame game;
    if (ReviewAvailable && ChosenGame(game)) emit Review(game.Record);
}

void StatisticsWindow::SetReviewAvailable(bool available)
{
    ReviewAvailable = available;
    ReviewButton->setEnabled(available && !Games->selectedItems().isEmpty());
}

void StatisticsWindow::ResetClick()
{
    if (!Confirm("Delete every game of the history? This cannot be undone.")) return;
    QString error;
    if (!Store.Reset(error)) ShowError(error);
    Refresh();
}
