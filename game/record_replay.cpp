#include "record_replay.h"

#include <vector>

RecordReplay::RecordReplay(const GameRecord &record)
    : Game(std::make_unique<TGameState>()), View(*Game), Rules(*Game, View, Rng)
{
    TGameState &g = *Game;
    g = TGameState{};
    SetFieldSize(g, record.Width, record.Height, record.Mines);
    g.FairPlay = record.FairPlay ? 1 : 0;
    g.TrainerMode = record.Trainer ? 1 : 0;
    g.TimedGame = record.Timed ? 1 : 0;
    g.Level = 4;
    g.Live = 1;
    Rules.ClearBoard();
    std::vector<uint8_t> mined(KELVANE_SECTOR_SLOTS, 0);
    for (int32_t y = 0; y < record.Height; ++y)
        for (int32_t x = 0; x < record.Width; ++x)
            mined[KELVANE_SECTOR_INDEX(x, y)] = record.MineAt(x, y) ? 1 : 0;
    Rules.PlaceGivenMines(mined.data());
}

std::vector<int32_t> RecordReplay::LayingOrder(int32_t x, int32_t y) const
{
    std::vector<int32_t> order(KELVANE_SECTOR_SLOTS);
    order.resize(size_t(Rules.MineCandidates(x, y, order.data())));
    return order;
}

const char *RecordReplay::Play(const RecordedMove &move)
{
    if (Decided()) return "a move after the game was decided";
    const int32_t x = move.X, y = move.Y;
    if (x < 0 || y < 0 || x >= Game->SizeX || y >= Game->SizeY) return "outside the field";
    const int32_t state = StateAt(x, y);
    switch (move.Kind) {
    case MoveKind::Open:
        if (state == SECTOR_MARKED) return "open on a marked sector";
        if (state != SECTOR_CLOSED) return "open on a sector that is not closed";
        Rules.OpenArea(x, y, false);
        break;
    case MoveKind::Mark:
        if (state != SECTOR_CLOSED) return "mark on a sector that is not closed";
        Rules.ToggleMarker(x, y);
        break;
    case MoveKind::Unmark:
        if (state != SECTOR_MARKED) return "unmark on a sector without a marker";
        Rules.ToggleMarker(x, y);
        break;
    case MoveKind::Chord:
        if (state != SECTOR_OPEN || Game->Number[KELVANE_SECTOR_INDEX(x, y)] == 0)
            return "chord on a sector that is not an open number";
        if (Rules.Chord(x, y)) return "chord that the markers around it do not allow";
        break;
    case MoveKind::Probe:
        if (state != SECTOR_CLOSED) return "probe on a sector that is not closed";
        break;
    }
    if (!View.Lost && Rules.CheckWin()) WonGame = true;
    return nullptr;
}
