#include "solver.h"

#include "sweep.h"
#include "work.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <numeric>

namespace kelvane::solver
{

std::string CheckPosition(const Position &p)
{
    if (p.Width < 1 || p.Width > 32 || p.Height < 1 || p.Height > 32)
        return "the field must have 1 to 32 columns and 1 to 32 rows";
    const size_t cells = static_cast<size_t>(p.Width) * static_cast<size_t>(p.Height);
    if (p.State.size() != cells || p.Number.size() != cells)
        return "the sector arrays do not match the field size";
    if (p.Mines < 0) return "the mine count is negative";
    if (static_cast<size_t>(p.Mines) > cells) return "there are more mines than sectors";
    for (size_t i = 0; i < cells; ++i) {
        const auto state = static_cast<uint8_t>(p.State[i]);
        if (state > static_cast<uint8_t>(Cell::Triggered)) return "a sector has an unknown state";
        if (p.State[i] == Cell::Open && (p.Number[i] < 0 || p.Number[i] > 8))
            return "an open sector shows a number outside 0 to 8";
    }
    return {};
}

namespace
{

enum class Known : uint8_t { Unknown, Mine, Safe };

// An open number and its unknown sectors (at most eight), held in place.
struct Constraint {
    int32_t Need = 0;
    int32_t Size = 0;
    std::array<int32_t, 8> Of{};
    const int32_t *begin() const { return Of.data(); }
    const int32_t *end() const { return Of.data() + Size; }
};

// Each sector's numbers, at most eight, in the order of the numbers.
struct Touching {
    int32_t Count = 0;
    std::array<int32_t, 8> Of{};
    bool operator==(const Touching &o) const
    {
        return Count == o.Count && std::equal(Of.begin(), Of.begin() + Count, o.Of.begin());
    }
};

std::vector<Touching> NumbersOfSectors(const std::vector<Constraint> &constraints, int32_t cells)
{
    std::vector<Touching> touching(cells);
    for (size_t j = 0; j < constraints.size(); ++j)
        for (int32_t cell : constraints[j])
            touching[cell].Of[touching[cell].Count++] = static_cast<int32_t>(j);
    return touching;
}

// An earlier sector touching exactly the same numbers as this one, or -1. Such a sector is
// next to the sector's first number, so only that number's sectors are looked at.
int32_t EarlierTwin(const std::vector<Constraint> &constraints,
                    const std::vector<Touching> &touching, int32_t cell)
{
    for (int32_t other : constraints[touching[cell].Of[0]]) {
        if (other >= cell) continue;
        if (touching[other] == touching[cell]) return other;
    }
    return -1;
}

// A probability that is not certain never shows as 0 or 1.
double Uncertain(double p)
{
    return std::clamp(p, std::nextafter(0.0, 1.0), std::nextafter(1.0, 0.0));
}

// A component of the frontier (sectors linked through shared numbers) and its sweep.
struct Part {
    Component Comp;
    std::vector<std::array<int32_t, 8>> VarCells; // the first VarSize of each
    std::unique_ptr<Sweep> Solver;
};

// The unknown sectors: the components of the frontier and those away from every number.
struct Frontier {
    std::vector<Part> Parts;
    std::vector<int32_t> Owner; // per sector: a number touching it, or -1
    int32_t Others = 0;         // unknown sectors away from every number
};

// The components and the sectors away from every number, combined over the global mine count.
struct Combination {
    std::vector<long double> Rest; // (x): ways for the sectors away from every number to hold x
    std::vector<std::vector<long double>> Before; // [p]: components 0 .. p-1 by mine total
    std::vector<std::vector<long double>> After;  // [p](x): components p .. k-1 and the rest
                                                  // together holding x mines
};

class Runner
{
  public:
    Runner(const Position &position, const Options &options, Work &work)
        : Pos(position), Opt(options), Meter(work)
    {
    }

    // False when no arrangement of the mines agrees with the position under this marker rule.
    bool SolveWith(bool markersAsMines, std::vector<double> &probability);

