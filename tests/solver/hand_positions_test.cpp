// Positions worked out by hand, the sum rule, extreme fields and the equivalence of the
// options on the committed corpus.
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <string>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace kelvane::solver::testing
{
namespace
{

constexpr double Tolerance = 1e-9;

Result SolveWith(const Position &p, bool advanced = true, CheckingRule rule = CheckingRule::Optimal,
                 bool dupCheck = true)
{
    Options options;
    options.Advanced = advanced;
    options.Checking = rule;
    options.DupCheck = dupCheck;
    return Solve(p, options);
}

double At(const Position &p, const Result &r, int32_t c, int32_t row)
{
    return r.Probability.at(p.Index(c, row));
}

struct HandCase {
    const char *Name;
    const char *Text;
    bool FairPlay;
    bool Advanced;
    CheckingRule Rule;
    // Expected probability per sector, row by row; negative where none is due.
    std::vector<double> Expected;
};

class SolverHandPositions : public ::testing::TestWithParam<HandCase>
{
};

TEST_P(SolverHandPositions, GiveTheWorkedOutProbabilities)
{
    const HandCase &hc = GetParam();
    const Position p = Parse(hc.Text, hc.FairPlay);
    for (bool dup : {true, false}) {
        const Result r = SolveWith(p, hc.Advanced, hc.Rule, dup);
        ASSERT_EQ(r.RunStatus, Status::Finished) << r.Error;
        ASSERT_EQ(hc.Expected.size(), static_cast<size_t>(p.Width * p.Height));
        for (int32_t row = 0; row < p.Height; ++row)
            for (int32_t c = 0; c < p.Width; ++c)
                EXPECT_NEAR(At(p, r, c, row), hc.Expected[row * p.Width + c], Tolerance)
                    << hc.Name << " at (" << c << ", " << row << ")";
    }
}

const double N = -1.0; // no probability: an open or triggered sector

INSTANTIATE_TEST_SUITE_P(
    Worked, SolverHandPositions,
    ::testing::Values(
        // The mines of a 1-2-1 lie under the ones.
        HandCase{"OneTwoOne",
                 "3 2 2\n121\n...\n",
                 false,
                 true,
                 CheckingRule::Optimal,
                 {N, N, N, 1, 0, 1}},
        // Two sectors, one mine, nothing to tell them apart.
        HandCase{
            "FiftyFifty", "2 2 1\n1.\n1.\n", false, true, CheckingRule::Optimal, {N, 0.5, N, 0.5}},
        // The one mine is next to the 1, so every other sector is safe: the count alone.
        HandCase{"MineCountAlone",
                 "3 3 1\n1..\n...\n...\n",
                 false,
                 true,
                 CheckingRule::Optimal,
                 {N, 1.0 / 3, 0, 1.0 / 3, 1.0 / 3, 0, 0, 0, 0}},
        // No numbers: the mines spread evenly.
        HandCase{"NoNumbers",
                 "2 2 1\n..\n..\n",
                 false,
                 true,
                 CheckingRule::Optimal,
                 {0.25, 0.25, 0.25, 0.25}},
        // Fair Play: the corners are safe, the rest share the mines.
        HandCase{"FairPlayCorners",
                 "3 2 2\n...\n...\n",
                 true,
                 true,
                 CheckingRule::Optimal,
                 {0, 1, 0, 0, 1, 0}},
        // {B} with one more mine among three far sectors (3 ways) or {A, C} (1 way).
        HandCase{"AdvancedWeighsTheRest",
                 "8 1 2\n.1.1....\n",
                 false,
                 true,
                 CheckingRule::Optimal,
                 {0.25, N, 0.75, N, 0.25, 0.25, 0.25, 0.25}},
        // "Simple" counts {B} and {A, C} once each; the far sectors share half a mine.
        HandCase{"SimpleCountsEachFrontierLayoutOnce",
                 "8 1 2\n.1.1....\n",
                 false,
                 false,
                 CheckingRule::Optimal,
                 {0.5, N, 0.5, N, 0.5, 1.0 / 6, 1.0 / 6, 1.0 / 6}},
        // A marker that agrees with the numbers settles the other sector.
        HandCase{
            "MarkerTakenAsMine", "3 1 1\nF1.\n", false, true, CheckingRule::Minimal, {1, N, 0}},
        // Maximal ignores the marker: the 1 could be on either side.
        HandCase{"MaximalIgnoresMarkers",
                 "3 1 1\nF1.\n",
                 false,
                 true,
                 CheckingRule::Maximal,
                 {0.5, N, 0.5}},
        // Optimal drops a marker that makes the position impossible (it sits next to a 0).
        HandCase{"OptimalDropsAnImpossibleMarker",
                 "4 1 1\nF0..\n",
                 false,
                 true,
                 CheckingRule::Optimal,
                 {0, N, 0, 1}},
        // A triggered mine counts for the numbers and shows no probability.
        HandCase{"TriggeredMineIsKnown",
                 "3 1 1\n*1.\n",
                 false,
                 true,
                 CheckingRule::Optimal,
                 {N, N, 0}}));

TEST(SolverMarkers, MinimalRuleWithAnImpossibleMarkerIsAnError)
{
    const Result r = SolveWith(Parse("4 1 1\nF0..\n"), true, CheckingRule::Minimal);
    EXPECT_EQ(r.RunStatus, Status::Error);
    EXPECT_TRUE(r.Probability.empty());
}

TEST(SolverMarkers, FairPlayCornerMarkerIsImpossibleUnderMinimalAndIgnoredUnderOptimal)
{
    const Position p = Parse("3 3 1\nF..\n...\n...\n", true);
    EXPECT_EQ(SolveWith(p, true, CheckingRule::Minimal).RunStatus, Status::Error);
    const Result r = SolveWith(p, true, CheckingRule::Optimal);
    ASSERT_EQ(r.RunStatus, Status::Finished);
    EXPECT_EQ(At(p, r, 0, 0), 0.0);
    EXPECT_NEAR(At(p, r, 1, 1), 0.2, Tolerance);
}

TEST(SolverImpossible, InconsistentNumbersAreAnErrorInEveryMode)
{
    // A 3 with only two closed neighbours.
    const Position p = Parse("3 1 2\n.3.\n");
    for (bool advanced : {true, false})
        for (auto rule : {CheckingRule::Minimal, CheckingRule::Optimal, CheckingRule::Maximal})
            EXPECT_EQ(SolveWith(p, advanced, rule).RunStatus, Status::Error);
}

TEST(SolverImpossible, TooFewMinesForTheNumbersIsAnError)
{
    EXPECT_EQ(SolveWith(Parse("3 1 1\n.2.\n")).RunStatus, Status::Error);
}

struct FieldCase {
    int32_t Width, Height, Mines;
    bool FairPlay;
};

class SolverEmptyFields : public ::testing::TestWithParam<FieldCase>
{
};

TEST_P(SolverEmptyFields, ShareTheMinesEvenlyAndAddUpToTheCount)
{
    const FieldCase fc = GetParam();
    std::string text = std::to_string(fc.Width) + " " + std::to_string(fc.Height) + " " +
                       std::to_string(fc.Mines) + "\n";
    for (int32_t r = 0; r < fc.Height; ++r)
        text += std::string(fc.Width, '.') + "\n";
    const Position p = Parse(text, fc.FairPlay);
    const Result r = SolveWith(p);
    ASSERT_EQ(r.RunStatus, Status::Finished);
    const int32_t candidates = fc.Width * fc.Height - (fc.FairPlay ? 4 : 0);
    const double each = static_cast<double>(fc.Mines) / candidates;
    double sum = 0.0;
    for (int32_t c = 0; c < fc.Width; ++c)
        for (int32_t row = 0; row < fc.Height; ++row) {
            const bool corner = (c == 0 || c == fc.Width - 1) && (row == 0 || row == fc.Height - 1);
            const double want = fc.FairPlay && corner ? 0.0 : each;
            EXPECT_NEAR(At(p, r, c, row), want, Tolerance);
            sum += At(p, r, c, row);
        }
    EXPECT_NEAR(sum, fc.Mines, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Extremes, SolverEmptyFields,
                         ::testing::Values(FieldCase{8, 8, 0, false}, FieldCase{8, 8, 49, false},
                                           FieldCase{8, 8, 49, true}, FieldCase{32, 25, 180, false},
                                           FieldCase{32, 25, 744, true},
                                           FieldCase{32, 25, 744, false}));

TEST(SolverExtremeFields, OpenEightOnAFullFieldLeavesExactOddsForTheRest)
{
    std::string text = "32 25 744\n";
    for (int32_t r = 0; r < 25; ++r) {
        std::string row(32, '.');
        if (r == 12) row[16] = '8';
        text += row + "\n";
    }
    const Position p = Parse(text);
    const Result r = SolveWith(p);
    ASSERT_EQ(r.RunStatus, Status::Finished);
    EXPECT_EQ(At(p, r, 15, 11), 1.0);
    EXPECT_EQ(At(p, r, 17, 13), 1.0);
    EXPECT_NEAR(At(p, r, 0, 0), 736.0 / 791.0, Tolerance);
}

TEST(SolverExtremeFields, SmallProbabilitiesSurviveHugeCounts)
{
    // One open 1 among 180 mines on 32 x 25: its eight neighbours share one mine, so each
    // holds it with a modest probability while the far field is dense; none is 0 or 1.
    std::string text = "32 25 180\n";
    for (int32_t r = 0; r < 25; ++r) {
        std::string row(32, '.');
        if (r == 12) row[16] = '1';
        text += row + "\n";
    }
    const Position p = Parse(text);
    const Result r = SolveWith(p);
    ASSERT_EQ(r.RunStatus, Status::Finished);
    EXPECT_NEAR(At(p, r, 15, 11), 1.0 / 8, Tolerance);
    EXPECT_NEAR(At(p, r, 0, 0), 179.0 / 791.0, Tolerance);
}

std::vector<Position> Corpus(const std::string &name)
{
    std::ifstream in(std::string(KELVANE_CORPUS_DIR) + "/" + name + ".txt");
    std::vector<Position> out;
    Position p;
    TextError error;
    int32_t line = 0;
    while (ReadPosition(in, line, p, error))
        out.push_back(p);
    EXPECT_TRUE(error.Message.empty()) << name << " line " << error.Line << ": " << error.Message;
    return out;
}

class SolverCorpus : public ::testing::TestWithParam<const char *>
{
};

// In "Advanced" the remaining mines are exactly the count less the known ones, so the
// probabilities of the closed and marked sectors add up to the mines not triggered.
TEST_P(SolverCorpus, AdvancedProbabilitiesAddUpToTheMinesLeft)
{
    int checked = 0;
    for (const Position &p : Corpus(GetParam())) {
        const Result r = SolveWith(p, true, CheckingRule::Maximal);
        if (r.RunStatus != Status::Finished) continue;
        double sum = 0.0;
        int32_t triggered = 0;
        for (size_t i = 0; i < p.State.size(); ++i) {
            if (p.State[i] == Cell::Triggered)
                ++triggered;
            else if (r.Probability[i] >= 0.0)
                sum += r.Probability[i];
        }
        EXPECT_NEAR(sum, p.Mines - triggered, 1e-6) << FormatPosition(p);
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

TEST_P(SolverCorpus, DuplicateCheckingChangesNoProbability)
{
    for (const Position &p : Corpus(GetParam())) {
        for (bool advanced : {true, false}) {
            const Result with = SolveWith(p, advanced, CheckingRule::Optimal, true);
            const Result without = SolveWith(p, advanced, CheckingRule::Optimal, false);
            ASSERT_EQ(with.RunStatus, without.RunStatus);
            for (size_t i = 0; i < with.Probability.size(); ++i)
                ASSERT_NEAR(with.Probability[i], without.Probability[i], Tolerance)
                    << FormatPosition(p);
        }
    }
}

// The figures of every progress report of a run. A paced log waits a little at each of the
// run's checks, so that a run too quick for a few reports on this machine lasts long enough.
class ProgressLog : public Monitor
{
  public:
    void Report(const Progress &p) override { Reports.push_back(p); }
    bool Halted() override
    {
        if (Pace.count() > 0) std::this_thread::sleep_for(Pace);
        return false;
    }
    std::vector<Progress> Reports;
    std::chrono::microseconds Pace{0};
};

// A long run's percent shows the share of its work done: it never falls back, and (nearTheSteps)
// at every report it is within a quarter of the steps taken against the run's final steps.
void ExpectPercentFollowsTheSteps(const ProgressLog &log, uint64_t steps, const Position &p,
                                  bool nearTheSteps)
{
    ASSERT_GE(log.Reports.size(), 3u) << FormatPosition(p);
    EXPECT_EQ(log.Reports.back().Percent, 100);
    std::string trace;
    for (const Progress &report : log.Reports)
        trace +=
            " " + std::to_string(report.Percent) + "/" + std::to_string(report.Steps * 100 / steps);
    for (size_t i = 0; i < log.Reports.size(); ++i) {
        const Progress &report = log.Reports[i];
        const double share = 100.0 * static_cast<double>(report.Steps) / steps;
        if (nearTheSteps) {
            EXPECT_NEAR(report.Percent, share, 25.0)
                << "report " << i << " (percent/steps:" << trace << ")\n"
                << FormatPosition(p);
        }
        if (i > 0) {
            EXPECT_GE(report.Percent, log.Reports[i - 1].Percent)
                << "report " << i << " (percent/steps:" << trace << ")";
        }
    }
}

// The hard set holds the widest sweeps: full lattices of numbers, where each component's
// mine totals are squeezed by the few sectors away from numbers; the dense set holds
// lattices with every other sector of every other row open, up to 40 % of the closed sectors
// mined, and checker lattices with a share of their numbers taken away. Every one must finish
// exactly within the default budget, with probabilities that add up to the mines, and agree
// without duplicate checking; and the progress of the long ones grows with the work. Without
// duplicate checking a dense lattice's sectors along the edge count one by one: its longest
// runs are not repeated that way, and its widest layers come late in the sweep, so that the
// estimate runs ahead before them (there the percent is only checked never to fall back).
// Under the sanitizers the dense set takes minutes: it runs in the plain build.
struct HardSet {
    const char *Name;
    bool Dense;
};

class SolverHardSet : public ::testing::TestWithParam<HardSet>
{
};

TEST_P(SolverHardSet, FinishesWithinTheDefaultBudgetAndAgreesWithAndWithoutDuplicateChecking)
{
    if (GetParam().Dense && Sanitized) GTEST_SKIP() << "the dense set runs in the plain build";
    const std::vector<Position> positions = Corpus(GetParam().Name);
    ASSERT_GT(positions.size(), 20u);
    constexpr uint64_t LongDenseRun = uint64_t{1} << 22;
    struct Run {
        uint64_t Steps;
        size_t At;
        ProgressLog Log;
    };
    std::vector<Run> runs;
    for (size_t at = 0; at < positions.size(); ++at) {
        const Position &p = positions[at];
        runs.push_back({0, at, {}});
        const Result with = Solve(p, Options{}, &runs.back().Log);
        runs.back().Steps = with.Steps;
        ASSERT_EQ(with.RunStatus, Status::Finished) << FormatPosition(p);
        double sum = 0.0;
        for (double probability : with.Probability)
            sum += std::max(probability, 0.0);
        EXPECT_NEAR(sum, p.Mines, 1e-6) << FormatPosition(p);
        if (GetParam().Dense && with.Steps >= LongDenseRun) continue;
        const Result without = SolveWith(p, true, CheckingRule::Optimal, false);
        ASSERT_EQ(without.RunStatus, Status::Finished) << FormatPosition(p);
        EXPECT_LT(without.Steps, uint64_t{1} << Options{}.StepDepth);
        for (size_t i = 0; i < with.Probability.size(); ++i)
            ASSERT_NEAR(with.Probability[i], without.Probability[i], Tolerance)
                << FormatPosition(p);
    }
    // The longest runs show a growing bar.
    std::sort(runs.begin(), runs.end(),
              [](const Run &a, const Run &b) { return a.Steps > b.Steps; });
    for (size_t i = 0; i < 3; ++i) {
        if (runs[i].Log.Reports.size() < 3) {
            // Run again, spread over about six report intervals.
            const uint64_t checks = std::max<uint64_t>(runs[i].Steps / 2048, 1);
            runs[i].Log = {};
            runs[i].Log.Pace = std::chrono::microseconds(6 * ReportIntervalMs * 1000 / checks);
            const Result again = Solve(positions[runs[i].At], Options{}, &runs[i].Log);
            ASSERT_EQ(again.Steps, runs[i].Steps);
        }
        ExpectPercentFollowsTheSteps(runs[i].Log, runs[i].Steps, positions[runs[i].At],
                                     !GetParam().Dense);
    }
}

// Brings this process's peak resident memory (VmHWM) down to what is resident now.
void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A figure of this process's status in bytes, 0 where the system does not tell it.
int64_t StatusBytes(const char *field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::stoll(line.substr(std::string(field).size())) * 1024;
    return 0;
}

// Numbers two apart along the diagonals, each sharing only its corner sectors with the next,
// with about half the closed sectors mined: one component of hundreds of sectors with more
// arrangements than a double holds (2^410 on 32 x 30, 2^425 on 32 x 32), its sweep thinned.
Position DiagonalLattice(int32_t height, uint32_t seed)
{
    Position p;
    p.Width = 32;
    p.Height = height;
    const auto isNumber = [](int32_t c, int32_t r) {
        return c % 2 == 0 && r % 2 == 0 && (c + r) % 4 == 0;
    };
    std::vector<bool> mined(32 * height);
    for (int32_t c = 0; c < 32; ++c)
        for (int32_t r = 0; r < height; ++r) {
            seed = seed * 1664525u + 1013904223u;
            mined[p.Index(c, r)] = !isNumber(c, r) && (seed >> 31) != 0;
            p.Mines += mined[p.Index(c, r)];
        }
    p.State.assign(mined.size(), Cell::Closed);
    p.Number.assign(mined.size(), 0);
    for (int32_t c = 0; c < 32; ++c)
        for (int32_t r = 0; r < height; ++r) {
            if (!isNumber(c, r)) continue;
            p.State[p.Index(c, r)] = Cell::Open;
            for (int32_t x = std::max(c - 1, 0); x <= std::min(c + 1, 31); ++x)
                for (int32_t y = std::max(r - 1, 0); y <= std::min(r + 1, height - 1); ++y)
                    p.Number[p.Index(c, r)] += mined[p.Index(x, y)];
        }
    return p;
}

// What one run took, measured in a process of its own: the peak of its resident memory above
// what it held before (0 where the system does not tell), which neither this process's
// earlier runs nor memory the allocator kept from them can hide.
struct Measured {
    Status RunStatus = Status::Error;
    bool OverBudget = false;
    bool Answered = false; // any probabilities
    double Sum = 0.0;      // of the probabilities
    int64_t Growth = 0;
};

Measured RunInChild(const Position &p, uint64_t limit)
{
    int ends[2];
    Measured m;
    if (pipe(ends) != 0) return m;
    const pid_t child = fork();
    if (child == 0) {
        Options options;
        options.MemoryLimit = limit;
        ResetPeak();
        const int64_t before = StatusBytes("VmRSS:");
        const Result r = Solve(p, options);
        const int64_t peak = StatusBytes("VmHWM:");
        m = {r.RunStatus, r.OverBudget, !r.Probability.empty(), 0.0,
             before > 0 && peak > 0 ? peak - before : 0};
        for (double probability : r.Probability)
            m.Sum += std::max(probability, 0.0);
        _exit(write(ends[1], &m, sizeof m) == sizeof m ? 0 : 1);
    }
    close(ends[1]);
    const bool received = read(ends[0], &m, sizeof m) == sizeof m;
    close(ends[0]);
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(received && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return m;
}

// A dense lattice needs hundreds of megabytes: its states and their transitions as much as
// their counts. A run given less memory halts over budget rather than take more, and one
// given enough finishes; either way it keeps to its limit and 8 MiB for the rest of the run:
// the position, its components, the answer (checked in the plain build, where the resident
// memory is the engine's own). The diagonal lattice is held to that at the smallest limit
// that lets it finish, 101.4 MiB of which 31 MiB are its spare block (found by halving; find
// it again when the sweep's memory changes), and halts 16 MiB below.
TEST(SolverMemoryLimit, ARunKeepsWithinItsLimitOrHaltsOverBudget)
{
    const std::vector<Position> dense = Corpus("dense");
    ASSERT_GT(dense.size(), 12u);
    const Position lattice = DiagonalLattice(32, 1);
    constexpr int64_t MiB = int64_t{1} << 20;
    struct Case {
        const Position &Of;
        int64_t Limit;
        bool Finishes;
    };
    for (const Case c : {Case{dense[12], 8 * MiB, false}, Case{dense[12], 40 * MiB, false},
                         Case{dense[12], 320 * MiB, true}, Case{lattice, 86 * MiB, false},
                         Case{lattice, 102 * MiB, true}}) {
        if (Sanitized && (c.Finishes || &c.Of == &lattice)) continue;
        const Measured m = RunInChild(c.Of, static_cast<uint64_t>(c.Limit));
        if (c.Finishes) {
            ASSERT_EQ(m.RunStatus, Status::Finished) << c.Limit;
            EXPECT_NEAR(m.Sum, c.Of.Mines, 1e-6);
        } else {
            EXPECT_EQ(m.RunStatus, Status::Halted) << c.Limit;
            EXPECT_TRUE(m.OverBudget) << c.Limit;
            EXPECT_FALSE(m.Answered);
        }
        if (!Sanitized && m.Growth > 0) {
            EXPECT_LE(m.Growth, c.Limit + 8 * MiB) << c.Limit;
        }
    }
}

// The layers counted again on the way back hold the same counts as when they were kept: the
// same sums in the same order, rescaled by the same powers of two, so every probability is
// the same to the bit. On 32 x 30 the counting pass rescales past 2^400 at a layer the sweep
// does not keep, so the pass back counts that layer again, rescaling and all. Under the
// sanitizers a smaller lattice, thinned but never rescaled.
TEST(SolverThinnedSweep, GivesTheProbabilitiesOfTheSweepThatKeepsEveryLayer)
{
    const Position p = DiagonalLattice(Sanitized ? 24 : 30, 6);
    Options keepAll;
    keepAll.KeepEveryLayer = true;
    const Result thinned = Solve(p, Options{});
    const Result kept = Solve(p, keepAll);
    ASSERT_EQ(thinned.RunStatus, Status::Finished);
    ASSERT_EQ(kept.RunStatus, Status::Finished);
    EXPECT_EQ(thinned.Steps, kept.Steps);
    for (size_t i = 0; i < p.State.size(); ++i)
        ASSERT_EQ(thinned.Probability[i], kept.Probability[i]) << i << "\n" << FormatPosition(p);
}

INSTANTIATE_TEST_SUITE_P(Sets, SolverHardSet,
                         ::testing::Values(HardSet{"hard", false}, HardSet{"dense", true}),
                         [](const ::testing::TestParamInfo<HardSet> &info) {
                             return std::string(info.param.Name);
                         });

INSTANTIATE_TEST_SUITE_P(Levels, SolverCorpus,
                         ::testing::Values("beginner", "intermediate", "expert", "ultra"));

} // namespace
} // namespace kelvane::solver::testing
