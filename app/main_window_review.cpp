// The review of a recorded game from the main window: the engine grades the record, off the
// player's game, and the Review window shows it.
#include "main_window.h"

#include "game_review.h"
#include "history_store.h"
#include "review_window.h"

#include <QApplication>
#include <QTimer>

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

void TfrmMain::ShowReview(const GameRecord &record, const GameReview &review)
{
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
    if (review.Hinted) return;
    // The hints beside the guesses come once the window shows: a long game's take a moment.
    QTimer::singleShot(0, frmReview, [this, record, hinted = review]() mutable {
        if (!frmReview->isVisible()) return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool done =
            LendEngine([&](ProbabilityEngine &engine) { HintGuesses(engine, record, hinted); });
        QApplication::restoreOverrideCursor();
        if (!done || !hinted.Hinted) return; // no engine, or out of memory: no hints
        frmReview->ShowHints(record, hinted);
        // F4 shows the last game's review again, hints and all.
        if (LastReview && LastRecord && *LastRecord == record) *LastReview = std::move(hinted);
    });
}
