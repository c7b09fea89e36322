// What the rules ask of the window: drawing into the off-screen board, the counter, the
// clock and the engine panel. The rules decide when; the window decides how it looks.
#pragma once

#include "kelvane_engine.h"

#include <cstdint>

class GameView
{
  public:
    virtual ~GameView() = default;

    virtual void DrawOpenSector(int32_t c, int32_t r) = 0;
    virtual void DrawMarker(int32_t c, int32_t r) = 0;
    // The closed texture with its probability figure; the rules switch to the small font
    // around it with SetFieldFontSmall.
    virtual void DrawClosedSector(int32_t c, int32_t r) = 0;
    virtual void SetFieldFontSmall(bool small) = 0;
    // The red interior with a black "X" of a mine opened in Trainer Mode.
    virtual void DrawTriggeredSector(int32_t c, int32_t r) = 0;
    // The red bar across a marker that stands on a safe sector.
    virtual void DrawWrongMarker(int32_t c, int32_t r) = 0;
    // A closed neighbour of a failed chord, shown pressed (open texture, no text).
    virtual void DrawPressedSector(int32_t c, int32_t r) = 0;
    // Ends the game as lost with (c, r) the opened mine; calls StopGame itself.
    virtual void ShowLostBoard(int32_t c, int32_t r) = 0;
    virtual void ShowPressedFace() = 0;
    virtual void PresentField() = 0;
    virtual void DrawMinesLeftCounter(int32_t count) = 0;
    virtual void StartClock() = 0;
    virtual void StopClock() = 0;
    virtual void MarkRecalcNeeded() = 0;
    // Hides the completion lines of the engine panel (time and rate of the last run).
    virtual void HideEngineTimes() = 0;
};

// The rules played on a layout nobody sees: nothing is drawn.
class SilentView : public GameView
{
  public:
    void DrawOpenSector(int32_t, int32_t) override {}
    void DrawMarker(int32_t, int32_t) override {}
    void DrawClosedSector(int32_t, int32_t) override {}
    void SetFieldFontSmall(bool) override {}
    void DrawTriggeredSector(int32_t, int32_t) override {}
    void DrawWrongMarker(int32_t, int32_t) override {}
    void DrawPressedSector(int32_t, int32_t) override {}
    void ShowLostBoard(int32_t, int32_t) override {}
    void ShowPressedFace() override {}
    void PresentField() override {}
    void DrawMinesLeftCounter(int32_t) override {}
    void StartClock() override {}
    void StopClock() override {}
    void MarkRecalcNeeded() override {}
    void HideEngineTimes() override {}
};

// The same, noting a loss: a mine opened outside Trainer Mode ends the game.
class LossView final : public SilentView
{
  public:
    explicit LossView(TGameState &game) : Game(game) {}
    bool Lost = false;

    void ShowLostBoard(int32_t, int32_t) override
    {
        Lost = true;
        Game.Active = Game.Live = 0;
    }

  private:
    TGameState &Game;
};
