// The review of a recorded game from the main window: the engine grades the record, off the
// player's game, and the Review window shows it.
#include "main_window.h"

#include "game_review.h"
#include "history_store.h"
#include "review_window.h"

#include <QApplication>

void TfrmMain::ReviewLastGame()
{
    if (GameState->EngineBusy != 0) return;
    KeepGradedGames();
    if (LastRecord) {
        // Without a history the game was not graded at its end: once now.
        if (!LastReview) {
            GameReview review;
            if (!GradeForReview(*LastRecord, review)) return;
            LastReview = std::make_unique<GameReview>(std::move(review));
        }
        ShowReview(*LastRecord, *LastReview);
        return;
    }
    StoredGame newest;
    if (HistoryDb) {
        HistoryDb->Flush();
        QList<GameSummary> games;
        QString error;
        if (!HistoryDb->LastGames(nullptr, 1, games, error) ||
            (!games.isEmpty() && !HistoryDb->Game(games.front().Id, newest, error))) {
            Options.ShowError(error);
            return;
        }
        if (!games.isEmpty()) {
            ReviewRecord(newest.Record);
            return;
        }
    }
    Options.ShowError("There is no game to review yet: finish a game first.");
}

bool TfrmMain::GradeForReview(const GameRecord &record, GameReview &review)
{
    if (GameState->EngineBusy != 0) return false;
    if (!EngineLoaded()) {
        Options.ShowError("A game is reviewed with the probability engine, which is not loaded.");
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    GradeWithEngine(record, review); // a position left unfinished only leaves moves ungraded
    QApplication::restoreOverrideCursor();
    if (review.Moves.size() != record.Moves.size()) {
        Options.ShowError("The game could not be reviewed: not enough memory.");
        return false;
    }
    return true;
}

bool TfrmMain::ReviewRecord(const GameRecord &record)
{
    GameReview review;
    if (!GradeForReview(record, review)) return false;
    ShowReview(record, review);
    return true;
}

void TfrmMain::ShowReview(const GameRecord &record, GameReview &review)
{
    // The hint beside each guess, once per review (F4 shows the same one again).
    if (!review.Hinted && EngineLoaded() && GameState->EngineBusy == 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        GameState->EngineBusy = 1;
        try {
            HintGuesses(*Engine.Engine, record, review);
        } catch (...) {
            // out of memory: the review shows without its hints
        }
        GameState->EngineBusy = 0;
        Driver->Attach(Engine.Engine);
        QApplication::restoreOverrideCursor();
    }
    if (frmReview == nullptr) {
        frmReview = new ReviewWindow(Board.Scale(), this);
        frmReview->AskOpenFile = Options.AskOpenFile;
        frmReview->ShowError = Options.ShowError;
        connect(frmReview, &ReviewWindow::ReviewAsked, this,
                [this](const GameRecord &asked) { ReviewRecord(asked); });
    }
    frmReview->ShowGame(record, review);
    frmReview->show();
    frmReview->raise();
    frmReview->activateWindow();
}
