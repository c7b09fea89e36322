// The history in a process of its own, for what a test cannot do to itself: be killed while
// writing, run out of file size, or run without root's rights.
//   history_child write FILE                   keeps games until killed; prints each one's
//                                              number once it is written
//   history_child keep FILE COUNT [--nobody] [--fsize BYTES]
//                                              keeps COUNT games, then prints how often the
//                                              store failed, its message and what it reads
#include "history_store.h"
#include "played_games.h"

#include <QCoreApplication>

#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

StoredGame Numbered(int32_t n)
{
    StoredGame game;
    game.Played = QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC).addSecs(n);
    game.Level = 3;
    game.Record = PlayedGame(32, 25, 180, uint32_t(n), 100, GameEnd::Lost);
    game.Figures = FiguresOf(game.Record);
    return game;
}

bool DropRoot()
{
    const passwd *nobody = getpwnam("nobody");
    return geteuid() != 0 || (nobody != nullptr && setgroups(0, nullptr) == 0 &&
                              setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) == 0);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) return 2;
    const bool keep = std::strcmp(argv[1], "keep") == 0;
    for (int i = 4; keep && i < argc; ++i) {
        if (std::strcmp(argv[i], "--nobody") == 0 && !DropRoot()) return 3;
        if (std::strcmp(argv[i], "--fsize") == 0 && i + 1 < argc) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{rlim_t(std::atoll(argv[++i])), RLIM_INFINITY};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
        }
    }
    QCoreApplication app(argc, argv);
    HistoryStore store(QString::fromLocal8Bit(argv[2]));
    int failed = 0;
    QString message;
    QObject::connect(&store, &HistoryStore::Failed, [&](const QString &text) {
        ++failed;
        message = text;
    });
    if (!keep) {
        for (int32_t n = 1;; ++n) {
            store.Keep(Numbered(n));
            store.Flush();
            std::printf("%d\n", n);
            std::fflush(stdout);
        }
    }
    for (int32_t n = 1; n <= std::atoi(argv[3]); ++n) {
        store.Keep(Numbered(n));
        store.Flush();
        QCoreApplication::processEvents();
    }
    QList<GameSummary> games;
    QString error;
    const bool read = store.LastGames(nullptr, 1000, games, error);
    std::printf("failed %d\n%s\n%s\n", failed, qPrintable(message.replace('\n', ' ')),
                read ? qPrintable(QStringLiteral("read %1").arg(games.size()))
                     : qPrintable(QStringLiteral("read-error %1").arg(error)));
    return 0;
}
