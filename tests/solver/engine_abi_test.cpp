// The engine through its C table, as the program drives it, with a recording sink.
#include "engine_object.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace kelvane::solver::testing
{
namespace
{

using Clock = std::chrono::steady_clock;

// Work done by this thread, in milliseconds: the upper bounds below are promises about the
// engine's own work, which a busy machine must not be able to break.
double ThreadWorkMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Recorder {
    EngineEvents Base;
    TGameState *Game = nullptr;
    std::vector<std::string> Calls;
    std::vector<int32_t> Highlighted, Drawn; // sector slots
    std::vector<std::array<int32_t, 3>> Counts, Appended;
    std::vector<int32_t> MaxCombinations;
    std::vector<Clock::time_point> Reports;
    std::vector<double> ReportWork;
    std::vector<int32_t> Percents;
    bool HaltAtDone = false;
    std::function<void(Recorder &)> OnReport;
};

Recorder &Of(EngineEvents *self)
{
    return *reinterpret_cast<Recorder *>(self);
}

const EngineEventsTable RecorderTable = {
    [](EngineEvents *s, int32_t c, int32_t r) {
        Of(s).Calls.push_back("HighlightSector");
        Of(s).Highlighted.push_back(KELVANE_SECTOR_INDEX(c, r));
    },
    [](EngineEvents *s, int32_t c, int32_t r) {
        Of(s).Calls.push_back("DrawClosedSector");
        Of(s).Drawn.push_back(KELVANE_SECTOR_INDEX(c, r));
    },
    [](EngineEvents *s) { Of(s).Calls.push_back("ShowStatusIdle"); },
    [](EngineEvents *s, int32_t a, int32_t b, int32_t p) {
        Of(s).Calls.push_back("SetSectorCounts");
        Of(s).Counts.push_back({a, b, p});
    },
    [](EngineEvents *s, int32_t a, int32_t b, int32_t p) {
        Of(s).Calls.push_back("AppendSectorCounts");
        Of(s).Appended.push_back({a, b, p});
    },
    [](EngineEvents *s) { Of(s).Calls.push_back("ResetRunCounters"); },
    [](EngineEvents *s, int32_t total, int32_t) {
        Of(s).Calls.push_back("SetMaxCombinations");
        Of(s).MaxCombinations.push_back(total);
    },
    [](EngineEvents *s, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t percent) {
        Recorder &rec = Of(s);
        rec.Calls.push_back("ReportProgress");
        rec.Reports.push_back(Clock::now());
        rec.ReportWork.push_back(ThreadWorkMs());
        rec.Percents.push_back(percent);
        if (rec.OnReport) rec.OnReport(rec);
    },
    [](EngineEvents *s) { Of(s).Calls.push_back("ShowStatusError"); },
    [](EngineEvents *s) {
        Of(s).Calls.push_back("ShowStatusDone");
        Of(s).HaltAtDone = Of(s).Game->HaltRequest != 0;
    },
    [](EngineEvents *s) { Of(s).Calls.push_back("RefreshBoard"); },
};

struct alignas(16) Record {
    TGameState Game;
};

class EngineAbi : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        record = std::make_unique<Record>();
        std::memset(&record->Game, 0, sizeof(TGameState));
        for (float &p : record->Game.Prob)
            p = 123.0f; // slots no field may touch
        game().AdvancedMode = 1;
        game().DupCheck = 1;
        game().CheckingMode = 1;
        game().StepDepth = 25;
        sink.Base.vtbl = &RecorderTable;
        sink.Game = &game();
        engine = NewEngineObject();
        ASSERT_NE(engine, nullptr);
        engine->vtbl->Attach(engine, &game(), &sink.Base);
    }
    void TearDown() override { DeleteEngineObject(engine); }
    TGameState &game() { return record->Game; }
    // Forgets what the sink heard; it stays the one the engine was attached to.
    void ResetSink()
    {
        sink = Recorder();
        sink.Base.vtbl = &RecorderTable;
        sink.Game = &game();
    }
    int32_t Calculate()
    {
        game().EngineBusy = 1;
        game().HaltRequest = 0;
        const int32_t n = engine->vtbl->Calculate(engine, 0, 0);
        game().EngineBusy = 0;
        return n;
    }
    size_t CountOf(const std::string &call) const
    {
        return static_cast<size_t>(std::count(sink.Calls.begin(), sink.Calls.end(), call));
    }

    std::unique_ptr<Record> record;
    Recorder sink;
    ProbabilityEngine *engine = nullptr;
};