  private:
    bool KnownSectors(bool markersAsMines, std::vector<Known> &known, int32_t &remaining) const;
    bool Numbers(const std::vector<Known> &known, std::vector<Constraint> &constraints) const;
    bool Settle(std::vector<Known> &known, std::vector<Constraint> &constraints,
                int32_t &remaining) const;
    void Count(const std::vector<Constraint> &constraints, int32_t cells, bool simplified);
    Frontier SplitFrontier(const std::vector<Known> &known,
                           const std::vector<Constraint> &constraints) const;
    void MakeSweeps(std::vector<Part> &parts, int32_t remaining);
    bool PrepareSweeps(std::vector<Part> &parts, size_t &prepared, int32_t &fewestAll,
                       int32_t &mostAll);
    bool CountForward(std::vector<Part> &parts, int32_t remaining, int32_t others,
                      int32_t fewestAll, int32_t mostAll,
                      std::vector<std::vector<long double>> &counts);
    Combination Combine(const std::vector<std::vector<long double>> &counts, int32_t remaining,
                        int32_t others) const;
    void CountBackward(std::vector<Part> &parts,
                       const std::vector<std::vector<long double>> &counts,
                       const Combination &combination, int32_t remaining);
    static double OtherProbability(const Combination &combination, int32_t remaining,
                                   int32_t others, long double z);
    void FillProbabilities(const std::vector<Known> &known, const Frontier &frontier,
                           double otherProbability, std::vector<double> &probability) const;

    const Position &Pos;
    const Options &Opt;
    Work &Meter;
};

// The sectors open, marked or triggered, and with FairPlay the four corners; with the mines
// not accounted for by them. False when they contradict the position.
bool Runner::KnownSectors(bool markersAsMines, std::vector<Known> &known, int32_t &remaining) const
{
    const int32_t width = Pos.Width, height = Pos.Height;
    for (int32_t c = 0; c < width; ++c) {
        for (int32_t r = 0; r < height; ++r) {
            const int32_t i = Pos.Index(c, r);
            const bool corner =
                Pos.FairPlay && (c == 0 || c == width - 1) && (r == 0 || r == height - 1);
            Cell state = Pos.State[i];
            if (state == Cell::Marked && !markersAsMines) state = Cell::Closed;
            switch (state) {
            case Cell::Open:
                known[i] = Known::Safe;
                break;
            case Cell::Marked:
            case Cell::Triggered:
                if (corner) return false;
                known[i] = Known::Mine;
                --remaining;
                break;
            case Cell::Closed:
                if (corner) known[i] = Known::Safe;
                break;
            }
        }
    }
    return remaining >= 0;
}

// Every open number with its unknown sectors and the mines it still needs among them.
// False when a number cannot be met.
bool Runner::Numbers(const std::vector<Known> &known, std::vector<Constraint> &constraints) const
{
    const int32_t width = Pos.Width, height = Pos.Height;
    for (int32_t c = 0; c < width; ++c) {
        for (int32_t r = 0; r < height; ++r) {
            const int32_t i = Pos.Index(c, r);
            if (Pos.State[i] != Cell::Open) continue;
            Constraint con;
            con.Need = Pos.Number[i];
            for (int32_t dc = -1; dc <= 1; ++dc) {
                for (int32_t dr = -1; dr <= 1; ++dr) {
                    const int32_t nc = c + dc, nr = r + dr;
                    if ((dc == 0 && dr == 0) || nc < 0 || nr < 0 || nc >= width || nr >= height)
                        continue;
                    const int32_t j = Pos.Index(nc, nr);
                    if (known[j] == Known::Mine)
                        --con.Need;
                    else if (known[j] == Known::Unknown)
                        con.Of[con.Size++] = j;
                }
            }
            if (con.Need < 0 || con.Need > con.Size) return false;
            if (con.Size != 0) constraints.push_back(con);
        }
    }
    return true;
}

bool Runner::Settle(std::vector<Known> &known, std::vector<Constraint> &constraints,
                    int32_t &remaining) const
{
    // Numbers that need none of their sectors, or all of them, settle those sectors; repeat
    // until nothing changes. Every arrangement agrees on them, so the counts are unchanged.
    bool changed = true;
    while (changed) {
        changed = false;
        for (Constraint &con : constraints) {
            int32_t open = 0, mines = 0;
            for (int32_t cell : con) {
                if (known[cell] == Known::Unknown)
                    ++open;
                else if (known[cell] == Known::Mine)
                    ++mines;
            }
            const int32_t need = con.Need - mines;
            if (need < 0 || need > open) return false;
            if (open == 0 || (need != 0 && need != open)) continue;
            for (int32_t cell : con) {
                if (known[cell] != Known::Unknown) continue;
                known[cell] = need == 0 ? Known::Safe : Known::Mine;
                if (need != 0) --remaining;
            }
            changed = true;
        }
    }
    if (remaining < 0) return false;
    // What remains of each number, in place.
    for (Constraint &con : constraints) {
        int32_t kept = 0;
        for (int32_t k = 0; k < con.Size; ++k) {
            const int32_t cell = con.Of[k];
            if (known[cell] == Known::Mine) --con.Need;
            if (known[cell] == Known::Unknown) con.Of[kept++] = cell;
        }
        con.Size = kept;
    }
    std::erase_if(constraints, [](const Constraint &con) { return con.Size == 0; });
    return true;
}

void Runner::Count(const std::vector<Constraint> &constraints, int32_t cells, bool simplified)
{
    if (Meter.Observer == nullptr) return;
    const std::vector<Touching> touching = NumbersOfSectors(constraints, cells);
    int32_t closed = 0, groups = 0;
    for (int32_t cell = 0; cell < cells; ++cell) {
        if (touching[cell].Count == 0) continue;
        ++closed;
        if (!Opt.DupCheck || EarlierTwin(constraints, touching, cell) < 0) ++groups;
    }
    const auto numbers = static_cast<int32_t>(constraints.size());
    if (simplified)
        Meter.Observer->SimplifiedCounts(closed, numbers, groups);
    else
        Meter.Observer->SectorCounts(closed, numbers, groups);
}

// The components: sectors linked through shared numbers, each sector's numbers deciding its
// variable.
Frontier Runner::SplitFrontier(const std::vector<Known> &known,
                               const std::vector<Constraint> &constraints) const
{
    const int32_t cells = Pos.Width * Pos.Height;
    const int32_t height = Pos.Height;
    Frontier frontier;
    std::vector<int32_t> &owner = frontier.Owner; // a number touching the sector
    owner.assign(cells, -1);
    std::vector<int32_t> parent(constraints.size());
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&](int32_t x) {
        while (parent[x] != x)
            x = parent[x] = parent[parent[x]];
        return x;
    };
    for (size_t j = 0; j < constraints.size(); ++j) {
        for (int32_t cell : constraints[j]) {
            if (owner[cell] < 0)
                owner[cell] = static_cast<int32_t>(j);
            else
                parent[root(static_cast<int32_t>(j))] = root(owner[cell]);
        }
    }
    for (int32_t i = 0; i < cells; ++i)
        if (known[i] == Known::Unknown && owner[i] < 0) ++frontier.Others;

