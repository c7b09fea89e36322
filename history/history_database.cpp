#include "history_database.h"

#include "file_layout.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSqlQuery>
#include <QVariant>

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace
{

// Long enough for another window to finish its game's transaction.
const int BusyTimeoutMs = 3000;
const int SchemaVersion = 2;

// SQLite's primary result codes that the reasons tell apart.
enum : int {
    SqlitePerm = 3,
    SqliteBusy = 5,
    SqliteLocked = 6,
    SqliteReadOnly = 8,
    SqliteIoErr = 10,
    SqliteCorrupt = 11,
    SqliteFull = 13,
    SqliteCantOpen = 14,
    SqliteNotADb = 26,
};

// The schema, one step a version: a file of an older version takes the steps after it.
const std::vector<const char *> SchemaSteps[] = {
    {
        "CREATE TABLE IF NOT EXISTS games ("
        " id INTEGER PRIMARY KEY, date TEXT NOT NULL, level INTEGER NOT NULL,"
        " width INTEGER NOT NULL, height INTEGER NOT NULL, mines INTEGER NOT NULL,"
        " fair_play INTEGER NOT NULL, trainer INTEGER NOT NULL, no_guess INTEGER NOT NULL,"
        " timed INTEGER NOT NULL, replayed INTEGER NOT NULL, result TEXT NOT NULL,"
        " seconds REAL NOT NULL, bbbv INTEGER NOT NULL, bbbv_solved INTEGER NOT NULL,"
        " clicks INTEGER NOT NULL, effective_clicks INTEGER NOT NULL, record TEXT NOT NULL)",
        // The list and chart of a level, or of a custom size, read its newest games.
        "CREATE INDEX IF NOT EXISTS games_by_level ON games (level, id)",
        "CREATE INDEX IF NOT EXISTS games_by_size ON games (level, width, height, mines, id)",
        // The statistics, kept up to date by every game written in the same transaction, so
        // that opening them reads a row a level whatever the number of games. The four levels
        // are one each whatever their size (0 x 0, 0 mines); replayed games do not count.
        "CREATE TABLE IF NOT EXISTS totals ("
        " level INTEGER NOT NULL, width INTEGER NOT NULL, height INTEGER NOT NULL,"
        " mines INTEGER NOT NULL, played INTEGER NOT NULL DEFAULT 0,"
        " won INTEGER NOT NULL DEFAULT 0,"
        " abandoned INTEGER NOT NULL DEFAULT 0, timed_won INTEGER NOT NULL DEFAULT 0,"
        " won_seconds REAL NOT NULL DEFAULT 0, best_seconds REAL, best_rate REAL,"
        " current_streak INTEGER NOT NULL DEFAULT 0, longest_streak INTEGER NOT NULL DEFAULT 0,"
        " PRIMARY KEY (level, width, height, mines))",
        "PRAGMA user_version = 1",
    },
    {
        // The review's figures of each game; NULL for a game not reviewed (no engine, or kept
        // before reviews). Luck is NULL too when a guess was a certain mine (survival 0).
        "ALTER TABLE games ADD COLUMN guesses INTEGER",
        "ALTER TABLE games ADD COLUMN needless INTEGER",
        "ALTER TABLE games ADD COLUMN risky INTEGER",
        "ALTER TABLE games ADD COLUMN survival REAL",
        "ALTER TABLE games ADD COLUMN luck REAL",
        // The grade of the move that lost the game: needless, risky, best (or another grade).
        "ALTER TABLE games ADD COLUMN cause TEXT",
        // A game in which a hint was asked for: listed, but not counted, as a replayed one.
        "ALTER TABLE games ADD COLUMN assisted INTEGER NOT NULL DEFAULT 0",
        "ALTER TABLE totals ADD COLUMN luck_games INTEGER NOT NULL DEFAULT 0",
        "ALTER TABLE totals ADD COLUMN luck_sum REAL NOT NULL DEFAULT 0",
        "ALTER TABLE totals ADD COLUMN reviewed_lost INTEGER NOT NULL DEFAULT 0",
        "ALTER TABLE totals ADD COLUMN avoidable_lost INTEGER NOT NULL DEFAULT 0",
        // The totals, kept by one trigger (a file of the first version has it without the
        // review's figures). SET reads the row as it was: the streaks use the old current
        // streak.
        "DROP TRIGGER IF EXISTS games_totals",
        "CREATE TRIGGER games_totals AFTER INSERT ON games"
        " WHEN NOT NEW.replayed AND NOT NEW.assisted"
        " BEGIN"
        "  INSERT OR IGNORE INTO totals (level, width, height, mines) VALUES (NEW.level,"
        "   IIF(NEW.level = 4, NEW.width, 0), IIF(NEW.level = 4, NEW.height, 0),"
        "   IIF(NEW.level = 4, NEW.mines, 0));"
        "  UPDATE totals SET played = played + 1, won = won + (NEW.result = 'won'),"
        "   abandoned = abandoned + (NEW.result = 'abandoned'),"
        "   timed_won = timed_won + (NEW.result = 'won' AND NEW.timed AND NEW.seconds > 0),"
        "   won_seconds = won_seconds +"
        "    IIF(NEW.result = 'won' AND NEW.timed AND NEW.seconds > 0, NEW.seconds, 0),"
        "   best_seconds = IIF(NEW.result = 'won' AND NEW.timed AND NEW.seconds > 0,"
        "    MIN(COALESCE(best_seconds, NEW.seconds), NEW.seconds), best_seconds),"
        "   best_rate = IIF(NEW.result = 'won' AND NEW.timed AND NEW.seconds > 0,"
        "    MAX(COALESCE(best_rate, 0), NEW.bbbv_solved / NEW.seconds), best_rate),"
        "   current_streak = CASE NEW.result WHEN 'won' THEN current_streak + 1"
        "    WHEN 'lost' THEN 0 ELSE current_streak END,"
        "   longest_streak = MAX(longest_streak, IIF(NEW.result = 'won', current_streak + 1, 0)),"
        "   luck_games = luck_games + (NEW.luck IS NOT NULL),"
        "   luck_sum = luck_sum + COALESCE(NEW.luck, 0),"
        "   reviewed_lost = reviewed_lost + (NEW.result = 'lost' AND NEW.cause IS NOT NULL),"
        "   avoidable_lost = avoidable_lost +"
        "    (NEW.result = 'lost' AND COALESCE(NEW.cause, '') IN ('needless', 'risky'))"
        "  WHERE level = NEW.level AND width = IIF(NEW.level = 4, NEW.width, 0)"
        "   AND height = IIF(NEW.level = 4, NEW.height, 0)"
        "   AND mines = IIF(NEW.level = 4, NEW.mines, 0);"
        " END",
        "PRAGMA user_version = 2",
    }};

// Two connections of this process never open, check or move the file at the same time.
QMutex Opening;

QString Native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

bool Run(QSqlDatabase &db, const QString &sql, QSqlError &error, QVariant *first = nullptr)
{
    QSqlQuery query(db);
    if (!query.exec(sql)) {
        error = query.lastError();
        return false;
    }
    if (first != nullptr) *first = query.next() ? query.value(0) : QVariant();
    return true;
}

// Renames without replacing anything: true when `to` did not exist and now holds the file.
bool RenameNew(const QString &from, const QString &to)
{
    const QByteArray a = QFile::encodeName(from), b = QFile::encodeName(to);
    if (renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the flag: look first.
    return !QFileInfo::exists(to) && std::rename(a.constData(), b.constData()) == 0;
}

} // namespace

HistoryConnection::HistoryConnection(const QString &path) : Path(path)
{
    static QAtomicInteger<quint64> made;
    Name = QStringLiteral("kelvane-history-%1").arg(made.fetchAndAddRelaxed(1));
    Db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Name);
    Db.setDatabaseName(Path);
}

