// The move a strong player makes, found with the probability engine: the window's Hint and
// the command line's automatic player.
//
// The policy: open a certainly safe sector first (the one likeliest to open a region); mark
// nothing unless asked; guess an unavoidable coin toss at once; when few layouts remain,
// search the rest of the game exactly for the move that wins most often; otherwise look one
// move ahead at the sectors nearly as safe as the safest, for each number a sector can show
// (with its chance) asking the engine what the board would then allow, and open the sector
// that best survives this move and the next one. A sector that can show only one number
// teaches nothing and is guessed only when nothing else is a candidate. Given the order in
// which the rules lay mines, guesses also weigh how mines cluster along it.
#pragma once

#include "engine_client.h"
#include "kelvane_engine.h"

#include <atomic>
#include <cstdint>
#include <vector>

enum class HintKind : uint8_t { None, Safe, Mine, BestGuess, FiftyFifty };

struct Hint {
    HintKind Kind = HintKind::None; // None: nothing to do, or the engine did not finish (Halted)
    int32_t X = -1, Y = -1;         // the sector (column, row)
    double SafeChance = 0.0;        // of opening it: 1 for Safe, 0 for Mine
    bool Halted = false;            // an engine run was halted (Stop) or failed
    double WinChance = -1.0;        // of the game with perfect play, when searched exactly
};

struct MoveOptions {
    // Receives the sink calls of every engine run the policy makes (its own scratch record's
    // runs: the window shows progress and handles its input in ReportProgress).
    EngineCallbacks *Progress = nullptr;
    // Polled between runs and at every ReportProgress; once true, the running run is halted
    // through its record's HaltRequest and ChooseMove answers None with Halted set.
    const std::atomic<bool> *Stop = nullptr;
    // False for a player who never marks: a proven mine is never the answer.
    bool HintMines = true;
    // When given and the answer is Safe: every certainly safe closed sector, as record slots.
    std::vector<int32_t> *SafeSlots = nullptr;
    int32_t StepDepth = 25; // the engine's work budget per run, 2^StepDepth steps
    // The sectors that could take a mine, in the order the rules lay them (GameRules::
    // MineCandidates of the first press). Without it, mines are taken as laid evenly.
    const std::vector<int32_t> *LayingOrder = nullptr;
};

// The move on `game` as the player sees it (State, Number of open sectors, Mines, FairPlay,
// SizeX/SizeY; markers ignored, since a marker may be wrong; triggered mines known). Before the
// first press: the corner (the first press is always safe). Runs the engine on a record of its
// own; the caller attaches the engine back to its record afterwards.
Hint ChooseMove(ProbabilityEngine &engine, const TGameState &game, const MoveOptions &options = {});
