// The game history in the main window: the record of the game being played, kept when the
// game ends; the Statistics window; a game played again from the history or from a file.
#include "main_window.h"

#include "history_store.h"
#include "level_table.h"
#include "record_file.h"
#include "statistics_window.h"

#include <cmath>

void TfrmMain::BeginRecord()
{
    const TGameState &game = *GameState;
    Record = GameRecord();
    Record.Width = game.SizeX;
    Record.Height = game.SizeY;
    Record.Mines = game.Mines;
    Record.FairPlay = game.FairPlay != 0;
    Record.Trainer = game.TrainerMode != 0;
    Record.NoGuess = LaidNoGuess;
    Record.Timed = game.TimedGame != 0;
    Record.Layout.resize(size_t(game.SizeX) * game.SizeY);
    for (int32_t y = 0; y < game.SizeY; ++y)
        for (int32_t x = 0; x < game.SizeX; ++x)
            Record.Layout[size_t(y) * game.SizeX + x] = game.Mined[KELVANE_SECTOR_INDEX(x, y)];
    FirstPressTick = Options.Clock();
    Recording = true;
}

void TfrmMain::NoteMove(MoveKind kind, int32_t c, int32_t r)
{
    if (!Recording) return;
    Record.Moves.push_back({Options.Clock() - FirstPressTick, kind, c, r});
}

void TfrmMain::KeepGame(GameEnd end)
{
    if (!Recording) return;
    Recording = false;
    const TGameState &game = *GameState;
    Record.End = end;
    // The record holds the clock as the counter showed it, to a tenth.
    Record.Seconds = game.TimedGame != 0 ? std::round(double(ElapsedTime) * 10.0) / 10.0 : 0.0;
    LastRecord = std::make_unique<GameRecord>(Record);
    LastReview.reset();
    if (!HistoryDb) return;
    StoredGame stored;
    stored.Played = QDateTime::currentDateTimeUtc();
    stored.Level = game.Level;
    stored.Replayed = Replaying;
    stored.Assisted = HintAsked;
    stored.Record = Record;
    stored.Figures = FiguresOf(Record);
    // The engine grades the game once its end is shown: a long game takes it a moment.
    Ungraded.push_back(std::move(stored));
    if (Ungraded.size() == 1) QTimer::singleShot(0, this, &TfrmMain::KeepGradedGames);
}

void TfrmMain::KeepGradedGames()
{
    if (GameState->EngineBusy != 0 && !Ungraded.empty()) {
        QTimer::singleShot(100, this, &TfrmMain::KeepGradedGames); // after the run
        return;
    }
    std::vector<StoredGame> games;
    games.swap(Ungraded);
    for (StoredGame &game : games) {
        GameReview review;
        game.Reviewed = GradeWithEngine(game.Record, review);
        game.Review = review.Figures;
        if (game.Reviewed && LastRecord && *LastRecord == game.Record)
            LastReview = std::make_unique<GameReview>(std::move(review));
        HistoryDb->Keep(game);
    }
}

bool TfrmMain::GradeWithEngine(const GameRecord &record, GameReview &review)
{
    return LendEngine([&](ProbabilityEngine &engine) { review = ReviewGame(engine, record); }) &&
           review.Figures.Unfinished == 0;
}

bool TfrmMain::LendEngine(const std::function<void(ProbabilityEngine &)> &work)
{
    TGameState &game = *GameState;
    if (!EngineLoaded() || game.EngineBusy != 0) return false;
    game.EngineBusy = 1;
    bool done = true;
    try {
        work(*Engine.Engine);
    } catch (...) {
        done = false; // out of memory
    }
    game.EngineBusy = 0;
    // The work had the engine on a record of its own; the player's runs need it back.
    Driver->Attach(Engine.Engine);
    return done;
}

void TfrmMain::AbandonGame()
{
    if (GameState->Active == 0) return;
    KeepGame(GameEnd::Abandoned);
    Rules.StopGame();
}

// Told once per start: the games play on without being kept.
void TfrmMain::TellHistoryFailure(const QString &message)
{
    Options.ShowError(message);
}

void TfrmMain::ShowStatistics()
{
    if (GameState->EngineBusy != 0 || !HistoryDb) return;
    KeepGradedGames();
    if (frmStatistics == nullptr) {
        frmStatistics = new StatisticsWindow(*HistoryDb, this);
        frmStatistics->AskSaveFile = Options.AskSaveFile;
        frmStatistics->ShowError = Options.ShowError;
        connect(frmStatistics, &StatisticsWindow::PlayAgain, this,
                [this](const GameRecord &record) { PlayAgain(record); });
        connect(frmStatistics, &StatisticsWindow::Review, this,
                [this](const GameRecord &record) { ReviewRecord(record); });
    }
    frmStatistics->SetReviewAvailable(EngineLoaded());
    HistoryDb->Flush(); // the game that just ended is in the list
    frmStatistics->Refresh();
    frmStatistics->show();
    frmStatistics->raise();
    frmStatistics->activateWindow();
}

void TfrmMain::PlayAgain(const GameRecord &record)
{
    TGameState &game = *GameState;
    if (game.EngineBusy != 0 || record.Moves.empty()) return;
    AbandonGame();
    int32_t level = LevelCustom;
    for (int32_t l = 0; l < 4; ++l)
        if (LevelTable[l].SizeX == record.Width && LevelTable[l].SizeY == record.Height &&
            LevelTable[l].Mines == record.Mines)
            level = l;
    game.Level = level;
    SetFieldSize(game, record.Width, record.Height, record.Mines);
    LayoutField();
    NewGame();
    ReplayNext = std::make_unique<GameRecord>(record);
    // The engine must not be told that the corners are safe on a layout laid without that
    // rule; the player's own choice comes back with the next game.
    PlayerFairPlay = game.FairPlay;
    game.FairPlay = record.FairPlay ? 1 : 0;
    const RecordedMove &first = record.Moves.front();
    sbStatus->Show(QString("Replay: the first press was on %1, %2; elsewhere may be a mine")
                       .arg(first.X)
                       .arg(first.Y));
}

void TfrmMain::EndReplay()
{
    ReplayNext.reset();
    Replaying = false;
    if (PlayerFairPlay >= 0) GameState->FairPlay = PlayerFairPlay;
    PlayerFairPlay = -1;
}

bool TfrmMain::OpenGameFile(const QString &file)
{
    GameRecord record;
    QString error;
    if (!ReadRecordFile(file, record, error)) {
        Options.ShowError(error);
        return false;
    }
    PlayAgain(record);
    return true;
}

void TfrmMain::OpenGameClick()
{
    if (GameState->EngineBusy != 0) return;
    const QString file = Options.AskOpenFile(this);
    if (!file.isEmpty()) OpenGameFile(file);
}
