#include "engine_object.h"

#include "solver.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace kelvane::solver
{
namespace
{

int32_t Saturate(uint64_t v)
{
    return static_cast<int32_t>(std::min<uint64_t>(v, std::numeric_limits<int32_t>::max()));
}

int32_t Saturate(int64_t v)
{
    return Saturate(static_cast<uint64_t>(std::max<int64_t>(v, 0)));
}

// Prob is a float: certainty survives the narrowing, and so does uncertainty.
float ToProb(double p)
{
    if (p <= 0.0) return 0.0f;
    if (p >= 1.0) return 1.0f;
    float f = static_cast<float>(p);
    if (f <= 0.0f) f = std::numeric_limits<float>::denorm_min();
    if (f >= 1.0f) f = std::nextafter(1.0f, 0.0f);
    return f;
}

// Turns the core's reports into calls of the program's sink.
class SinkMonitor final : public Monitor
{
  public:
    SinkMonitor(TGameState &game, EngineEvents &events) : Game(game), Events(events) {}

    void SectorCounts(int32_t closed, int32_t open, int32_t groups) override
    {
        Events.vtbl->SetSectorCounts(&Events, closed, open, groups);
    }
    void SimplifiedCounts(int32_t closed, int32_t open, int32_t groups) override
    {
        Events.vtbl->AppendSectorCounts(&Events, closed, open, groups);
    }
    void Budget(uint64_t steps) override
    {
        Events.vtbl->ResetRunCounters(&Events);
        Events.vtbl->SetMaxCombinations(&Events, Saturate(steps), 0);
    }
    void Working(int32_t c, int32_t r) override
    {
        if (Game.State[KELVANE_SECTOR_INDEX(c, r)] != SECTOR_CLOSED) return;
        Events.vtbl->HighlightSector(&Events, c, r);
        Highlighted.push_back(KELVANE_SECTOR_INDEX(c, r));
    }
    void Report(const Progress &p) override
    {
        Events.vtbl->ReportProgress(&Events, p.Run, p.Runs, Saturate(p.Live), Saturate(p.MostLive),
                                    Saturate(p.Steps), p.Percent);
    }
    bool Halted() override
    {
#ifdef KELVANE_HALT_AFTER_CHECKS
        // The fuzzing build ends every run after this many checks of 2048 steps, through the
        // same path as the player's halt, so that no input costs more than milliseconds.
        if (++Checks > KELVANE_HALT_AFTER_CHECKS) return true;
#endif
        return Game.HaltRequest != 0;
    }

    // Highlighted sectors get their look back when a run writes nothing.
    void Unhighlight()
    {
        for (int32_t i : Highlighted)
            Events.vtbl->DrawClosedSector(&Events, i / KELVANE_COLUMN_SLOTS,
                                          i % KELVANE_COLUMN_SLOTS);
        Highlighted.clear();
    }

  private:
    TGameState &Game;
    EngineEvents &Events;
    std::vector<int32_t> Highlighted;
#ifdef KELVANE_HALT_AFTER_CHECKS
    int32_t Checks = 0;
#endif
};

struct EngineObject {
    ProbabilityEngine Base;
    TGameState *Game = nullptr;
    EngineEvents *Events = nullptr;
};

bool ReadGame(const TGameState &game, Position &position, Options &options)
{
    if (game.SizeX < 1 || game.SizeX > KELVANE_COLUMN_SLOTS || game.SizeY < 1 ||
        game.SizeY > KELVANE_COLUMN_SLOTS || game.MaxX != game.SizeX - 1 ||
        game.MaxY != game.SizeY - 1)
        return false;
    position.Width = game.SizeX;
    position.Height = game.SizeY;
    position.Mines = game.Mines;
    position.FairPlay = game.FairPlay != 0;
    const size_t cells = static_cast<size_t>(game.SizeX) * game.SizeY;
    position.State.assign(cells, Cell::Closed);
    position.Number.assign(cells, 0);
    for (int32_t c = 0; c < game.SizeX; ++c) {
        for (int32_t r = 0; r < game.SizeY; ++r) {
            const int32_t slot = KELVANE_SECTOR_INDEX(c, r);
            const int32_t state = game.State[slot];
            if (state < SECTOR_CLOSED || state > SECTOR_TRIGGERED) return false;
            const int32_t i = position.Index(c, r);
            position.State[i] = static_cast<Cell>(state);
            // The number of a sector that is not open is the player's secret: never read it.
            if (state == SECTOR_OPEN) position.Number[i] = game.Number[slot];
        }
    }
    options.Advanced = game.AdvancedMode != 0;
    options.DupCheck = game.DupCheck != 0;
    options.Checking = game.CheckingMode == 0   ? CheckingRule::Minimal
                       : game.CheckingMode == 2 ? CheckingRule::Maximal
                                                : CheckingRule::Optimal;
    options.StepDepth = game.StepDepth;
    return true;
}

int32_t Calculate(EngineObject &engine)
{
    TGameState &game = *engine.Game;
    EngineEvents &events = *engine.Events;
    Position position;
    Options options;
    if (!ReadGame(game, position, options)) {
        events.vtbl->ShowStatusError(&events);
        return 0;
    }
    SinkMonitor monitor(game, events);
    const Result result = Solve(position, options, &monitor);
    switch (result.RunStatus) {
    case Status::Finished:
        for (int32_t c = 0; c < position.Width; ++c) {
            for (int32_t r = 0; r < position.Height; ++r) {
                const double p = result.Probability[position.Index(c, r)];
                if (p < 0.0) continue;
                const int32_t slot = KELVANE_SECTOR_INDEX(c, r);
                game.Prob[slot] = ToProb(p);
                if (game.State[slot] == SECTOR_CLOSED) events.vtbl->DrawClosedSector(&events, c, r);
            }
        }
        events.vtbl->RefreshBoard(&events);
        events.vtbl->ShowStatusDone(&events);
        break;
    case Status::Halted:
        game.HaltRequest = 1;
        monitor.Unhighlight();
        events.vtbl->RefreshBoard(&events);
        events.vtbl->ShowStatusDone(&events);
        break;
    case Status::Error:
        monitor.Unhighlight();
        events.vtbl->RefreshBoard(&events);
        events.vtbl->ShowStatusError(&events);
        break;
    }
    return Saturate(result.Steps);
}

void AttachEntry(ProbabilityEngine *self, TGameState *game, EngineEvents *events)
{
    auto *engine = reinterpret_cast<EngineObject *>(self);
    engine->Game = game;
    engine->Events = events;
}

int32_t CalculateEntry(ProbabilityEngine *self, int32_t, int32_t)
{
    auto *engine = reinterpret_cast<EngineObject *>(self);
    if (engine == nullptr || engine->Game == nullptr || engine->Events == nullptr) return 0;
    try {
        return Calculate(*engine);
    } catch (...) {
        // Nothing may cross the C boundary; the program learns of the failure as "Error".
        try {
            engine->Events->vtbl->ShowStatusError(engine->Events);
        } catch (...) {
        }
        return 0;
    }
}

const ProbabilityEngineTable Table = {AttachEntry, CalculateEntry};

} // namespace

void DeleteEngineObject(ProbabilityEngine *engine)
{
    delete reinterpret_cast<EngineObject *>(engine);
}

void LoadPosition(TGameState &game, const Position &position)
{
    game.SizeX = position.Width;
    game.SizeY = position.Height;
    game.MaxX = position.Width - 1;
    game.MaxY = position.Height - 1;
    game.Mines = position.Mines;
    game.FairPlay = position.FairPlay ? 1 : 0;
    int32_t known = 0;
    for (int32_t c = 0; c < position.Width; ++c) {
        for (int32_t r = 0; r < position.Height; ++r) {
            const int32_t i = position.Index(c, r);
            const int32_t slot = KELVANE_SECTOR_INDEX(c, r);
            const Cell state = position.State[i];
            game.State[slot] = static_cast<int32_t>(state);
            game.Number[slot] = state == Cell::Open ? position.Number[i] : 0;
            game.Prob[slot] = state == Cell::Open ? 0.0f : state == Cell::Triggered ? 1.0f : -1.0f;
            known += state == Cell::Marked || state == Cell::Triggered;
        }
    }
    game.MinesLeft = position.Mines - known;
    game.SafeLeft = 0;
}

ProbabilityEngine *NewEngineObject()
{
    try {
        auto *engine = new EngineObject;
        engine->Base.vtbl = &Table;
        return &engine->Base;
    } catch (...) {
        return nullptr;
    }
}

} // namespace kelvane::solver
