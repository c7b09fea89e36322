// The Statistics window: per level (and per custom size) the games played and won, times,
// speed and streaks; the level's last games, a chart of their speed, and a chosen game saved
// to a file, played again or reviewed.
#pragma once

#include "history_store.h"

#include <QDialog>

#include <functional>

class QChartView;
class QLabel;
class QPushButton;
class QTableWidget;

class StatisticsWindow : public QDialog
{
    Q_OBJECT
  public:
    StatisticsWindow(HistoryStore &store, QWidget *parent = nullptr);

    // Reads the history again, keeping the chosen level.
    void Refresh();

    // The player's answers; tests replace them. AskSaveFile returns "" on cancel.
    std::function<QString(QWidget *parent, const QString &suggested)> AskSaveFile;
    std::function<bool(const QString &question)> Confirm;
    std::function<void(const QString &message)> ShowError;

    // What the window shows, for tests and the screen reader alike.
    QTableWidget *LevelTable() const { return Levels; }
    QTableWidget *GameTable() const { return Games; }
    QChartView *Chart() const { return ChartView; }

    void PlayAgainClick();
    void SaveGameClick();
    void ResetClick();
    void ReviewClick();
    // Whether a chosen game can be reviewed (the review needs the engine).
    void SetReviewAvailable(bool available);

  signals:
    void PlayAgain(const GameRecord &record);
    void Review(const GameRecord &record);

  private:
    void ShowLevels();
    void ShowGames();
    void ShowChart(const QList<GameSummary> &games);
    bool ChosenGame(StoredGame &game);

    HistoryStore &Store;
    QList<LevelStatistics> LevelRows;
    QList<GameSummary> GameRows;
    QTableWidget *Levels = nullptr, *Games = nullptr;
    QChartView *ChartView = nullptr;
    QLabel *GamesCaption = nullptr;
    QPushButton *PlayButton = nullptr, *SaveButton = nullptr, *ReviewButton = nullptr;
    bool ReviewAvailable = false;
};

// "Beginner" ... "Ultra", or "Custom 30 x 20, 150 mines".
QString LevelName(const LevelKey &key);
