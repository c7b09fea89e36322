#include "no_guess.h"

#include "engine_client.h"
#include "rules.h"

#include <algorithm>
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

class Search : private EngineCallbacks
{
  public:
    Search(ProbabilityEngine &engine, Random &rng, const NoGuessRequest &request,
           NoGuessWatcher *watcher);
    NoGuessBoard Run();

  private:
    enum class Outcome { Cleared, Stuck, OutOfBudget, GaveUp };

    void DrawLayout();
    void Lay();
    Outcome Play();
    bool Open(int32_t slot);
    bool Repair();
    bool Next(int32_t slot, int32_t state) const;
    int32_t Pick(const std::vector<int32_t> &slots)
    {
        return slots[Rng.Below(static_cast<uint32_t>(slots.size()))];
    }
    // Between runs and while the engine works: the watcher and the guard may stop the search.
    bool Stopped(uint64_t running);
    void ReportProgress(int32_t, int32_t, int32_t, int32_t, int32_t steps, int32_t) override;

    Random &Rng;
    NoGuessRequest Request;
    NoGuessWatcher *Watcher;
    Clock::time_point Deadline;
    EngineSession Session;
    TGameState &View; // the engine's record: what the player sees
    struct Hidden {
        TGameState Game{};
    };
    std::unique_ptr<Hidden> Layout = std::make_unique<Hidden>(); // the rules' record
    SilentView NoDrawing;                                        // the rules play the hidden layout
    GameRules Rules;

    std::vector<int32_t> Cells;      // slots of the field, column by column
    std::vector<int32_t> Candidates; // slots that may hold a mine, in the placement order
    std::array<uint8_t, KELVANE_SECTOR_SLOTS> Mine{};
    uint64_t Work = 0, RunCharge = 0;
    bool GivenUp = false, OutOfTime = false;
};

Search::Search(ProbabilityEngine &engine, Random &rng, const NoGuessRequest &request,
               NoGuessWatcher *watcher)
    : Rng(rng), Request(request), Watcher(watcher), Session(engine, this), View(Session.Game()),
      Rules(Layout->Game, NoDrawing, rng)
{
    for (int32_t c = 0; c < Request.SizeX; ++c)
        for (int32_t r = 0; r < Request.SizeY; ++r) {
            const int32_t slot = KELVANE_SECTOR_INDEX(c, r);
            Cells.push_back(slot);
            if (MayHoldMine(Request, c, r)) Candidates.push_back(slot);
        }

    for (TGameState *g : {&View, &Layout->Game}) {
        TGameState &v = *g;
        v.Active = v.Live = 1;
        v.Level = 4;
        SetFieldSize(v, Request.SizeX, Request.SizeY, Request.Mines);
        v.FairPlay = Request.FairPlay ? 1 : 0;
        v.ProbDisplay = 1;
    }
    RunCharge = NoGuessRunWork(Request.SizeX * Request.SizeY);
    // Exact probabilities with the mine count; the markers are the player's proven mines.
    SetEngineOptions(View, {true, true, 0, ProofStepDepth});
}

// The game's placement rule on the candidates.
void Search::DrawLayout()
{
    std::vector<int32_t> list = Candidates;
    Rules.ClearBoard();
    Rules.PlaceMinesAmong(list.data(), static_cast<int32_t>(list.size()));
    for (int32_t slot : Cells)
        Mine[slot] = static_cast<uint8_t>(Layout->Game.Mined[slot]);
}

// The layout in Mine on a closed board, counted and started by the rules.
void Search::Lay()
{
    Rules.ClearBoard();
    Rules.PlaceGivenMines(Mine.data());
}

// Opens a sector as the game does, a zero with its whole region. False if it holds a mine,
// which a proof never asks for.
bool Search::Open(int32_t slot)
{
    if (Mine[slot] != 0) return false;
    Rules.OpenArea(slot / KELVANE_COLUMN_SLOTS, slot % KELVANE_COLUMN_SLOTS, false);
    return true;
}

