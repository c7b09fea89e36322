// Our perft: the engine against a brute-force count on thousands of small positions from
// seeded play, in every combination of options.
#include "brute_force.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>

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

INSTANTIATE_TEST_SUITE_P(Seeds, SolverPerft, ::testing::Range(0, 8));

} // namespace
} // namespace kelvane::solver::testing
