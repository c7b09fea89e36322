// Whole games through the real main window, driven by a seeded player: every level and
// custom fields, all the presses and markers, engine runs under each option, Trainer Mode,
// Fair Play, the settings dialog, best-time prompts answered and cancelled, and the window
// closed and opened again from its settings file. After every event the game record must
// hold together; at every reopening every setting must have come back.
//
//   kelvane_soak [--games N] [--seconds S] [--seed S]
//
// Stops after N games or S seconds, whichever comes first (by default 5 seconds), and
// prints the figures. The exit status is 1 at the first broken rule, with what broke.
#include "best_dialog.h"
#include "history_store.h"
#include "main_window.h"
#include "settings_dialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace
{

// A line of /proc/self/status in megabytes: VmRSS now, VmHWM the peak.
long MemoryFigure(const char *key)
{
    std::FILE *status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return -1;
    char line[256];
    long kilobytes = -1;
    const size_t length = std::strlen(key);
    while (std::fgets(line, sizeof line, status) != nullptr)
        if (std::strncmp(line, key, length) == 0 && line[length] == ':')
            kilobytes = std::atol(line + length + 1);
    std::fclose(status);
    return kilobytes < 0 ? -1 : kilobytes / 1024;
}

struct Figures {
    long long Games = 0, Events = 0, Wins = 0, Losses = 0, Reopens = 0, EngineRuns = 0, Dialogs = 0,
              Records = 0, Kept = 0;
};

// What a reopening must bring back.
struct Kept {
    int32_t Values[14];
    BestTimes Best;
};

class Soak
{
  public:
    explicit Soak(uint64_t seed) : State(seed * 0x9E3779B97F4A7C15ull + 1) {}

    bool Run(long long games, double seconds);
    Figures Count;

  private:
    uint64_t State;
    uint32_t Now = 1000;
    QTemporaryDir Folder;
    std::unique_ptr<TfrmMain> Window;
    std::string Failure;
    QTimer Answerer;
    bool SettingsAsked = false;

    uint32_t Next(uint32_t n)
    {
        State ^= State << 13;
        State ^= State >> 7;
        State ^= State << 17;
        return static_cast<uint32_t>((State >> 11) % n);
    }
    bool Chance(uint32_t percent) { return Next(100) < percent; }

    TGameState &Game() { return Window->Game(); }
    int32_t StateOf(int32_t c, int32_t r) { return Game().State[KELVANE_SECTOR_INDEX(c, r)]; }
    bool Mined(int32_t c, int32_t r) { return Game().Mined[KELVANE_SECTOR_INDEX(c, r)] != 0; }

    void Open();
    void Reopen();
    Kept Keep();
    void ChangeSettings();
    void PlaySettingsDialog(QWidget *dialog);
    void AnswerDialog();
    void PlayOneGame();
    void CheckHistory();
    void OneEvent(bool finishing);
    bool PickSector(int32_t state, int want, int32_t &c, int32_t &r);
    QPoint At(int32_t c, int32_t r);
    void Press(Qt::MouseButton b, int32_t c, int32_t r)
    {
        QTest::mousePress(Window->pbImage, b, {}, At(c, r));
    }
    void Release(Qt::MouseButton b, int32_t c, int32_t r)
    {
        QTest::mouseRelease(Window->pbImage, b, {}, At(c, r));
    }
    void Click(Qt::MouseButton b, int32_t c, int32_t r)
    {
        Press(b, c, r);
        Release(b, c, r);
    }
    void DoubleClick(Qt::MouseButton b, int32_t c, int32_t r)
    {
        QTest::mouseDClick(Window->pbImage, b, {}, At(c, r));
        // QTest takes a double click's buttons as still held; a player has let go.
        QTestPrivate::qtestMouseButtons = Qt::NoButton;
    }
    void Check(bool ok, const char *what)
    {
        if (!ok && Failure.empty())
            Failure = std::string(what) + " (game " + std::to_string(Count.Games + 1) + ", event " +
                      std::to_string(Count.Events) + ")";
    }
    void CheckRecord();
};

QPoint Soak::At(int32_t c, int32_t r)
{
    const FieldGeometry &g = Window->Board.Geometry;
    return {g.FieldLeft + c * g.CellSize + 1 + static_cast<int>(Next(g.CellSize - 1)),
            g.FieldTop + r * g.CellSize + 1 + static_cast<int>(Next(g.CellSize - 1))};
}

// A random sector in `state`; want 1 mined, 0 safe, -1 either.
bool Soak::PickSector(int32_t state, int want, int32_t &c, int32_t &r)
{
    const int32_t w = Game().SizeX, h = Game().SizeY;
    const int32_t start = static_cast<int32_t>(Next(static_cast<uint32_t>(w * h)));
    for (int32_t k = 0; k < w * h; ++k) {
        const int32_t i = (start + k) % (w * h);
        c = i / h, r = i % h;
        if (StateOf(c, r) == state && (want < 0 || Mined(c, r) == (want == 1))) return true;
    }
    return false;
}

void Soak::Open()
{
    MainWindowOptions options;
    options.SettingsFile = Folder.filePath("kelvane.ini");
    options.EngineLibrary = KELVANE_ENGINE_PATH;
    options.ShowError = [this](const QString &text) {
        Check(false, ("unexpected message: " + text.toStdString()).c_str());
    };
    options.AskName = [this](const QString &, QString &name) {
        ++Count.Records;
        if (Chance(30)) return false;
        name = QStringLiteral("Soak %1").arg(Next(1000));
        return true;
    };
    options.Clock = [this] { return Now; };
    options.HistoryFile = Folder.filePath("games.sqlite");
    Window = std::make_unique<TfrmMain>(options);
    Window->show();
    Window->Rng.Seed(Next(1u << 30));
}

Kept Soak::Keep()
{
    const TGameState &g = Game();
    return {{g.Level, g.SizeX, g.SizeY, g.Mines, g.FairPlay, g.TrainerMode, g.TimedGame,
             g.ProbDisplay, g.AdvancedMode, g.DupCheck, g.CheckingMode, g.StepDepth,
             Window->MaxScale, Window->NoGuess},
            Window->Best};
}

void Soak::Reopen()
{
    const Kept before = Keep();
    Window->close();
    Window.reset();
    CheckHistory();
    Open();
    ++Count.Reopens;
    const Kept after = Keep();
    Check(std::memcmp(before.Values, after.Values, sizeof before.Values) == 0,
          "a setting did not come back");
    for (int i = 0; i < 4; ++i) {
        Check(before.Best.BestName[i] == after.Best.BestName[i], "a record's name changed");
        Check(std::fabs(before.Best.BestTime[i] - after.Best.BestTime[i]) < 0.051,
              "a record's time changed");
    }
}

// Through the dialog as a player: a level, a few options and arrows, then OK or Cancel.
void Soak::ChangeSettings()
{
    ++Count.Dialogs;
    SettingsAsked = true;
    Window->lblSettingsClick();
}

void Soak::PlaySettingsDialog(QWidget *dialog)
{
    const auto click = [&](const char *name, QPoint at = QPoint(3, 3)) {
        if (QWidget *w = dialog->findChild<QWidget *>(name))
            QTest::mouseClick(w, Qt::LeftButton, {}, at);
    };
    static const char *const levels[] = {"lblBeginner", "lblIntermediate", "lblExpert", "lblUltra",
                                         "lblCustom"};
    click(levels[Next(5)]);
    static const char *const options[] = {"lblTimed",    "lblTrainer",  "lblFair",      "lblProb",
                                          "imgCalcMode", "imgDupCheck", "imgCombCheck", "imgScale"};
    for (int k = Next(4); k > 0; --k)
        click(options[Next(8)]);
    static const char *const arrows[] = {"imgX", "imgY", "imgMines"};
    for (int k = Next(12); k > 0; --k)
        click(arrows[Next(3)], QPoint(3, Chance(50) ? 2 : 13));
    if (Chance(85))
        click("imgOK", QPoint(40, 12));
    else
        QTest::keyClick(dialog, Qt::Key_Escape);
}

// Runs inside every dialog's own loop, whatever event opened it: a win by a drag or a chord
// brings up the best times as surely as a click does, and waits for an answer.
void Soak::AnswerDialog()
{
    QWidget *dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) return;
    if (auto *best = dynamic_cast<TfrmBest *>(dialog)) {
        best->accept();
    } else if (dynamic_cast<TfrmSettings *>(dialog) != nullptr) {
        if (SettingsAsked) {
            SettingsAsked = false;
            PlaySettingsDialog(dialog);
        } else {
            // Still open after OK: leave it as a player would.
            QTest::keyClick(dialog, Qt::Key_Escape);
        }
    } else {
        Check(false, ("a dialog nobody asked for: " + dialog->windowTitle().toStdString()).c_str());
        dialog->close();
    }
}

