// Helpers shared by the engine tests: positions from text, and seeded small positions.
#pragma once

#include "board_text.h"
#include "sanitized.h"
#include "simulated_play.h"
#include "solver.h"

#include <sstream>
#include <string>

namespace kelvane::solver::testing
{

inline Position Parse(const std::string &text, bool fairPlay = false)
{
    std::istringstream in(text);
    Position p;
    p.FairPlay = fairPlay;
    TextError error;
    int32_t line = 0;
    if (!ReadPosition(in, line, p, error)) throw std::runtime_error(error.Message);
    return p;
}

inline int32_t UnknownCount(const Position &p)
{
    int32_t n = 0;
    for (Cell s : p.State)
        n += s == Cell::Closed || s == Cell::Marked;
    return n;
}

// A small position from a seeded game: at most `limit` closed or marked sectors.
inline Position SmallPlayPosition(uint32_t seed, int32_t limit)
{
    uint32_t s = seed * 2654435761u + 12345u;
    auto next = [&](uint32_t n) {
        s = s * 134775813u + 1u;
        return static_cast<int32_t>((static_cast<uint64_t>(s) * n) >> 32);
    };
    PlaySettings settings;
    settings.Width = 2 + next(7);
    settings.Height = 2 + next(6);
    const int32_t cells = settings.Width * settings.Height;
    settings.Mines = 1 + next(cells / 3 + 1);
    settings.FairPlay = next(2) == 1;
    settings.MarkerRate = next(3) == 0 ? 0.15 : 0.0;
    settings.WrongMarkerRate = next(4) == 0 ? 0.08 : 0.0;
    settings.TriggerRate = next(5) == 0 ? 0.08 : 0.0;
    SimulatedGame game(s, settings);
    Position last = game.Visible();
    const int32_t extra = next(3) == 0 ? next(4) : 0;
    int32_t after = 0;
    while (true) {
        const Position &now = game.Visible();
        if (UnknownCount(now) <= limit) {
            last = now;
            if (after++ >= extra) break;
        }
        if (!game.Move()) break;
    }
    if (UnknownCount(last) > limit) last = game.Visible();
    return last;
}

} // namespace kelvane::solver::testing
