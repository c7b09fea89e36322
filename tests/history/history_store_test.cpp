#include "history_store.h"
#include "played_games.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
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

// What the child (see history_child.cpp) saw after keeping games.
struct ChildOutcome {
    int Failed = -1;
    QString Message, Read;
};

ChildOutcome KeepInChild(const QString &file, int games, const QStringList &options)
{
    QProcess child;
    child.start(QStringLiteral(HISTORY_CHILD),
                QStringList{"keep", file, QString::number(games)} + options);
    child.waitForFinished(60000);
    const QStringList lines = QString::fromLocal8Bit(child.readAllStandardOutput()).split('\n');
    ChildOutcome outcome;
    if (child.exitCode() != 0 || lines.size() < 3) return outcome;
    outcome.Failed = lines[0].section(' ', 1).toInt();
    outcome.Message = lines[1];
    outcome.Read = lines[2];
    return outcome;
}

QByteArray Contents(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

void Write(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct Trouble {
    const char *what;
    std::function<void(const QDir &, QStringList &)> make; // the trouble, and the child's options
    const char *reason;                                    // in the message
    int games; // read back afterwards by the child; -1: the reading fails too
};

TEST(History, EachFailureIsToldOnceWhileTheGameGoesOnAndADamagedFileIsMovedAsideNeverLost)
{
    const QByteArray noise = [] {
        QByteArray bytes(8192, 0);
        QRandomGenerator(27).fillRange(reinterpret_cast<quint32 *>(bytes.data()), 2048);
        return bytes;
    }();
    const Trouble troubles[] = {
        {"its folder is a file",
         [](const QDir &dir, QStringList &) { Write(dir.filePath("kelvane"), "x"); },
         "Not a directory", -1},
        {"random bytes, with an earlier damaged file beside",
         [&](const QDir &dir, QStringList &) {
             dir.mkpath("kelvane");
             Write(dir.filePath("kelvane/games.sqlite"), noise);
             Write(dir.filePath("kelvane/games.sqlite.corrupt-1"), "earlier");
         },
         "games.sqlite.corrupt-2", 6},
        {"a full disk: a file size limit just above the file's",
         [](const QDir &dir, QStringList &options) {
             {
                 HistoryStore store(dir.filePath("kelvane/games.sqlite"));
                 store.Keep(Game(3, 32, 25, 180, GameEnd::Lost, 2.0));
             }
             const qint64 size = QFileInfo(dir.filePath("kelvane/games.sqlite")).size();
             options << "--fsize" << QString::number(qMax<qint64>(size, 32768) + 8192);
         },
         "disk", 1},
        // Root writes anywhere: the child drops to nobody.
        {"a read-only folder",
         [](const QDir &dir, QStringList &options) {
             dir.mkpath("kelvane");
             QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                   QFile::ExeOwner | QFile::ReadOther |
                                                   QFile::ExeOther | QFile::ExeGroup);
             QFile::setPermissions(dir.filePath("kelvane"), QFile::ReadOwner | QFile::ExeOwner |
                                                                QFile::ReadOther | QFile::ExeOther);
             options << "--nobody";
         },
         "opened or made", -1},
    };
    for (const Trouble &t : troubles) {
        QTemporaryDir temporary;
        const QDir dir(temporary.path());
        const QString file = dir.filePath("kelvane/games.sqlite");
        QStringList options;
        t.make(dir, options);
        const ChildOutcome outcome = KeepInChild(file, 6, options);
        EXPECT_EQ(outcome.Failed, 1) << t.what << ": told once, not once a game";
        EXPECT_TRUE(outcome.Message.contains(file))
            << t.what << ": " << outcome.Message.toStdString();
        EXPECT_TRUE(outcome.Message.contains(t.reason))
            << t.what << ": " << outcome.Message.toStdString();
        if (t.games < 0) {
            EXPECT_TRUE(outcome.Read.startsWith("read-error") && outcome.Read.contains(file))
                << t.what << ": " << outcome.Read.toStdString();
        } else {
            EXPECT_GE(outcome.Read.section(' ', 1).toInt(), t.games)
                << t.what << ": " << outcome.Read.toStdString();
        }
        if (QFile::exists(dir.filePath("kelvane/games.sqlite.corrupt-1"))) {
            EXPECT_EQ(Contents(dir.filePath("kelvane/games.sqlite.corrupt-1")), "earlier");
            EXPECT_EQ(Contents(dir.filePath("kelvane/games.sqlite.corrupt-2")), noise);
        }
        QFile::setPermissions(dir.filePath("kelvane"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
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
    // Reviewed games, by their place above: survival (luck is -log2 of it) and the cause of
    // a loss. e3's guess was a certain mine: no finite luck, but an avoidable loss.
    const struct {
        size_t Game;
        double Survival;
        MoveGrade Cause;
    } reviews[] = {{0, 0.5, MoveGrade::None},     {1, 0.25, MoveGrade::Risky},
                   {5, 1.0, MoveGrade::None},     {6, 0.5, MoveGrade::Best},
                   {9, 0.0, MoveGrade::Needless}, {11, 0.125, MoveGrade::None}};
    for (size_t i = 0; i < std::size(games); ++i) {
        StoredGame game = games[i];
        game.Played = Start.addSecs(60 * qint64(i));
        for (const auto &r : reviews)
            if (r.Game == i) {
                game.Reviewed = true;
                game.Review = {3, 1, 2, r.Survival, r.Cause};
            }
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
    // Beginner: b1 and b4 with a bit each, b4 lost unluckily. Expert: e1 with 2 bits and e2
    // with none; both reviewed losses avoidable.
    EXPECT_EQ(levels[0].LuckGames, 2);
    EXPECT_DOUBLE_EQ(levels[0].AverageLuck, 1.0);
    EXPECT_EQ(levels[0].ReviewedLosses, 1);
    EXPECT_DOUBLE_EQ(levels[0].AvoidableShare(), 0.0);
    EXPECT_EQ(levels[2].LuckGames, 2);
    EXPECT_DOUBLE_EQ(levels[2].AverageLuck, 1.0);
    EXPECT_EQ(levels[2].ReviewedLosses, 2);
    EXPECT_DOUBLE_EQ(levels[2].AvoidableShare(), 1.0);
    EXPECT_EQ(levels[4].LuckGames, 0);

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
    EXPECT_TRUE(read.Reviewed);
    EXPECT_EQ(read.Review.Guesses, 3);
    EXPECT_EQ(read.Review.Risky, 2);
    EXPECT_DOUBLE_EQ(read.Review.Survival, 1.0);
    EXPECT_EQ(last[3].Review.Cause, MoveGrade::Needless) << "e3";
    EXPECT_TRUE(std::isinf(last[3].Review.Luck())) << "e3";
    EXPECT_FALSE(last[2].Reviewed) << "b6";
    EXPECT_FALSE(store.Game(999, read, error));

    ASSERT_TRUE(store.Reset(error)) << error.toStdString();
    ASSERT_TRUE(store.Statistics(levels, error));
    EXPECT_EQ(levels.size(), 4);
    EXPECT_EQ(levels[0].Played, 0);
}

} // namespace

namespace
{

// A file of the first version, as it wrote it: its games and totals stay, and it gains the
// review's figures and the assisted games.
TEST(History, AFileOfTheFirstVersionKeepsItsGamesAndGainsTheReview)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("games.sqlite");
    ASSERT_TRUE(QFile::copy(QStringLiteral(HISTORY_V1_FILE), file));
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    HistoryStore store(file);
    StoredGame game = Game(3, 32, 25, 180, GameEnd::Lost, 5.0);
    game.Reviewed = true;
    game.Review = {1, 0, 1, 0.75, MoveGrade::Risky};
    store.Keep(game);
    game.Assisted = true; // listed, not counted
    store.Keep(game);
    store.Flush();
    QList<LevelStatistics> levels;
    QList<GameSummary> last;
    QString error;
    ASSERT_TRUE(store.Statistics(levels, error)) << error.toStdString();
    EXPECT_EQ(levels[3].Played, 4);
    EXPECT_EQ(levels[3].LuckGames, 1);
    EXPECT_EQ(levels[3].AvoidableLosses, 1);
    ASSERT_TRUE(store.LastGames(nullptr, 10, last, error)) << error.toStdString();
    ASSERT_EQ(last.size(), 5);
    EXPECT_TRUE(last[0].Assisted);
    EXPECT_FALSE(last[1].Assisted);
    EXPECT_TRUE(last[1].Reviewed);
    EXPECT_DOUBLE_EQ(last[1].Review.Survival, 0.75);
    EXPECT_FALSE(last[4].Reviewed);
}

TEST(History, AGameLockedOutByAnotherWindowIsKeptAndWrittenOnceTheLockGoes)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("games.sqlite");
    HistoryStore store(file);
    QSignalSpy failed(&store, &HistoryStore::Failed);
    store.Keep(Game(0, 10, 10, 10, GameEnd::Won, 5.0));
    store.Flush();
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other window");
        other.setDatabaseName(file);
        ASSERT_TRUE(other.open());
        QSqlQuery lock(other);
        ASSERT_TRUE(lock.exec("BEGIN EXCLUSIVE"));
        store.Keep(Game(0, 10, 10, 10, GameEnd::Lost, 6.0));
        store.Flush(); // waits out the busy timeout
        QCoreApplication::processEvents();
        ASSERT_EQ(failed.count(), 1);
        EXPECT_TRUE(failed[0][0].toString().contains("locked"))
            << failed[0][0].toString().toStdString();
        ASSERT_TRUE(lock.exec("ROLLBACK"));
    }
    QSqlDatabase::removeDatabase("other window");
    store.Keep(Game(0, 10, 10, 10, GameEnd::Won, 7.0));
    store.Flush();
    QCoreApplication::processEvents();
    EXPECT_EQ(failed.count(), 1);
    QList<GameSummary> games;
    QString error;
    ASSERT_TRUE(store.LastGames(nullptr, 10, games, error)) << error.toStdString();
    ASSERT_EQ(games.size(), 3) << "the locked-out game is written with the next one";
    EXPECT_EQ(games[1].End, GameEnd::Lost);
}

TEST(History, AKillDuringWritingLeavesAFileThatOpensWithEveryGameWrittenBefore)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("games.sqlite");
    QProcess child;
    child.start(QStringLiteral(HISTORY_CHILD), {"write", file});
    ASSERT_TRUE(child.waitForStarted());
    QList<int> written;
    auto read = [&] {
        while (child.canReadLine())
            written.append(child.readLine().trimmed().toInt());
    };
    while (written.size() < 40 && child.waitForReadyRead(20000))
        read();
    child.kill(); // SIGKILL
    child.waitForFinished();
    read();
    ASSERT_GE(written.size(), 40);

    HistoryStore store(file);
    QList<GameSummary> games;
    QString error;
    ASSERT_TRUE(store.LastGames(nullptr, 100000, games, error)) << error.toStdString();
    QSet<QDateTime> kept;
    for (const GameSummary &game : games)
        kept.insert(game.Played);
    for (int n : written)
        EXPECT_TRUE(kept.contains(Start.addSecs(n))) << "game " << n;
    QList<LevelStatistics> levels;
    ASSERT_TRUE(store.Statistics(levels, error)) << error.toStdString();
    EXPECT_EQ(levels[3].Played, games.size());
}

} // namespace