// One press or click; `finishing`, only safe sectors opened, so that every game ends.
void Soak::OneEvent(bool finishing)
{
    ++Count.Events;
    Now += Next(1500);
    TGameState &g = Game();
    int32_t c = 0, r = 0;
    const uint32_t kind = finishing ? 0 : Next(100);
    if (kind < 55) {
        // Mostly safe sectors, so that games are won as well as lost.
        if (!PickSector(SECTOR_CLOSED, finishing || Chance(97) ? 0 : -1, c, r)) {
            // Only wrong markers keep the game from its end: one comes off.
            if (PickSector(SECTOR_MARKED, 0, c, r)) Click(Qt::RightButton, c, r);
            return;
        }
        if (Chance(8))
            DoubleClick(Qt::LeftButton, c, r);
        else
            Click(Qt::LeftButton, c, r);
    } else if (kind < 68) {
        // A marker placed, mostly on a mine, or taken off.
        if (Chance(70) ? PickSector(SECTOR_CLOSED, Chance(85) ? 1 : 0, c, r)
                       : PickSector(SECTOR_MARKED, -1, c, r))
            Click(Qt::RightButton, c, r);
    } else if (kind < 72) {
        if (PickSector(SECTOR_CLOSED, -1, c, r)) DoubleClick(Qt::RightButton, c, r);
    } else if (kind < 82) {
        // A chord on an open number: the middle button or both.
        if (!PickSector(SECTOR_OPEN, 0, c, r)) return;
        if (Chance(50)) {
            Click(Qt::MiddleButton, c, r);
        } else {
            const Qt::MouseButton first = Chance(50) ? Qt::LeftButton : Qt::RightButton;
            const Qt::MouseButton second =
                first == Qt::LeftButton ? Qt::RightButton : Qt::LeftButton;
            Press(first, c, r);
            Press(second, c, r);
            Release(second, c, r);
            Release(first, c, r);
        }
    } else if (kind < 88) {
        // The engine on a closed sector, within a budget a sanitizer build gets through.
        if (g.ProbDisplay == 0 || g.Active == 0 || g.StepDepth > 22 || g.Level >= 2) return;
        if (!PickSector(SECTOR_CLOSED, -1, c, r)) return;
        ++Count.EngineRuns;
        Click(Qt::MiddleButton, c, r);
        Check(Window->Stats->lblStatus->text() != "Working", "a run left the status Working");
    } else if (kind < 94) {
        ClickLabel *const labels[] = {Window->Stats->lblMode, Window->Stats->lblDepth,
                                      Window->Stats->lblDupCheck, Window->Stats->lblChMode,
                                      Window->Stats->lblRecalc};
        QTest::mouseClick(labels[Next(5)], Qt::LeftButton);
    } else if (kind < 97) {
        // The clock's tick, as its timer gives it while it runs.
        if (Window->TimerCtl.isActive()) Window->TimerCtlTimer();
    } else {
        // Pressed on one sector, released on another.
        if (!PickSector(SECTOR_CLOSED, 0, c, r)) return;
        int32_t c2 = 0, r2 = 0;
        PickSector(SECTOR_CLOSED, -1, c2, r2);
        Press(Qt::LeftButton, c, r);
        QTest::mouseMove(Window->pbImage, At(c2, r2));
        Release(Qt::LeftButton, c2, r2);
    }
}

