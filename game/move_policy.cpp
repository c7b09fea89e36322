#include "move_policy.h"

#include "endgame.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <map>
#include <numeric>

namespace
{

// Guesses within this much of the safest are weighed by what they lead to.
constexpr double CandidateWindow = 0.12;
constexpr size_t MostCandidates = 12;
// A candidate with at most this many uncertain neighbours gets the exact chance of each of
// its numbers (one run per set of them taken as mines); above it, an estimate.
constexpr int32_t ExactNeighbours = 4;
// The endgame is searched exactly when its layouts are at most this many ...
constexpr size_t EndgameLayoutCount = 1500;
// ... within this many answers tried (about 25 ms).
constexpr uint64_t EndgameWork = 500000;

bool Half(float p)
{
    return std::fabs(p - 0.5f) < 1e-6f;
}

// What one number of a candidate leads to.
struct Outcome {
    bool Possible = false;
    double Weight = 0.0;
    int32_t SafeAfter = 0; // certainly safe sectors afterwards
    double NextSafe = 1.0; // the chance to survive the next move: 1 when a safe sector is left
};

class Analyst final : private EngineCallbacks
{
  public:
    Analyst(ProbabilityEngine &engine, const TGameState &game, const MoveOptions &options)
        : Game(game), Options(options), Session(engine, this), Scratch(Session.Game())
    {
    }

    Hint Choose();

  private:
    // The sink: every call handed on; the stop request checked at every report.
    void HighlightSector(int32_t c, int32_t r) override { Fwd().HighlightSector(c, r); }
    void DrawClosedSector(int32_t c, int32_t r) override { Fwd().DrawClosedSector(c, r); }
    void ShowStatusIdle() override { Fwd().ShowStatusIdle(); }
    void SetSectorCounts(int32_t a, int32_t b, int32_t c) override
    {
        Fwd().SetSectorCounts(a, b, c);
    }
    void AppendSectorCounts(int32_t a, int32_t b, int32_t c) override
    {
        Fwd().AppendSectorCounts(a, b, c);
    }
    void ResetRunCounters() override { Fwd().ResetRunCounters(); }
    void SetMaxCombinations(int32_t total, int32_t percent) override
    {
        Fwd().SetMaxCombinations(total, percent);
    }
    void ReportProgress(int32_t run, int32_t runs, int32_t s, int32_t s2, int32_t k,
                        int32_t percent) override
    {
        Fwd().ReportProgress(run, runs, s, s2, k, percent);
        if (Stopped()) Scratch.HaltRequest = 1;
    }
    void ShowStatusError() override { Fwd().ShowStatusError(); }
    void ShowStatusDone() override { Fwd().ShowStatusDone(); }
    void RefreshBoard() override { Fwd().RefreshBoard(); }
    EngineCallbacks &Fwd() { return Options.Progress != nullptr ? *Options.Progress : Quiet; }
    bool Stopped() const { return Options.Stop != nullptr && Options.Stop->load(); }

    void Reset();
    RunEnd Run();
    void Open(int32_t slot, int32_t number);
    void Trigger(int32_t slot);
    std::vector<int32_t> Neighbours(int32_t slot) const;
    Hint Answer(HintKind kind, int32_t slot, double safe) const;

    template <class Chance> double LaidRisk(int32_t slot, double p, Chance chance) const;
    double Risk(int32_t slot) const;
    double ScratchRisk(int32_t slot) const;
    double TypicalRunOdds(const std::vector<int32_t> &uncertain) const;
    Hint ChooseSafe(const std::vector<int32_t> &safe) const;
    bool FindCoinToss(const std::vector<int32_t> &uncertain, Hint &hint);
    bool SearchEndgame(const std::vector<int32_t> &uncertain, Hint &hint);
    void WeighLayouts(EndgameLayouts &layouts) const;
    Hint LookAhead(const std::vector<int32_t> &uncertain);
    std::vector<int32_t> Candidates(const std::vector<int32_t> &uncertain) const;
    bool Weigh(int32_t slot, std::vector<Outcome> &outcomes);
    bool ExactWeights(int32_t slot, const std::vector<int32_t> &around, std::vector<double> &w);
    bool EstimatedWeights(int32_t slot, const std::vector<int32_t> &around, std::vector<double> &w);