Position CorpusPosition(const std::string &set, int index)
{
    std::ifstream in(std::string(KELVANE_CORPUS_DIR) + "/" + set + ".txt");
    Position p;
    TextError error;
    int32_t line = 0;
    for (int i = 0; i <= index; ++i)
        if (!ReadPosition(in, line, p, error)) throw std::runtime_error(set + ".txt too short");
    return p;
}

Position HardCorpusPosition(int index)
{
    return CorpusPosition("hard", index);
}

// The widest dense lattice: about a second of work, far past 2^20 steps, and many reports.
Position LargePosition()
{
    return CorpusPosition("dense", 1);
}

TEST_F(EngineAbi, FinishedRunWritesProbOfClosedAndMarkedSectorsOnly)
{
    const Position p = Parse("5 3 3\n*1...\n.21F.\n..1..\n");
    LoadPosition(game(), p);
    const int32_t steps = Calculate();
    const Result expected = Solve(p, Options{});
    ASSERT_EQ(expected.RunStatus, Status::Finished);
    EXPECT_EQ(static_cast<uint64_t>(steps), expected.Steps);
    for (int32_t slot = 0; slot < KELVANE_SECTOR_SLOTS; ++slot) {
        const int32_t c = slot / 32, r = slot % 32;
        if (c >= p.Width || r >= p.Height) {
            ASSERT_EQ(game().Prob[slot], 123.0f) << "slot " << slot;
            continue;
        }
        const Cell state = p.State[p.Index(c, r)];
        if (state == Cell::Open)
            EXPECT_EQ(game().Prob[slot], 0.0f);
        else if (state == Cell::Triggered)
            EXPECT_EQ(game().Prob[slot], 1.0f);
        else
            EXPECT_FLOAT_EQ(game().Prob[slot],
                            static_cast<float>(expected.Probability[p.Index(c, r)]));
    }
    ASSERT_FALSE(sink.Calls.empty());
    EXPECT_EQ(sink.Calls.back(), "ShowStatusDone");
    EXPECT_FALSE(sink.HaltAtDone);
    EXPECT_EQ(CountOf("ShowStatusError"), 0u);
}

TEST_F(EngineAbi, FinishedRunReportsInTheOrderThePanelExpects)
{
    // A 0 settles its neighbour; the 1 beside it leaves a 50/50 behind.
    LoadPosition(game(), Parse("4 2 1\n01..\n0...\n"));
    Calculate();
    const std::vector<std::string> head(sink.Calls.begin(), sink.Calls.begin() + 4);
    EXPECT_EQ(head, (std::vector<std::string>{"ResetRunCounters", "SetMaxCombinations",
                                              "SetSectorCounts", "AppendSectorCounts"}));
    EXPECT_EQ(sink.MaxCombinations, std::vector<int32_t>{1 << 25});
    // Before: the 0 and the 1 see (1,1) and (2,0), (2,1), three sectors in two groups
    // ((1,1) alone touches both numbers). After settling the 0, (1,1) is safe and the 1 has
    // two sectors in one group.
    ASSERT_EQ(sink.Counts.size(), 1u);
    EXPECT_EQ(sink.Counts[0], (std::array<int32_t, 3>{3, 3, 2}));
    ASSERT_EQ(sink.Appended.size(), 1u);
    EXPECT_EQ(sink.Appended[0], (std::array<int32_t, 3>{2, 1, 1}));
    // Every closed sector is drawn once with its final probability, then the board shows.
    EXPECT_EQ(CountOf("DrawClosedSector"), 5u);
    const size_t refresh =
        std::find(sink.Calls.begin(), sink.Calls.end(), "RefreshBoard") - sink.Calls.begin();
    const size_t lastDraw =
        sink.Calls.rend() - std::find(sink.Calls.rbegin(), sink.Calls.rend(), "DrawClosedSector");
    EXPECT_LT(lastDraw, refresh + 1);
    EXPECT_EQ(sink.Calls.back(), "ShowStatusDone");
    EXPECT_FLOAT_EQ(game().Prob[KELVANE_SECTOR_INDEX(2, 0)], 0.5f);
    EXPECT_FLOAT_EQ(game().Prob[KELVANE_SECTOR_INDEX(3, 0)], 0.0f);
}

