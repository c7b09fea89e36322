#include "no_guess.h"

#include <chrono>
#include <memory>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

// A proof that needs more steps than this is no proof: the layout is repaired instead.
constexpr int32_t ProofStepDepth = 22;
// Repairs of one drawn layout before a fresh one is drawn.
constexpr int32_t RepairsPerLayout = 60;

// The search's sink: it shows nothing, tells how each run ended and stops a run that would
// overrun the budget.
struct SilentSink {
    EngineEvents Base;
    TGameState *Game = nullptr;
    Clock::time_point Deadline;
    bool Finished = false;
    bool OutOfTime = false;
};

SilentSink *SinkOf(EngineEvents *self)
{
    return reinterpret_cast<SilentSink *>(self);
}
void Ignore0(EngineEvents *) {}
void Ignore2(EngineEvents *, int32_t, int32_t) {}
void Ignore3(EngineEvents *, int32_t, int32_t, int32_t) {}
void WatchTheClock(EngineEvents *self, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)
{
    SilentSink *sink = SinkOf(self);
    if (Clock::now() >= sink->Deadline) {
        sink->OutOfTime = true;
        sink->Game->HaltRequest = 1;
    }
}
void RunFailed(EngineEvents *self)
{
    SinkOf(self)->Finished = false;
}
void RunDone(EngineEvents *self)
{
    SinkOf(self)->Finished = SinkOf(self)->Game->HaltRequest == 0;
}

const EngineEventsTable SilentTable = {Ignore2, Ignore2,       Ignore0,   Ignore3, Ignore3, Ignore0,
                                       Ignore2, WatchTheClock, RunFailed, RunDone, Ignore0};

// The engine's view of the board, 16-byte aligned as the contract asks.
struct alignas(16) ScratchRecord {
    TGameState Game;
};

bool InField(const NoGuessRequest &q, int32_t c, int32_t r)
{
    return c >= 0 && r >= 0 && c < q.SizeX && r < q.SizeY;
}

bool MayHoldMine(const NoGuessRequest &q, int32_t c, int32_t r)
{
    const bool corner = (c == 0 || c == q.SizeX - 1) && (r == 0 || r == q.SizeY - 1);
    const bool opening = c >= q.Col - 1 && c <= q.Col + 1 && r >= q.Row - 1 && r <= q.Row + 1;
    return !opening && !(q.FairPlay && corner);
}

class Search
{
  public:
    Search(ProbabilityEngine &engine, Random &rng, const NoGuessRequest &request);
    NoGuessBoard Run();

  private:
    enum class Outcome { Cleared, Stuck, OutOfTime };

    void DrawLayout();
    void CountNeighbours();
    Outcome Play();
    bool RunEngine();
    bool Open(int32_t slot);
    bool Repair();
    bool Frontier(int32_t slot) const;
    int32_t Pick(const std::vector<int32_t> &slots)
    {
        return slots[Rng.Below(static_cast<uint32_t>(slots.size()))];
    }

    ProbabilityEngine &Engine;
    Random &Rng;
    NoGuessRequest Request;
    Clock::time_point Deadline;
    std::unique_ptr<ScratchRecord> Scratch = std::make_unique<ScratchRecord>();
    TGameState &View = Scratch->Game;
    SilentSink Sink;

    std::vector<int32_t> Cells;      // slots of the field, column by column
    std::vector<int32_t> Candidates; // slots that may hold a mine, in the placement order
    std::array<uint8_t, KELVANE_SECTOR_SLOTS> Mine{};
    std::array<int32_t, KELVANE_SECTOR_SLOTS> Count{};
    std::array<std::array<int16_t, 8>, KELVANE_SECTOR_SLOTS> Neighbour{};
    std::array<uint8_t, KELVANE_SECTOR_SLOTS> Neighbours{};
    std::vector<int32_t> Pending;
};

