// The move policy on small boards, against a brute-force player that knows every layout.
#include "move_policy.h"

#include "endgame.h"
#include "engine_object.h"
#include "rules.h"
#include "sanitized.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{

// What the player sees, cell by cell: -1 closed, else the number shown.
using Seen = std::vector<int8_t>;

// Every layout of a small board, and the win chance of perfect play found by trying every
// move against every layout.
class BruteForce
{
  public:
    BruteForce(int32_t w, int32_t h, int32_t mines, const Seen &seen) : W(w), H(h)
    {
        std::vector<int32_t> closed;
        for (int32_t i = 0; i < w * h; ++i)
            if (seen[static_cast<size_t>(i)] < 0) closed.push_back(i);
        const auto n = static_cast<int32_t>(closed.size());
        for (uint32_t set = 0; set < (1u << n); ++set) {
            if (std::popcount(set) != mines) continue;
            std::vector<uint8_t> layout(static_cast<size_t>(w * h), 0);
            for (int32_t k = 0; k < n; ++k)
                layout[static_cast<size_t>(closed[static_cast<size_t>(k)])] = set >> k & 1;
            if (Agrees(layout, seen)) Layouts.push_back(layout);
        }
    }

    std::vector<std::vector<uint8_t>> Layouts;

    // The win chance after opening `cell` on `seen`, then playing perfectly.
    double Value(const Seen &seen, int32_t cell)
    {
        double sum = 0.0;
        int32_t count = 0;
        for (const auto &layout : Layouts) {
            if (!Agrees(layout, seen)) continue;
            ++count;
            if (layout[static_cast<size_t>(cell)] == 0) sum += Best(Open(seen, cell, layout));
        }
        return sum / count;
    }

    double Best(const Seen &seen)
    {
        if (const auto found = Memo.find(seen); found != Memo.end()) return found->second;
        double best = 1.0; // nothing left to open: won
        bool any = false;
        for (int32_t cell = 0; cell < W * H; ++cell) {
            if (seen[static_cast<size_t>(cell)] >= 0 || AlwaysMine(seen, cell)) continue;
            best = any ? std::max(best, Value(seen, cell)) : Value(seen, cell);
            any = true;
        }
        Memo[seen] = best;
        return best;
    }

    bool AlwaysSafe(const Seen &seen, int32_t cell) const { return Count(seen, cell, 0); }

  private:
    bool AlwaysMine(const Seen &seen, int32_t cell) const { return Count(seen, cell, 1); }
    bool Count(const Seen &seen, int32_t cell, uint8_t value) const
    {
        for (const auto &layout : Layouts)
            if (Agrees(layout, seen) && layout[static_cast<size_t>(cell)] != value) return false;
        return true;
    }
    int32_t Around(const std::vector<uint8_t> &layout, int32_t cell) const
    {
        int32_t n = 0;
        for (int32_t x = cell % W - 1; x <= cell % W + 1; ++x)
            for (int32_t y = cell / W - 1; y <= cell / W + 1; ++y)
                if (x >= 0 && y >= 0 && x < W && y < H) n += layout[static_cast<size_t>(y * W + x)];
        return n;
    }
    bool Agrees(const std::vector<uint8_t> &layout, const Seen &seen) const
    {
        for (int32_t i = 0; i < W * H; ++i)
            if (seen[static_cast<size_t>(i)] >= 0 &&
                (layout[static_cast<size_t>(i)] != 0 ||
                 Around(layout, i) != seen[static_cast<size_t>(i)]))
                return false;
        return true;
    }
    Seen Open(Seen seen, int32_t cell, const std::vector<uint8_t> &layout) const
    {
        std::vector<int32_t> todo{cell};
        while (!todo.empty()) {
            const int32_t c = todo.back();
            todo.pop_back();
            if (seen[static_cast<size_t>(c)] >= 0) continue;
            seen[static_cast<size_t>(c)] = static_cast<int8_t>(Around(layout, c));
            if (seen[static_cast<size_t>(c)] != 0) continue;
            for (int32_t x = c % W - 1; x <= c % W + 1; ++x)
                for (int32_t y = c / W - 1; y <= c / W + 1; ++y)
                    if (x >= 0 && y >= 0 && x < W && y < H) todo.push_back(y * W + x);
        }
        return seen;
    }

    int32_t W, H;
    std::map<Seen, double> Memo;
};

struct PolicyFixture : ::testing::Test {
    ProbabilityEngine *Engine = kelvane::solver::NewEngineObject();
    std::unique_ptr<TGameState> Game = std::make_unique<TGameState>();
    SilentView View;
    Random Rng;
    GameRules Rules{*Game, View, Rng};
    ~PolicyFixture() override { kelvane::solver::DeleteEngineObject(Engine); }

