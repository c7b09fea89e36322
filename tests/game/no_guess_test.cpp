// No-guess boards, checked by a player of their own: boards from many seeds are replayed by
// the rule (open every sector that is certainly safe, mark every certain mine, again and
// again) and must be cleared. On small fields certainty comes from an enumeration of every
// layout that agrees with what the player sees; on large ones from the engine's core, itself
// checked against enumeration in the engine's tests.
#include "engine_object.h"
#include "no_guess.h"
#include "solver.h"

#include <gtest/gtest.h>

#include <bitset>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{

using kelvane::solver::Cell;
using kelvane::solver::Position;

using Layout = std::array<uint8_t, KELVANE_SECTOR_SLOTS>;

// What the player knows of each closed sector: -1 nothing, 0 certainly safe, 1 certainly mine.
using Certainty = std::function<std::vector<int8_t>(const Position &)>;

bool Corner(const Position &p, int32_t c, int32_t r)
{
    return (c == 0 || c == p.Width - 1) && (r == 0 || r == p.Height - 1);
}

// Certainty by enumeration: a sector is certainly safe when no layout of the remaining mines
// that agrees with every open number, the mine count and Fair Play puts a mine on it.
std::vector<int8_t> Enumerated(const Position &p)
{
    const int32_t cells = p.Width * p.Height;
    std::vector<int8_t> known(cells, -1);
    std::vector<int32_t> frontierBit(cells, -1), frontier;
    int32_t remaining = p.Mines, interior = 0;
    auto neighbours = [&](int32_t i, auto &&visit) {
        const int32_t c = i / p.Height, r = i % p.Height;
        for (int32_t x = c - 1; x <= c + 1; ++x)
            for (int32_t y = r - 1; y <= r + 1; ++y)
                if ((x != c || y != r) && x >= 0 && y >= 0 && x < p.Width && y < p.Height)
                    visit(p.Index(x, y));
    };
    struct Rule {
        std::vector<int32_t> Bits;
        int32_t Need;
    };
    std::vector<Rule> rules;
    for (int32_t i = 0; i < cells; ++i) {
        if (p.State[i] == Cell::Marked) --remaining;
        if (p.State[i] != Cell::Open) continue;
        Rule rule{{}, p.Number[i]};
        neighbours(i, [&](int32_t j) {
            if (p.State[j] == Cell::Marked) {
                --rule.Need;
            } else if (p.State[j] == Cell::Closed &&
                       !(p.FairPlay && Corner(p, j / p.Height, j % p.Height))) {
                if (frontierBit[j] < 0) {
                    frontierBit[j] = static_cast<int32_t>(frontier.size());
                    frontier.push_back(j);
                }
                rule.Bits.push_back(frontierBit[j]);
            }
        });
        if (!rule.Bits.empty() || rule.Need != 0) rules.push_back(rule);
    }
    for (int32_t i = 0; i < cells; ++i)
        if (p.State[i] == Cell::Closed && frontierBit[i] < 0 &&
            !(p.FairPlay && Corner(p, i / p.Height, i % p.Height)))
            ++interior;

    const auto n = static_cast<int32_t>(frontier.size());
    std::vector<std::vector<int32_t>> rulesOf(n);
    std::vector<int32_t> need(rules.size()), left(rules.size());
    for (size_t k = 0; k < rules.size(); ++k) {
        need[k] = rules[k].Need;
        left[k] = static_cast<int32_t>(rules[k].Bits.size());
        for (int32_t b : rules[k].Bits)
            rulesOf[b].push_back(static_cast<int32_t>(k));
    }
    // Per count of frontier mines: the frontier sectors seen mined, and seen free.
    std::map<int32_t, std::pair<std::bitset<1024>, std::bitset<1024>>> seen;
    std::bitset<1024> mined;
    std::function<void(int32_t, int32_t)> assign = [&](int32_t b, int32_t count) {
        if (b == n) {
            for (int32_t v : need)
                if (v != 0) return;
            const int32_t rest = remaining - count;
            if (rest < 0 || rest > interior) return;
            auto &entry = seen[count];
            entry.first |= mined;
            entry.second |= ~mined;
            return;
        }
        for (int value : {0, 1}) {
            bool fits = true;
            for (int32_t k : rulesOf[b]) {
                need[k] -= value;
                --left[k];
                fits = fits && need[k] >= 0 && need[k] <= left[k];
            }
            mined[b] = value != 0;
            if (fits) assign(b + 1, count + value);
            for (int32_t k : rulesOf[b]) {
                need[k] += value;
                ++left[k];
            }
        }
        mined[b] = false;
    };
    assign(0, 0);
    if (seen.empty()) throw std::runtime_error("no layout agrees with the position");

    std::bitset<1024> canMine, canFree;
    bool interiorMine = false, interiorFree = false;
    for (const auto &[count, masks] : seen) {
        canMine |= masks.first;
        canFree |= masks.second;
        interiorMine = interiorMine || remaining - count > 0;
        interiorFree = interiorFree || remaining - count < interior;
    }
    for (int32_t i = 0; i < cells; ++i) {
        if (p.State[i] != Cell::Closed) continue;
        if (p.FairPlay && Corner(p, i / p.Height, i % p.Height)) {
            known[i] = 0;
            continue;
        }
        const bool mine = frontierBit[i] >= 0 ? canMine[frontierBit[i]] : interiorMine;
        const bool free = frontierBit[i] >= 0 ? canFree[frontierBit[i]] : interiorFree;
        known[i] = mine && free ? -1 : mine ? 1 : 0;
    }
    return known;
}