    std::vector<Part> &parts = frontier.Parts;
    std::vector<int32_t> partOf(constraints.size(), -1), localOf(constraints.size(), -1);
    for (size_t j = 0; j < constraints.size(); ++j) {
        const int32_t top = root(static_cast<int32_t>(j));
        if (partOf[top] < 0) {
            partOf[top] = static_cast<int32_t>(parts.size());
            parts.emplace_back();
        }
        Part &part = parts[partOf[top]];
        localOf[j] = static_cast<int32_t>(part.Comp.Need.size());
        part.Comp.Need.push_back(constraints[j].Need);
    }
    // Each sector's numbers decide its group: with duplicate checking, sectors touching
    // exactly the same numbers are one variable.
    const std::vector<Touching> numbersOf = NumbersOfSectors(constraints, cells);
    std::vector<int32_t> varOf(cells, -1);
    for (int32_t i = 0; i < cells; ++i) {
        if (owner[i] < 0 || known[i] != Known::Unknown) continue;
        Part &part = parts[partOf[root(owner[i])]];
        int32_t var = -1;
        if (Opt.DupCheck) {
            const int32_t twin = EarlierTwin(constraints, numbersOf, i);
            if (twin >= 0) var = varOf[twin];
        }
        if (var < 0) {
            var = static_cast<int32_t>(part.VarCells.size());
            part.VarCells.emplace_back();
            part.Comp.VarSize.push_back(0);
            NumberList numbers;
            numbers.Count = numbersOf[i].Count;
            for (int32_t k = 0; k < numbers.Count; ++k)
                numbers.Of[k] = localOf[numbersOf[i].Of[k]];
            part.Comp.VarNumbers.push_back(numbers);
            part.Comp.VarColumn.push_back(i / height);
            part.Comp.VarRow.push_back(i % height);
        }
        varOf[i] = var;
        part.VarCells[var][part.Comp.VarSize[var]++] = i;
    }
    return frontier;
}

void Runner::MakeSweeps(std::vector<Part> &parts, int32_t remaining)
{
    Meter.Figures.Runs = static_cast<int32_t>(parts.size());
    for (Part &part : parts) {
        const int32_t sectors =
            std::accumulate(part.Comp.VarSize.begin(), part.Comp.VarSize.end(), 0);
        part.Solver = MakeSweep(part.Comp, std::min(remaining, sectors), Opt.KeepEveryLayer);
        if (!part.Solver) throw StopRun{true};
    }
}

// The states of each component's sweep, and the mine totals each can hold; prepared counts
// the sweeps done as they end.
bool Runner::PrepareSweeps(std::vector<Part> &parts, size_t &prepared, int32_t &fewestAll,
                           int32_t &mostAll)
{
    const int32_t height = Pos.Height;
    for (size_t p = 0; p < parts.size(); ++p) {
        Part &part = parts[p];
        Meter.Figures.Run = static_cast<int32_t>(p + 1);
        if (Meter.Observer != nullptr)
            for (size_t v = 0; v < part.VarCells.size(); ++v)
                for (int32_t k = 0; k < part.Comp.VarSize[v]; ++k)
                    Meter.Observer->Working(part.VarCells[v][k] / height,
                                            part.VarCells[v][k] % height);
        if (!part.Solver->Prepare(Meter)) return false;
        prepared = p + 1;
        fewestAll += part.Solver->FewestTotal;
        mostAll += part.Solver->MostTotal;
    }
    return true;
}

// Counts each component by its own mine total, only over the totals that leave the others
// and the sectors away from numbers a possible share of the mines.
bool Runner::CountForward(std::vector<Part> &parts, int32_t remaining, int32_t others,
                          int32_t fewestAll, int32_t mostAll,
                          std::vector<std::vector<long double>> &counts)
{
    counts.assign(parts.size(), {});
    for (size_t p = 0; p < parts.size(); ++p) {
        Sweep &sweep = *parts[p].Solver;
        Meter.Figures.Run = static_cast<int32_t>(p + 1);
        const int32_t fewest =
            std::max(sweep.FewestTotal, remaining - others - (mostAll - sweep.MostTotal));
        const int32_t most = std::min(sweep.MostTotal, remaining - (fewestAll - sweep.FewestTotal));
        if (fewest > most || !sweep.Forward(fewest, most, Meter)) return false;
        counts[p] = sweep.Counts();
    }
    return true;
}

// Combines the components over the global mine count. The sectors away from every number
// take what is left: C(others, x) ways for x mines in "Advanced"; in "Simple" every frontier
// arrangement counts once when the rest fits.
Combination Runner::Combine(const std::vector<std::vector<long double>> &counts, int32_t remaining,
                            int32_t others) const
{
    Combination combination;
    const size_t total = static_cast<size_t>(remaining) + 1;
    std::vector<long double> &rest = combination.Rest;
    rest.assign(total, 0.0L);
    rest[0] = 1.0L;
    for (size_t x = 0; x + 1 < total; ++x) {
        if (Opt.Advanced)
            rest[x + 1] = rest[x] * (others - static_cast<long double>(x)) / (x + 1);
        else
            rest[x + 1] = static_cast<int32_t>(x + 1) <= others ? 1.0L : 0.0L;
        if (rest[x + 1] <= 0.0L) rest[x + 1] = 0.0L;
    }
    const size_t k = counts.size();
    std::vector<std::vector<long double>> &before = combination.Before;
    before.resize(k + 1);
    before[0] = {1.0L};
    for (size_t p = 0; p < k; ++p) {
        std::vector<long double> next(std::min(total, before[p].size() + counts[p].size() - 1),
                                      0.0L);
        for (size_t a = 0; a < before[p].size(); ++a) {
            if (before[p][a] == 0.0L) continue;
            for (size_t m = 0; m < counts[p].size() && a + m < next.size(); ++m)
                next[a + m] += before[p][a] * counts[p][m];
        }
        before[p + 1] = std::move(next);
    }
    std::vector<std::vector<long double>> &after = combination.After;
    after.resize(k + 1);
    after[k] = rest;
    for (size_t p = k; p-- > 0;) {
        std::vector<long double> next(total, 0.0L);
        for (size_t x = 0; x < total; ++x)
            for (size_t m = 0; m < counts[p].size() && m <= x; ++m)
                next[x] += counts[p][m] * after[p + 1][x - m];
        after[p] = std::move(next);
    }
    return combination;
}

// Each component's pass back, given the weight of each of its mine totals from the rest of
// the field (largest 1).
void Runner::CountBackward(std::vector<Part> &parts,
                           const std::vector<std::vector<long double>> &counts,
                           const Combination &combination, int32_t remaining)
{
    const size_t total = static_cast<size_t>(remaining) + 1;
    const std::vector<std::vector<long double>> &before = combination.Before;
    const std::vector<std::vector<long double>> &after = combination.After;
    for (size_t p = 0; p < parts.size(); ++p) {
        std::vector<long double> weight(counts[p].size(), 0.0L);
        long double largest = 0.0L;
        for (size_t m = 0; m < counts[p].size(); ++m) {
            long double w = 0.0L;
            for (size_t a = 0; a < before[p].size() && a + m < total; ++a)
                w += before[p][a] * after[p + 1][remaining - m - a];
            weight[m] = w;
            if (counts[p][m] > 0.0L) largest = std::max(largest, w);
        }
        std::vector<double> scaled(weight.size(), 0.0);
        for (size_t m = 0; m < weight.size(); ++m)
            scaled[m] = largest > 0.0L ? static_cast<double>(weight[m] / largest) : 0.0;
        Meter.Figures.Run = static_cast<int32_t>(p + 1);
        parts[p].Solver->Backward(scaled, Meter);
    }
}

// The sectors away from every number share the mines the frontier leaves; z is the weight of
// every arrangement.
double Runner::OtherProbability(const Combination &combination, int32_t remaining, int32_t others,
                                long double z)
{
    const std::vector<long double> &last = combination.Before.back();
    long double otherMines = 0.0L;
    int32_t fewestOther = remaining + 1, mostOther = -1;
    for (size_t m = 0; m < last.size(); ++m) {
        const long double w = last[m] * combination.Rest[remaining - m];
        if (!(w > 0.0L)) continue;
        otherMines += (remaining - static_cast<long double>(m)) * w;
        fewestOther = std::min(fewestOther, remaining - static_cast<int32_t>(m));
        mostOther = std::max(mostOther, remaining - static_cast<int32_t>(m));
    }
    double otherProbability = 0.0;
    if (others > 0) {
        if (mostOther == 0)
            otherProbability = 0.0;
        else if (fewestOther == others)
            otherProbability = 1.0;
        else
            otherProbability = Uncertain(static_cast<double>(otherMines / z / others));
    }
    return otherProbability;
}

// Every closed or marked sector's probability: settled, away from every number, or from its
// component's pass back.
void Runner::FillProbabilities(const std::vector<Known> &known, const Frontier &frontier,
                               double otherProbability, std::vector<double> &probability) const
{
    const int32_t cells = Pos.Width * Pos.Height;
    probability.assign(cells, -1.0);
    for (int32_t i = 0; i < cells; ++i) {
        if (Pos.State[i] != Cell::Closed && Pos.State[i] != Cell::Marked) continue;
        if (known[i] == Known::Mine)
            probability[i] = 1.0;
        else if (known[i] == Known::Safe)
            probability[i] = 0.0;
        else if (frontier.Owner[i] < 0)
            probability[i] = otherProbability;
    }
    for (const Part &part : frontier.Parts) {
        const Sweep &sweep = *part.Solver;
        for (size_t v = 0; v < part.VarCells.size(); ++v) {
            const int32_t size = part.Comp.VarSize[v];
            double p = 0.0;
            if (sweep.MostMines[v] == 0)
                p = 0.0;
            else if (sweep.FewestMines[v] == size)
                p = 1.0;
            else
                p = Uncertain(sweep.ExpectedMines[v] / size);
            for (int32_t k = 0; k < size; ++k)
                probability[part.VarCells[v][k]] = p;
        }
    }
}

bool Runner::SolveWith(bool markersAsMines, std::vector<double> &probability)
{
    const int32_t cells = Pos.Width * Pos.Height;
    std::vector<Known> known(cells, Known::Unknown);
    int32_t remaining = Pos.Mines;
    if (!KnownSectors(markersAsMines, known, remaining)) return false;
    std::vector<Constraint> constraints;
    if (!Numbers(known, constraints)) return false;
    Count(constraints, cells, false);
    if (!Settle(known, constraints, remaining)) return false;
    Count(constraints, cells, true);

    Frontier frontier = SplitFrontier(known, constraints);
    std::vector<Part> &parts = frontier.Parts;
    MakeSweeps(parts, remaining);
    // Components not swept yet are taken to grow as the last one swept did.
    size_t prepared = 0;
    Meter.StepsAhead = [&parts, &prepared] {
        const double growth = prepared > 0 ? parts[prepared - 1].Solver->Growth : UsualGrowth;
        double ahead = 0.0;
        for (const Part &part : parts)
            ahead += part.Solver->StepsAhead(growth);
        return ahead;
    };
    // The estimate looks into this pass's sweeps: it ends with them.
    struct Forget {
        Work &Meter;
        ~Forget() { Meter.StepsAhead = nullptr; }
    } forget{Meter};

    int32_t fewestAll = 0, mostAll = 0;
    if (!PrepareSweeps(parts, prepared, fewestAll, mostAll)) return false;
    std::vector<std::vector<long double>> counts;
    if (!CountForward(parts, remaining, frontier.Others, fewestAll, mostAll, counts)) return false;
    const Combination combination = Combine(counts, remaining, frontier.Others);
    const long double z = combination.After[0][remaining];
    if (!(z > 0.0L)) return false;
    CountBackward(parts, counts, combination, remaining);
    FillProbabilities(known, frontier, OtherProbability(combination, remaining, frontier.Others, z),
                      probability);
    return true;
}

} // namespace

