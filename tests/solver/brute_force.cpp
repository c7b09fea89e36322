#include "brute_force.h"

#include <bit>
#include <cstdint>
#include <stdexcept>

namespace kelvane::solver::testing
{
namespace
{

std::optional<std::vector<double>> Enumerate(const Position &pos, bool advanced,
                                             bool markersAreMines)
{
    const int w = pos.Width, h = pos.Height;
    auto corner = [&](int c, int r) {
        return pos.FairPlay && (c == 0 || c == w - 1) && (r == 0 || r == h - 1);
    };
    std::vector<int> unknown; // sector of each bit
    std::vector<int> bit(w * h, -1);
    std::vector<bool> mine(w * h, false);
    int mines = pos.Mines;
    for (int c = 0; c < w; ++c) {
        for (int r = 0; r < h; ++r) {
            const int i = pos.Index(c, r);
            const Cell s = pos.State[i];
            const bool isMine = s == Cell::Triggered || (s == Cell::Marked && markersAreMines);
            if (isMine) {
                if (corner(c, r)) return std::nullopt;
                mine[i] = true;
                --mines;
            } else if ((s == Cell::Closed || s == Cell::Marked) && !corner(c, r)) {
                bit[i] = static_cast<int>(unknown.size());
                unknown.push_back(i);
            }
        }
    }
    if (unknown.size() > 24) throw std::invalid_argument("too many unknown sectors");
    if (mines < 0) return std::nullopt;
    struct Rule {
        uint32_t Mask;
        int Need;
    };
    std::vector<Rule> rules;
    uint32_t frontier = 0;
    for (int c = 0; c < w; ++c) {
        for (int r = 0; r < h; ++r) {
            const int i = pos.Index(c, r);
            if (pos.State[i] != Cell::Open) continue;
            Rule rule{0, pos.Number[i]};
            for (int nc = c - 1; nc <= c + 1; ++nc)
                for (int nr = r - 1; nr <= r + 1; ++nr) {
                    if (nc < 0 || nr < 0 || nc >= w || nr >= h || (nc == c && nr == r)) continue;
                    const int j = pos.Index(nc, nr);
                    if (mine[j]) --rule.Need;
                    if (bit[j] >= 0) rule.Mask |= 1u << bit[j];
                }
            rules.push_back(rule);
            frontier |= rule.Mask;
        }
    }
    const int n = static_cast<int>(unknown.size());
    const int others = n - std::popcount(frontier);
    // Advanced: every full layout with exactly the remaining mines weighs 1.
    // Simple: every layout of the frontier weighs 1 when the rest of the mines fit elsewhere;
    // the sectors away from numbers get the mines left, shared evenly.
    std::vector<double> weightOn(n, 0.0);
    double total = 0.0, otherMines = 0.0;
    const uint64_t end = uint64_t{1} << n;
    for (uint64_t s = 0; s < end; ++s) {
        const auto set = static_cast<uint32_t>(s);
        if (!advanced && (set & ~frontier) != 0) continue;
        const int count = std::popcount(set);
        if (advanced ? count != mines : (count > mines || mines - count > others)) continue;
        bool fits = true;
        for (const Rule &rule : rules)
            if (std::popcount(rule.Mask & set) != rule.Need) {
                fits = false;
                break;
            }
        if (!fits) continue;
        total += 1.0;
        otherMines += mines - count;
        for (int b = 0; b < n; ++b)
            if (set >> b & 1u) weightOn[b] += 1.0;
    }
    if (total == 0.0) return std::nullopt;
    std::vector<double> prob(w * h, -1.0);
    for (int i = 0; i < w * h; ++i) {
        if (pos.State[i] != Cell::Closed && pos.State[i] != Cell::Marked) continue;
        if (mine[i])
            prob[i] = 1.0;
        else if (bit[i] < 0)
            prob[i] = 0.0;
        else if (advanced || (frontier >> bit[i] & 1u))
            prob[i] = weightOn[bit[i]] / total;
        else
            prob[i] = otherMines / total / others;
    }
    return prob;
}

} // namespace

std::optional<std::vector<double>> BruteForce(const Position &position, bool advanced,
                                              CheckingRule rule)
{
    if (rule == CheckingRule::Maximal) return Enumerate(position, advanced, false);
    auto withMarkers = Enumerate(position, advanced, true);
    if (withMarkers || rule == CheckingRule::Minimal) return withMarkers;
    return Enumerate(position, advanced, false);
}

} // namespace kelvane::solver::testing
