// A game as it was played: the field, the options, the mines and every move that changed
// the game or asked the engine, with its text form and the usual figures of a game (3BV,
// clicks, IOE). No Qt: the command-line tools read records too.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class MoveKind : uint8_t { Open, Mark, Unmark, Chord, Probe };

struct RecordedMove {
    uint32_t Ms = 0; // since the first press
    MoveKind Kind = MoveKind::Open;
    int32_t X = 0, Y = 0;
    bool operator==(const RecordedMove &) const = default;
};

enum class GameEnd : uint8_t { Won, Lost, Abandoned };

struct GameRecord {
    int32_t Width = 0, Height = 0, Mines = 0;
    bool FairPlay = false, Trainer = false, NoGuess = false, Timed = false;
    std::vector<uint8_t> Layout; // Width x Height, row by row: 1 where a mine lies
    std::vector<RecordedMove> Moves;
    GameEnd End = GameEnd::Abandoned;
    double Seconds = 0.0; // the game clock; 0 for an untimed game
    bool operator==(const GameRecord &) const = default;

    bool MineAt(int32_t x, int32_t y) const { return Layout[size_t(y) * Width + x] != 0; }
};

// The record's text: "kelvane-game 1" and the lines that follow it.
std::string WriteRecord(const GameRecord &record);

struct RecordError {
    int32_t Line = 0; // from 1
    std::string Reason;
};

// Reads a record's text; anything else is refused with the line and the reason.
bool ReadRecord(std::string_view text, GameRecord &record, RecordError &error);

// "open", "mark", "unmark", "chord", "probe".
const char *KindName(MoveKind kind);
// "won", "lost", "abandoned".
const char *EndName(GameEnd end);

struct GameFigures {
    int32_t Bbbv = 0;       // 3BV: the clicks a perfect player needs
    int32_t BbbvSolved = 0; // of those, the ones this game achieved
    int32_t Clicks = 0;     // open, mark, unmark and chord moves
    int32_t EffectiveClicks = 0;
    double Ioe() const { return Clicks > 0 ? double(BbbvSolved) / Clicks : 0.0; }
    // 3BV solved per second; false for a game of 0 seconds.
    bool BbbvPerSecond(double seconds, double &rate) const;
};

// The mines in each sector's 3 x 3 block, Width x Height, row by row; -1 on a mine. Empty for
// a field of no possible size.
std::vector<int32_t> MinesAround(const GameRecord &record);

// Plays the moves again on the layout to find what they opened (moves the game would not take
// are passed over; a field of no possible size has no figures).
GameFigures FiguresOf(const GameRecord &record);

// The field after the first `moves` moves of a record that reads back: each sector's state
// (SECTOR_* of the engine contract), Width x Height, row by row; empty for a field of no
// possible size.
std::vector<int32_t> StatesAfter(const GameRecord &record, size_t moves);