Result Solve(const Position &position, const Options &options, Monitor *monitor)
{
    Result result;
    result.Error = CheckPosition(position);
    if (!result.Error.empty()) return result;
    const int32_t depth = options.Advanced ? std::clamp(options.StepDepth, 20, 30) : 30;
    Work work(uint64_t{1} << depth, options.MemoryLimit, monitor);
    if (monitor != nullptr) monitor->Budget(work.Budget);
    try {
        Runner runner(position, options, work);
        const bool hasMarkers = std::find(position.State.begin(), position.State.end(),
                                          Cell::Marked) != position.State.end();
        bool possible =
            runner.SolveWith(options.Checking != CheckingRule::Maximal, result.Probability);
        if (!possible && hasMarkers && options.Checking == CheckingRule::Optimal)
            possible = runner.SolveWith(false, result.Probability);
        if (possible) {
            // The closing figures go out while the run can still be halted: an Escape in
            // this report halts it, and a result handed back is never followed by a report
            // that could label it "Halted".
            work.AllDone = true;
            work.ReportNow();
            if (monitor != nullptr && monitor->Halted()) throw StopRun{false};
            result.RunStatus = Status::Finished;
        } else {
            result.Error = "no arrangement of the mines agrees with the position";
            result.Probability.clear();
        }
    } catch (const StopRun &stop) {
        result.RunStatus = Status::Halted;
        result.OverBudget = stop.OverBudget;
        result.Probability.clear();
    } catch (const std::bad_alloc &) {
        result.RunStatus = Status::Halted;
        result.OverBudget = true;
        result.Probability.clear();
    }
    result.Steps = work.Steps;
    return result;
}

} // namespace kelvane::solver