// An Escape in the closing report of a run (the one every finished run makes) either halts
// the run, with nothing written, or comes too late; a run whose probabilities are written
// and drawn is never labelled "Halted".
TEST_F(EngineAbi, EscapeInTheClosingReportNeverLabelsAWrittenResultHalted)
{
    LoadPosition(game(), Parse("4 2 1\n01..\n0...\n"));
    sink.OnReport = [](Recorder &rec) { rec.Game->HaltRequest = 1; };
    std::vector<float> before(std::begin(game().Prob), std::end(game().Prob));
    game().EngineBusy = 1;
    game().HaltRequest = 0;
    engine->vtbl->Calculate(engine, 0, 0);
    ASSERT_EQ(CountOf("ReportProgress"), 1u);
    ASSERT_EQ(sink.Calls.back(), "ShowStatusDone");
    const bool written =
        std::vector<float>(std::begin(game().Prob), std::end(game().Prob)) != before;
    EXPECT_TRUE(sink.HaltAtDone);
    EXPECT_FALSE(written);
    EXPECT_EQ(sink.Drawn, sink.Highlighted); // only the highlighted sectors drawn back
}

// The panel's first counts against a plain count: unknown sectors next to a number, numbers
// next to one, and (with duplicate checking) the distinct sets of numbers those sectors touch.
TEST_F(EngineAbi, PanelCountsAgreeWithAPlainCountOnPlayPositions)
{
    std::ifstream in(std::string(KELVANE_CORPUS_DIR) + "/intermediate.txt");
    Position p;
    TextError error;
    int32_t line = 0;
    game().CheckingMode = 2; // markers ignored: every closed or marked sector is unknown
    for (int n = 0; n < 60 && ReadPosition(in, line, p, error); ++n) {
        int32_t closed = 0;
        std::set<int32_t> numbers;
        std::set<std::vector<int32_t>> groups;
        for (int32_t c = 0; c < p.Width; ++c) {
            for (int32_t r = 0; r < p.Height; ++r) {
                const Cell state = p.State[p.Index(c, r)];
                if (state != Cell::Closed && state != Cell::Marked) continue;
                std::vector<int32_t> touching;
                for (int32_t nc = c - 1; nc <= c + 1; ++nc)
                    for (int32_t nr = r - 1; nr <= r + 1; ++nr)
                        if (nc >= 0 && nr >= 0 && nc < p.Width && nr < p.Height &&
                            p.State[p.Index(nc, nr)] == Cell::Open)
                            touching.push_back(p.Index(nc, nr));
                if (touching.empty()) continue;
                ++closed;
                numbers.insert(touching.begin(), touching.end());
                groups.insert(touching);
            }
        }
        for (int32_t dup : {1, 0}) {
            game().DupCheck = dup;
            sink.Counts.clear();
            LoadPosition(game(), p);
            Calculate();
            const auto open = static_cast<int32_t>(numbers.size());
            const int32_t parts = dup ? static_cast<int32_t>(groups.size()) : closed;
            ASSERT_EQ(sink.Counts.size(), 1u) << FormatPosition(p);
            EXPECT_EQ(sink.Counts[0], (std::array<int32_t, 3>{closed, open, parts}))
                << "duplicate checking " << dup << "\n"
                << FormatPosition(p);
        }
    }
}

