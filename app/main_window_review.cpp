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
    if (LastRecord) {
        ReviewRecord(*LastRecord);
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

bool TfrmMain::ReviewRecord(const GameRecord &record)
{
    if (GameState->EngineBusy != 0) return false;
    if (!EngineLoaded()) {
        Options.ShowError("A game is reviewed with the probability engine, which is not loaded.");
        return false;
    }
    GameReview review;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    GradeWithEngine(record, review); // a position left unfinished only leaves moves ungraded
    QApplication::restoreOverrideCursor();
    if (review.Moves.size() != record.Moves.size()) {
        Options.ShowError("The game could not be reviewed: not enough memory.");
        return false;
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
    return true;
}
