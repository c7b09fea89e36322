// Games played by a careless player for the tests that read, figure and review records.
#pragma once

#include "game_record.h"
#include "kelvane_engine.h"
#include "random.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// The field a random game is played on: 0 (or, for Trainer, -1) leaves it to the seed.
struct RandomShape {
    int32_t Width = 0, Height = 0;
    int32_t MostMines = 0;
    bool FairPlay = false;
    int32_t Trainer = -1;
};

// A careless player: random presses of every kind on sectors where the window would take
// them, until the game is decided or it gives up.
inline GameRecord PlayedAtRandom(uint32_t seed, const RandomShape &shape = {})
{
    Random rng;
    rng.Seed(seed);
    GameRecord r;
    r.Width = shape.Width > 0 ? shape.Width : 8 + int32_t(rng.Below(25));
    r.Height = shape.Height > 0 ? shape.Height : 8 + int32_t(rng.Below(18));
    r.Mines = 1 + int32_t(rng.Below(
                      uint32_t(shape.MostMines > 0 ? shape.MostMines : r.Width * r.Height / 5)));
    r.FairPlay = shape.FairPlay;
    r.Trainer = shape.Trainer < 0 ? seed % 2 == 0 : shape.Trainer != 0;
    r.Timed = seed % 3 != 0;
    r.NoGuess = seed % 5 == 0;
    r.Layout.assign(size_t(r.Width) * r.Height, 0);
    const auto corner = [&](size_t k) {
        const int32_t x = int32_t(k % size_t(r.Width)), y = int32_t(k / size_t(r.Width));
        return (x == 0 || x == r.Width - 1) && (y == 0 || y == r.Height - 1);
    };
    for (int32_t m = 0; m < r.Mines;) {
        const size_t k = rng.Below(uint32_t(r.Layout.size()));
        if (r.FairPlay && corner(k)) continue;
        m += r.Layout[k] == 0 ? 1 : 0;
        r.Layout[k] = 1;
    }
    bool lost = false;
    uint32_t ms = 0;
    for (int step = 0; step < 400 && !lost; ++step) {
        const std::vector<int32_t> states = StatesAfter(r, r.Moves.size());
        int32_t closedSafe = 0;
        for (size_t k = 0; k < states.size(); ++k)
            closedSafe += states[k] != SECTOR_OPEN && r.Layout[k] == 0 ? 1 : 0;
        if (closedSafe == 0) break;
        const int32_t x = int32_t(rng.Below(uint32_t(r.Width)));
        const int32_t y = int32_t(rng.Below(uint32_t(r.Height)));
        const int32_t state = states[size_t(y) * r.Width + x];
        MoveKind kind = MoveKind(rng.Below(5));
        if (r.Moves.empty()) kind = MoveKind::Open;
        if (state == SECTOR_MARKED) kind = MoveKind::Unmark;
        if (state == SECTOR_TRIGGERED) continue;
        if (state == SECTOR_CLOSED && (kind == MoveKind::Unmark || kind == MoveKind::Chord))
            kind = MoveKind::Open;
        if (state == SECTOR_OPEN) {
            // A chord the rules take: as many known mines around as the number says.
            int32_t known = 0, mines = 0;
            bool hitsMine = false;
            for (int32_t j = std::max(y - 1, 0); j <= std::min(y + 1, r.Height - 1); ++j)
                for (int32_t i = std::max(x - 1, 0); i <= std::min(x + 1, r.Width - 1); ++i) {
                    const int32_t s = states[size_t(j) * r.Width + i];
                    known += s == SECTOR_MARKED || s == SECTOR_TRIGGERED ? 1 : 0;
                    mines += r.MineAt(i, j) ? 1 : 0;
                    hitsMine = hitsMine || (s == SECTOR_CLOSED && r.MineAt(i, j));
                }
            if (known == 0 || known != mines) continue;
            kind = MoveKind::Chord;
            lost = hitsMine && !r.Trainer;
        }
        if (kind == MoveKind::Open) lost = r.MineAt(x, y) && !r.Trainer;
        ms += rng.Below(900);
        r.Moves.push_back({ms, kind, x, y});
    }
    const std::vector<int32_t> states = StatesAfter(r, r.Moves.size());
    bool won = true;
    for (size_t k = 0; k < states.size(); ++k)
        won = won && (r.Layout[k] != 0 || states[k] == SECTOR_OPEN);
    r.End = lost ? GameEnd::Lost : won ? GameEnd::Won : GameEnd::Abandoned;
    r.Seconds = r.Timed ? ms / 100 / 10.0 : 0.0;
    return r;
}
