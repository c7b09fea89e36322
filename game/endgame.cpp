#include "endgame.h"

#include <algorithm>
#include <bit>
#include <unordered_map>
#include <utility>

namespace
{

uint64_t Mix(uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

bool InField(const TGameState &game, int32_t c, int32_t r)
{
    return c >= 0 && r >= 0 && c < game.SizeX && r < game.SizeY;
}

// Backtracking over the unknown sectors, those next to numbers first, keeping every number
// within what its unassigned sectors can still give.
class Lister
{
  public:
    Lister(std::vector<std::vector<int32_t>> cellRules, std::vector<int32_t> need,
           std::vector<int32_t> open, int32_t mines, size_t most, std::vector<uint64_t> &out)
        : CellRules(std::move(cellRules)), Need(std::move(need)), Open(std::move(open)),
          Mines(mines), Most(most), Out(out)
    {
    }

    bool Run()
    {
        Place(0, 0, 0);
        return !Overflow;
    }

  private:
    void Place(size_t i, uint64_t layout, int32_t placed)
    {
        if (Overflow) return;
        const auto left = static_cast<int32_t>(CellRules.size() - i);
        if (placed > Mines || placed + left < Mines) return;
        if (i == CellRules.size()) {
            if (Out.size() >= Most) {
                Overflow = true;
                return;
            }
            Out.push_back(layout);
            return;
        }
        for (int32_t mine = 0; mine <= 1; ++mine) {
            bool fits = true;
            for (int32_t rule : CellRules[i]) {
                Need[rule] -= mine;
                --Open[rule];
                fits = fits && Need[rule] >= 0 && Need[rule] <= Open[rule];
            }
            if (fits) Place(i + 1, layout | (static_cast<uint64_t>(mine) << i), placed + mine);
            for (int32_t rule : CellRules[i]) {
                Need[rule] += mine;
                ++Open[rule];
            }
        }
    }

    std::vector<std::vector<int32_t>> CellRules; // the numbers next to each sector
    std::vector<int32_t> Need, Open;             // per number: mines still needed, sectors left
    int32_t Mines;
    size_t Most;
    std::vector<uint64_t> &Out;
    bool Overflow = false;
};

class Search
{
  public:
    Search(const EndgameLayouts &layouts, uint64_t work) : L(layouts), Budget(work) {}

    EndgameMove Top()
    {
        EndgameMove move;
        std::vector<uint32_t> all(L.Mines.size());
        for (uint32_t i = 0; i < all.size(); ++i)
            all[i] = i;
        double best = -1.0;
        const double total = Mass(all);
        for (const auto &[safe, cell] : Risky(all)) {
            const double chance = safe / total;
            if (chance <= best + 1e-12) break;
            const double value = Value(all, cell);
            if (OutOfWork) return move;
            if (value > best + 1e-12) {
                best = value;
                move.Slot = L.Slots[static_cast<size_t>(cell)];
                move.SafeChance = chance;
            }
        }
        move.WinChance = std::max(best, 0.0);
        move.Solved = move.Slot >= 0;
        return move;
    }

  private:
    double Mass(uint32_t i) const { return L.Weight.empty() ? 1.0 : L.Weight[i]; }
    double Mass(const std::vector<uint32_t> &set) const
    {
        double sum = 0.0;
        for (uint32_t i : set)
            sum += Mass(i);
        return sum;
    }

    // The unknown sectors that may be safe, with the weight of the layouts of `set` where they
    // are, most often safe first (none that is safe in every layout: the caller opens those).
    std::vector<std::pair<double, int32_t>> Risky(const std::vector<uint32_t> &set) const
    {
        std::vector<std::pair<double, int32_t>> moves;
        for (size_t c = 0; c < L.Slots.size(); ++c) {
            double safe = 0.0;
            size_t count = 0;
            for (uint32_t i : set)
                if ((L.Mines[i] >> c & 1) == 0) {
                    safe += Mass(i);
                    ++count;
                }
            if (count > 0 && count < set.size()) moves.emplace_back(safe, static_cast<int32_t>(c));
        }
        std::stable_sort(moves.begin(), moves.end(),
                         [](const auto &a, const auto &b) { return a.first > b.first; });
        return moves;
    }

    // What opening `cell` shows on `layout`: the sectors opened (a zero opens its region) and
    // their numbers, as one key.
    std::pair<uint64_t, uint64_t> Answer(uint64_t layout, int32_t cell)
    {
        ++Spent;
        uint64_t opened = uint64_t{1} << cell, todo = opened, key = 0;
        while (todo != 0) {
            const int c = std::countr_zero(todo);
            todo &= todo - 1;
            const int32_t number = L.Known[static_cast<size_t>(c)] +
                                   std::popcount(L.Around[static_cast<size_t>(c)] & layout);
            key = Mix(key ^ (static_cast<uint64_t>(number) << 8 | static_cast<uint64_t>(c)));
            if (number == 0) {
                const uint64_t more = L.Around[static_cast<size_t>(c)] & ~opened;
                opened |= more;
                todo |= more;
            }
        }
        return {opened, key};
    }

    // The layouts of `set` grouped by what opening `cell` shows (those where it is a mine
    // left out).
    std::vector<std::vector<uint32_t>> Split(const std::vector<uint32_t> &set, int32_t cell)
    {
        std::vector<std::pair<std::pair<uint64_t, uint64_t>, uint32_t>> keyed;
        for (uint32_t i : set)
            if ((L.Mines[i] >> cell & 1) == 0) keyed.push_back({Answer(L.Mines[i], cell), i});
        std::sort(keyed.begin(), keyed.end());
        std::vector<std::vector<uint32_t>> groups;
        for (size_t k = 0; k < keyed.size(); ++k) {
            if (k == 0 || keyed[k].first != keyed[k - 1].first) groups.emplace_back();
            groups.back().push_back(keyed[k].second);
        }
        return groups;
    }

    // The chance to win after opening `cell` on `set`, playing perfectly afterwards.
    double Value(const std::vector<uint32_t> &set, int32_t cell)
    {
        double sum = 0.0;
        for (const auto &group : Split(set, cell))
            sum += Mass(group) * Best(group);
        return sum / Mass(set);
    }

    // The chance to win on `set` with perfect play.
    double Best(const std::vector<uint32_t> &set)
    {
        if (set.size() == 1) return 1.0;
        if (Spent > Budget) OutOfWork = true;
        if (OutOfWork) return 0.0;
        uint64_t key = Mix(set.size());
        for (uint32_t i : set)
            key = Mix(key ^ i);
        if (const auto found = Memo.find(key); found != Memo.end()) return found->second;
        // A sector safe in every layout costs nothing and can only tell more: open it first.
        double best = -1.0;
        for (size_t c = 0; c < L.Slots.size() && best < 0.0; ++c) {
            bool safe = true;
            for (uint32_t i : set)
                safe = safe && (L.Mines[i] >> c & 1) == 0;
            if (!safe) continue;
            const auto groups = Split(set, static_cast<int32_t>(c));
            if (groups.size() < 2) continue;
            double sum = 0.0;
            for (const auto &group : groups)
                sum += Mass(group) * Best(group);
            best = sum / Mass(set);
        }
        if (best < 0.0) {
            best = 0.0;
            const double total = Mass(set);
            for (const auto &[safe, cell] : Risky(set)) {
                if (safe / total <= best + 1e-12) break;
                best = std::max(best, Value(set, cell));
            }
        }
        Memo.emplace(key, best);
        return best;
    }

    const EndgameLayouts &L;
    uint64_t Budget, Spent = 0;
    bool OutOfWork = false;
    std::unordered_map<uint64_t, double> Memo;
};

} // namespace

bool ListLayouts(const TGameState &game, const std::vector<int32_t> &unknown,
                 const std::vector<uint8_t> &mine, int32_t mines, size_t most, EndgameLayouts &out)
{
    out = EndgameLayouts{};
    if (unknown.size() > 64) return false;
    std::vector<int32_t> index(KELVANE_SECTOR_SLOTS, -1);
    // Sectors next to numbers first, so that the numbers cut the search early.
    std::vector<int32_t> order = unknown;
    const auto nextToNumber = [&](int32_t slot) {
        const int32_t c = slot / KELVANE_COLUMN_SLOTS, r = slot % KELVANE_COLUMN_SLOTS;
        for (int32_t i = c - 1; i <= c + 1; ++i)
            for (int32_t j = r - 1; j <= r + 1; ++j)
                if (InField(game, i, j) && game.State[KELVANE_SECTOR_INDEX(i, j)] == SECTOR_OPEN)
                    return true;
        return false;
    };
    std::stable_partition(order.begin(), order.end(), nextToNumber);
    for (size_t i = 0; i < order.size(); ++i)
        index[static_cast<size_t>(order[i])] = static_cast<int32_t>(i);
    out.Slots = order;
    out.Known.assign(order.size(), 0);
    out.Around.assign(order.size(), 0);

    std::vector<std::vector<int32_t>> cellRules(order.size());
    std::vector<int32_t> need, open;
    for (int32_t c = 0; c < game.SizeX; ++c)
        for (int32_t r = 0; r < game.SizeY; ++r) {
            const int32_t slot = KELVANE_SECTOR_INDEX(c, r);
            const bool isOpen = game.State[slot] == SECTOR_OPEN;
            const int32_t self = index[static_cast<size_t>(slot)];
            if (!isOpen && self < 0) continue;
            int32_t known = 0, cells = 0;
            uint64_t around = 0;
            for (int32_t i = c - 1; i <= c + 1; ++i)
                for (int32_t j = r - 1; j <= r + 1; ++j) {
                    if (!InField(game, i, j) || (i == c && j == r)) continue;
                    const int32_t n = KELVANE_SECTOR_INDEX(i, j);
                    known += mine[static_cast<size_t>(n)] != 0;
                    if (index[static_cast<size_t>(n)] >= 0) {
                        around |= uint64_t{1} << index[static_cast<size_t>(n)];
                        ++cells;
                    }
                }
            if (self >= 0) {
                out.Known[static_cast<size_t>(self)] = known;
                out.Around[static_cast<size_t>(self)] = around;
            }
            if (!isOpen || cells == 0) continue;
            const int32_t rule = static_cast<int32_t>(need.size());
            need.push_back(game.Number[slot] - known);
            open.push_back(cells);
            for (uint64_t bits = around; bits != 0; bits &= bits - 1)
                cellRules[static_cast<size_t>(std::countr_zero(bits))].push_back(rule);
        }
    for (size_t k = 0; k < need.size(); ++k)
        if (need[k] < 0 || need[k] > open[k]) return true; // no layout agrees
    return Lister(std::move(cellRules), std::move(need), std::move(open), mines, most, out.Mines)
        .Run();
}

EndgameMove SolveEndgame(const EndgameLayouts &layouts, uint64_t work)
{
    if (layouts.Mines.size() < 2) return {};
    return Search(layouts, work).Top();
}