// Certainty from the engine's core: exactly 0 or exactly 1.
std::vector<int8_t> FromEngine(const Position &p)
{
    kelvane::solver::Options options;
    options.StepDepth = 30;
    const kelvane::solver::Result result = kelvane::solver::Solve(p, options);
    if (result.RunStatus != kelvane::solver::Status::Finished)
        throw std::runtime_error("the engine did not finish: " + result.Error);
    std::vector<int8_t> known(p.State.size(), -1);
    for (size_t i = 0; i < known.size(); ++i)
        if (p.State[i] == Cell::Closed)
            known[i] = result.Probability[i] == 0.0 ? 0 : result.Probability[i] == 1.0 ? 1 : -1;
    return known;
}

struct Replay {
    bool Cleared = false;
    std::string Trouble; // why not: a mine opened, a proven mine that is none, or stuck
};

// Plays a layout by the rule from the first press; opened sectors show their numbers.
Replay PlayByRule(const NoGuessRequest &q, const Layout &mine, const Certainty &certainty)
{
    Position p;
    p.Width = q.SizeX;
    p.Height = q.SizeY;
    p.Mines = q.Mines;
    p.FairPlay = q.FairPlay;
    p.State.assign(q.SizeX * q.SizeY, Cell::Closed);
    p.Number.assign(q.SizeX * q.SizeY, 0);
    auto mined = [&](int32_t i) { return mine[KELVANE_SECTOR_INDEX(i / q.SizeY, i % q.SizeY)]; };
    int32_t safeLeft = q.SizeX * q.SizeY - q.Mines;
    Replay replay;
    auto open = [&](int32_t i) {
        if (mined(i)) {
            replay.Trouble = "opened a mine at " + std::to_string(i);
            return false;
        }
        const int32_t c = i / q.SizeY, r = i % q.SizeY;
        int32_t number = 0;
        for (int32_t x = c - 1; x <= c + 1; ++x)
            for (int32_t y = r - 1; y <= r + 1; ++y)
                if (x >= 0 && y >= 0 && x < q.SizeX && y < q.SizeY) number += mined(p.Index(x, y));
        p.State[i] = Cell::Open;
        p.Number[i] = number;
        --safeLeft;
        return true;
    };
    if (!open(p.Index(q.Col, q.Row))) return replay;
    while (safeLeft > 0) {
        const std::vector<int8_t> known = certainty(p);
        bool progress = false;
        for (size_t i = 0; i < known.size(); ++i) {
            if (known[i] == 0) {
                if (!open(static_cast<int32_t>(i))) return replay;
                progress = true;
            } else if (known[i] == 1) {
                if (!mined(static_cast<int32_t>(i))) {
                    replay.Trouble = "a proven mine that is none at " + std::to_string(i);
                    return replay;
                }
                p.State[i] = Cell::Marked;
                progress = true;
            }
        }
        if (!progress) {
            replay.Trouble = "stuck with safe sectors closed: " + std::to_string(safeLeft);
            return replay;
        }
    }
    replay.Cleared = true;
    return replay;
}

