// The game history: every game that had its first press, kept in an SQLite database, and
// the statistics read from it. Games are written on a thread of their own, one transaction
// each, so that the end of a game never waits for the disk.
#pragma once

#include "game_record.h"
#include "game_review.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

// A finished (or abandoned) game as the history keeps it.
struct StoredGame {
    qint64 Id = 0;         // the row; 0 before it is stored
    QDateTime Played;      // UTC, when the game ended
    int32_t Level = 0;     // 0 to 3, or 4 for a custom field
    bool Replayed = false; // a known board played again
    bool Assisted = false; // a hint was asked for
    GameRecord Record;     // size, options, layout, moves, result and seconds
    GameFigures Figures;   // of the record
    // The review's figures; none when the game could not be reviewed (no engine, or a
    // history written before reviews).
    bool Reviewed = false;
    ReviewFigures Review;
};

// The games of one level, or of one custom size (Level 4 with its size and mines; the four
// levels leave them 0).
struct LevelKey {
    int32_t Level = 0;
    int32_t Width = 0, Height = 0, Mines = 0;
    bool operator==(const LevelKey &) const = default;
};

// Replayed and assisted games are listed but not counted here. Streaks count won games in a row: a
// loss ends one, an abandoned game neither adds to nor ends it.
struct LevelStatistics {
    LevelKey Key;
    int32_t Played = 0, Won = 0, Abandoned = 0;
    double BestSeconds = 0.0;    // of the won timed games; 0 when none
    double AverageSeconds = 0.0; // of the won timed games; 0 when none
    double BestRate = 0.0;       // the best 3BV/s of the won timed games; 0 when none
    int32_t CurrentStreak = 0, LongestStreak = 0;
    // The luck of the reviewed games whose guesses were not certain mines (bits), and the
    // reviewed losses, of which those lost to a needless or risky guess.
    int32_t LuckGames = 0;
    double AverageLuck = 0.0;
    int32_t ReviewedLosses = 0, AvoidableLosses = 0;
    double WinRate() const { return Played > 0 ? double(Won) / Played : 0.0; }
    double AvoidableShare() const
    {
        return ReviewedLosses > 0 ? double(AvoidableLosses) / ReviewedLosses : 0.0;
    }
};

// One game in the list and the chart.
struct GameSummary {
    qint64 Id = 0;
    QDateTime Played;
    LevelKey Key;
    GameEnd End = GameEnd::Abandoned;
    bool Replayed = false, Assisted = false;
    double Seconds = 0.0;
    GameFigures Figures;
    bool Reviewed = false;
    ReviewFigures Review;
};

class HistoryWriter;

class HistoryStore : public QObject
{
    Q_OBJECT
  public:
    // Nothing is touched before the first game is kept or the statistics are read.
    explicit HistoryStore(QString file, QObject *parent = nullptr);
    ~HistoryStore() override; // waits for the games still being written

    const QString &File() const { return Path; }

    // Queues the game to be written; returns at once. A failure is told through Failed.
    void Keep(const StoredGame &game);
    // Waits until every game queued so far is written (or has failed).
    void Flush();

    // The reading side, on the caller's thread. Each returns false with a reason when the
    // database cannot be read.
    // The four levels, played or not, then each custom size played, smallest first.
    bool Statistics(QList<LevelStatistics> &levels, QString &error);
    // The newest games first, at most `count`, of one level or (with no key) of all.
    bool LastGames(const LevelKey *key, int32_t count, QList<GameSummary> &games, QString &error);
    bool Game(qint64 id, StoredGame &game, QString &error);
    // Deletes every game.
    bool Reset(QString &error);

  signals:
    // The database could not be opened or written; `message` is for the player. A corrupt
    // file has been moved aside to `message`'s named file before a new one was made.
    void Failed(const QString &message);

  private:
    friend class HistoryWriter;
    // Emits Failed once per store, queued to the store's thread from either thread.
    void Tell(const QString &message);

    QString Path;
    std::atomic<bool> Told = false;
    std::unique_ptr<HistoryWriter> Writer;
};
