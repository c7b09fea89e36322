// The main window: the board, the counters, the face button, the menu and link labels and
// the engine's statistics panel; it owns the game record, the images and the engine.
#pragma once

#include "accessibility.h"
#include "best_times.h"
#include "engine_driver.h"
#include "engine_loader.h"
#include "game_record.h"
#include "game_review.h"
#include "history_store.h"
#include "kelvane_engine.h"
#include "random.h"
#include "render.h"
#include "rules.h"
#include "stats_panel.h"

#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class TfrmSettings;
class TfrmBest;
class HelpWindow;
class HistoryStore;
class StatisticsWindow;
class ReviewWindow;

// A 32-bit millisecond count from an arbitrary origin.
uint32_t ReadMillisecondClock();

// A screen of at least 1024 x 768 pixels.
bool ScreenFits(QSize screen);

// Where the window finds its files and how it talks to the player; tests replace these.
struct MainWindowOptions {
    QString SettingsFile;
    QString EngineLibrary;
    QString HelpFolder;              // holds index.htm
    bool MakeSettingsFolder = false; // create the settings file's folder before saving
    std::function<void(const QString &)> ShowError; // default: an error message box
    // Asks for a record holder's name; false when the player cancels.
    std::function<bool(const QString &prompt, QString &name)> AskName;
    std::function<uint32_t()> Clock = ReadMillisecondClock;
    // The desktop's "open" for a document or web page; false when nothing opened it.
    // Default: QDesktopServices::openUrl.
    std::function<bool(const QUrl &)> OpenUrl;
    // The no-guess search's last guard in seconds; its budget is work, the same everywhere.
    double NoGuessSeconds = 20.0;
    // The game history's database; none kept when empty.
    QString HistoryFile;
    // Asks for a game record file to open or to save to; "" when the player cancels.
    std::function<QString(QWidget *parent)> AskOpenFile;
    std::function<QString(QWidget *parent, const QString &suggested)> AskSaveFile;
};

// The running executable's files: beside it when run from its own folder, else where the
// installed layout puts them.
MainWindowOptions DefaultMainWindowOptions();

class TfrmMain : public QWidget, private GameView, private EngineHost, private BoardReading
{
    Q_OBJECT
  public:
    explicit TfrmMain(MainWindowOptions options = DefaultMainWindowOptions());
    ~TfrmMain() override;

    // Part of the window that tests and the engine look at.
    TGameState &Game() { return *GameState; }
    Random Rng;
    int32_t PressedCol = 0, PressedRow = 0;
    int32_t AppMinimized = 0, AppInactive = 0, ChordPreview = 0;
    int32_t MaxScale = 3;
    int32_t NoGuess = 0; // no-guess boards: the first press lays mines that logic alone clears
    uint32_t LastTick = 0;
    float ElapsedTime = 0.0f;
    BestTimes Best;
    FieldPainter Board;
    bool EngineLoaded() const { return Engine.Engine != nullptr; }

    // Operations of the game.
    void NewGame();
    void LayoutField();
    void ChooseLevel(int32_t level);
    void pbImageMouseDown(Qt::MouseButton button, Qt::MouseButtons othersHeld, bool doubleClick,
                          int x, int y);
    void pbImageMouseUp();
    void TimerCtlTimer();
    void ApplicationEvents1Minimize();
    void ApplicationEvents1Restore();
    void ApplicationEvents1Deactivate();
    void ApplicationEvents1Activate();
    void ShowSectorInfo(int32_t c, int32_t r);
    void RunEngine(int32_t c, int32_t r);
    void MarkRecalcNeeded() override;
    // The first press's mines: a no-guess board when asked for and the engine is there.
    void PlaceFirstMines(int32_t c, int32_t r);

    // Handlers of the labels.
    void lblNewGameClick();
    void lblLevelClick();
    void lblSettingsClick();
    void lblBestTimesClick();
    void lblHelpClick();
    void lblModeClick();
    void lblDepthClick();
    void lblDupCheckClick();
    void lblChModeClick();
    void lblRecalcClick();

    // The game history: the record of the game being played, kept when it ends.
    const GameRecord &CurrentRecord() const { return Record; }
    // The history with every ended game in it, those still waiting to be graded included.
    HistoryStore *History()
    {
        KeepGradedGames();
        return HistoryDb.get();
    }
    void ShowStatistics();
    // Starts the recorded layout again; the player's first press starts it as usual.
    void PlayAgain(const GameRecord &record);
    // Asks for a record file and plays it again; false when none was read (the player told).
    bool OpenGameFile(const QString &file);
    void OpenGameClick();

    // The review of a recorded game: the last game ended in this run, else the newest of
    // the history; one of the Statistics window's; a record file from the Review window.
    void ReviewLastGame();
    // Frames the move a strong player would make and says why in the status line.
    void ShowHint();
    // Grades the record with the engine and shows it; false when nothing was shown (the
    // player told why).
    bool ReviewRecord(const GameRecord &record);
    // Grades a record for the Review window, saying why not when it cannot.
    bool GradeForReview(const GameRecord &record, GameReview &review);
    void ShowReview(const GameRecord &record, const GameReview &review);

    // Components, named as the player sees them.
    PaintBox *pbImage = nullptr, *pbxLeft = nullptr, *pbxTime = nullptr, *pbxBar = nullptr;
    ClickLabel *imgNew;
    QLabel *lblLeftName, *lblTimeName, *lblAuthor;
    StatusLine *sbStatus;
    ClickLabel *lblHomePage, *lblTessel;
    ClickLabel *lblNewGame, *lblLevel, *lblSettings, *lblBestTimes, *lblHelp;
    std::unique_ptr<StatsPanel> Stats;
    QMenu *PopupMenu1;
    QAction *NoGuessItem; // the level menu's entry "No-Guess Boards"
    QAction *StatisticsItem, *OpenGameItem, *ReviewItem, *HintItem;
    QTimer TimerCtl;
    TfrmSettings *frmSettings = nullptr;
    TfrmBest *frmBest = nullptr;
    StatisticsWindow *frmStatistics = nullptr;
    ReviewWindow *frmReview = nullptr;
    HelpWindow *frmHelp = nullptr; // made when the desktop cannot open the help

