// The end of a game searched exactly: every way to lay the remaining mines listed, and the
// move that wins most often found by trying every move against every answer the board can
// give (numbers and the regions that zeros open), with perfect play afterwards.
#pragma once

#include "kelvane_engine.h"

#include <cstdint>
#include <vector>

// The closed sectors whose content is unknown, and the layouts of their mines that agree with
// every open number and the mine count; at most 64 sectors.
struct EndgameLayouts {
    std::vector<int32_t> Slots;   // the unknown sectors (record slots)
    std::vector<uint64_t> Mines;  // one layout a entry: bit i set when Slots[i] holds a mine
    std::vector<int32_t> Known;   // per unknown sector: known mines around it (never opened)
    std::vector<uint64_t> Around; // per unknown sector: its unknown neighbours, as bits
    std::vector<double> Weight;   // per layout: how likely, relatively; empty when all alike
};

// Lists the layouts of `unknown` (slots of closed sectors that may or may not hold a mine) on
// `game` (open sectors with their numbers; `mine` marks the sectors known to be mines).
// False when there are more than 64 unknown sectors or more than `most` layouts.
bool ListLayouts(const TGameState &game, const std::vector<int32_t> &unknown,
                 const std::vector<uint8_t> &mine, int32_t mines, size_t most, EndgameLayouts &out);

struct EndgameMove {
    bool Solved = false;   // false: the search ran out of its work budget
    int32_t Slot = -1;     // the sector to open
    double SafeChance = 0; // that it is safe
    double WinChance = 0;  // of the whole game with perfect play from here
};

// The move that wins most often, the layouts weighed by Weight. `work` bounds the answers
// tried (one answer is one layout's outcome of one move).
EndgameMove SolveEndgame(const EndgameLayouts &layouts, uint64_t work);