TEST_F(EngineAbi, SimpleModeWorksToTheLargestBudget)
{
    LoadPosition(game(), Parse("3 2 2\n121\n...\n"));
    game().AdvancedMode = 0;
    game().StepDepth = 20;
    Calculate();
    EXPECT_EQ(sink.MaxCombinations, std::vector<int32_t>{1 << 30});
}

TEST_F(EngineAbi, MarkedSectorsGetAProbabilityButAreNotRedrawn)
{
    LoadPosition(game(), Parse("3 1 1\nF1.\n"));
    Calculate();
    EXPECT_EQ(game().Prob[KELVANE_SECTOR_INDEX(0, 0)], 1.0f);
    EXPECT_EQ(game().Prob[KELVANE_SECTOR_INDEX(2, 0)], 0.0f);
    EXPECT_EQ(sink.Drawn, std::vector<int32_t>{KELVANE_SECTOR_INDEX(2, 0)});
}

// What a run told its sink, in order, leaving out the progress reports: those come by the
// clock, so two equal runs may send a different number of them.
std::vector<std::string> UntimedCalls(const Recorder &sink)
{
    std::vector<std::string> calls;
    for (const std::string &call : sink.Calls)
        if (call != "ReportProgress") calls.push_back(call);
    return calls;
}

TEST_F(EngineAbi, NeverReadsMinesNorNumbersOfUnopenedSectors)
{
    for (const int index : {0, 3}) {
        SCOPED_TRACE("hard position " + std::to_string(index));
        const Position p = HardCorpusPosition(index);
        LoadPosition(game(), p);
        ResetSink();
        Calculate();
        const auto plain = std::make_unique<Record>();
        std::memcpy(&plain->Game, &game(), sizeof(TGameState));
        const Recorder plainSink = sink;

        // The program's secrets, filled with noise: neither the answer nor what the sink
        // hears may move.
        LoadPosition(game(), p);
        uint32_t noise = 7 + static_cast<uint32_t>(index);
        for (int32_t slot = 0; slot < KELVANE_SECTOR_SLOTS; ++slot) {
            noise = noise * 134775813u + 1u;
            game().Mined[slot] = static_cast<int32_t>(noise >> 28);
            if (game().State[slot] != SECTOR_OPEN)
                game().Number[slot] = static_cast<int32_t>(noise);
        }
        ResetSink();
        Calculate();
        EXPECT_EQ(std::memcmp(game().Prob, plain->Game.Prob, sizeof game().Prob), 0);
        EXPECT_EQ(UntimedCalls(sink), UntimedCalls(plainSink));
        EXPECT_EQ(sink.Highlighted, plainSink.Highlighted);
        EXPECT_EQ(sink.Drawn, plainSink.Drawn);
        EXPECT_EQ(sink.Counts, plainSink.Counts);
        EXPECT_EQ(sink.Appended, plainSink.Appended);
        EXPECT_EQ(sink.MaxCombinations, plainSink.MaxCombinations);
        EXPECT_EQ(CountOf("ShowStatusDone"), 1u);
    }
}

