// What the statistics window reads when it opens, with 100,000 games stored: the figures of
// every level, the last 50 games and the last 100 of one level for its chart. The games are
// played once by a plain player on the four levels' fields (about 100 moves each), kept
// through the store, then copied inside the file up to the count.
//   kelvane-history-bench [--games N] [benchmark options]
#include "history_store.h"
#include "level_table.h"
#include "played_games.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

QString File;
int32_t Games = 100000;

// 1,000 games through the store (one transaction each, as in play), then copies of them.
bool Fill()
{
    const int32_t played = 1000;
    {
        HistoryStore store(File);
        const QDateTime start(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
        std::vector<GameRecord> records;
        for (uint32_t seed = 0; seed < 200; ++seed) {
            const LevelRow &level = LevelTable[seed % 4];
            const GameEnd end = GameEnd(seed % 3);
            records.push_back(PlayedGame(level.SizeX, level.SizeY, level.Mines, seed, 100, end));
        }
        for (int32_t i = 0; i < played; ++i) {
            StoredGame game;
            game.Level = i % 4;
            game.Played = start.addSecs(i);
            game.Replayed = i % 50 == 0;
            game.Record = records[size_t(i) % records.size()];
            game.Figures = FiguresOf(game.Record);
            store.Keep(game);
        }
        store.Flush();
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
    db.setDatabaseName(File);
    bool filled = db.open() && db.transaction();
    for (int32_t copied = played; filled && copied < Games; copied += played) {
        QSqlQuery query(db);
        filled = query.exec(
            QStringLiteral(
                "INSERT INTO games (date, level, width, height, mines, fair_play, trainer,"
                " no_guess, timed, replayed, result, seconds, bbbv, bbbv_solved, clicks,"
                " effective_clicks, record) SELECT strftime('%Y-%m-%dT%H:%M:%fZ', date,"
                " '+%1 seconds'), level, width, height, mines, fair_play, trainer, no_guess,"
                " timed, replayed, result, seconds, bbbv, bbbv_solved, clicks, effective_clicks,"
                " record FROM games WHERE id <= %2 LIMIT %3")
                .arg(copied)
                .arg(played)
                .arg(qMin(played, Games - copied)));
        if (!filled) std::fprintf(stderr, "%s\n", qPrintable(query.lastError().text()));
    }
    filled = filled && db.commit();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return filled;
}

void OpenStatistics(benchmark::State &state)
{
    HistoryStore store(File);
    for (auto _ : state) {
        QList<LevelStatistics> levels;
        QList<GameSummary> last, chart;
        QString error;
        if (!store.Statistics(levels, error) || !store.LastGames(nullptr, 50, last, error) ||
            !store.LastGames(&levels[2].Key, 100, chart, error) || chart.size() != 100) {
            state.SkipWithError(qPrintable(error));
            break;
        }
        benchmark::DoNotOptimize(levels.data());
    }
}
BENCHMARK(OpenStatistics)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--games") == 0) Games = std::atoi(argv[i + 1]);
    QTemporaryDir dir;
    File = dir.filePath(QStringLiteral("games.sqlite"));
    if (!Fill()) return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
