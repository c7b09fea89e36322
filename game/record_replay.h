// A record's game played again move by move with the game's own rules, for the tools that
// look at a game as it went: the reader's checks, the figures and the review.
#pragma once

#include "game_record.h"
#include "rules.h"

#include <memory>

class RecordReplay
{
  public:
    // The field, options and mines of `record` (whose size the caller has checked), before
    // its first move.
    explicit RecordReplay(const GameRecord &record);

    bool Won() const { return WonGame; }
    bool Lost() const { return View.Lost; }
    bool Decided() const { return Won() || Lost(); }
    int32_t SafeLeft() const { return Game->SafeLeft; }
    int32_t StateAt(int32_t x, int32_t y) const { return Game->State[KELVANE_SECTOR_INDEX(x, y)]; }
    // The game record as the rules keep it.
    const TGameState &State() const { return *Game; }
    // The sectors the rules lay mines among after a first press on (x, y), in their order.
    std::vector<int32_t> LayingOrder(int32_t x, int32_t y) const;

    // Plays the move as the window does; returns why it cannot be played, or null.
    const char *Play(const RecordedMove &move);

  private:
    std::unique_ptr<TGameState> Game;
    LossView View;
    Random Rng;
    GameRules Rules;
    bool WonGame = false;
};
