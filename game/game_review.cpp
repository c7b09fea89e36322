#include "game_review.h"

#include "engine_client.h"
#include "move_policy.h"
#include "record_replay.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace
{

// Probabilities this close count as equal: the safest guess is any of the safest sectors.
constexpr double Tie = 1e-9;

// The position before a move as the engine must see it: markers taken off (a marker may be
// wrong), so the mines left are the field's less the triggered ones.
void LoadPosition(TGameState &game, const TGameState &played)
{
    game = played;
    game.Active = game.Live = 1;
    game.ProbDisplay = 1;
    game.MinesLeft = game.Mines;
    for (int32_t c = 0; c < game.SizeX; ++c)
        for (int32_t r = 0; r < game.SizeY; ++r) {
            int32_t &state = game.State[KELVANE_SECTOR_INDEX(c, r)];
            if (state == SECTOR_MARKED) state = SECTOR_CLOSED;
            if (state == SECTOR_TRIGGERED) --game.MinesLeft;
            game.Prob[KELVANE_SECTOR_INDEX(c, r)] = -1.0f;
        }
    SetEngineOptions(game, EngineOptions{});
}

// The engine on `position` with `mines` (sector slots) taken as known mines; false when the
// run did not finish.
bool Calculate(EngineSession &session, const TGameState &position,
               const std::vector<int32_t> &mines, int32_t col, int32_t row)
{
    TGameState &game = session.Game();
    game = position;
    for (const int32_t slot : mines) {
        game.State[slot] = SECTOR_TRIGGERED;
        --game.MinesLeft;
    }
    return session.Run(col, row).End == RunEnd::Finished;
}

// The chance that at least one of `sectors` (slots, with their probabilities on `position`)
// holds a mine: by inclusion and exclusion over the sets of the uncertain ones that are all
// mines, each set's chance the chance of the set less its last sector times the engine's
// probability of that sector with the others known as mines. Negative when a run did not
// finish.
double AnyMine(EngineSession &session, const TGameState &position,
               const std::vector<int32_t> &sectors, const std::vector<double> &chance)
{
    std::vector<int32_t> unsure;
    std::vector<double> single;
    for (size_t i = 0; i < sectors.size(); ++i) {
        if (chance[i] >= 1.0) return 1.0;
        if (chance[i] > 0.0) {
            unsure.push_back(sectors[i]);
            single.push_back(chance[i]);
        }
    }
    if (unsure.empty()) return 0.0;
    if (unsure.size() == 1) return single[0];
    const uint32_t k = uint32_t(unsure.size());
    std::vector<double> allMines(size_t(1) << k, 0.0);
    for (uint32_t i = 0; i < k; ++i)
        allMines[size_t(1) << i] = single[i];
    std::vector<int32_t> known;
    for (uint32_t set = 1; set < (1u << k); ++set) {
        const uint32_t last = 31 - uint32_t(std::countl_zero(set));
        if (last + 1 == k || allMines[set] <= 0.0) continue;
        known.clear();
        for (uint32_t i = 0; i < k; ++i)
            if (set & (1u << i)) known.push_back(unsure[i]);
        const int32_t slot = unsure[last + 1];
        if (!Calculate(session, position, known, slot / KELVANE_COLUMN_SLOTS,
                       slot % KELVANE_COLUMN_SLOTS))
            return -1.0;
        for (uint32_t j = last + 1; j < k; ++j)
            allMines[set | (1u << j)] =
                allMines[set] * std::max(0.0, double(session.Game().Prob[unsure[j]]));
    }
    double none = 0.0;
    for (uint32_t set = 0; set < (1u << k); ++set)
        none += (std::popcount(set) % 2 == 0 ? 1.0 : -1.0) * (set == 0 ? 1.0 : allMines[set]);
    // Rounding in the engine's single-precision answers must not leave the bounds that any
    // union keeps.
    double sum = 0.0;
    for (const double p : single)
        sum += p;
    return std::clamp(1.0 - none, *std::max_element(single.begin(), single.end()),
                      std::min(1.0, sum));
}

MoveGrade OpenGrade(double p, double smallest, bool someSafe)
{
    if (p <= 0.0) return MoveGrade::Safe;
    if (someSafe) return MoveGrade::Needless;
    return p <= smallest + Tie ? MoveGrade::Best : MoveGrade::Risky;
}

} // namespace

const char *GradeName(MoveGrade grade)
{
    static const char *const names[] = {"-",    "first", "safe", "needless",
                                        "best", "risky", "sure", "guess"};
    return names[size_t(grade)];
}

bool IsGuess(MoveGrade grade)
{
    return grade == MoveGrade::Needless || grade == MoveGrade::Best || grade == MoveGrade::Risky;
}

double ReviewFigures::Luck() const
{
    if (Survival <= 0.0) return INFINITY;
    return Survival >= 1.0 ? 0.0 : -std::log2(Survival);
}

