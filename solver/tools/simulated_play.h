// Seeded games played by a simulated player, to collect positions for the corpus and the
// tests. Mines are laid by the game's own rule and generator.
#pragma once

#include "solver.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace kelvane::solver
{

struct PlaySettings {
    int32_t Width = 9, Height = 9, Mines = 10;
    bool FairPlay = false;
    double MarkerRate = 0.0;      // chance, per move, to mark a known mine
    double WrongMarkerRate = 0.0; // chance, per move, to mark a safe sector by mistake
    double TriggerRate = 0.0;     // chance, per move, to open a mine (Trainer Mode)
    bool UseEngine = false;       // open the safest sector as the engine sees it
};

class SimulatedGame
{
  public:
    SimulatedGame(uint32_t seed, const PlaySettings &settings);
    // One move of the player; false once the game is over (won, or a mine opened outside
    // Trainer Mode, which the player never does on purpose).
    bool Move();
    // What the player sees now.
    const Position &Visible() const { return View; }
    bool Mined(int32_t i) const { return Mine[i] != 0; }

  private:
    uint32_t Next(uint32_t n);
    void Open(int32_t i);
    int32_t Neighbours(int32_t i, int32_t *out) const;

    PlaySettings Settings;
    uint32_t State;
    std::vector<uint8_t> Mine;
    std::vector<int32_t> Count;
    Position View;
    int32_t SafeLeft = 0;
};

} // namespace kelvane::solver
