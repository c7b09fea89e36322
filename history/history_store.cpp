#include "history_store.h"

#include "history_database.h"

#include <QMetaObject>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <cmath>

#include <condition_variable>
#include <deque>
#include <mutex>

namespace
{

GameEnd EndFromName(const QString &name)
{
    for (GameEnd end : {GameEnd::Won, GameEnd::Lost})
        if (name == QLatin1String(EndName(end))) return end;
    return GameEnd::Abandoned;
}

// The four levels are one each whatever their size; a custom field is one per size.
LevelKey KeyOf(int32_t level, int32_t width, int32_t height, int32_t mines)
{
    return level < 4 ? LevelKey{level, 0, 0, 0} : LevelKey{level, width, height, mines};
}

QString DateText(const QDateTime &played)
{
    const QDateTime when = played.isValid() ? played : QDateTime::currentDateTimeUtc();
    return when.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime DateOf(const QVariant &text)
{
    QDateTime date = QDateTime::fromString(text.toString(), Qt::ISODateWithMs);
    date.setTimeSpec(Qt::UTC);
    return date;
}

bool WriteGame(QSqlDatabase &db, const StoredGame &game, QSqlError &error)
{
    QSqlQuery query(db);
    auto failed = [&](const QSqlError &e) {
        error = e;
        db.rollback();
        return false;
    };
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) return failed(query.lastError());
    query.prepare(QStringLiteral(
        "INSERT INTO games (date, level, width, height, mines, fair_play, trainer, no_guess,"
        " timed, replayed, result, seconds, bbbv, bbbv_solved, clicks, effective_clicks, record,"
        " guesses, needless, risky, survival, luck, cause, assisted)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    const GameRecord &r = game.Record;
    const GameFigures &f = game.Figures;
    const ReviewFigures &v = game.Review;
    const QVariant none;
    const auto reviewed = [&](const QVariant &value) { return game.Reviewed ? value : none; };
    const double luck = v.Luck();
    for (const QVariant &value : {QVariant(DateText(game.Played)),
                                  QVariant(game.Level),
                                  QVariant(r.Width),
                                  QVariant(r.Height),
                                  QVariant(r.Mines),
                                  QVariant(r.FairPlay),
                                  QVariant(r.Trainer),
                                  QVariant(r.NoGuess),
                                  QVariant(r.Timed),
                                  QVariant(game.Replayed),
                                  QVariant(QLatin1String(EndName(r.End))),
                                  QVariant(r.Seconds),
                                  QVariant(f.Bbbv),
                                  QVariant(f.BbbvSolved),
                                  QVariant(f.Clicks),
                                  QVariant(f.EffectiveClicks),
                                  QVariant(QString::fromStdString(WriteRecord(r))),
                                  reviewed(v.Guesses),
                                  reviewed(v.Needless),
                                  reviewed(v.Risky),
                                  reviewed(v.Survival),
                                  std::isfinite(luck) ? reviewed(luck) : none,
                                  r.End == GameEnd::Lost && v.Cause != MoveGrade::None
                                      ? reviewed(QLatin1String(GradeName(v.Cause)))
                                      : none,
                                  QVariant(game.Assisted)})
        query.addBindValue(value);
    // COMMIT as a statement: the driver's own commit drops SQLite's code from its error.
    if (!query.exec() || !query.exec(QStringLiteral("COMMIT"))) return failed(query.lastError());
    return true;
}

// Runs a query on a connection opened for this read only: a file moved aside by the writer
// meanwhile is never read through an old handle.
class Reading
{
  public:
    explicit Reading(const QString &path) : Connection(path), Path(path) {}

    bool Open(QString &error, HistoryStore &store, void (HistoryStore::*tell)(const QString &))
    {
        HistoryProblem problem;
        const bool open = Connection.Open(problem);
        if (!problem.MovedTo.isEmpty()) (store.*tell)(MovedAsideMessage(Path, problem.MovedTo));
        if (!open) error = ReadFailedMessage(Path, problem.Reason);
        return open;
    }
    bool Run(QSqlQuery &query, QString &error, bool changing = false)
    {
        if (query.exec()) return true;
        bool damaged = false;
        error = ReadFailedMessage(Path, ReasonOf(query.lastError(), damaged), changing);
        return false;
    }
    QSqlDatabase &Database() { return Connection.Database(); }

  private:
    HistoryConnection Connection;
    QString Path;
};

GameSummary SummaryOf(const QSqlQuery &q)
{
    GameSummary game;
    game.Id = q.value(0).toLongLong();
    game.Played = DateOf(q.value(1));
    game.Key =
        KeyOf(q.value(2).toInt(), q.value(3).toInt(), q.value(4).toInt(), q.value(5).toInt());
    game.End = EndFromName(q.value(6).toString());
    game.Replayed = q.value(7).toBool();
    game.Seconds = q.value(8).toDouble();
    game.Figures = {q.value(9).toInt(), q.value(10).toInt(), q.value(11).toInt(),
                    q.value(12).toInt()};
    game.Assisted = q.value(18).toBool();
    game.Reviewed = !q.value(13).isNull();
    if (game.Reviewed) {
        game.Review.Guesses = q.value(13).toInt();
        game.Review.Needless = q.value(14).toInt();
        game.Review.Risky = q.value(15).toInt();
        game.Review.Survival = q.value(16).toDouble();
        const QString cause = q.value(17).toString();
        for (int g = 0; g <= int(MoveGrade::Guess); ++g)
            if (cause == QLatin1String(GradeName(MoveGrade(g)))) game.Review.Cause = MoveGrade(g);
    }
    return game;
}

const char SummaryColumns[] = "id, date, level, width, height, mines, result, replayed, seconds,"
                              " bbbv, bbbv_solved, clicks, effective_clicks, guesses, needless,"
                              " risky, survival, cause, assisted";
// The record's column after them.
const int RecordColumn = 19;

} // namespace

// Writes the kept games on a thread of its own. A game that could not be written stays in
// `Pending`, in order, and is tried again with the next game and when the store goes.
class HistoryWriter : public QThread
{
  public:
    HistoryWriter(HistoryStore &store, const QString &path) : Store(store), Path(path)
    {
        setObjectName(QStringLiteral("history writer"));
        start(QThread::LowPriority);
    }
    ~HistoryWriter() override
    {
        {
            std::lock_guard lock(Mutex);
            Stopping = true;
        }
        Changed.notify_all();
        wait();
    }

    void Keep(const StoredGame &game)
    {
        {
            std::lock_guard lock(Mutex);
            Queue.push_back(game);
            ++Queued;
        }
        Changed.notify_all();
    }

    void Flush()
    {
        std::unique_lock lock(Mutex);
        const quint64 target = Queued;
        Changed.wait(lock, [&] { return Done >= target; });
    }

  protected:
    void run() override
    {
        std::unique_lock lock(Mutex);
        for (;;) {
            Changed.wait(lock, [&] { return Stopping || Queued > Done; });
            const bool last = Stopping;
            const quint64 seen = Queued;
            Pending.insert(Pending.end(), Queue.begin(), Queue.end());
            Queue.clear();
            lock.unlock();
            if (!Pending.empty()) WritePending();
            lock.lock();
            Done = seen;
            Changed.notify_all();
            if (last && Queued == Done) return;
        }
    }

  private:
    void WritePending()
    {
        HistoryConnection connection(Path);
        HistoryProblem problem;
        bool open = connection.Open(problem);
        while (open && !Pending.empty()) {
            QSqlError error;
            if (WriteGame(connection.Database(), Pending.front(), error)) {
                Pending.pop_front();
                continue;
            }
            bool damaged = false;
            problem.Reason = ReasonOf(error, damaged);
            open = damaged && connection.Recover(problem);
        }
        if (!Pending.empty())
            Store.Tell(WriteFailedMessage(Path, problem.Reason));
        else if (!problem.MovedTo.isEmpty())
            Store.Tell(MovedAsideMessage(Path, problem.MovedTo));
    }

    HistoryStore &Store;
    const QString Path;
    std::mutex Mutex;
    std::condition_variable Changed;
    std::deque<StoredGame> Queue; // handed over, under Mutex
    quint64 Queued = 0, Done = 0; // games handed over; of those, the ones tried
    bool Stopping = false;
    std::deque<StoredGame> Pending; // the writer's own
};

HistoryStore::HistoryStore(QString file, QObject *parent) : QObject(parent), Path(std::move(file))
{
}

HistoryStore::~HistoryStore() = default;

void HistoryStore::Tell(const QString &message)
{
    if (Told.exchange(true)) return;
    QMetaObject::invokeMethod(
        this, [this, message] { emit Failed(message); }, Qt::QueuedConnection);
}

void HistoryStore::Keep(const StoredGame &game)
{
    if (!Writer) Writer = std::make_unique<HistoryWriter>(*this, Path);
    Writer->Keep(game);
}

void HistoryStore::Flush()
{
    if (Writer) Writer->Flush();
}

bool HistoryStore::Statistics(QList<LevelStatistics> &levels, QString &error)
{
    Reading reading(Path);
    if (!reading.Open(error, *this, &HistoryStore::Tell)) return false;
    QList<LevelStatistics> found;
    for (int32_t level = 0; level < 4; ++level)
        found.append(LevelStatistics{KeyOf(level, 0, 0, 0)});
    QSqlQuery totals(reading.Database());
    totals.setForwardOnly(true);
    totals.prepare(
        QStringLiteral("SELECT level, width, height, mines, played, won, abandoned, best_seconds,"
                       " IIF(timed_won > 0, won_seconds / timed_won, 0), best_rate, current_streak,"
                       " longest_streak, luck_games, IIF(luck_games > 0, luck_sum / luck_games, 0),"
                       " reviewed_lost, avoidable_lost"
                       " FROM totals ORDER BY level, width, height, mines"));
    if (!reading.Run(totals, error)) return false;
    while (totals.next()) {
        const LevelKey key = KeyOf(totals.value(0).toInt(), totals.value(1).toInt(),
                                   totals.value(2).toInt(), totals.value(3).toInt());
        LevelStatistics &s =
            key.Level >= 0 && key.Level < 4 ? found[key.Level] : found.emplace_back();
        s.Key = key;
        s.Played = totals.value(4).toInt();
        s.Won = totals.value(5).toInt();
        s.Abandoned = totals.value(6).toInt();
        s.BestSeconds = totals.value(7).toDouble();
        s.AverageSeconds = totals.value(8).toDouble();
        s.BestRate = totals.value(9).toDouble();
        s.CurrentStreak = totals.value(10).toInt();
        s.LongestStreak = totals.value(11).toInt();
        s.LuckGames = totals.value(12).toInt();
        s.AverageLuck = totals.value(13).toDouble();
        s.ReviewedLosses = totals.value(14).toInt();
        s.AvoidableLosses = totals.value(15).toInt();
    }
    levels = found;
    return true;
}

bool HistoryStore::LastGames(const LevelKey *key, int32_t count, QList<GameSummary> &games,
                             QString &error)
{
    Reading reading(Path);
    if (!reading.Open(error, *this, &HistoryStore::Tell)) return false;
    QString where;
    if (key != nullptr)
        where = key->Level < 4 ? QStringLiteral("WHERE level = :level")
                               : QStringLiteral("WHERE level = :level AND width = :width AND"
                                                " height = :height AND mines = :mines");
    QSqlQuery query(reading.Database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM games %2 ORDER BY id DESC LIMIT :count")
                      .arg(QLatin1String(SummaryColumns), where));
    if (key != nullptr) {
        query.bindValue(QStringLiteral(":level"), key->Level);
        if (key->Level >= 4) {
            query.bindValue(QStringLiteral(":width"), key->Width);
            query.bindValue(QStringLiteral(":height"), key->Height);
            query.bindValue(QStringLiteral(":mines"), key->Mines);
        }
    }
    query.bindValue(QStringLiteral(":count"), qMax(count, 0));
    if (!reading.Run(query, error)) return false;
    QList<GameSummary> found;
    while (query.next())
        found.append(SummaryOf(query));
    games = found;
    return true;
}

bool HistoryStore::Game(qint64 id, StoredGame &game, QString &error)
{
    Reading reading(Path);
    if (!reading.Open(error, *this, &HistoryStore::Tell)) return false;
    QSqlQuery query(reading.Database());
    query.prepare(QStringLiteral("SELECT %1, record FROM games WHERE id = ?")
                      .arg(QLatin1String(SummaryColumns)));
    query.addBindValue(id);
    if (!reading.Run(query, error)) return false;
    if (!query.next()) {
        error = ReadFailedMessage(Path, QStringLiteral("it holds no game %1").arg(id));
        return false;
    }
    const GameSummary summary = SummaryOf(query);
    StoredGame read;
    RecordError bad;
    const QByteArray text = query.value(RecordColumn).toString().toUtf8();
    if (!ReadRecord(std::string_view(text.constData(), size_t(text.size())), read.Record, bad)) {
        error = ReadFailedMessage(Path, QStringLiteral("game %1's record, line %2: %3")
                                            .arg(id)
                                            .arg(bad.Line)
                                            .arg(QString::fromStdString(bad.Reason)));
        return false;
    }
    read.Id = summary.Id;
    read.Played = summary.Played;
    read.Level = query.value(2).toInt();
    read.Replayed = summary.Replayed;
    read.Assisted = summary.Assisted;
    read.Figures = summary.Figures;
    read.Reviewed = summary.Reviewed;
    read.Review = summary.Review;
    game = std::move(read);
    return true;
}

bool HistoryStore::Reset(QString &error)
{
    Reading reading(Path);
    if (!reading.Open(error, *this, &HistoryStore::Tell)) return false;
    QSqlDatabase &db = reading.Database();
    QSqlQuery begin(db), games(db), totals(db), commit(db);
    begin.prepare(QStringLiteral("BEGIN IMMEDIATE"));
    games.prepare(QStringLiteral("DELETE FROM games"));
    totals.prepare(QStringLiteral("DELETE FROM totals"));
    commit.prepare(QStringLiteral("COMMIT"));
    for (QSqlQuery *step : {&begin, &games, &totals, &commit}) {
        if (!reading.Run(*step, error, true)) {
            db.rollback();
            return false;
        }
    }
    return true;
}