void Soak::CheckRecord()
{
    const TGameState &g = Game();
    Check(g.EngineBusy == 0 && g.HaltRequest == 0, "the engine flags are left set");
    for (int32_t flag : {g.Active, g.Live, g.FairPlay, g.TrainerMode, g.TimedGame, g.ProbDisplay,
                         g.AdvancedMode, g.DupCheck, g.RecalcNeeded})
        Check(flag == 0 || flag == 1, "a flag is neither 0 nor 1");
    Check(g.Active == 0 || g.Live == 1, "a game is active but not live");
    Check(g.MaxX == g.SizeX - 1 && g.MaxY == g.SizeY - 1, "MaxX or MaxY disagree");
    int32_t open = 0, marked = 0, triggered = 0, mines = 0;
    for (int32_t c = 0; c < g.SizeX; ++c)
        for (int32_t r = 0; r < g.SizeY; ++r) {
            const int32_t i = KELVANE_SECTOR_INDEX(c, r);
            const int32_t s = g.State[i];
            Check(s >= SECTOR_CLOSED && s <= SECTOR_TRIGGERED, "a sector state out of range");
            open += s == SECTOR_OPEN;
            marked += s == SECTOR_MARKED;
            triggered += s == SECTOR_TRIGGERED;
            mines += g.Mined[i] != 0;
            if (s == SECTOR_OPEN) {
                Check(g.Mined[i] == 0, "an open sector holds a mine");
                int32_t around = 0;
                for (int32_t dc = -1; dc <= 1; ++dc)
                    for (int32_t dr = -1; dr <= 1; ++dr)
                        if (c + dc >= 0 && c + dc < g.SizeX && r + dr >= 0 && r + dr < g.SizeY)
                            around += g.Mined[KELVANE_SECTOR_INDEX(c + dc, r + dr)] != 0;
                Check(g.Number[i] == around, "an open sector's number is wrong");
            }
            if (s == SECTOR_TRIGGERED) Check(g.Mined[i] != 0, "a triggered sector holds no mine");
            const float p = g.Prob[i];
            Check(std::signbit(p) || (p >= 0.0f && p <= 1.0f), "a probability out of [0, 1]");
        }
    if (g.Active != 0) {
        Check(mines == g.Mines, "the mines laid are not Mines");
        Check(g.SafeLeft == g.SizeX * g.SizeY - g.Mines - open, "SafeLeft disagrees");
    }
    // The counter counts from the first press on; a won game shows 0.
    if (g.Live == 0 && g.SafeLeft == 0) Check(g.MinesLeft == 0, "a won game has mines left");
    if (g.Active != 0 || (g.Live == 0 && g.SafeLeft != 0))
        Check(g.MinesLeft == g.Mines - marked - triggered,
              ("MinesLeft " + std::to_string(g.MinesLeft) + " with " + std::to_string(g.Mines) +
               " mines, " + std::to_string(marked) + " markers, " + std::to_string(triggered) +
               " triggered, live " + std::to_string(g.Live) + ", active " +
               std::to_string(g.Active) + ", safe left " + std::to_string(g.SafeLeft) + ", " +
               std::to_string(g.SizeX) + "x" + std::to_string(g.SizeY) + " level " +
               std::to_string(g.Level))
                  .c_str());
    Check(g.FairPlay == 0 || g.Active == 0 ||
              (!Mined(0, 0) && !Mined(g.MaxX, 0) && !Mined(0, g.MaxY) && !Mined(g.MaxX, g.MaxY)),
          "a corner holds a mine under Fair Play");
    // A finished game's clock stands still.
    if (g.Live == 0) Check(!Window->TimerCtl.isActive(), "the clock runs in a finished game");
    Check(Window->isVisible(), "the window went away");
}

