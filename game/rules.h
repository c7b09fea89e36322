// The rules of the game, working on the one game record and asking the view to draw.
#pragma once

#include "game_view.h"
#include "kelvane_engine.h"
#include "random.h"

#include <cstdint>

// A field of the given size and mines: SizeX, SizeY, MaxX, MaxY and Mines, which always go
// together.
inline void SetFieldSize(TGameState &game, int32_t sizeX, int32_t sizeY, int32_t mines)
{
    game.SizeX = sizeX;
    game.SizeY = sizeY;
    game.MaxX = sizeX - 1;
    game.MaxY = sizeY - 1;
    game.Mines = mines;
}

class GameRules
{
  public:
    GameRules(TGameState &game, GameView &view, Random &random)
        : Game(game), View(view), Rng(random)
    {
    }

    // Every sector of the current size closed, without mines, numbers or probabilities.
    void ClearBoard();
    // Lays the mines with (c, r) free, counts neighbours and starts the game.
    void PlaceMines(int32_t c, int32_t r);
    // The same on the given candidates, in placement order (the list is used up): Mines
    // mines, at most one a candidate.
    void PlaceMinesAmong(int32_t *candidates, int32_t n);
    // The same with the mines already chosen (1 where a mine lies, by sector slot); their
    // count must be Mines.
    void PlaceGivenMines(const uint8_t *mined);
    void OpenSector(int32_t c, int32_t r);
    // Opens (c, r) and, for a zero (or with force), its closed neighbours, depth first.
    void OpenArea(int32_t c, int32_t r, bool force);
    void ToggleMarker(int32_t c, int32_t r);
    // Returns true when the chord failed and its press preview is now shown.
    bool Chord(int32_t c, int32_t r);
    // Returns true when this call ended the game as won.
    bool CheckWin();
    void StopGame();

    // Candidate sectors for the mines when (c, r) is pressed, in placement order.
    // Returns the count written to `out` (at most KELVANE_SECTOR_SLOTS).
    int32_t MineCandidates(int32_t c, int32_t r, int32_t *out) const;

  private:
    // Counts neighbours and starts the game on the laid mines.
    void CountAndStart();
    int32_t &StateAt(int32_t c, int32_t r) { return Game.State[KELVANE_SECTOR_INDEX(c, r)]; }

    TGameState &Game;
    GameView &View;
    Random &Rng;
};