    void NewBoard(int32_t w, int32_t h, const std::vector<uint8_t> &layout)
    {
        *Game = TGameState{};
        SetFieldSize(*Game, w, h,
                     static_cast<int32_t>(std::count(layout.begin(), layout.end(), 1)));
        Game->Live = 1;
        Rules.ClearBoard();
        std::vector<uint8_t> mined(KELVANE_SECTOR_SLOTS, 0);
        for (int32_t i = 0; i < w * h; ++i)
            mined[static_cast<size_t>(KELVANE_SECTOR_INDEX(i % w, i / w))] =
                layout[static_cast<size_t>(i)];
        Rules.PlaceGivenMines(mined.data());
    }
    Seen Visible() const
    {
        Seen seen(static_cast<size_t>(Game->SizeX * Game->SizeY), -1);
        for (int32_t i = 0; i < Game->SizeX * Game->SizeY; ++i) {
            const int32_t slot = KELVANE_SECTOR_INDEX(i % Game->SizeX, i / Game->SizeX);
            if (Game->State[slot] == SECTOR_OPEN)
                seen[static_cast<size_t>(i)] = static_cast<int8_t>(Game->Number[slot]);
        }
        return seen;
    }
};

// Small games played to their end by a player who knows the layout: the policy's safe
// sectors, and past its guesses a safe sector at random; at every position with few closed sectors,
// the policy is asked and checked against the brute force: a certainly safe sector while there is
// one, and otherwise a move that wins as often as the best.
TEST_F(PolicyFixture, OpensSafeSectorsFirst_AndGuessesTheMoveThatWinsMostOften)
{
    constexpr int32_t W = 4, H = 4;
    // The brute force is slow under the sanitizers: there the games end after a few guesses.
    constexpr int32_t enoughGuesses = Sanitized ? 1 : 20;
    int32_t safeChecked = 0, guessesChecked = 0;
    uint32_t seed = 1;
    for (; seed <= 300 && guessesChecked <= enoughGuesses; ++seed) {
        Random deal;
        deal.Seed(seed);
        std::vector<uint8_t> layout(W * H, 0);
        for (int32_t m = 0; m < 4 + static_cast<int32_t>(seed % 3);)
            if (auto &cell = layout[deal.Below(W * H)]; cell == 0) cell = 1, ++m;
        NewBoard(W, H, layout);
        std::vector<int32_t> safeCells;
        for (int32_t i = 0; i < W * H; ++i)
            if (layout[static_cast<size_t>(i)] == 0) safeCells.push_back(i);
        while (Game->SafeLeft > 0) {
            const Seen seen = Visible();
            std::vector<int32_t> safe;
            MoveOptions options;
            options.SafeSlots = &safe;
            const Hint hint = ChooseMove(*Engine, *Game, options);
            ASSERT_FALSE(hint.Halted);
            const auto closed = std::count(seen.begin(), seen.end(), -1);
            if (closed <= 11) {
                BruteForce brute(W, H, Game->Mines, seen);
                const int32_t cell = hint.Y * W + hint.X;
                int32_t proven = 0;
                for (int32_t i = 0; i < W * H; ++i)
                    proven += seen[static_cast<size_t>(i)] < 0 && brute.AlwaysSafe(seen, i);
                if (proven > 0) {
                    ASSERT_EQ(hint.Kind, HintKind::Safe) << seed;
                    EXPECT_TRUE(brute.AlwaysSafe(seen, cell)) << seed;
                    EXPECT_EQ(static_cast<int32_t>(safe.size()), proven) << seed;
                    ++safeChecked;
                } else if (hint.Kind != HintKind::Mine) {
                    ASSERT_TRUE(hint.Kind == HintKind::BestGuess ||
                                hint.Kind == HintKind::FiftyFifty)
                        << seed;
                    const double best = brute.Best(seen);
                    EXPECT_NEAR(brute.Value(seen, cell), best, 1e-9) << seed << " " << cell;
                    if (hint.WinChance >= 0.0) {
                        EXPECT_NEAR(hint.WinChance, best, 1e-9) << seed;
                    }
                    ++guessesChecked;
                }
            }
            if (hint.Kind == HintKind::Safe) {
                for (int32_t slot : safe)
                    Rules.OpenArea(slot / KELVANE_COLUMN_SLOTS, slot % KELVANE_COLUMN_SLOTS, false);
                continue;
            }
            // Past a guess, the knowing player opens a safe sector at random.
            int32_t pick = 0;
            do
                pick = safeCells[deal.Below(static_cast<uint32_t>(safeCells.size()))];
            while (seen[static_cast<size_t>(pick)] >= 0);
            Rules.OpenArea(pick % W, pick / W, false);
        }
    }
    EXPECT_GT(safeChecked, static_cast<int32_t>(seed));
    EXPECT_GT(guessesChecked, enoughGuesses) << safeChecked;
}

