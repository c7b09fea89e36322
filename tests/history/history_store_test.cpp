#include "history_store.h"
#include "played_games.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace
{

const QDateTime Start(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);

StoredGame Game(int32_t level, int32_t w, int32_t h, int32_t mines, GameEnd end, double seconds,
                int32_t solved = 0, bool replayed = false)
{
    StoredGame game;
    game.Level = level;
    game.Replayed = replayed;
    game.Record = PlayedGame(w, h, mines, 7, 5, GameEnd::Abandoned);
    game.Record.End = end;
    game.Record.Timed = seconds > 0.0;
    game.Record.Seconds = seconds;
    game.Figures = {solved + 10, solved, 30, 25};
    return game;
}

TEST(History, StatisticsMatchAHandCountedHistoryAndTheListShowsEveryGameNewestFirst)
{
    QTemporaryDir dir;
    HistoryStore store(dir.filePath("data/kelvane/games.sqlite"));
    const GameEnd W = GameEnd::Won, L = GameEnd::Lost, A = GameEnd::Abandoned;
    StoredGame expert = Game(2, 24, 20, 100, W, 100.0, 150);
    expert.Record = PlayedGame(24, 20, 100, 11, 100, W);
    expert.Record.Seconds = 100.0;
    // In playing order; 3BV/s is solved / seconds.
    const StoredGame games[] = {
        Game(0, 10, 10, 10, W, 10.0, 20),      // b1: 2.0/s
        Game(2, 24, 20, 100, L, 30.0),         // e1
        Game(0, 10, 10, 10, W, 8.0, 20),       // b2: 2.5/s, the best of beginner
        Game(4, 30, 16, 99, W, 0.0, 100),      // c1: untimed, so no time and no rate
        Game(0, 10, 10, 10, W, 12.0, 18),      // b3: 1.5/s; b1-b3 the longest streak, 3
        expert,                                // e2: 1.5/s
        Game(0, 10, 10, 10, L, 3.0),           // b4 ends it
        Game(0, 10, 10, 10, W, 9.0, 18),       // b5: 2.0/s
        Game(4, 30, 16, 99, A, 20.0),          // c2: abandoned, custom streak stays 1
        Game(2, 24, 20, 100, L, 50.0),         // e3: expert's current streak 0
        Game(0, 10, 10, 10, A, 2.0),           // b6: abandoned, the streak goes on
        Game(0, 10, 10, 10, W, 4.0, 20, true), // b7: replayed: neither 4.0 s nor 5.0/s count
        Game(0, 10, 10, 10, W, 9.5, 19),       // b8: 2.0/s; the current streak b5, b8: 2
    };
    for (size_t i = 0; i < std::size(games); ++i) {
        StoredGame game = games[i];
        game.Played = Start.addSecs(60 * qint64(i));
        store.Keep(game);
    }
    store.Flush();

    QList<LevelStatistics> levels;
    QString error;
    ASSERT_TRUE(store.Statistics(levels, error)) << error.toStdString();
    // Beginner: b1-b6 and b8 played, 5 won, best 8.0, average (10+8+12+9+9.5)/5 = 9.7.
    // Expert: 3 played, e2 won. The custom size: 2 played, c1 won untimed, c2 abandoned.
    const LevelStatistics expected[] = {
        {{0, 0, 0, 0}, 7, 5, 1, 8.0, 9.7, 2.5, 2, 3}, {{1, 0, 0, 0}, 0, 0, 0, 0, 0, 0, 0, 0},
        {{2, 0, 0, 0}, 3, 1, 0, 100, 100, 1.5, 0, 1}, {{3, 0, 0, 0}, 0, 0, 0, 0, 0, 0, 0, 0},
        {{4, 30, 16, 99}, 2, 1, 1, 0, 0, 0, 1, 1},
    };
    ASSERT_EQ(levels.size(), qsizetype(std::size(expected)));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const LevelStatistics &got = levels[qsizetype(i)], &want = expected[i];
        EXPECT_EQ(got.Key, want.Key) << i;
        EXPECT_EQ(got.Played, want.Played) << i;
        EXPECT_EQ(got.Won, want.Won) << i;
        EXPECT_EQ(got.Abandoned, want.Abandoned) << i;
        EXPECT_DOUBLE_EQ(got.BestSeconds, want.BestSeconds) << i;
        EXPECT_DOUBLE_EQ(got.AverageSeconds, want.AverageSeconds) << i;
        EXPECT_DOUBLE_EQ(got.BestRate, want.BestRate) << i;
        EXPECT_EQ(got.CurrentStreak, want.CurrentStreak) << i;
        EXPECT_EQ(got.LongestStreak, want.LongestStreak) << i;
    }

    QList<GameSummary> last;
    ASSERT_TRUE(store.LastGames(nullptr, 3, last, error)) << error.toStdString();
    ASSERT_EQ(last.size(), 3);
    EXPECT_EQ(last[0].Played, Start.addSecs(60 * 12)) << "b8, newest first";
    EXPECT_TRUE(last[1].Replayed) << "b7 is listed";
    EXPECT_EQ(last[2].End, A);
    const LevelKey custom{4, 30, 16, 99}, beginner{0, 0, 0, 0};
    ASSERT_TRUE(store.LastGames(&custom, 100, last, error));
    EXPECT_EQ(last.size(), 2);
    ASSERT_TRUE(store.LastGames(&beginner, 100, last, error));
    EXPECT_EQ(last.size(), 8);
    EXPECT_DOUBLE_EQ(last[0].Seconds, 9.5);
    EXPECT_EQ(last[0].Figures.BbbvSolved, 19);

    ASSERT_TRUE(store.LastGames(nullptr, 100, last, error));
    StoredGame read;
    ASSERT_TRUE(store.Game(last[7].Id, read, error)) << error.toStdString();
    EXPECT_EQ(read.Record, expert.Record);
    EXPECT_EQ(read.Figures.BbbvSolved, 150);
    EXPECT_EQ(read.Played, Start.addSecs(60 * 5));
    EXPECT_EQ(read.Level, 2);
    EXPECT_FALSE(store.Game(999, read, error));

    ASSERT_TRUE(store.Reset(error)) << error.toStdString();
    ASSERT_TRUE(store.Statistics(levels, error));
    EXPECT_EQ(levels.size(), 4);
    EXPECT_EQ(levels[0].Played, 0);
}

} // namespace