Search::Search(ProbabilityEngine &engine, Random &rng, const NoGuessRequest &request)
    : Engine(engine), Rng(rng), Request(request)
{
    for (int32_t c = 0; c < Request.SizeX; ++c)
        for (int32_t r = 0; r < Request.SizeY; ++r) {
            const int32_t slot = KELVANE_SECTOR_INDEX(c, r);
            Cells.push_back(slot);
            if (MayHoldMine(Request, c, r)) Candidates.push_back(slot);
            for (int32_t i = c - 1; i <= c + 1; ++i)
                for (int32_t j = r - 1; j <= r + 1; ++j)
                    if ((i != c || j != r) && InField(Request, i, j))
                        Neighbour[slot][Neighbours[slot]++] =
                            static_cast<int16_t>(KELVANE_SECTOR_INDEX(i, j));
        }

    TGameState &v = View;
    v.Active = v.Live = 1;
    v.Level = 4;
    v.SizeX = Request.SizeX;
    v.SizeY = Request.SizeY;
    v.MaxX = Request.SizeX - 1;
    v.MaxY = Request.SizeY - 1;
    v.Mines = Request.Mines;
    v.FairPlay = Request.FairPlay ? 1 : 0;
    v.ProbDisplay = 1;
    // Exact probabilities with the mine count; the markers are the player's proven mines.
    v.AdvancedMode = 1;
    v.DupCheck = 1;
    v.CheckingMode = 0;
    v.StepDepth = ProofStepDepth;

    Sink.Base.vtbl = &SilentTable;
    Sink.Game = &View;
}

// The game's placement rule on the candidates: a draw below their count, stepping forward
// past the ones already taken.
void Search::DrawLayout()
{
    Mine.fill(0);
    std::vector<int32_t> list = Candidates;
    const auto n = static_cast<uint32_t>(list.size());
    for (int32_t m = 0; m < Request.Mines; ++m) {
        uint32_t k = Rng.Below(n);
        while (list[k] == -1)
            k = k + 1 == n ? 0 : k + 1;
        Mine[list[k]] = 1;
        list[k] = -1;
    }
    CountNeighbours();
}

void Search::CountNeighbours()
{
    for (int32_t slot : Cells) {
        int32_t count = 0;
        for (int32_t k = 0; k < Neighbours[slot]; ++k)
            count += Mine[Neighbour[slot][k]];
        Count[slot] = count;
    }
}

// Opens a sector as the game does, a zero with its whole region. False if it holds a mine,
// which a proof never asks for.
bool Search::Open(int32_t slot)
{
    if (Mine[slot] != 0) return false;
    Pending.assign(1, slot);
    while (!Pending.empty()) {
        const int32_t s = Pending.back();
        Pending.pop_back();
        if (View.State[s] != SECTOR_CLOSED) continue;
        View.State[s] = SECTOR_OPEN;
        View.Number[s] = Count[s];
        View.Prob[s] = 0.0f;
        --View.SafeLeft;
        if (Count[s] == 0)
            for (int32_t k = 0; k < Neighbours[s]; ++k)
                if (View.State[Neighbour[s][k]] == SECTOR_CLOSED)
                    Pending.push_back(Neighbour[s][k]);
    }
    return true;
}

bool Search::RunEngine()
{
    View.EngineBusy = 1;
    View.HaltRequest = 0;
    View.RecalcNeeded = 1;
    Sink.Finished = false;
    Engine.vtbl->Calculate(&Engine, Request.Col, Request.Row);
    View.EngineBusy = 0;
    return Sink.Finished;
}

// Plays the layout by the rule from the first press. Leaves the view where play ended.
Search::Outcome Search::Play()
{
    for (int32_t slot : Cells) {
        View.State[slot] = SECTOR_CLOSED;
        View.Number[slot] = 0;
        View.Mined[slot] = 0;
        View.Prob[slot] = -1.0f;
    }
    View.MinesLeft = Request.Mines;
    View.SafeLeft = static_cast<int32_t>(Cells.size()) - Request.Mines;
    Open(KELVANE_SECTOR_INDEX(Request.Col, Request.Row));
    while (View.SafeLeft > 0) {
        if (Clock::now() >= Deadline) return Outcome::OutOfTime;
        const bool finished = RunEngine();
        if (Sink.OutOfTime) return Outcome::OutOfTime;
        if (!finished) return Outcome::Stuck;
        bool progress = false;
        for (int32_t slot : Cells) {
            if (View.State[slot] != SECTOR_CLOSED) continue;
            const float p = View.Prob[slot];
            if (p == 0.0f) {
                if (!Open(slot)) return Outcome::Stuck;
                progress = true;
            } else if (p == 1.0f) {
                if (Mine[slot] == 0) return Outcome::Stuck;
                View.State[slot] = SECTOR_MARKED;
                --View.MinesLeft;
                progress = true;
            }
        }
        if (!progress) return Outcome::Stuck;
    }
    return Outcome::Cleared;
}