// A sector whose neighbours are all open can show only one number and teaches nothing but its
// own safety. Beside the corner of the first board, (2, 2) is as safe and more telling. On the
// second, (7, 9) would prove others safe and so best survives the next move, but (5, 7) is safer.
TEST_F(PolicyFixture, NeverGuessesASectorThatCanShowOnlyOneNumber_WhileAnotherIsACandidate)
{
    struct Case {
        std::vector<std::string> Rows; // '*' a mine
        std::vector<std::pair<int32_t, int32_t>> Opened;
        std::pair<int32_t, int32_t> Guess;
        double Safe;
    };
    const std::vector<Case> cases = {
        {{"..*.......", "..........", "*.........", "...*******", "**********", "**********",
          "*********.", "..........", "..........", ".........."},
         {{1, 0}, {0, 1}, {1, 1}},
         {2, 2},
         0.8},
        {{"*....*..**", "**...*.*..", "*.***.*...", "*...*....*", ".*.*.*..**", ".....****.",
          "...*......", "**.**..**.", "*...*.....", "***..*...*"},
         {{5, 8}, {6, 8}, {7, 8}, {8, 8}, {6, 9}, {8, 9}},
         {5, 7},
         0.8125},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> layout;
        for (const std::string &row : c.Rows)
            for (char cell : row)
                layout.push_back(cell == '*');
        NewBoard(10, 10, layout);
        for (auto [x, y] : c.Opened)
            Rules.OpenSector(x, y);
        const Hint hint = ChooseMove(*Engine, *Game);
        EXPECT_EQ(hint.Kind, HintKind::BestGuess);
        EXPECT_EQ(std::pair(hint.X, hint.Y), c.Guess);
        EXPECT_NEAR(hint.SafeChance, c.Safe, 1e-4);
    }
}

// Mines are laid along an order, a taken sector's draw stepping on to the next: of a coin toss,
// the sector that follows a known mine in that order is the likelier mine, and so are the
// layouts of an endgame weighed.
TEST_F(PolicyFixture, GuessesWeighHowTheRulesLayMines)
{
    // ..   the top two sectors a coin toss; (0, 4) an opened mine
    // 11
    // 00
    // 11
    // X1
    const auto slot = [](int32_t x, int32_t y) { return KELVANE_SECTOR_INDEX(x, y); };
    const std::vector<int32_t> byColumns = {slot(0, 0), slot(0, 1), slot(0, 2), slot(0, 3),
                                            slot(0, 4), slot(1, 0), slot(1, 1), slot(1, 2),
                                            slot(1, 3), slot(1, 4)};
    std::vector<int32_t> mineFirst = byColumns;
    std::rotate(mineFirst.begin(), mineFirst.begin() + 4, mineFirst.begin() + 5);
    for (const auto &[order, safer] : {std::pair{byColumns, 0}, std::pair{mineFirst, 1}}) {
        NewBoard(2, 5, {1, 0, 0, 0, 0, 0, 0, 0, 1, 0});
        for (int32_t i = 2; i < 8; ++i)
            Rules.OpenSector(i % 2, i / 2);
        Rules.OpenSector(1, 4);
        Game->State[slot(0, 4)] = SECTOR_TRIGGERED;
        MoveOptions options;
        options.LayingOrder = &order;
        const Hint hint = ChooseMove(*Engine, *Game, options);
        EXPECT_EQ(hint.Kind, HintKind::FiftyFifty);
        EXPECT_EQ(std::pair(hint.X, hint.Y), std::pair(safer, 0));
    }

    EndgameLayouts layouts;
    layouts.Slots = {slot(0, 0), slot(1, 0)};
    layouts.Mines = {0b01, 0b10};
    layouts.Known = {0, 0};
    layouts.Around = {0, 0};
    layouts.Weight = {3.0, 1.0};
    const EndgameMove move = SolveEndgame(layouts, 1000);
    EXPECT_EQ(move.Slot, slot(1, 0));
    EXPECT_DOUBLE_EQ(move.SafeChance, 0.75);
    EXPECT_DOUBLE_EQ(move.WinChance, 0.75);
}

// Two columns: the top two sectors touch the same numbers and nothing else, one mine between
// them; before the first press, the corner; after the end, nothing.
TEST_F(PolicyFixture, AForcedCoinToss_IsSaidSo_AndABoardNotStartedOpensItsCorner)
{
    *Game = TGameState{};
    SetFieldSize(*Game, 2, 4, 1);
    Game->Live = 1;
    const Hint first = ChooseMove(*Engine, *Game);
    EXPECT_EQ(first.Kind, HintKind::Safe);
    EXPECT_EQ(std::pair(first.X, first.Y), std::pair(0, 0));

    NewBoard(2, 4, {1, 0, 0, 0, 0, 0, 0, 0});
    for (int32_t i = 2; i < 8; ++i)
        Rules.OpenSector(i % 2, i / 2);
    const Hint hint = ChooseMove(*Engine, *Game);
    EXPECT_EQ(hint.Kind, HintKind::FiftyFifty);
    EXPECT_EQ(hint.Y, 0);
    EXPECT_DOUBLE_EQ(hint.SafeChance, 0.5);
    Rules.OpenSector(1, 0);
    Rules.CheckWin();
    EXPECT_EQ(ChooseMove(*Engine, *Game).Kind, HintKind::None);
}

} // namespace
