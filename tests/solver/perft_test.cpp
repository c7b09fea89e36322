// Our perft: the engine against a brute-force count on thousands of small positions from
// seeded play, in every combination of options.
#include "brute_force.h"
#include "sweep.h"
#include "test_support.h"
#include "work.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kelvane::solver::testing
{
namespace
{

struct Variant {
    bool Advanced;
    bool DupCheck;
    CheckingRule Rule;
    bool FairPlay;
};

std::string Describe(const Variant &v)
{
    return std::string(v.Advanced ? "Advanced" : "Simple") + (v.DupCheck ? " dupcheck" : "") +
           " rule " + std::to_string(static_cast<int>(v.Rule)) + (v.FairPlay ? " fair" : "");
}

// Compares one position under one variant; returns the number of sectors compared.
int CompareWithBruteForce(Position position, const Variant &v)
{
    position.FairPlay = v.FairPlay;
    Options options;
    options.Advanced = v.Advanced;
    options.DupCheck = v.DupCheck;
    options.Checking = v.Rule;
    options.StepDepth = 30;
    const auto expected = BruteForce(position, v.Advanced, v.Rule);
    const Result got = Solve(position, options);
    const std::string where = Describe(v) + "\n" + FormatPosition(position);
    if (!expected) {
        EXPECT_EQ(got.RunStatus, Status::Error) << where;
        return 0;
    }
    EXPECT_EQ(got.RunStatus, Status::Finished) << where << got.Error;
    if (got.RunStatus != Status::Finished) return 0;
    int compared = 0;
    for (size_t i = 0; i < expected->size(); ++i) {
        const double want = (*expected)[i], have = got.Probability[i];
        if (want < 0.0) {
            EXPECT_LT(have, 0.0) << "sector " << i << " " << where;
            continue;
        }
        ++compared;
        EXPECT_NEAR(have, want, 1e-9) << "sector " << i << " " << where;
        // Certainty is exact both ways.
        EXPECT_EQ(have == 0.0, want == 0.0) << "sector " << i << " " << where;
        EXPECT_EQ(have == 1.0, want == 1.0) << "sector " << i << " " << where;
    }
    return compared;
}

class SolverPerft : public ::testing::TestWithParam<int>
{
};

TEST_P(SolverPerft, MatchesBruteForceInEveryOptionCombination)
{
    const int block = GetParam();
    int positions = 0, sectors = 0;
    for (int k = 0; k < 250; ++k) {
        const uint32_t seed = static_cast<uint32_t>(block * 1000 + k);
        // Most positions are small; every tenth goes up to the full 20 unknown sectors.
        const Position position = SmallPlayPosition(seed, k % 10 == 0 ? 20 : 14);
        ASSERT_LE(UnknownCount(position), 24);
        for (bool advanced : {true, false})
            for (bool dup : {true, false})
                for (CheckingRule rule :
                     {CheckingRule::Minimal, CheckingRule::Optimal, CheckingRule::Maximal})
                    for (bool fair : {false, true})
                        sectors += CompareWithBruteForce(position, {advanced, dup, rule, fair});
        ++positions;
        if (HasFailure()) break;
    }
    RecordProperty("positions", positions);
    RecordProperty("sectors", sectors);
    EXPECT_GT(sectors, 1000);
}

// A wide component, beyond what a field small enough to count by hand gives: eight groups of
// two to four sectors, and a number on about half of the pairs of groups, its need what a
// hidden layout gives it. Over a dozen numbers are open at once, so the sweep takes its
// costly way (checks of pairs of numbers, racing orders).
struct WideComponent {
    Component Comp;
    std::vector<std::array<int32_t, 2>> Pairs; // the two groups of each number
};

WideComponent MakeWideComponent(uint32_t seed)
{
    uint32_t s = seed * 2246822519u + 7u;
    auto next = [&](uint32_t n) {
        s = s * 1664525u + 1013904223u;
        return static_cast<int32_t>((static_cast<uint64_t>(s >> 8) * n) >> 24);
    };
    WideComponent w;
    constexpr int32_t Groups = 8;
    std::vector<int32_t> hidden(Groups);
    for (int32_t v = 0; v < Groups; ++v) {
        w.Comp.VarSize.push_back(2 + next(3));
        w.Comp.VarNumbers.emplace_back();
        w.Comp.VarColumn.push_back(v % 4);
        w.Comp.VarRow.push_back(v / 4);
        hidden[v] = next(static_cast<uint32_t>(w.Comp.VarSize[v] + 1));
    }
    for (int32_t a = 0; a < Groups; ++a)
        for (int32_t b = a + 1; b < Groups; ++b) {
            if (next(2) == 0) continue;
            const int32_t j = static_cast<int32_t>(w.Pairs.size());
            w.Pairs.push_back({a, b});
            w.Comp.Need.push_back(hidden[a] + hidden[b]);
            for (int32_t v : {a, b}) {
                NumberList &list = w.Comp.VarNumbers[v];
                list.Of[list.Count++] = j;
            }
        }
    return w;
}

// Arrangements by mine total, and per group the mines it holds summed over them, the fewest
// and the most: every count of mines in every group is tried.
struct Tally {
    std::vector<double> Count;
    std::vector<double> Mines;
    std::vector<int32_t> Fewest, Most;
};

Tally CountByHand(const WideComponent &w)
{
    const size_t groups = w.Comp.VarSize.size();
    Tally t;
    t.Mines.assign(groups, 0.0);
    t.Fewest.assign(groups, 99);
    t.Most.assign(groups, -1);
    std::vector<int32_t> k(groups, 0);
    for (;;) {
        bool fits = true;
        for (size_t j = 0; j < w.Pairs.size() && fits; ++j)
            fits = k[w.Pairs[j][0]] + k[w.Pairs[j][1]] == w.Comp.Need[j];
        if (fits) {
            double ways = 1.0;
            int32_t total = 0;
            for (size_t v = 0; v < groups; ++v) {
                const int32_t n = w.Comp.VarSize[v];
                ways *= std::tgamma(n + 1) / (std::tgamma(k[v] + 1) * std::tgamma(n - k[v] + 1));
                total += k[v];
            }
            if (t.Count.size() <= static_cast<size_t>(total)) t.Count.resize(total + 1, 0.0);
            t.Count[total] += ways;
            for (size_t v = 0; v < groups; ++v) {
                t.Mines[v] += ways * k[v];
                t.Fewest[v] = std::min(t.Fewest[v], k[v]);
                t.Most[v] = std::max(t.Most[v], k[v]);
            }
        }
        size_t v = 0;
        while (v < groups && ++k[v] > w.Comp.VarSize[v])
            k[v++] = 0;
        if (v == groups) break;
    }
    return t;
}

class SolverWideSweep : public ::testing::TestWithParam<int>
{
};

TEST_P(SolverWideSweep, CountsWhatEveryLayoutOfTheGroupsGives)
{
    for (uint32_t seed = GetParam() * 100u; seed < GetParam() * 100u + 25u; ++seed) {
        const WideComponent w = MakeWideComponent(seed);
        const Tally want = CountByHand(w);
        int32_t sectors = 0;
        for (int32_t n : w.Comp.VarSize)
            sectors += n;
        std::unique_ptr<Sweep> sweep = MakeSweep(w.Comp, sectors);
        ASSERT_NE(sweep, nullptr);
        Work work(uint64_t{1} << 30, uint64_t{1} << 27, nullptr);
        ASSERT_TRUE(sweep->Prepare(work)) << "seed " << seed;
        ASSERT_TRUE(sweep->Forward(sweep->FewestTotal, sweep->MostTotal, work)) << "seed " << seed;
        const std::vector<long double> &got = sweep->Counts();
        double all = 0.0;
        for (size_t m = 0; m < std::max(got.size(), want.Count.size()); ++m) {
            const double have = m < got.size() ? static_cast<double>(got[m]) : 0.0;
            const double expected = m < want.Count.size() ? want.Count[m] : 0.0;
            EXPECT_NEAR(have, expected, 1e-9 * std::max(1.0, expected))
                << "seed " << seed << " total " << m;
            all += expected;
        }
        sweep->Backward(std::vector<double>(got.size(), 1.0), work);
        for (size_t v = 0; v < w.Comp.VarSize.size(); ++v) {
            EXPECT_NEAR(sweep->ExpectedMines[v], want.Mines[v] / all, 1e-9)
                << "seed " << seed << " group " << v;
            EXPECT_EQ(sweep->FewestMines[v], want.Fewest[v]) << "seed " << seed << " group " << v;
            EXPECT_EQ(sweep->MostMines[v], want.Most[v]) << "seed " << seed << " group " << v;
        }
        if (HasFailure()) break;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SolverPerft, ::testing::Range(0, 8));
INSTANTIATE_TEST_SUITE_P(Seeds, SolverWideSweep, ::testing::Range(0, 4));

} // namespace
} // namespace kelvane::solver::testing