bool Search::Frontier(int32_t slot) const
{
    for (int32_t k = 0; k < Neighbours[slot]; ++k)
        if (View.State[Neighbour[slot][k]] == SECTOR_OPEN) return true;
    return false;
}

// Moves one mine where play got stuck: a closed sector next to the open area is picked; a
// mine there goes to a closed sector away from the open area, a free one takes a mine from
// there. With no closed sector next to the open area, a proven mine walling off the rest goes.
bool Search::Repair()
{
    std::vector<int32_t> edge, wall, awayFree, awayMines;
    for (int32_t slot : Cells) {
        const int32_t state = View.State[slot];
        if (state == SECTOR_CLOSED) {
            if (Frontier(slot))
                edge.push_back(slot);
            else if (Mine[slot] != 0)
                awayMines.push_back(slot);
            else
                awayFree.push_back(slot);
        } else if (state == SECTOR_MARKED) {
            for (int32_t k = 0; k < Neighbours[slot]; ++k)
                if (View.State[Neighbour[slot][k]] == SECTOR_CLOSED) {
                    wall.push_back(slot);
                    break;
                }
        }
    }
    const int32_t x = !edge.empty() ? Pick(edge) : !wall.empty() ? Pick(wall) : -1;
    if (x < 0) return false;
    const auto allowed = [this](int32_t slot) {
        const int32_t c = slot / KELVANE_COLUMN_SLOTS, r = slot % KELVANE_COLUMN_SLOTS;
        return MayHoldMine(Request, c, r);
    };
    if (Mine[x] != 0) {
        std::vector<int32_t> to;
        for (int32_t slot : awayFree)
            if (allowed(slot)) to.push_back(slot);
        if (to.empty())
            for (int32_t slot : edge)
                if (Mine[slot] == 0 && allowed(slot)) to.push_back(slot);
        if (to.empty()) return false;
        Mine[x] = 0;
        Mine[Pick(to)] = 1;
    } else {
        if (awayMines.empty() || !allowed(x)) return false;
        Mine[Pick(awayMines)] = 0;
        Mine[x] = 1;
    }
    CountNeighbours();
    return true;
}

NoGuessBoard Search::Run()
{
    const Clock::time_point start = Clock::now();
    Deadline = start + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(Request.BudgetSeconds));
    Sink.Deadline = Deadline;
    Engine.vtbl->Attach(&Engine, &View, &Sink.Base);

    NoGuessBoard board;
    bool searching = NoGuessPossible(Request);
    while (searching) {
        DrawLayout();
        for (int32_t repairs = 0;; ++repairs) {
            ++board.Attempts;
            const Outcome outcome = Play();
            if (outcome == Outcome::Cleared) {
                board.Found = true;
                board.Mined = Mine;
            }
            if (outcome != Outcome::Stuck) {
                searching = false;
                break;
            }
            if (repairs == RepairsPerLayout || !Repair()) break;
        }
        if (Clock::now() >= Deadline) searching = false;
    }
    board.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return board;
}

} // namespace

int32_t NoGuessCandidateCount(const NoGuessRequest &request)
{
    int32_t n = 0;
    for (int32_t c = 0; c < request.SizeX; ++c)
        for (int32_t r = 0; r < request.SizeY; ++r)
            n += MayHoldMine(request, c, r);
    return n;
}

bool NoGuessPossible(const NoGuessRequest &request)
{
    if (request.SizeX < 1 || request.SizeX > KELVANE_COLUMN_SLOTS || request.SizeY < 1 ||
        request.SizeY > KELVANE_COLUMN_SLOTS || !InField(request, request.Col, request.Row))
        return false;
    return request.Mines >= 0 && request.Mines <= NoGuessCandidateCount(request);
}

NoGuessBoard GenerateNoGuessBoard(ProbabilityEngine &engine, Random &rng,
                                  const NoGuessRequest &request)
{
    if (!NoGuessPossible(request)) return {};
    Search search(engine, rng, request);
    return search.Run();
}