GameReview ReviewGame(ProbabilityEngine &engine, const GameRecord &record)
{
    GameReview review;
    review.Width = record.Width;
    review.Height = record.Height;
    if (record.Width < 1 || record.Height < 1 || record.Width > KELVANE_COLUMN_SLOTS ||
        record.Height > KELVANE_SECTOR_SLOTS / KELVANE_COLUMN_SLOTS ||
        record.Layout.size() != size_t(record.Width) * record.Height)
        return review;

    RecordReplay replay(record);
    EngineSession session(engine);
    session.Attach();
    auto position = std::make_unique<TGameState>();
    bool finished = false, firstSeen = false, stale = true;
    const auto slotOf = [](int32_t x, int32_t y) { return KELVANE_SECTOR_INDEX(x, y); };
    double smallest = -1.0;
    bool someSafe = false;

    for (const RecordedMove &move : record.Moves) {
        const TGameState &played = replay.State();
        if (stale) {
            LoadPosition(*position, played);
            finished = Calculate(session, *position, {}, move.X, move.Y);
            std::vector<float> probability(size_t(record.Width) * record.Height, -1.0f);
            smallest = -1.0;
            someSafe = false;
            for (int32_t y = 0; y < record.Height && finished; ++y)
                for (int32_t x = 0; x < record.Width; ++x) {
                    if (position->State[slotOf(x, y)] != SECTOR_CLOSED) continue;
                    const float p = session.Game().Prob[slotOf(x, y)];
                    probability[size_t(y) * record.Width + x] = p;
                    smallest = smallest < 0.0 ? p : std::min(smallest, double(p));
                    someSafe = someSafe || p <= 0.0f;
                }
            review.Positions.push_back(std::move(probability));
            review.Figures.Unfinished += finished ? 0 : 1;
            stale = false;
        }
        review.PositionOf.push_back(uint32_t(review.Positions.size() - 1));
        const std::vector<float> &before = review.Positions.back();
        const auto chanceAt = [&](int32_t x, int32_t y) {
            return double(before[size_t(y) * record.Width + x]);
        };

        MoveReview m;
        switch (move.Kind) {
        case MoveKind::Open:
            m.Hit = record.MineAt(move.X, move.Y);
            m.Smallest = finished ? smallest : -1.0;
            if (!firstSeen) {
                m.Grade = MoveGrade::First;
            } else if (finished) {
                m.P = chanceAt(move.X, move.Y);
                m.Grade = OpenGrade(m.P, smallest, someSafe);
            }
            firstSeen = true;
            stale = true;
            break;
        case MoveKind::Chord: {
            // The sectors the chord opens: the closed ones around it without a marker.
            std::vector<int32_t> opens;
            std::vector<double> chance;
            for (int32_t y = std::max(move.Y - 1, 0); y <= std::min(move.Y + 1, record.Height - 1);
                 ++y)
                for (int32_t x = std::max(move.X - 1, 0);
                     x <= std::min(move.X + 1, record.Width - 1); ++x) {
                    if (played.State[slotOf(x, y)] != SECTOR_CLOSED) continue;
                    opens.push_back(slotOf(x, y));
                    chance.push_back(finished ? chanceAt(x, y) : -1.0);
                    m.Hit = m.Hit || record.MineAt(x, y);
                }
            m.P = finished ? AnyMine(session, *position, opens, chance) : -1.0;
            if (m.P >= 0.0) {
                m.Smallest = smallest;
                m.Grade = OpenGrade(m.P, smallest, someSafe);
            }
            stale = true;
            break;
        }
        case MoveKind::Mark:
        case MoveKind::Unmark: {
            const bool mark = move.Kind == MoveKind::Mark;
            m.MarkerRight = record.MineAt(move.X, move.Y) == mark;
            if (finished) {
                m.P = chanceAt(move.X, move.Y);
                m.Grade = (mark ? m.P >= 1.0 : m.P <= 0.0) ? MoveGrade::Sure : MoveGrade::Guess;
            }
            break;
        }
        case MoveKind::Probe:
            break;
        }
        if (IsGuess(m.Grade)) {
            ++review.Figures.Guesses;
            review.Figures.Needless += m.Grade == MoveGrade::Needless ? 1 : 0;
            review.Figures.Risky += m.Grade == MoveGrade::Risky ? 1 : 0;
            review.Figures.Survival *= 1.0 - m.P;
        }
        review.Moves.push_back(m);
        replay.Play(move);
        if (replay.Lost() && m.Hit) review.Figures.Cause = m.Grade;
    }
    return review;
}

void HintGuesses(ProbabilityEngine &engine, const GameRecord &record, GameReview &review)
{
    if (review.Hinted || review.Moves.size() != record.Moves.size() || record.Moves.empty()) return;
    RecordReplay replay(record);
    const std::vector<int32_t> order = replay.LayingOrder(record.Moves[0].X, record.Moves[0].Y);
    MoveOptions options;
    options.HintMines = false;
    if (!record.NoGuess) options.LayingOrder = &order;
    for (size_t i = 0; i < record.Moves.size(); ++i) {
        MoveReview &move = review.Moves[i];
        if (IsGuess(move.Grade)) {
            const Hint hint = ChooseMove(engine, replay.State(), options);
            if (hint.Kind != HintKind::None) move.HintX = hint.X, move.HintY = hint.Y;
        }
        if (replay.Play(record.Moves[i]) != nullptr) break;
    }
    review.Hinted = true;
}