// Every option of the record reaches the engine as the option it names: positions where the
// options' answers differ, each run under each setting.
TEST_F(EngineAbi, EachEngineOptionInTheRecordSelectsItsOwnRule)
{
    struct Row {
        const char *Name;
        const char *Text;
        int32_t Advanced, DupCheck, Checking;
        bool Error;
        std::vector<std::pair<std::array<int32_t, 2>, float>> Prob; // (column, row) -> value
        std::array<int32_t, 3> Counts;                              // first SetSectorCounts
    };
    // A marker beside a 1: taken as the mine, or ignored. A wrong marker beside a 0: an
    // error, dropped, or ignored. Two 1s sharing a sector: one mine in the middle, or two
    // outside it, weighted by the ways the rest fit ("Advanced") or once each ("Simple").
    const char *marker = "3 1 1\nF1.\n";
    const char *wrong = "5 2 1\nF0...\n.....\n";
    const char *shared = "7 1 2\n.1.1...\n";
    const char *corner = "3 3 1\n1..\n...\n...\n";
    const Row rows[] = {
        {"Minimal keeps a marker",
         marker,
         1,
         1,
         0,
         false,
         {{{0, 0}, 1.0f}, {{2, 0}, 0.0f}},
         {1, 1, 1}},
        {"Optimal keeps a marker",
         marker,
         1,
         1,
         1,
         false,
         {{{0, 0}, 1.0f}, {{2, 0}, 0.0f}},
         {1, 1, 1}},
        {"Maximal ignores a marker",
         marker,
         1,
         1,
         2,
         false,
         {{{0, 0}, 0.5f}, {{2, 0}, 0.5f}},
         {2, 1, 1}},
        {"Minimal fails on a wrong marker", wrong, 1, 1, 0, true, {}, {}},
        {"Optimal drops a wrong marker",
         wrong,
         1,
         1,
         1,
         false,
         {{{0, 0}, 0.0f}, {{4, 0}, 0.25f}},
         {}},
        {"Maximal ignores a wrong marker",
         wrong,
         1,
         1,
         2,
         false,
         {{{0, 0}, 0.0f}, {{4, 0}, 0.25f}},
         {}},
        {"Advanced weighs the rest",
         shared,
         1,
         1,
         1,
         false,
         {{{0, 0}, 1.0f / 3}, {{2, 0}, 2.0f / 3}, {{4, 0}, 1.0f / 3}, {{6, 0}, 1.0f / 3}},
         {}},
        {"Simple counts each arrangement once",
         shared,
         0,
         1,
         1,
         false,
         {{{0, 0}, 0.5f}, {{2, 0}, 0.5f}, {{4, 0}, 0.5f}, {{6, 0}, 0.25f}},
         {}},
        {"DupCheck joins sectors touching the same numbers",
         corner,
         1,
         1,
         1,
         false,
         {{{1, 1}, 1.0f / 3}},
         {3, 1, 1}},
        {"without DupCheck each sector is its own group",
         corner,
         1,
         0,
         1,
         false,
         {{{1, 1}, 1.0f / 3}},
         {3, 1, 3}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.Name);
        LoadPosition(game(), Parse(row.Text));
        game().AdvancedMode = row.Advanced;
        game().DupCheck = row.DupCheck;
        game().CheckingMode = row.Checking;
        ResetSink();
        Calculate();
        EXPECT_EQ(CountOf("ShowStatusError"), row.Error ? 1u : 0u);
        EXPECT_EQ(CountOf("ShowStatusDone"), row.Error ? 0u : 1u);
        for (const auto &[at, p] : row.Prob)
            EXPECT_NEAR(game().Prob[KELVANE_SECTOR_INDEX(at[0], at[1])], p, 1e-6)
                << "sector " << at[0] << "," << at[1];
        if (row.Counts != std::array<int32_t, 3>{}) {
            ASSERT_FALSE(sink.Counts.empty());
            EXPECT_EQ(sink.Counts.front(), row.Counts);
        }
    }
}

struct BadRecord {
    const char *Name;
    std::function<void(TGameState &)> Spoil;
};

class EngineBadRecords : public EngineAbi, public ::testing::WithParamInterface<BadRecord>
{
};

TEST_P(EngineBadRecords, ShowErrorAndChangeNothing)
{
    LoadPosition(game(), Parse("4 3 2\n1...\n....\n...1\n"));
    GetParam().Spoil(game());
    game().EngineBusy = 1;
    auto before = std::make_unique<Record>();
    std::memcpy(&before->Game, &game(), sizeof(TGameState));
    EXPECT_EQ(engine->vtbl->Calculate(engine, 0, 0), 0);
    EXPECT_EQ(std::memcmp(&before->Game, &game(), sizeof(TGameState)), 0);
    EXPECT_EQ(CountOf("ShowStatusError"), 1u);
    EXPECT_EQ(CountOf("ShowStatusDone"), 0u);
    EXPECT_EQ(CountOf("DrawClosedSector"), CountOf("HighlightSector"));
}