// Every game kept, each record read back by the reader that checks its moves.
void Soak::CheckHistory()
{
    HistoryStore history(Folder.filePath("games.sqlite"));
    QList<GameSummary> games;
    QString error;
    Check(history.LastGames(nullptr, 1 << 30, games, error), error.toStdString().c_str());
    Check(games.size() == Count.Kept,
          ("kept " + std::to_string(games.size()) + " games of " + std::to_string(Count.Kept))
              .c_str());
    for (const GameSummary &game : games) {
        StoredGame stored;
        Check(history.Game(game.Id, stored, error), error.toStdString().c_str());
    }
}

void Soak::PlayOneGame()
{
    // A double click on a finished board has started a game: a level or settings change
    // leaves it, and it is kept.
    const bool carried = Game().Active != 0;
    if (Chance(15))
        ChangeSettings();
    else if (Chance(80))
        Window->ChooseLevel(static_cast<int32_t>(Next(4)));
    if (carried && Game().Active == 0) ++Count.Kept;
    CheckRecord();
    Window->Rng.Seed(Next(1u << 30));
    for (int k = 0; k < 1500 && Game().Live != 0 && Failure.empty(); ++k) {
        OneEvent(k >= 300);
        CheckRecord();
    }
    if (Game().Live == 0) {
        if (Game().SafeLeft == 0)
            ++Count.Wins;
        else
            ++Count.Losses;
    }
    // A game with its first press is kept when it ends or is left, and reads back.
    if (Game().Active != 0 || Game().Live == 0) {
        ++Count.Kept;
        GameRecord record = Window->CurrentRecord();
        if (Game().Active != 0) record.End = GameEnd::Abandoned;
        GameRecord read;
        RecordError error;
        Check(ReadRecord(WriteRecord(record), read, error),
              ("a record does not read back: line " + std::to_string(error.Line) + ": " +
               error.Reason)
                  .c_str());
    }
    // A new game: a double click on a lost board, the face or the label.
    const uint32_t how = Next(3);
    if (how == 0 && Game().Live == 0) {
        DoubleClick(Qt::LeftButton, 0, 0);
    } else if (how == 1) {
        QTest::mouseClick(Window->imgNew, Qt::LeftButton);
    } else {
        QTest::mouseClick(Window->lblNewGame, Qt::LeftButton);
    }
    QTestPrivate::qtestMouseButtons = Qt::NoButton;
    CheckRecord();
}