    const TGameState &Game;
    const MoveOptions &Options;
    EngineCallbacks Quiet;
    EngineSession Session;
    TGameState &Scratch;
    bool Halted = false;
    std::vector<int32_t> Field;                 // every slot of the field
    std::vector<float> P;                       // the position's probabilities, by slot
    std::vector<uint8_t> Mine;                  // known mines: triggered or probability 1
    std::vector<int32_t> BaseState, BaseNumber; // what the player sees, markers taken off
    int32_t BaseMinesLeft = 0;
    std::vector<int32_t> Laying, LayingIndex; // the laying order, and each slot's place in it
    double EvenOdds = 1.0; // RunOdds of a sector among those far from every number
};

void Analyst::Reset()
{
    for (int32_t slot : Field) {
        Scratch.State[slot] = BaseState[static_cast<size_t>(slot)];
        Scratch.Number[slot] = BaseNumber[static_cast<size_t>(slot)];
        Scratch.Prob[slot] = Scratch.State[slot] == SECTOR_OPEN        ? 0.0f
                             : Scratch.State[slot] == SECTOR_TRIGGERED ? 1.0f
                                                                       : -1.0f;
    }
    Scratch.MinesLeft = BaseMinesLeft;
}

RunEnd Analyst::Run()
{
    if (Stopped()) {
        Halted = true;
        return RunEnd::Halted;
    }
    const RunEnd end = Session.Run(0, 0).End;
    if (end == RunEnd::Halted && Stopped()) Halted = true;
    return end;
}

void Analyst::Open(int32_t slot, int32_t number)
{
    Scratch.State[slot] = SECTOR_OPEN;
    Scratch.Number[slot] = number;
    Scratch.Prob[slot] = 0.0f;
}

void Analyst::Trigger(int32_t slot)
{
    Scratch.State[slot] = SECTOR_TRIGGERED;
    Scratch.Prob[slot] = 1.0f;
    --Scratch.MinesLeft;
}

std::vector<int32_t> Analyst::Neighbours(int32_t slot) const
{
    std::vector<int32_t> out;
    const int32_t c = slot / KELVANE_COLUMN_SLOTS, r = slot % KELVANE_COLUMN_SLOTS;
    for (int32_t i = c - 1; i <= c + 1; ++i)
        for (int32_t j = r - 1; j <= r + 1; ++j)
            if (i >= 0 && j >= 0 && i < Game.SizeX && j < Game.SizeY && (i != c || j != r))
                out.push_back(KELVANE_SECTOR_INDEX(i, j));
    return out;
}

Hint Analyst::Answer(HintKind kind, int32_t slot, double safe) const
{
    Hint hint;
    hint.Kind = kind;
    hint.X = slot / KELVANE_COLUMN_SLOTS;
    hint.Y = slot % KELVANE_COLUMN_SLOTS;
    hint.SafeChance = safe;
    return hint;
}

// How much likelier the rules lay a run of k mines (followed by a free sector) than mines laid
// evenly would, as a logarithm: draws step on past taken sectors, and the orders of k draws
// that fill such a run number (k + 1)^(k - 1), so a whole layout weighs the product over its
// runs of (k + 1)^(k - 1) / k!, whatever the order of the runs' draws.
double LogRunWeight(int32_t k)
{
    return k <= 0 ? 0.0 : (k - 1) * std::log(k + 1.0) - std::lgamma(k + 1.0);
}

// How far along the laying order a mine's runs are followed.
constexpr size_t RunReach = 6;
using RunSide = std::array<double, RunReach>; // the chance of a mine 1, 2, ... places away

// How much likelier a mine on a sector makes the laying than a free sector does, from the
// sectors just before and after it in the laying order, taken as independent: a mine there
// joins the runs of mines on either side into one.
double RunOdds(const RunSide &before, const RunSide &after)
{
    static const auto runWeight = [] {
        std::array<double, 2 * RunReach + 2> w{};
        for (size_t k = 0; k < w.size(); ++k)
            w[k] = std::exp(LogRunWeight(static_cast<int32_t>(k)));
        return w;
    }();
    // The chance that exactly k mines lie next to the sector on one side.
    const auto runs = [](const RunSide &side) {
        std::array<double, RunReach + 1> run{};
        double all = 1.0; // the chance that the run is still going
        for (size_t k = 0; k < RunReach; ++k) {
            run[k] = all * (1.0 - side[k]);
            all *= side[k];
        }
        run[RunReach] = all;
        return run;
    };
    const auto b = runs(before), a = runs(after);
    double joined = 0.0, apartBefore = 0.0, apartAfter = 0.0;
    for (size_t l = 0; l <= RunReach; ++l) {
        apartBefore += b[l] * runWeight[l];
        apartAfter += a[l] * runWeight[l];
        for (size_t r = 0; r <= RunReach; ++r)
            joined += b[l] * a[r] * runWeight[l + r + 1];
    }
    return joined / (apartBefore * apartAfter);
}

// The chance that `slot` holds a mine, the engine's chance `p` corrected for how mines are
// laid, the sectors along the laying order each with its chance `chance(sector)`. Divided by
// the odds of a sector among sectors all as likely as those far from every number: by symmetry
// such a sector keeps the engine's chance (the runs alone miss that a mine here leaves one
// fewer for the rest of the field).
template <class Chance> double Analyst::LaidRisk(int32_t slot, double p, Chance chance) const
{
    if (p <= 0.0 || p >= 1.0) return p;
    const auto cells = static_cast<int32_t>(Laying.size());
    const int32_t place = LayingIndex[static_cast<size_t>(slot)];
    if (cells < 2 || place < 0) return p;
    const auto at = [&](int32_t i) {
        return Laying[static_cast<size_t>((i % cells + cells) % cells)];
    };
    RunSide before{}, after{};
    for (int32_t k = 1; k <= static_cast<int32_t>(RunReach); ++k) {
        const int32_t b = at(place - k), a = at(place + k);
        before[static_cast<size_t>(k - 1)] = b == slot ? 0.0 : std::clamp(chance(b), 0.0, 1.0);
        after[static_cast<size_t>(k - 1)] = a == slot ? 0.0 : std::clamp(chance(a), 0.0, 1.0);
    }
    const double mine = p * RunOdds(before, after), safe = (1.0 - p) * EvenOdds;
    return mine / (mine + safe);
}

// RunOdds of a sector among sectors all as likely as those far from every number (or, with
// none left, as the uncertain ones on average).
double Analyst::TypicalRunOdds(const std::vector<int32_t> &uncertain) const
{
    if (Laying.empty()) return 1.0;
    double sum = 0.0, farSum = 0.0;
    int32_t far = 0;
    for (int32_t slot : uncertain) {
        const auto neighbours = Neighbours(slot);
        const bool farAway = std::none_of(neighbours.begin(), neighbours.end(), [&](int32_t n) {
            return BaseState[static_cast<size_t>(n)] == SECTOR_OPEN;
        });
        sum += P[static_cast<size_t>(slot)];
        if (farAway) farSum += P[static_cast<size_t>(slot)], ++far;
    }
    RunSide even{};
    even.fill(far > 0 ? farSum / far : sum / static_cast<double>(uncertain.size()));
    return RunOdds(even, even);
}

// The corrected chance on the position the player sees.
double Analyst::Risk(int32_t slot) const
{
    const auto chance = [&](int32_t n) {
        const auto i = static_cast<size_t>(n);
        return BaseState[i] == SECTOR_OPEN ? 0.0 : Mine[i] != 0 ? 1.0 : static_cast<double>(P[i]);
    };
    return LaidRisk(slot, P[static_cast<size_t>(slot)], chance);
}

// The corrected chance on the scratch record's position, after an engine run on it.
double Analyst::ScratchRisk(int32_t slot) const
{
    const auto chance = [&](int32_t n) {
        return Scratch.State[n] == SECTOR_OPEN ? 0.0 : static_cast<double>(Scratch.Prob[n]);
    };
    return LaidRisk(slot, Scratch.Prob[slot], chance);
}

Hint Analyst::Choose()
{
    if (Game.Live == 0) return {};
    if (Game.Active == 0) return Answer(HintKind::Safe, KELVANE_SECTOR_INDEX(0, 0), 1.0);

    Scratch.Active = Scratch.Live = Scratch.ProbDisplay = 1;
    Scratch.Level = 4;
    Scratch.SizeX = Game.SizeX;
    Scratch.SizeY = Game.SizeY;
    Scratch.MaxX = Game.SizeX - 1;
    Scratch.MaxY = Game.SizeY - 1;
    Scratch.Mines = Game.Mines;
    Scratch.FairPlay = Game.FairPlay != 0 ? 1 : 0;
    SetEngineOptions(Scratch, {true, true, 2, Options.StepDepth});
    BaseState.assign(KELVANE_SECTOR_SLOTS, SECTOR_CLOSED);
    BaseNumber.assign(KELVANE_SECTOR_SLOTS, 0);
    BaseMinesLeft = Game.Mines;
    for (int32_t c = 0; c < Game.SizeX; ++c)
        for (int32_t r = 0; r < Game.SizeY; ++r) {
            const int32_t slot = KELVANE_SECTOR_INDEX(c, r);
            Field.push_back(slot);
            const int32_t state = Game.State[slot];
            if (state == SECTOR_OPEN) {
                BaseState[static_cast<size_t>(slot)] = SECTOR_OPEN;
                BaseNumber[static_cast<size_t>(slot)] = Game.Number[slot];
            } else if (state == SECTOR_TRIGGERED) {
                BaseState[static_cast<size_t>(slot)] = SECTOR_TRIGGERED;
                --BaseMinesLeft;
            }
        }
    if (Options.LayingOrder != nullptr)
        for (int32_t slot : *Options.LayingOrder)
            if (slot >= 0 && slot < KELVANE_SECTOR_SLOTS) Laying.push_back(slot);
    LayingIndex.assign(KELVANE_SECTOR_SLOTS, -1);
    for (size_t i = 0; i < Laying.size(); ++i)
        LayingIndex[static_cast<size_t>(Laying[i])] = static_cast<int32_t>(i);
    Session.Attach();
    Reset();
    if (Run() != RunEnd::Finished) {
        Hint none;
        none.Halted = true;
        return none;
    }

    P.assign(KELVANE_SECTOR_SLOTS, -1.0f);
    Mine.assign(KELVANE_SECTOR_SLOTS, 0);
    std::vector<int32_t> safe, mines, uncertain;
    for (int32_t slot : Field) {
        const auto i = static_cast<size_t>(slot);
        if (BaseState[i] == SECTOR_TRIGGERED) Mine[i] = 1;
        if (BaseState[i] != SECTOR_CLOSED) continue;
        P[i] = Scratch.Prob[slot];
        if (P[i] <= 0.0f)
            safe.push_back(slot);
        else if (P[i] >= 1.0f) {
            Mine[i] = 1;
            if (Game.State[slot] == SECTOR_CLOSED) mines.push_back(slot);
        } else {
            uncertain.push_back(slot);
        }
    }
    if (!safe.empty()) return ChooseSafe(safe);
    if (Options.HintMines && !mines.empty()) return Answer(HintKind::Mine, mines.front(), 0.0);
    if (uncertain.empty()) return {};

    EvenOdds = TypicalRunOdds(uncertain);
    Hint hint;
    if (FindCoinToss(uncertain, hint) || SearchEndgame(uncertain, hint)) return hint;
    return LookAhead(uncertain);
}

// The safe sector likeliest to show a zero (and so open a region), then the one with the most
// closed neighbours.
Hint Analyst::ChooseSafe(const std::vector<int32_t> &safe) const
{
    int32_t best = safe.front();
    double bestZero = -1.0;
    size_t bestClosed = 0;
    for (int32_t slot : safe) {
        double zero = 1.0;
        size_t closed = 0;
        for (int32_t n : Neighbours(slot)) {
            if (BaseState[static_cast<size_t>(n)] == SECTOR_TRIGGERED) zero = 0.0;
            if (BaseState[static_cast<size_t>(n)] != SECTOR_CLOSED) continue;
            zero *= 1.0 - P[static_cast<size_t>(n)];
            ++closed;
        }
        if (zero > bestZero + 1e-12 || (zero > bestZero - 1e-12 && closed > bestClosed)) {
            best = slot;
            bestZero = zero;
            bestClosed = closed;
        }
    }
    if (Options.SafeSlots != nullptr) *Options.SafeSlots = safe;
    return Answer(HintKind::Safe, best, 1.0);
}

// Two sectors of one chance in two, exactly one of them a mine, with no other closed sector
// but known mines around either: nothing will ever tell them apart, so guess now.
bool Analyst::FindCoinToss(const std::vector<int32_t> &uncertain, Hint &hint)
{
    const auto partner = [&](int32_t slot) {
        int32_t other = -1;
        for (int32_t n : Neighbours(slot)) {
            const auto i = static_cast<size_t>(n);
            if (BaseState[i] != SECTOR_CLOSED || Mine[i] != 0) continue;
            if (other >= 0 || !Half(P[i])) return -1;
            other = n;
        }
        return other;
    };
    for (int32_t a : uncertain) {
        if (!Half(P[static_cast<size_t>(a)])) continue;
        const int32_t b = partner(a);
        if (b < 0 || partner(b) != a) continue;
        Reset();
        Trigger(a);
        const RunEnd end = Run();
        if (Halted) return false;
        if (end != RunEnd::Finished || Scratch.Prob[b] != 0.0f) continue;
        // The rules' laying order may still favour one of the two.
        hint = Answer(HintKind::FiftyFifty, Risk(b) < Risk(a) ? b : a, 0.5);
        return true;
    }
    return false;
}

// Each layout's likelihood under the laying order. Laying draws in turn, each stepping on past
// taken sectors, leaves the same mines in any order of draws; the draw sequences that fill a
// run of k mines followed by a free sector number (k + 1)^(k - 1), so a layout weighs the
// product over its runs of (k + 1)^(k - 1) / k! (mines laid evenly would weigh all alike).
void Analyst::WeighLayouts(EndgameLayouts &layouts) const
{
    const auto cells = static_cast<int32_t>(Laying.size());
    if (cells < 2 || Game.Mines <= 0 || Game.Mines >= cells) return;
    std::vector<double> logRun(static_cast<size_t>(cells) + 1, 0.0);
    for (int32_t k = 1; k <= cells; ++k)
        logRun[static_cast<size_t>(k)] = LogRunWeight(k);
    std::vector<int32_t> bit(KELVANE_SECTOR_SLOTS, -1);
    for (size_t k = 0; k < layouts.Slots.size(); ++k)
        bit[static_cast<size_t>(layouts.Slots[k])] = static_cast<int32_t>(k);
    std::vector<double> logs(layouts.Mines.size(), 0.0);
    std::vector<uint8_t> mined(static_cast<size_t>(cells));
    for (size_t l = 0; l < layouts.Mines.size(); ++l) {
        int32_t start = -1;
        for (int32_t i = 0; i < cells; ++i) {
            const auto slot = static_cast<size_t>(Laying[static_cast<size_t>(i)]);
            const int32_t k = bit[slot];
            mined[static_cast<size_t>(i)] =
                k >= 0 ? static_cast<uint8_t>(layouts.Mines[l] >> k & 1) : Mine[slot];
            if (mined[static_cast<size_t>(i)] == 0) start = i;
        }
        if (start < 0) return;
        int32_t run = 0;
        for (int32_t j = 1; j <= cells; ++j) {
            if (mined[static_cast<size_t>((start + j) % cells)] != 0) {
                ++run;
                continue;
            }
            logs[l] += logRun[static_cast<size_t>(run)];
            run = 0;
        }
    }
    const double most = *std::max_element(logs.begin(), logs.end());
    layouts.Weight.assign(layouts.Mines.size(), 1.0);
    for (size_t l = 0; l < logs.size(); ++l)
        layouts.Weight[l] = std::exp(logs[l] - most);
}

bool Analyst::SearchEndgame(const std::vector<int32_t> &uncertain, Hint &hint)
{
    if (uncertain.size() > 64) return false;
    int32_t mines = BaseMinesLeft;
    for (int32_t slot : Field)
        mines -= BaseState[static_cast<size_t>(slot)] == SECTOR_CLOSED &&
                 Mine[static_cast<size_t>(slot)] != 0;
    TGameState &seen = Scratch;
    Reset();
    EndgameLayouts layouts;
    if (!ListLayouts(seen, uncertain, Mine, mines, EndgameLayoutCount, layouts)) return false;
    WeighLayouts(layouts);
    const EndgameMove move = SolveEndgame(layouts, EndgameWork);
    if (!move.Solved) return false;
    hint = Answer(HintKind::BestGuess, move.Slot, move.SafeChance);
    hint.WinChance = move.WinChance;
    return true;
}

// The sectors worth a look: nearly the safest, one of each kind of surroundings (the sectors
// far from every number all look alike), the safest first and corners before edges.
std::vector<int32_t> Analyst::Candidates(const std::vector<int32_t> &uncertain) const
{
    std::vector<std::pair<std::pair<float, size_t>, int32_t>> ranked;
    for (int32_t slot : uncertain) {
        size_t closed = 0;
        for (int32_t n : Neighbours(slot))
            closed += BaseState[static_cast<size_t>(n)] == SECTOR_CLOSED;
        ranked.push_back({{static_cast<float>(Risk(slot)), closed}, slot});
    }
    std::sort(ranked.begin(), ranked.end());
    const float least = ranked.front().first.first;
    std::vector<int32_t> out;
    std::vector<std::vector<float>> seen;
    for (const auto &[key, slot] : ranked) {
        if (key.first > least + CandidateWindow || out.size() == MostCandidates) break;
        std::vector<float> looks{key.first};
        bool nextToNumber = false;
        for (int32_t n : Neighbours(slot)) {
            nextToNumber = nextToNumber || BaseState[static_cast<size_t>(n)] == SECTOR_OPEN;
            looks.push_back(BaseState[static_cast<size_t>(n)] == SECTOR_CLOSED
                                ? P[static_cast<size_t>(n)]
                                : -1.0f - static_cast<float>(BaseState[static_cast<size_t>(n)]));
        }
        std::sort(looks.begin() + 1, looks.end());
        if (!nextToNumber && std::find(seen.begin(), seen.end(), looks) != seen.end()) continue;
        seen.push_back(looks);
        out.push_back(slot);
    }
    return out;
}

// Each number `slot` could show: whether it can, its chance, and what the board then allows.
bool Analyst::Weigh(int32_t slot, std::vector<Outcome> &outcomes)
{
    int32_t known = 0;
    std::vector<int32_t> around;
    for (int32_t n : Neighbours(slot)) {
        const auto i = static_cast<size_t>(n);
        if (Mine[i] != 0)
            ++known;
        else if (BaseState[i] == SECTOR_CLOSED)
            around.push_back(n);
    }
    outcomes.assign(around.size() + 1, Outcome{});
    for (size_t j = 0; j <= around.size(); ++j) {
        Reset();
        Open(slot, known + static_cast<int32_t>(j));
        const RunEnd end = Run();
        if (Halted) return false;
        if (end == RunEnd::Failed) continue;
        Outcome &o = outcomes[j];
        o.Possible = true;
        if (end != RunEnd::Finished) continue;
        double least = 1.0;
        for (int32_t n : Field) {
            if (Scratch.State[n] != SECTOR_CLOSED) continue;
            if (Scratch.Prob[n] <= 0.0f) ++o.SafeAfter;
            if (Scratch.Prob[n] < 1.0f) least = std::min(least, ScratchRisk(n));
        }
        o.NextSafe = o.SafeAfter > 0 ? 1.0 : 1.0 - least;
    }
    std::vector<double> w;
    const bool weighed = static_cast<int32_t>(around.size()) <= ExactNeighbours
                             ? ExactWeights(slot, around, w)
                             : EstimatedWeights(slot, around, w);
    if (Halted) return false;
    double total = 0.0;
    for (size_t j = 0; j < outcomes.size(); ++j) {
        outcomes[j].Weight = weighed && outcomes[j].Possible ? std::max(w[j], 0.0) : 0.0;
        total += outcomes[j].Weight;
    }
    for (Outcome &o : outcomes)
        o.Weight = total > 0.0 ? o.Weight / total : (o.Possible ? 1.0 : 0.0);
    return true;
}

// The chance of each count of mines among `around` while `slot` is safe, by inclusion and
// exclusion over the chances that whole sets of them are mines, each set's taken from the
// engine with its smaller sets' sectors laid as known mines.
bool Analyst::ExactWeights(int32_t slot, const std::vector<int32_t> &around, std::vector<double> &w)
{
    const size_t m = around.size(), sets = size_t{1} << m;
    std::vector<double> all(sets, 0.0), withSlot(sets, 0.0);
    std::vector<uint8_t> given(sets, 0);
    all[0] = 1.0;
    given[0] = 1;
    for (size_t set = 0; set < sets; ++set) {
        if (all[set] <= 0.0) continue;
        Reset();
        for (size_t k = 0; k < m; ++k)
            if (set >> k & 1) Trigger(around[k]);
        const RunEnd end = Run();
        if (Halted) return false;
        if (end != RunEnd::Finished) continue;
        withSlot[set] = all[set] * Scratch.Prob[slot];
        for (size_t k = 0; k < m; ++k) {
            const size_t more = set | size_t{1} << k;
            if (more == set || given[more] != 0) continue;
            all[more] = all[set] * Scratch.Prob[around[k]];
            given[more] = 1;
        }
    }
    const double safe = 1.0 - P[static_cast<size_t>(slot)];
    w.assign(m + 1, 0.0);
    for (size_t set = 0; set < sets; ++set) {
        const auto size = static_cast<size_t>(std::popcount(set));
        const double q = all[set] - withSlot[set];
        double choose = 1.0; // C(size, j), from j = size down
        for (size_t j = size + 1; j-- > 0;) {
            w[j] += ((size - j) % 2 == 0 ? 1.0 : -1.0) * choose * q / safe;
            if (j > 0) choose = choose * static_cast<double>(j) / static_cast<double>(size - j + 1);
        }
    }
    return true;
}

// The same, taking the neighbours as independent, each with its chance while `slot` is safe.
bool Analyst::EstimatedWeights(int32_t slot, const std::vector<int32_t> &around,
                               std::vector<double> &w)
{
    const double p = P[static_cast<size_t>(slot)];
    Reset();
    Trigger(slot);
    const RunEnd end = Run();
    if (Halted) return false;
    w.assign(around.size() + 1, 0.0);
    w[0] = 1.0;
    for (size_t k = 0; k < around.size(); ++k) {
        const double alone = P[static_cast<size_t>(around[k])];
        const double withMine = end == RunEnd::Finished ? Scratch.Prob[around[k]] : alone;
        const double q = std::clamp((alone - p * withMine) / (1.0 - p), 0.0, 1.0);
        for (size_t j = k + 1; j-- > 0;) {
            w[j + 1] += w[j] * q;
            w[j] *= 1.0 - q;
        }
    }
    return true;
}

Hint Analyst::LookAhead(const std::vector<int32_t> &uncertain)
{
    struct Scored {
        int32_t Slot;
        bool Dead;
        double Score, Safe, Progress;
    };
    std::vector<Scored> scored;
    std::vector<Outcome> outcomes;
    for (int32_t slot : Candidates(uncertain)) {
        if (!Weigh(slot, outcomes)) {
            Hint none;
            none.Halted = true;
            return none;
        }
        const double safe = 1.0 - Risk(slot);
        double survive = 0.0, progress = 0.0;
        int32_t possible = 0;
        for (const Outcome &o : outcomes) {
            possible += o.Possible;
            survive += o.Weight * o.NextSafe;
            progress += o.Weight * o.SafeAfter;
        }
        scored.push_back({slot, possible <= 1, safe * survive, safe, progress});
    }
    const bool anyAlive =
        std::any_of(scored.begin(), scored.end(), [](const Scored &s) { return !s.Dead; });
    const Scored *best = nullptr;
    for (const Scored &s : scored) {
        if (anyAlive && s.Dead) continue;
        if (best == nullptr || s.Score > best->Score + 1e-9 ||
            (s.Score > best->Score - 1e-9 &&
             (s.Safe > best->Safe + 1e-9 ||
              (s.Safe > best->Safe - 1e-9 && s.Progress > best->Progress))))
            best = &s;
    }
    return Answer(HintKind::BestGuess, best->Slot, 1.0 - P[static_cast<size_t>(best->Slot)]);
}

} // namespace

Hint ChooseMove(ProbabilityEngine &engine, const TGameState &game, const MoveOptions &options)
{
    return Analyst(engine, game, options).Choose();
}