bool Search::Stopped(uint64_t running)
{
    if (Watcher != nullptr && !GivenUp) {
        const uint64_t spent = std::min(Work + running, Request.Work);
        const auto percent =
            static_cast<int32_t>(Request.Work == 0 ? 100 : spent * 100 / Request.Work);
        GivenUp = Watcher->GiveUp(percent);
    }
    OutOfTime = OutOfTime || Clock::now() >= Deadline;
    return GivenUp || OutOfTime;
}

void Search::ReportProgress(int32_t, int32_t, int32_t, int32_t, int32_t steps, int32_t)
{
    if (Stopped(static_cast<uint64_t>(std::max(steps, 0)))) View.HaltRequest = 1;
}

// Plays the layout by the rule from the first press.
Search::Outcome Search::Play()
{
    Lay();
    for (int32_t slot : Cells)
        View.Prob[slot] = -1.0f;
    Open(KELVANE_SECTOR_INDEX(Request.Col, Request.Row));
    TGameState &game = Layout->Game;
    while (game.SafeLeft > 0) {
        if (Work >= Request.Work) return Outcome::OutOfBudget;
        if (Stopped(0)) return Outcome::GaveUp;
        for (int32_t slot : Cells) {
            View.State[slot] = game.State[slot];
            View.Number[slot] = game.State[slot] == SECTOR_OPEN ? game.Number[slot] : 0;
        }
        View.MinesLeft = game.MinesLeft;
        View.SafeLeft = game.SafeLeft;
        const RunResult run = Session.Run(Request.Col, Request.Row);
        Work += static_cast<uint64_t>(std::max(run.Combinations, 0)) + RunCharge;
        if (GivenUp || OutOfTime) return Outcome::GaveUp;
        if (run.End != RunEnd::Finished) return Outcome::Stuck;
        bool progress = false;
        for (int32_t slot : Cells) {
            if (game.State[slot] != SECTOR_CLOSED) continue;
            const float p = View.Prob[slot];
            if (p == 0.0f) {
                if (!Open(slot)) return Outcome::Stuck;
                progress = true;
            } else if (p == 1.0f) {
                if (Mine[slot] == 0) return Outcome::Stuck;
                Rules.ToggleMarker(slot / KELVANE_COLUMN_SLOTS, slot % KELVANE_COLUMN_SLOTS);
                progress = true;
            }
        }
        if (!progress) return Outcome::Stuck;
    }
    return Outcome::Cleared;
}

// True when a neighbour of the sector is in `state`.
bool Search::Next(int32_t slot, int32_t state) const
{
    const int32_t c = slot / KELVANE_COLUMN_SLOTS, r = slot % KELVANE_COLUMN_SLOTS;
    for (int32_t i = c - 1; i <= c + 1; ++i)
        for (int32_t j = r - 1; j <= r + 1; ++j)
            if ((i != c || j != r) && InField(Request, i, j) &&
                Layout->Game.State[KELVANE_SECTOR_INDEX(i, j)] == state)
                return true;
    return false;
}

// Moves one mine where play got stuck: a closed sector next to the open area is picked; a
// mine there goes to a closed sector away from the open area, a free one takes a mine from
// there. With no closed sector next to the open area, a proven mine walling off the rest goes.
bool Search::Repair()
{
    std::vector<int32_t> edge, wall, awayFree, awayMines;
    for (int32_t slot : Cells) {
        const int32_t state = Layout->Game.State[slot];
        if (state == SECTOR_CLOSED) {
            if (Next(slot, SECTOR_OPEN))
                edge.push_back(slot);
            else if (Mine[slot] != 0)
                awayMines.push_back(slot);
            else
                awayFree.push_back(slot);
        } else if (state == SECTOR_MARKED && Next(slot, SECTOR_CLOSED)) {
            wall.push_back(slot);
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
    return true;
}

NoGuessBoard Search::Run()
{
    const Clock::time_point start = Clock::now();
    Deadline = start + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(Request.GuardSeconds));
    Session.Attach();

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
        if (searching && (Work >= Request.Work || Stopped(0))) searching = false;
    }
    board.GaveUp = !board.Found && (GivenUp || OutOfTime);
    board.Work = Work;
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
                                  const NoGuessRequest &request, NoGuessWatcher *watcher)
{
    if (!NoGuessPossible(request)) return {};
    Search search(engine, rng, request, watcher);
    return search.Run();
}