class NoGuess : public ::testing::Test
{
  protected:
    ProbabilityEngine *Engine = kelvane::solver::NewEngineObject();
    void TearDown() override { kelvane::solver::DeleteEngineObject(Engine); }

    NoGuessBoard Generate(NoGuessRequest q, uint32_t seed)
    {
        Random rng;
        rng.Seed(seed);
        return GenerateNoGuessBoard(*Engine, rng, q);
    }
};

// The placement rules: the press's block free, Fair Play corners free, the mine count.
void ExpectPlacementRules(const NoGuessRequest &q, const Layout &mine, const std::string &where)
{
    int32_t count = 0;
    for (int32_t c = 0; c < q.SizeX; ++c)
        for (int32_t r = 0; r < q.SizeY; ++r) {
            const bool m = mine[KELVANE_SECTOR_INDEX(c, r)] != 0;
            count += m;
            if (std::abs(c - q.Col) <= 1 && std::abs(r - q.Row) <= 1) {
                EXPECT_FALSE(m) << "mine next to the press at " << c << "," << r << where;
            }
            if (q.FairPlay && (c == 0 || c == q.SizeX - 1) && (r == 0 || r == q.SizeY - 1)) {
                EXPECT_FALSE(m) << "mine in a corner at " << c << "," << r << where;
            }
        }
    for (int32_t slot = 0; slot < KELVANE_SECTOR_SLOTS; ++slot)
        if (slot / KELVANE_COLUMN_SLOTS >= q.SizeX || slot % KELVANE_COLUMN_SLOTS >= q.SizeY) {
            EXPECT_EQ(mine[slot], 0) << "mine outside the field at slot " << slot << where;
        }
    EXPECT_EQ(count, q.Mines) << where;
}

struct Field {
    const char *Name;
    int32_t SizeX, SizeY, Mines;
    int32_t Seeds;
    bool Enumerate; // certainty by enumeration, else by the engine's core
};

void PrintTo(const Field &f, std::ostream *out)
{
    *out << f.Name;
}

class NoGuessFields : public NoGuess, public ::testing::WithParamInterface<Field>
{
};

TEST_P(NoGuessFields, EveryBoardIsClearedByTheRule_WithAndWithoutFairPlay)
{
    const Field &f = GetParam();
    int32_t boards = 0;
    for (bool fair : {false, true}) {
        for (int32_t s = 0; s < f.Seeds && !HasFailure(); ++s) {
            const auto seed = static_cast<uint32_t>(s * 2654435761u + f.Mines);
            NoGuessRequest q;
            q.SizeX = f.SizeX;
            q.SizeY = f.SizeY;
            q.Mines = f.Mines;
            q.FairPlay = fair;
            q.Col = static_cast<int32_t>(seed % static_cast<uint32_t>(f.SizeX));
            q.Row = static_cast<int32_t>((seed / 64) % static_cast<uint32_t>(f.SizeY));
            q.Work = uint64_t{1} << 26;
            const NoGuessBoard board = Generate(q, seed);
            const std::string where = std::string("\n") + f.Name + (fair ? " fair" : "") +
                                      " seed " + std::to_string(seed);
            // Every board in these ranges is found in at most 155 attempts, well within the
            // budget. A search that needs many more has lost its repairs: the first such
            // board ends the test, rather than each waiting out the budget.
            ASSERT_TRUE(board.Found) << where;
            ASSERT_LE(board.Attempts, 300) << where;
            ++boards;
            ExpectPlacementRules(q, board.Mined, where);
            const Replay replay =
                PlayByRule(q, board.Mined, f.Enumerate ? Certainty(Enumerated) : FromEngine);
            EXPECT_TRUE(replay.Cleared) << replay.Trouble << where;
        }
    }
    RecordProperty("boards", boards);
}

