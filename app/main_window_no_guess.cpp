// No-guess boards in the main window: the first press of a game asks the engine to prove its
// board, and falls back to an ordinary one when no proof comes within the budget.
#include "main_window.h"

#include "no_guess.h"

void TfrmMain::PlaceFirstMines(int32_t c, int32_t r)
{
    const TGameState &game = *GameState;
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
    request.BudgetSeconds = Options.NoGuessSeconds;
    NoGuessBoard board;
    try {
        board = GenerateNoGuessBoard(*Engine.Engine, Rng, request);
    } catch (...) {
        board.Found = false; // out of memory: an ordinary board will do
    }
    // The search had the engine on a record of its own; the player's runs need it back.
    Driver->Attach(Engine.Engine);
    if (board.Found) {
        Rules.PlaceGivenMines(board.Mined.data());
    } else {
        Rules.PlaceMines(c, r);
        sbStatus->Show("This board may need a guess");
    }
}
