// The games file itself: one connection to it, its schema made on first use, a damaged file
// moved aside, and the reasons of a failure in words for the player. Used by the store only.
#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

// Why the games file could not be used, and where a damaged one went.
struct HistoryProblem {
    QString Reason;  // "" when none
    QString MovedTo; // the damaged file's new name, "" when none was moved
};

// A connection of its own (a unique name), on the thread that makes it.
class HistoryConnection
{
  public:
    explicit HistoryConnection(const QString &path);
    ~HistoryConnection();
    HistoryConnection(const HistoryConnection &) = delete;
    HistoryConnection &operator=(const HistoryConnection &) = delete;

    // Makes the folder, opens the file and makes the schema when new. A damaged file or one
    // that is not SQLite is moved aside first (at most once per connection).
    bool Open(HistoryProblem &problem);
    // After a statement found the file damaged: moves it aside and opens a new one.
    bool Recover(HistoryProblem &problem);
    QSqlDatabase &Database() { return Db; }

  private:
    bool MoveAside(HistoryProblem &problem);

    QString Path;
    QString Name;
    QSqlDatabase Db;
};

// The reason of a failed statement; `damaged` tells a damaged file or one not SQLite.
QString ReasonOf(const QSqlError &error, bool &damaged);

// The messages for the player.
QString WriteFailedMessage(const QString &path, const QString &reason);
QString ReadFailedMessage(const QString &path, const QString &reason, bool changing = false);
QString MovedAsideMessage(const QString &path, const QString &movedTo);
