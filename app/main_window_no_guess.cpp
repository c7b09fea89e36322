// No-guess boards in the main window: the first press of a game asks the engine to prove its
// board, and falls back to an ordinary one when no proof comes within the budget or the
// player gives up with Esc.
#include "main_window.h"

#include "no_guess.h"

#include <QApplication>
#include <QElapsedTimer>

void TfrmMain::PlaceFirstMines(int32_t c, int32_t r)
{
    TGameState &game = *GameState;
    LaidNoGuess = false;
    if (ReplayNext) {
        uint8_t mined[KELVANE_SECTOR_SLOTS] = {};
        for (int32_t y = 0; y < ReplayNext->Height; ++y)
            for (int32_t x = 0; x < ReplayNext->Width; ++x)
                mined[KELVANE_SECTOR_INDEX(x, y)] = ReplayNext->MineAt(x, y) ? 1 : 0;
        LaidNoGuess = ReplayNext->NoGuess;
        ReplayNext.reset();
        Replaying = true;
        Rules.PlaceGivenMines(mined);
        return;
    }
    if (NoGuess == 0 || !EngineLoaded()) {
        Rules.PlaceMines(c, r);
        return;
    }
    NoGuessRequest request;
    request.SizeX = game.SizeX;
    request.SizeY = game.SizeY;
    request.Mines = game.Mines;
    request.Col = c;
    request.Row = r;
    request.FairPlay = game.FairPlay != 0;
    request.GuardSeconds = Options.NoGuessSeconds;

    // The wait looks like an engine run: the busy cursor, the window's input handled every
    // so often (Esc sets HaltRequest, as during a run), and past a moment the progress bar.
    struct Wait : NoGuessWatcher {
        TfrmMain &Window;
        QElapsedTimer Since, Pumped;
        bool BarShown = false;
        explicit Wait(TfrmMain &window) : Window(window) { Since.start(); }
        bool GiveUp(int32_t percent) override
        {
            if (Pumped.isValid() && Pumped.elapsed() < 30) return false;
            Pumped.start();
            if (Since.elapsed() >= 300) {
                Window.DrawProgressBar(percent);
                BarShown = true;
            }
            QCoreApplication::processEvents();
            return Window.GameState->HaltRequest != 0;
        }
    } wait(*this);
    game.EngineBusy = 1;
    game.HaltRequest = 0;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    NoGuessBoard board;
    try {
        board = GenerateNoGuessBoard(*Engine.Engine, Rng, request, &wait);
    } catch (...) {
        board.Found = false; // out of memory: an ordinary board will do
    }
    QApplication::restoreOverrideCursor();
    const bool stopped = game.HaltRequest != 0;
    game.EngineBusy = 0;
    game.HaltRequest = 0;
    if (wait.BarShown) DrawProgressBar(0);
    // The search had the engine on a record of its own; the player's runs need it back.
    Driver->Attach(Engine.Engine);
    LaidNoGuess = board.Found;
    if (board.Found) {
        Rules.PlaceGivenMines(board.Mined.data());
    } else {
        Rules.PlaceMines(c, r);
        sbStatus->Show(stopped ? "Stopped: this board may need a guess"
                               : "This board may need a guess");
    }
    if (CloseWhenIdle) {
        CloseWhenIdle = false;
        close();
    }
}
