// A recorded game graded move by move against the engine's exact probabilities: on the
// position before each move as the player saw it (open numbers, triggered mines as known
// mines, markers ignored since a marker may be wrong, the field's mines and Fair Play's
// corners), whether the move was safe, a needless guess, the best guess the board allowed or
// a risky one, and how much luck the whole game took. No Qt: the command line reviews too.
#pragma once

#include "game_record.h"
#include "kelvane_engine.h"

#include <cstdint>
#include <vector>

enum class MoveGrade : uint8_t {
    None,     // a probe, or a position the engine could not finish
    First,    // the first press
    Safe,     // an open or chord that could not hit a mine
    Needless, // a guess while some closed sector was certainly safe
    Best,     // a guess as safe as any the board allowed
    Risky,    // a guess less safe than another one
    Sure,     // a marker set on a certain mine, or taken off a certain safe sector
    Guess,    // any other marker set or taken off
};

// "first", "safe", "needless", "best", "risky", "sure", "guess"; "-" for None.
const char *GradeName(MoveGrade grade);
// Needless, best and risky: the guesses that take luck.
bool IsGuess(MoveGrade grade);

struct MoveReview {
    MoveGrade Grade = MoveGrade::None;
    // The move's mine probability (for a chord: that at least one sector it opens is a
    // mine); negative where there is none (a probe, the first press, an unfinished position).
    double P = -1.0;
    // The smallest mine probability of a closed sector before an open or chord (the first
    // press included); negative where there is none.
    double Smallest = -1.0;
    bool Hit = false; // the move opened a mine
    // A mark or unmark: the sector's marker agrees with the layout afterwards (a marker on a
    // mine, none on a safe sector).
    bool MarkerRight = false;
    // How much less safe than the safest sector the move was; 0 where there is nothing to
    // compare.
    double Delta() const { return P >= 0.0 && Smallest >= 0.0 ? P - Smallest : 0.0; }
    // A guess: the sector the hint chooses on the position before it (HintGuesses); -1 where
    // none was asked for.
    int32_t HintX = -1, HintY = -1;
};

struct ReviewFigures {
    int32_t Guesses = 0; // needless, best and risky moves
    int32_t Needless = 0;
    int32_t Risky = 0;
    double Survival = 1.0; // the product of (1 - p) over the guesses
    // -log2(Survival) in bits; infinite when a guess was a certain mine.
    double Luck() const;
    // The grade of the move that lost the game (needless or risky: avoidable; best:
    // unlucky); None for a game that was not lost.
    MoveGrade Cause = MoveGrade::None;
    bool Avoidable() const { return Cause == MoveGrade::Needless || Cause == MoveGrade::Risky; }
    int32_t Unfinished = 0; // positions the engine could not finish: their moves are ungraded
};

struct GameReview {
    int32_t Width = 0, Height = 0;
    std::vector<MoveReview> Moves; // one per recorded move, in order
    ReviewFigures Figures;

    // The position before move `move` (from 0): each sector's mine probability, Width x
    // Height, row by row; negative on open sectors and triggered mines, and everywhere when
    // the engine could not finish it.
    const std::vector<float> &ProbabilitiesBefore(size_t move) const
    {
        return Positions[PositionOf[move]];
    }

    std::vector<std::vector<float>> Positions; // each distinct position once
    std::vector<uint32_t> PositionOf;          // per move, its index in Positions
    bool Hinted = false;                       // HintGuesses has run
};

// Reviews a record that reads back (ReadRecord accepted it, or the game wrote it) with the
// "Advanced" calculation of `engine`, which is attached to a record of its own for the
// review: a caller that runs the engine elsewhere attaches it back afterwards.
GameReview ReviewGame(ProbabilityEngine &engine, const GameRecord &record);

// Adds to every guess of `review` (ReviewGame's of `record`) the sector the hint chooses on the
// position before it, laid as the rules lay mines unless the board was a no-guess one. Uses the
// engine as ReviewGame does.
void HintGuesses(ProbabilityEngine &engine, const GameRecord &record, GameReview &review);
