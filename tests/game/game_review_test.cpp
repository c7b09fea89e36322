// The review against an independent grader that counts every layout agreeing with the
// position before each move, on thousands of games of a careless player.
#include "game_review.h"
#include "random_games.h"
#include "sanitized.h"

#include "engine_object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace
{

// Every layout that agrees with a position: each assignment of the closed sectors next to
// open numbers that meets every number, with the other mines spread over the other closed
// sectors in every possible way.
class Layouts
{
  public:
    Layouts(const GameRecord &record, const std::vector<int32_t> &states) : R(record)
    {
        std::vector<int32_t> bit(states.size(), -1);
        int32_t mines = R.Mines;
        for (size_t k = 0; k < states.size(); ++k) {
            mines -= states[k] == SECTOR_TRIGGERED ? 1 : 0;
            if (states[k] != SECTOR_OPEN) continue;
            Rule rule{0, {}};
            Around(int32_t(k), [&](int32_t n) {
                rule.Need += R.Layout[n];
                if (states[n] == SECTOR_TRIGGERED) --rule.Need;
                if (!Unknown(states, n) || FreeCorner(n)) return;
                if (bit[n] < 0) {
                    bit[n] = int32_t(Frontier.size());
                    Frontier.push_back(n);
                }
                rule.Bits.push_back(bit[n]);
            });
            Rules.push_back(rule);
        }
        for (size_t k = 0; k < states.size(); ++k)
            if (Unknown(states, int32_t(k)) && !FreeCorner(int32_t(k)) && bit[k] < 0) ++Rest;
        Left = mines;
        std::vector<uint8_t> mine(Frontier.size(), 0);
        std::function<void(size_t, int32_t)> assign = [&](size_t b, int32_t count) {
            if (count > Left) return;
            for (const Rule &rule : Rules) {
                int32_t now = 0, open = 0;
                for (int32_t x : rule.Bits) {
                    now += x < int32_t(b) ? mine[x] : 0;
                    open += x >= int32_t(b) ? 1 : 0;
                }
                if (now > rule.Need || now + open < rule.Need) return;
            }
            if (b == Frontier.size()) {
                const double weight = Choose(Rest, Left - count);
                if (weight > 0) Solutions.push_back({mine, count, weight});
                return;
            }
            for (uint8_t v : {0, 1}) {
                mine[b] = v;
                assign(b + 1, count + v);
            }
            mine[b] = 0;
        };
        assign(0, 0);
    }

    // The chance that at least one sector of `sectors` (row-by-row indexes) holds a mine.
    double AnyMine(const std::vector<int32_t> &sectors) const
    {
        double total = 0, none = 0;
        for (const Solution &s : Solutions) {
            total += s.Weight;
            double free = s.Weight;
            int32_t rest = 0;
            for (int32_t k : sectors) {
                const auto at = std::find(Frontier.begin(), Frontier.end(), k);
                if (at != Frontier.end())
                    free *= s.Mine[at - Frontier.begin()] ? 0.0 : 1.0;
                else if (!FreeCorner(k))
                    ++rest;
            }
            // Sectors away from numbers: all free among the rest's layouts.
            const int32_t left = Left - s.Count;
            free *= rest == 0 ? 1.0 : Choose(Rest - rest, left) / Choose(Rest, left);
            none += free;
        }
        return 1.0 - none / total;
    }

  private:
    struct Rule {
        int32_t Need;
        std::vector<int32_t> Bits;
    };
    struct Solution {
        std::vector<uint8_t> Mine;
        int32_t Count;
        double Weight;
    };
    static bool Unknown(const std::vector<int32_t> &states, int32_t k)
    {
        return states[k] == SECTOR_CLOSED || states[k] == SECTOR_MARKED;
    }
    bool FreeCorner(int32_t k) const
    {
        const int32_t x = k % R.Width, y = k / R.Width;
        return R.FairPlay && (x == 0 || x == R.Width - 1) && (y == 0 || y == R.Height - 1);
    }
    void Around(int32_t k, const std::function<void(int32_t)> &visit) const
    {
        const int32_t x = k % R.Width, y = k / R.Width;
        for (int32_t j = std::max(y - 1, 0); j <= std::min(y + 1, R.Height - 1); ++j)
            for (int32_t i = std::max(x - 1, 0); i <= std::min(x + 1, R.Width - 1); ++i)
                if (i != x || j != y) visit(j * R.Width + i);
    }
    static double Choose(int32_t n, int32_t k)
    {
        if (k < 0 || k > n) return 0.0;
        double c = 1.0;
        for (int32_t i = 1; i <= k; ++i)
            c = c * (n - k + i) / i;
        return c;
    }

    const GameRecord &R;
    std::vector<int32_t> Frontier;
    std::vector<Rule> Rules;
    std::vector<Solution> Solutions;
    int32_t Rest = 0, Left = 0;
};

// The grades of a game by the definitions, from the counted layouts.
struct Graded {
    MoveGrade Grade;
    double P, Smallest;
};

std::vector<Graded> GradeByCounting(const GameRecord &r)
{
    std::vector<Graded> out;
    bool first = true;
    for (size_t i = 0; i < r.Moves.size(); ++i) {
        const RecordedMove &m = r.Moves[i];
        const std::vector<int32_t> states = StatesAfter(r, i);
        const Layouts layouts(r, states);
        double smallest = 2.0;
        for (size_t k = 0; k < states.size(); ++k)
            if (states[k] == SECTOR_CLOSED || states[k] == SECTOR_MARKED)
                smallest = std::min(smallest, layouts.AnyMine({int32_t(k)}));
        std::vector<int32_t> opens;
        if (m.Kind == MoveKind::Chord) {
            for (int32_t y = std::max(m.Y - 1, 0); y <= std::min(m.Y + 1, r.Height - 1); ++y)
                for (int32_t x = std::max(m.X - 1, 0); x <= std::min(m.X + 1, r.Width - 1); ++x)
                    if (states[y * r.Width + x] == SECTOR_CLOSED) opens.push_back(y * r.Width + x);
        } else {
            opens.push_back(m.Y * r.Width + m.X);
        }
        const double p = layouts.AnyMine(opens);
        Graded g{MoveGrade::None, p, -1.0};
        if (m.Kind == MoveKind::Open || m.Kind == MoveKind::Chord) {
            g.Smallest = smallest;
            g.Grade = p < 1e-12              ? MoveGrade::Safe
                      : smallest < 1e-12     ? MoveGrade::Needless
                      : p <= smallest + 1e-9 ? MoveGrade::Best
                                             : MoveGrade::Risky;
            if (m.Kind == MoveKind::Open && first) g = {MoveGrade::First, -1.0, smallest};
            first = first && m.Kind != MoveKind::Open;
        } else if (m.Kind == MoveKind::Mark || m.Kind == MoveKind::Unmark) {
            const bool sure = m.Kind == MoveKind::Mark ? p > 1 - 1e-12 : p < 1e-12;
            g.Grade = sure ? MoveGrade::Sure : MoveGrade::Guess;
        } else {
            g.P = -1.0;
        }
        out.push_back(g);
    }
    return out;
}

TEST(GameReview, AgreesWithCountedLayoutsOnEveryMoveOfRandomGames)
{
    ProbabilityEngine *engine = kelvane::solver::NewEngineObject();
    int seen[8] = {};
    // The sanitized build plays fewer: the plain one covers the many.
    const uint32_t games = Sanitized ? 120 : 2000;
    for (uint32_t seed = 1; seed <= games; ++seed) {
        RandomShape shape{8 + int32_t(seed % 3), 8, 9, seed % 2 == 0, seed % 3 == 0 ? 1 : 0};
        const GameRecord record = PlayedAtRandom(seed, shape);
        GameReview review = ReviewGame(*engine, record);
        // Every tenth game also asks the hint beside its guesses: a needless guess's hint is
        // a certainly safe sector, any other's a closed sector that may be safe.
        if (seed % 10 == 0) HintGuesses(*engine, record, review);
        const std::vector<Graded> expected = GradeByCounting(record);
        ASSERT_EQ(review.Moves.size(), expected.size());
        double survival = 1.0;
        for (size_t i = 0; i < expected.size(); ++i) {
            const MoveReview &m = review.Moves[i];
            const Graded &e = expected[i];
            const std::string where = "seed " + std::to_string(seed) + " move " +
                                      std::to_string(i + 1) + " " + KindName(record.Moves[i].Kind);
            ASSERT_EQ(GradeName(m.Grade), std::string(GradeName(e.Grade)))
                << where << " p " << m.P << " / " << e.P << " min " << m.Smallest << " / "
                << e.Smallest;
            EXPECT_NEAR(m.P, e.P, 2e-6) << where;
            EXPECT_NEAR(m.Smallest, e.Smallest, 2e-6) << where;
            if (IsGuess(e.Grade)) survival *= 1.0 - e.P;
            if (seed % 10 == 0) {
                ASSERT_EQ(m.HintX >= 0, IsGuess(m.Grade)) << where;
                if (m.HintX >= 0) {
                    const float p =
                        review.ProbabilitiesBefore(i)[size_t(m.HintY * record.Width + m.HintX)];
                    EXPECT_TRUE(m.Grade == MoveGrade::Needless ? p == 0.0f : p >= 0.0f && p < 1.0f)
                        << where << " hint p " << p;
                }
            }
            ++seen[size_t(e.Grade)];
        }
        EXPECT_NEAR(review.Figures.Survival, survival, 1e-5) << seed;
    }
    kelvane::solver::DeleteEngineObject(engine);
    // The careless player reaches every grade.
    for (int g = 1; g < 8; ++g)
        EXPECT_GT(seen[g], 0) << GradeName(MoveGrade(g));
}

} // namespace