    // The keyboard cursor: the sector the board keys act on, shown once a key moves it.
    int32_t CursorCol = 0, CursorRow = 0;
    bool CursorShown = false;
    QString SectorDescription(int32_t c, int32_t r) const override;
    // The accessible child index of a sector on the board, row by row.
    int32_t SectorChildIndex(int32_t c, int32_t r) const { return r * GameState->SizeX + c; }

    QImage bmpMainBackground, bmpFace0, bmpFace1, bmpFace2, bmpTime, bmpLeft, bmpBar;
    int32_t BoardWidth = 0, BoardHeight = 0;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    void FormCreate();
    void FormShow();
    void CreateLayout();
    void LoadEngine();
    void ApplyLoadedSettings();
    void SaveSettingsNow();
    void GameWon();
    void CheckWinAfterPress();
    void ShowFace(const QImage &face);
    void DrawTimeCounter(float seconds);
    void ResumeClock();
    void OpenLink(const QString &address);

    // Keyboard play.
    void SetUpKeyboard();
    bool BoardKey(QKeyEvent *event);
    void MoveCursorTo(int32_t c, int32_t r);
    void HideCursor();
    void PlaceCursorInField();
    void PressAtCursor(Qt::MouseButton button);
    void ShowCursorFrame();
    void TellSectorsChanged(const QRect &changed);
    void TellCursorFocus();

    // GameView: what the rules ask the window to draw.
    void DrawOpenSector(int32_t c, int32_t r) override;
    void DrawMarker(int32_t c, int32_t r) override;
    void DrawClosedSector(int32_t c, int32_t r) override;
    void SetFieldFontSmall(bool small) override;
    void DrawTriggeredSector(int32_t c, int32_t r) override;
    void DrawWrongMarker(int32_t c, int32_t r) override;
    void DrawPressedSector(int32_t c, int32_t r) override;
    void ShowLostBoard(int32_t c, int32_t r) override;
    void ShowPressedFace() override;
    void PresentField() override; // also for the engine
    void DrawMinesLeftCounter(int32_t count) override;
    void StartClock() override;
    void StopClock() override;
    void HideEngineTimes() override;

    // EngineHost: what the engine driver asks of the window during a run.
    void DrawProgressBar(int32_t percent) override;
    void HandlePendingEvents() override;
    void CloseIfAskedDuringRun();

    bool InField(int32_t c, int32_t r) const;

    // The record of the game: begun at the first press, each move noted before the rules
    // act on it, kept in the history when the game is won, lost or abandoned.
    void BeginRecord();
    void NoteMove(MoveKind kind, int32_t c, int32_t r);
    void KeepGame(GameEnd end);
    // Grades the record with the engine (attached back to the game afterwards); false
    // without the engine, while it runs, or when a position could not be finished.
    bool GradeWithEngine(const GameRecord &record, GameReview &review);
    // Runs `work` with the engine, busy meanwhile, and attaches it back to the game; false
    // without the engine, while it runs, or when `work` threw (out of memory).
    bool LendEngine(const std::function<void(ProbabilityEngine &)> &work);
    // Grades the ended games waiting for it and keeps them in the history.
    void KeepGradedGames();
    void AbandonGame(); // stops a running game that the player leaves
    void EndReplay();   // forgets a replay and gives the player's options back
    void TellHistoryFailure(const QString &message);

    // BoardReading: what the board's accessible table reads.
    int32_t Columns() const override { return GameState->SizeX; }
    int32_t Rows() const override { return GameState->SizeY; }
    QRect SectorInterior(int32_t c, int32_t r) const override { return Board.Interior(c, r); }
    bool SectorAt(QPoint at, int32_t &c, int32_t &r) const override;
    bool CursorAt(int32_t &c, int32_t &r) const override;

    MainWindowOptions Options;
    struct FreeAligned {
        void operator()(TGameState *p) const;
    };
    std::unique_ptr<TGameState, FreeAligned> GameState;
    GameRules Rules;
    EngineLibrary Engine;
    std::unique_ptr<EngineDriver> Driver;
    bool Shown = false;
    bool CloseWhenIdle = false; // a close asked for during a run waits for its end
    std::unique_ptr<HistoryStore> HistoryDb;
    GameRecord Record;
    bool Recording = false;                 // from the first press until the game is kept
    std::unique_ptr<GameRecord> LastRecord; // the last game kept in this run, to review
    std::unique_ptr<GameReview> LastReview; // its review, once graded
    // Ended games kept once the engine has graded them, after the end is shown.
    std::vector<StoredGame> Ungraded;
    uint32_t FirstPressTick = 0;
    // A known layout to lay at the next first press, and whether this game is one.
    std::unique_ptr<GameRecord> ReplayNext;
    bool HintAsked = false; // in this game: no best time, kept as assisted
    bool HintShown = false; // the hint's frame is on the board
    void ClearHint();
    bool Replaying = false;
    bool LaidNoGuess = false;       // the first press laid a proven no-guess board
    int32_t PlayerFairPlay = -1;    // the player's Fair Play while a replay has the record's
    QWidget *FocusFramed = nullptr; // the control that Tab brought the focus to
    int32_t CursorFieldX = 0, CursorFieldY = 0; // the field size the cursor was placed in
};