bool Soak::Run(long long games, double seconds)
{
    if (!Folder.isValid()) {
        std::fprintf(stderr, "soak: no temporary folder\n");
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&Answerer, &QTimer::timeout, [this] { AnswerDialog(); });
    Answerer.start(0);
    Open();
    while (Count.Games < games && clock.elapsed() < seconds * 1000.0 && Failure.empty()) {
        PlayOneGame();
        ++Count.Games;
        if (Count.Games % 20 == 0) {
            Count.Kept += Game().Active != 0; // left by the closing
            Reopen();
        }
        // Memory that grows with the games shows as a rising line here.
        if (Count.Games % 1000 == 0)
            std::printf("after %lld games: resident %ld MB\n", Count.Games, MemoryFigure("VmRSS"));
    }
    Count.Kept += Game().Active != 0;
    Window->close();
    Window.reset();
    CheckHistory();
    std::printf("games %lld, events %lld, won %lld, lost %lld, records %lld, engine runs %lld, "
                "settings dialogs %lld, reopenings %lld, %.1f s, resident %ld MB, peak %ld MB\n",
                Count.Games, Count.Events, Count.Wins, Count.Losses, Count.Records,
                Count.EngineRuns, Count.Dialogs, Count.Reopens, clock.elapsed() / 1000.0,
                MemoryFigure("VmRSS"), MemoryFigure("VmHWM"));
    if (!Failure.empty()) {
        std::fprintf(stderr, "soak: %s\n", Failure.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    long long games = -1;
    double seconds = -1;
    uint64_t seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--games")
            games = std::atoll(argv[i + 1]);
        else if (option == "--seconds")
            seconds = std::atof(argv[i + 1]);
        else if (option == "--seed")
            seed = std::strtoull(argv[i + 1], nullptr, 10);
        else {
            std::fprintf(stderr, "usage: %s [--games N] [--seconds S] [--seed S]\n", argv[0]);
            return 2;
        }
    }
    if (games < 0 && seconds < 0) seconds = 5;
    if (games < 0) games = 1LL << 62;
    if (seconds < 0) seconds = 1e12;
    Soak soak(seed);
    return soak.Run(games, seconds) ? 0 : 1;
}