HistoryConnection::~HistoryConnection()
{
    Db.close();
    Db = QSqlDatabase();
    QSqlDatabase::removeDatabase(Name);
}

bool HistoryConnection::Open(HistoryProblem &problem)
{
    QMutexLocker lock(&Opening);
    for (;;) {
        if (!MakeFolderFor(QFile::encodeName(Path).toStdString())) {
            problem.Reason = QStringLiteral("its folder could not be made (%1)")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        if (!Db.isValid()) {
            problem.Reason = QStringLiteral("Qt's SQLite driver is not installed");
            return false;
        }
        bool damaged = false;
        QSqlError error;
        QVariant version;
        if (Db.open() &&
            Run(Db, QStringLiteral("PRAGMA busy_timeout = %1").arg(BusyTimeoutMs), error) &&
            Run(Db, QStringLiteral("PRAGMA user_version"), error, &version)) {
            if (version.toInt() > SchemaVersion) {
                problem.Reason = QStringLiteral("it was written by a newer Kelvane");
                return false;
            }
            if (version.toInt() == SchemaVersion) return true;
            // New or older: written ahead, so that a reader never waits for a writer; the
            // schema in a transaction of its own, from the version found inside it, in case
            // another window makes it at the same moment.
            Run(Db, QStringLiteral("PRAGMA journal_mode = WAL"), error);
            bool made = Run(Db, QStringLiteral("BEGIN IMMEDIATE"), error) &&
                        Run(Db, QStringLiteral("PRAGMA user_version"), error, &version);
            for (int step = version.toInt(); made && step < SchemaVersion; ++step)
                for (const char *statement : SchemaSteps[step])
                    made = made && Run(Db, QString::fromLatin1(statement), error);
            if (made && Run(Db, QStringLiteral("COMMIT"), error)) return true;
            Db.rollback();
        } else if (!Db.isOpen()) {
            error = Db.lastError();
        }
        problem.Reason = ReasonOf(error, damaged);
        if (!damaged || !problem.MovedTo.isEmpty() || !MoveAside(problem)) return false;
    }
}

bool HistoryConnection::Recover(HistoryProblem &problem)
{
    return problem.MovedTo.isEmpty() && MoveAside(problem) && Open(problem);
}

bool HistoryConnection::MoveAside(HistoryProblem &problem)
{
    Db.close();
    for (int n = 1; n < 1000; ++n) {
        const QString aside = QStringLiteral("%1.corrupt-%2").arg(Path).arg(n);
        if (QFileInfo::exists(aside)) continue;
        if (!RenameNew(Path, aside)) {
            if (errno == EEXIST) continue;
            problem.Reason += QStringLiteral(", and it could not be moved aside (%1)")
                                  .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        // Its log belongs to it, not to the new file.
        for (const char *suffix : {"-wal", "-shm"})
            RenameNew(Path + QLatin1String(suffix), aside + QLatin1String(suffix));
        problem.MovedTo = aside;
        problem.Reason.clear();
        return true;
    }
    return false;
}

QString ReasonOf(const QSqlError &error, bool &damaged)
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    damaged = code == SqliteCorrupt || code == SqliteNotADb;
    switch (code) {
    case SqliteCorrupt:
    case SqliteNotADb:
        return QStringLiteral("it is damaged or not a games file");
    case SqliteFull:
        return QStringLiteral("the disk is full");
    case SqliteBusy:
    case SqliteLocked:
        return QStringLiteral("another program kept it locked");
    case SqlitePerm:
    case SqliteReadOnly:
        return QStringLiteral("it may only be read");
    case SqliteCantOpen:
        return QStringLiteral("it could not be opened or made here");
    case SqliteIoErr:
        return QStringLiteral("the disk could not be written or read");
    default:
        return error.text().isEmpty() ? QStringLiteral("an unknown error") : error.text();
    }
}

QString WriteFailedMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("The games file \"%1\" could not be written: %2.\nThe games of this "
                          "session are kept while Kelvane runs and written when it can be.")
        .arg(Native(path), reason);
}

QString ReadFailedMessage(const QString &path, const QString &reason, bool changing)
{
    return QStringLiteral("The games file \"%1\" could not be %2: %3.")
        .arg(Native(path), changing ? QStringLiteral("changed") : QStringLiteral("read"), reason);
}

QString MovedAsideMessage(const QString &path, const QString &movedTo)
{
    return QStringLiteral("The games file \"%1\" was damaged or not a games file.\nIt was moved "
                          "to \"%2\" and a new games file was started.")
        .arg(Native(path), Native(movedTo));
}