INSTANTIATE_TEST_SUITE_P(
    Records, EngineBadRecords,
    ::testing::Values(
        BadRecord{"NoColumns", [](TGameState &g) { g.SizeX = 0, g.MaxX = -1; }},
        BadRecord{"TooManyColumns", [](TGameState &g) { g.SizeX = 33, g.MaxX = 32; }},
        BadRecord{"TooManyRows", [](TGameState &g) { g.SizeY = 40, g.MaxY = 39; }},
        BadRecord{"HugeSize", [](TGameState &g) { g.SizeX = 1 << 30, g.MaxX = (1 << 30) - 1; }},
        BadRecord{"NegativeRows", [](TGameState &g) { g.SizeY = -3, g.MaxY = -4; }},
        BadRecord{"MaxXDisagrees", [](TGameState &g) { g.MaxX = 7; }},
        BadRecord{"MaxYDisagrees", [](TGameState &g) { g.MaxY = 0; }},
        BadRecord{"NegativeMines", [](TGameState &g) { g.Mines = -1; }},
        BadRecord{"MoreMinesThanSectors", [](TGameState &g) { g.Mines = 13; }},
        BadRecord{"UnknownState", [](TGameState &g) { g.State[KELVANE_SECTOR_INDEX(1, 1)] = 7; }},
        BadRecord{"NegativeState", [](TGameState &g) { g.State[KELVANE_SECTOR_INDEX(1, 1)] = -1; }},
        BadRecord{"NumberAboveEight",
                  [](TGameState &g) { g.Number[KELVANE_SECTOR_INDEX(0, 0)] = 9; }},
        BadRecord{"NegativeNumber",
                  [](TGameState &g) { g.Number[KELVANE_SECTOR_INDEX(0, 0)] = -2; }},
        BadRecord{"InconsistentNumbers",
                  [](TGameState &g) { g.Number[KELVANE_SECTOR_INDEX(0, 0)] = 4; }},
        BadRecord{"MinesCannotFit",
                  [](TGameState &g) {
                      for (int32_t c = 0; c < 4; ++c)
                          for (int32_t r = 0; r < 3; ++r)
                              g.State[KELVANE_SECTOR_INDEX(c, r)] = SECTOR_TRIGGERED;
                      g.Mines = 3;
                  }}),
    [](const ::testing::TestParamInfo<BadRecord> &info) { return info.param.Name; });

TEST_F(EngineAbi, MinimalRuleWithAWrongMarkerEndsInErrorWithProbUntouched)
{
    LoadPosition(game(), Parse("5 2 1\nF0...\n.....\n"));
    game().CheckingMode = 0;
    std::vector<float> before(std::begin(game().Prob), std::end(game().Prob));
    Calculate();
    EXPECT_EQ(CountOf("ShowStatusError"), 1u);
    EXPECT_EQ(std::vector<float>(std::begin(game().Prob), std::end(game().Prob)), before);
    // Any sector lit up while working is drawn back.
    EXPECT_EQ(sink.Drawn, sink.Highlighted);
}

TEST_F(EngineAbi, OutOfRangeCheckingModeActsAsOptimal)
{
    LoadPosition(game(), Parse("5 2 1\nF0...\n.....\n"));
    game().CheckingMode = 9;
    Calculate();
    EXPECT_EQ(CountOf("ShowStatusError"), 0u);
    EXPECT_EQ(game().Prob[KELVANE_SECTOR_INDEX(0, 0)], 0.0f);
    EXPECT_NEAR(game().Prob[KELVANE_SECTOR_INDEX(4, 0)], 0.25f, 1e-6);
}

