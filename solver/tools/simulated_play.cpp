#include "simulated_play.h"

#include <algorithm>

namespace kelvane::solver
{

SimulatedGame::SimulatedGame(uint32_t seed, const PlaySettings &settings)
    : Settings(settings), State(seed)
{
    const int32_t w = settings.Width, h = settings.Height, n = w * h;
    View.Width = w;
    View.Height = h;
    View.Mines = settings.Mines;
    View.FairPlay = settings.FairPlay;
    View.State.assign(n, Cell::Closed);
    View.Number.assign(n, 0);
    Mine.assign(n, 0);
    Count.assign(n, 0);
    // The first press, and the game's placement rule: a candidate list in column order
    // without the pressed sector (and the corners under Fair Play), each draw stepping
    // forward past taken entries.
    const int32_t first = View.Index(static_cast<int32_t>(Next(w)), static_cast<int32_t>(Next(h)));
    std::vector<int32_t> candidates;
    for (int32_t c = 0; c < w; ++c)
        for (int32_t r = 0; r < h; ++r) {
            const bool corner = (c == 0 || c == w - 1) && (r == 0 || r == h - 1);
            const int32_t i = View.Index(c, r);
            if (i != first && !(settings.FairPlay && corner)) candidates.push_back(i);
        }
    const int32_t mines =
        std::min<int32_t>(settings.Mines, static_cast<int32_t>(candidates.size()));
    View.Mines = mines;
    for (int32_t m = 0; m < mines; ++m) {
        uint32_t k = Next(static_cast<uint32_t>(candidates.size()));
        while (candidates[k] < 0)
            k = (k + 1) % candidates.size();
        Mine[candidates[k]] = 1;
        candidates[k] = -1;
    }
    int32_t around[8];
    for (int32_t i = 0; i < n; ++i) {
        const int32_t k = Neighbours(i, around);
        for (int32_t j = 0; j < k; ++j)
            Count[i] += Mine[around[j]];
    }
    SafeLeft = n - mines;
    Open(first);
}

uint32_t SimulatedGame::Next(uint32_t n)
{
    State = State * 134775813u + 1u;
    return static_cast<uint32_t>((static_cast<uint64_t>(State) * n) >> 32);
}

int32_t SimulatedGame::Neighbours(int32_t i, int32_t *out) const
{
    const int32_t c = i / View.Height, r = i % View.Height;
    int32_t k = 0;
    for (int32_t nc = c - 1; nc <= c + 1; ++nc)
        for (int32_t nr = r - 1; nr <= r + 1; ++nr)
            if (nc >= 0 && nr >= 0 && nc < View.Width && nr < View.Height && (nc != c || nr != r))
                out[k++] = View.Index(nc, nr);
    return k;
}

void SimulatedGame::Open(int32_t start)
{
    std::vector<int32_t> todo{start};
    int32_t around[8];
    while (!todo.empty()) {
        const int32_t i = todo.back();
        todo.pop_back();
        if (View.State[i] != Cell::Closed) continue;
        if (Mine[i]) {
            View.State[i] = Cell::Triggered;
            continue;
        }
        View.State[i] = Cell::Open;
        View.Number[i] = Count[i];
        --SafeLeft;
        if (Count[i] != 0) continue;
        const int32_t k = Neighbours(i, around);
        for (int32_t j = 0; j < k; ++j)
            todo.push_back(around[j]);
    }
}

bool SimulatedGame::Move()
{
    if (SafeLeft <= 0) return false;
    const int32_t n = View.Width * View.Height;
    std::vector<int32_t> closedSafe, closedMine, closedNearOpen;
    int32_t around[8];
    for (int32_t i = 0; i < n; ++i) {
        if (View.State[i] != Cell::Closed) continue;
        (Mine[i] ? closedMine : closedSafe).push_back(i);
        const int32_t k = Neighbours(i, around);
        for (int32_t j = 0; j < k; ++j)
            if (View.State[around[j]] == Cell::Open) {
                if (!Mine[i]) closedNearOpen.push_back(i);
                break;
            }
    }
    const double roll = Next(1000000) / 1e6;
    if (!closedMine.empty() && roll < Settings.MarkerRate) {
        View.State[closedMine[Next(static_cast<uint32_t>(closedMine.size()))]] = Cell::Marked;
        return true;
    }
    if (!closedSafe.empty() && roll < Settings.MarkerRate + Settings.WrongMarkerRate) {
        View.State[closedSafe[Next(static_cast<uint32_t>(closedSafe.size()))]] = Cell::Marked;
        return true;
    }
    if (!closedMine.empty() &&
        roll < Settings.MarkerRate + Settings.WrongMarkerRate + Settings.TriggerRate) {
        Open(closedMine[Next(static_cast<uint32_t>(closedMine.size()))]);
        return true;
    }
    if (closedSafe.empty()) return false;
    if (Settings.UseEngine) {
        // The careful player: a certainly safe sector if there is one, else the safest.
        Options options;
        options.StepDepth = 30;
        const Result result = Solve(View, options);
        if (result.RunStatus == Status::Finished) {
            int32_t best = -1;
            for (int32_t i = 0; i < n; ++i) {
                if (View.State[i] != Cell::Closed) continue;
                // Near-ties go to the first sector, so the games do not hang on rounding.
                if (best < 0 || result.Probability[i] < result.Probability[best] - 1e-9) best = i;
            }
            if (best >= 0) {
                if (Mine[best]) return false; // the guess was wrong: the game is lost
                Open(best);
                return true;
            }
        }
    }
    // The oracle player opens safe sectors, mostly next to what is already open.
    const auto &pool = !closedNearOpen.empty() && Next(4) != 0 ? closedNearOpen : closedSafe;
    Open(pool[Next(static_cast<uint32_t>(pool.size()))]);
    return true;
}

} // namespace kelvane::solver