INSTANTIATE_TEST_SUITE_P(SmallAndFixed, NoGuessFields,
                         ::testing::Values(Field{"Small10", 8, 8, 6, 600, true},
                                           Field{"Small20", 8, 8, 13, 600, true},
                                           Field{"Small25", 9, 9, 20, 400, true},
                                           Field{"Beginner", 10, 10, 10, 600, true},
                                           Field{"Beginner30", 10, 10, 30, 100, true},
                                           Field{"Intermediate", 16, 16, 40, 120, false},
                                           Field{"Intermediate30", 16, 16, 77, 12, false},
                                           Field{"Expert", 24, 20, 100, 40, false},
                                           Field{"Ultra", 32, 25, 180, 12, false}),
                         [](const ::testing::TestParamInfo<Field> &info) {
                             return std::string(info.param.Name);
                         });

TEST_F(NoGuess, TheEnumeratingPlayer_IsStuckOnAFiftyFifty)
{
    // Two columns: the press at the top opens all but the bottom two, which share one mine.
    NoGuessRequest q;
    q.SizeX = 2;
    q.SizeY = 5;
    q.Mines = 1;
    Layout mine{};
    mine[KELVANE_SECTOR_INDEX(0, 4)] = 1;
    const Replay replay = PlayByRule(q, mine, Enumerated);
    EXPECT_FALSE(replay.Cleared);
    EXPECT_EQ(replay.Trouble, "stuck with safe sectors closed: 1");
    // In one column the mine count settles the last closed sector.
    q.SizeX = 1;
    q.SizeY = 5;
    mine = {};
    mine[KELVANE_SECTOR_INDEX(0, 3)] = 1;
    EXPECT_TRUE(PlayByRule(q, mine, Enumerated).Cleared);
}

TEST_F(NoGuess, TheSameSeed_GivesTheSameBoard_AndAnotherSeedAnother)
{
    NoGuessRequest q;
    q.SizeX = 24;
    q.SizeY = 20;
    q.Mines = 100;
    q.Col = 5;
    q.Row = 7;
    q.FairPlay = true;
    const NoGuessBoard first = Generate(q, 42), again = Generate(q, 42), other = Generate(q, 43);
    ASSERT_TRUE(first.Found && again.Found && other.Found);
    EXPECT_EQ(first.Mined, again.Mined);
    EXPECT_EQ(first.Attempts, again.Attempts);
    EXPECT_NE(first.Mined, other.Mined);
}