TEST_F(EngineAbi, HaltRequestStopsALargeRunWithin100Milliseconds)
{
    LoadPosition(game(), LargePosition());
    game().StepDepth = 30;
    double asked = 0.0;
    sink.OnReport = [&](Recorder &rec) {
        if (rec.Game->HaltRequest == 0) {
            rec.Game->HaltRequest = 1; // what Escape does inside the program's handler
            asked = ThreadWorkMs();
        }
    };
    std::vector<float> before(std::begin(game().Prob), std::end(game().Prob));
    game().EngineBusy = 1;
    game().HaltRequest = 0;
    engine->vtbl->Calculate(engine, 0, 0);
    const double stopped = ThreadWorkMs();
    ASSERT_EQ(sink.Reports.size(), 1u);
    EXPECT_LE(stopped - asked, 100.0);
    EXPECT_TRUE(sink.HaltAtDone);
    EXPECT_EQ(sink.Calls.back(), "ShowStatusDone");
    EXPECT_EQ(std::vector<float>(std::begin(game().Prob), std::end(game().Prob)), before);
    EXPECT_EQ(sink.Drawn, sink.Highlighted);
}

TEST_F(EngineAbi, BudgetStopsTheRunAsAHalt)
{
    LoadPosition(game(), LargePosition());
    game().StepDepth = 20;
    std::vector<float> before(std::begin(game().Prob), std::end(game().Prob));
    const int32_t steps = Calculate();
    EXPECT_GT(steps, 1 << 20);
    EXPECT_LT(steps, (1 << 20) + 100);
    EXPECT_TRUE(sink.HaltAtDone);
    EXPECT_EQ(sink.Calls.back(), "ShowStatusDone");
    EXPECT_EQ(std::vector<float>(std::begin(game().Prob), std::end(game().Prob)), before);
}

// Every other sector of every other row open on Ultra with 200 mines, none of them under an
// open sector: one component over the whole field, which outlasts even the default budget,
// so a dozen reports always arrive before it could finish.
Position FullLatticePosition()
{
    return Parse(R"(32 25 200
................................
.2.1.2.6.7.3.2.3.3.2.2.2.3.3.3.2
................................
.2.2.2.4.5.4.2.3.2.2.2.2.3.3.1.1
................................
.2.3.4.4.2.1.1.2.1.3.3.3.2.2.3.4
................................
.3.3.3.1.0.3.2.1.1.5.4.3.1.2.4.2
................................
.3.2.3.4.2.2.3.3.3.6.4.3.2.2.3.1
................................
.3.3.2.5.3.1.1.2.2.5.4.2.1.1.1.2
................................
.2.3.1.2.3.2.0.2.2.1.2.4.3.2.1.1
................................
.3.3.3.3.3.1.1.3.3.2.1.5.3.2.4.2
................................
.3.5.4.3.2.2.2.3.4.3.1.3.2.3.5.2
................................
.3.3.1.1.1.4.4.2.4.2.2.2.2.3.2.2
................................
.3.2.2.1.2.3.3.2.2.2.3.4.4.5.1.1
................................
.0.2.3.3.3.3.3.1.2.2.3.3.3.4.2.2
................................
)");
}

TEST_F(EngineAbi, ProgressArrivesEvery20To100Milliseconds)
{
    LoadPosition(game(), FullLatticePosition());
    game().StepDepth = 30;
    sink.OnReport = [](Recorder &rec) {
        if (rec.Reports.size() == 12) rec.Game->HaltRequest = 1;
    };
    const double start = ThreadWorkMs();
    game().EngineBusy = 1;
    game().HaltRequest = 0;
    engine->vtbl->Calculate(engine, 0, 0);
    ASSERT_EQ(sink.Reports.size(), 12u);
    auto ms = [](Clock::duration d) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    };
    // Never more often than every 20 ms of the clock; never rarer than 100 ms of work.
    EXPECT_LE(sink.ReportWork[0] - start, 100.0);
    for (size_t i = 1; i < sink.Reports.size(); ++i) {
        EXPECT_GE(ms(sink.Reports[i] - sink.Reports[i - 1]), 20) << "report " << i;
        EXPECT_LE(sink.ReportWork[i] - sink.ReportWork[i - 1], 100.0) << "report " << i;
        EXPECT_GE(sink.Percents[i], sink.Percents[i - 1]);
    }
    EXPECT_TRUE(sink.HaltAtDone);
}

} // namespace
} // namespace kelvane::solver::testing
