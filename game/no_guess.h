// No-guess boards: mine layouts that logic alone clears from the first press, proven by the
// probability engine itself.
//
// A board is no-guess when a player who, over and over, opens every closed sector whose exact
// mine probability is 0 and marks every sector whose probability is 1 opens every safe sector.
// The first press and its neighbours are free, so the game starts with an opening; with Fair
// Play the corners are free too (and the player knows it). Candidate layouts come from the
// game's own placement rule; a layout that needs a guess is repaired by moving a mine at the
// place where play got stuck, and checked again from the first press.
//
// The engine is driven through its C contract, exactly as the game drives it, but attached to
// a scratch record that holds only what the player would see (never the hidden layout) and to
// a sink that shows nothing. The caller attaches the engine back to its own record afterwards.
//
// The budget is the search's own work, never the clock, so that a seed gives the same board
// on any machine: the engine's steps, and for each engine run a charge for what a run costs
// besides its steps, which grows with the field (NoGuessRunWork).
#pragma once

#include "kelvane_engine.h"
#include "random.h"

#include <array>
#include <cstdint>

// What an engine run on a field of `sectors` costs besides its steps, in steps: measured, a
// run reads the field at about half a step a sector.
constexpr uint64_t NoGuessRunWork(int32_t sectors)
{
    return 16 + static_cast<uint64_t>(sectors) / 2;
}
// About 2 seconds of work on a desktop (the densest 32 x 25 fields take the longest a step).
inline constexpr uint64_t NoGuessWork = uint64_t{1} << 22;

struct NoGuessRequest {
    int32_t SizeX = 0; // 1 to 32 columns
    int32_t SizeY = 0; // 1 to 32 rows
    int32_t Mines = 0;
    int32_t Col = 0, Row = 0; // the first press
    bool FairPlay = false;
    uint64_t Work = NoGuessWork; // the budget in steps; about 2 seconds on a desktop
    double GuardSeconds = 20.0;  // a last guard only: the work ends long before
};

struct NoGuessBoard {
    bool Found = false;
    bool GaveUp = false;  // the watcher or the guard stopped the search
    int32_t Attempts = 0; // layouts checked, drawn or repaired
    uint64_t Work = 0;    // of the budget
    double Seconds = 0.0;
    std::array<uint8_t, KELVANE_SECTOR_SLOTS> Mined{}; // 1 where a mine lies; slot c * 32 + r
};

// The sectors that may hold a mine on a no-guess board: every sector of the field but the
// press's 3 x 3 block and, with Fair Play, the corners.
int32_t NoGuessCandidateCount(const NoGuessRequest &request);

// False for a request no board can meet: a field out of range, a press outside it, or more
// mines than candidate sectors.
bool NoGuessPossible(const NoGuessRequest &request);

// The caller's look at a search while it works: asked between engine runs and while the
// engine reports, with the share of the budget spent; answering true gives up at once.
class NoGuessWatcher
{
  public:
    virtual ~NoGuessWatcher() = default;
    virtual bool GiveUp(int32_t percent) = 0;
};

// Searches for a no-guess board with `rng` until the budget runs out. The same request and
// seed give the same board. Attaches `engine` to the search's own record and sink; the caller
// attaches it back to its record before its next run.
NoGuessBoard GenerateNoGuessBoard(ProbabilityEngine &engine, Random &rng,
                                  const NoGuessRequest &request, NoGuessWatcher *watcher = nullptr);
