// Games as a plain player plays them, for filling a history: a seeded layout, then sectors
// opened and mines marked in a seeded order until the game is won, a mine is opened, or the
// player walks away. Every record reads back.
#pragma once

#include "game_record.h"
#include "kelvane_engine.h"

#include <cmath>
#include <random>

// `moves` bounds a lost or abandoned game (a won one plays on to its end); the record's end
// is what the moves reached, which is `end` unless the board was won on the way.
inline GameRecord PlayedGame(int32_t width, int32_t height, int32_t mines, uint32_t seed,
                             int32_t moves, GameEnd end)
{
    std::mt19937 random(seed);
    GameRecord r;
    r.Width = width;
    r.Height = height;
    r.Mines = mines;
    r.Timed = true;
    r.Layout.assign(size_t(width) * height, 0);
    for (int32_t placed = 0; placed < mines;) {
        uint8_t &cell = r.Layout[random() % r.Layout.size()];
        placed += cell == 0;
        cell = 1;
    }
    uint32_t ms = 0;
    auto move = [&](MoveKind kind, size_t at) {
        r.Moves.push_back({ms, kind, int32_t(at % width), int32_t(at / width)});
        ms += 250 + random() % 1000;
    };
    // A closed sector, a mine or not, at random; none when there is none.
    auto closed = [&](const std::vector<int32_t> &states, bool mine, size_t &at) {
        const size_t start = random() % states.size();
        for (size_t i = 0; i < states.size(); ++i) {
            at = (start + i) % states.size();
            if (states[at] == SECTOR_CLOSED && (r.Layout[at] != 0) == mine) return true;
        }
        return false;
    };
    std::vector<int32_t> states(r.Layout.size(), SECTOR_CLOSED);
    size_t at = 0;
    for (int32_t made = 0;; ++made) {
        if (!closed(states, false, at)) {
            r.End = GameEnd::Won;
            break;
        }
        if (end != GameEnd::Won && made >= moves) {
            // Every mine marked: nothing left to lose on.
            const bool lost = end == GameEnd::Lost && closed(states, true, at);
            if (lost) move(MoveKind::Open, at);
            r.End = lost ? GameEnd::Lost : GameEnd::Abandoned;
            break;
        }
        size_t mine = 0;
        if (made % 3 == 2 && closed(states, true, mine))
            move(MoveKind::Mark, mine);
        else
            move(MoveKind::Open, at);
        states = StatesAfter(r, r.Moves.size());
    }
    r.Seconds = std::round(r.Moves.back().Ms / 100.0) / 10.0;
    return r;
}