TEST_F(NoGuess, ImpossibleRequests_FindNothing_AndANoMineFieldIsFoundAtOnce)
{
    NoGuessRequest q;
    q.SizeX = 8;
    q.SizeY = 8;
    q.Col = q.Row = 3;
    q.FairPlay = true;
    EXPECT_EQ(NoGuessCandidateCount(q), 64 - 9 - 4);
    q.Mines = 52; // one more than the candidates
    EXPECT_FALSE(NoGuessPossible(q));
    EXPECT_FALSE(Generate(q, 1).Found);
    q.Mines = 51; // every candidate mined: the count alone proves them all
    EXPECT_TRUE(NoGuessPossible(q));
    EXPECT_TRUE(Generate(q, 1).Found);
    q.Mines = 10;
    for (auto [c, r] : {std::pair{-1, 0}, {8, 0}, {0, 8}}) {
        q.Col = c;
        q.Row = r;
        EXPECT_FALSE(NoGuessPossible(q)) << c << "," << r;
    }
    q.Col = q.Row = 0; // the press in a corner: its block takes one corner
    EXPECT_EQ(NoGuessCandidateCount(q), 64 - 4 - 3);
    // Wider than high, so that no corner is found through the other dimension.
    q.SizeX = 10;
    q.SizeY = 6;
    q.Col = 9;
    EXPECT_EQ(NoGuessCandidateCount(q), 60 - 4 - 3);
    q.Col = 5;
    q.Row = 3;
    EXPECT_EQ(NoGuessCandidateCount(q), 60 - 9 - 4);
    q.SizeX = 33;
    EXPECT_FALSE(NoGuessPossible(q));
    q.SizeX = 8;
    q.Mines = 0;
    const NoGuessBoard empty = Generate(q, 1);
    EXPECT_TRUE(empty.Found);
    EXPECT_EQ(empty.Attempts, 1);
}

// A machine that is slow while the search works: the clock moves on, the search does not.
struct SlowMachine : NoGuessWatcher {
    int32_t Calls = 0, LastPercent = -1;
    int32_t GiveUpOnCall = 0;
    bool GiveUp(int32_t percent) override
    {
        ++Calls;
        EXPECT_GE(percent, LastPercent);
        LastPercent = percent;
        const auto start = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - start < std::chrono::microseconds(300)) {
        }
        return Calls == GiveUpOnCall;
    }
};

TEST_F(NoGuess, TheBudgetIsWork_SoASlowMachineGetsTheSameBoard_AndAWatcherGivesUpAtOnce)
{
    // Two columns, one mine, the press at the top: wherever the mine lies, the last
    // numbers are the same on both columns, so the whole budget is spent.
    NoGuessRequest q;
    q.SizeX = 2;
    q.SizeY = 5;
    q.Mines = 1;
    q.Work = 3000;
    SlowMachine slow;
    Random rng;
    rng.Seed(7);
    const NoGuessBoard none = Generate(q, 7),
                       slowNone = GenerateNoGuessBoard(*Engine, rng, q, &slow);
    EXPECT_FALSE(none.Found || slowNone.Found || none.GaveUp || slowNone.GaveUp);
    EXPECT_GT(none.Attempts, 10);
    EXPECT_EQ(slowNone.Attempts, none.Attempts);
    EXPECT_GE(none.Work, q.Work);
    EXPECT_GT(slow.Calls, none.Attempts);
    EXPECT_GT(slow.LastPercent, 50); // asked before each run, with the share spent so far

    // A board that takes several layouts: the same with the clock slowed down.
    q = {};
    q.SizeX = 30;
    q.SizeY = 16;
    q.Mines = 99;
    q.Col = q.Row = 3;
    const NoGuessBoard found = Generate(q, 5);
    rng.Seed(5);
    slow = {};
    const NoGuessBoard slowFound = GenerateNoGuessBoard(*Engine, rng, q, &slow);
    ASSERT_TRUE(found.Found && slowFound.Found);
    EXPECT_GT(found.Attempts, 1);
    EXPECT_EQ(slowFound.Attempts, found.Attempts);
    EXPECT_EQ(slowFound.Mined, found.Mined);

    // The watcher gives up before the second run: nothing is found, at once.
    SlowMachine quitter;
    quitter.GiveUpOnCall = 2;
    rng.Seed(5);
    const NoGuessBoard gaveUp = GenerateNoGuessBoard(*Engine, rng, q, &quitter);
    EXPECT_TRUE(gaveUp.GaveUp);
    EXPECT_FALSE(gaveUp.Found);
    EXPECT_EQ(gaveUp.Attempts, 1);
    EXPECT_EQ(quitter.Calls, 2);
}

} // namespace
