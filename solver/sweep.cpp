#include "sweep.h"

#include "sweep_layers.h"
#include "sweep_memory.h"
#include "sweep_plan.h"
#include "sweep_race.h"
#include "sweep_scaling.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <utility>

namespace kelvane::solver
{

using namespace detail;

namespace
{

// C(n, k) for the at most eight sectors of one variable.
struct BinomialTable {
    double Value[9][9] = {};
    BinomialTable()
    {
        for (int n = 0; n <= 8; ++n) {
            Value[n][0] = 1.0;
            for (int k = 1; k <= n; ++k)
                Value[n][k] = Value[n - 1][k - 1] + Value[n - 1][k];
        }
    }
};
const BinomialTable Binomial;

template <int Words> class SweepOf final : public Sweep
{
  public:
    SweepOf(const Component &comp, std::vector<Plan> plans, int32_t maxMines, bool keepEveryLayer)
        : Comp(comp), Racing(comp, std::move(plans), maxMines), MaxMines(maxMines),
          MayThin(!keepEveryLayer)
    {
        Order = Racing.First().Order;
        Width = Racing.First().Width;
    }
    ~SweepOf() override
    {
        // A run that stops midway gives back its claims too, since the run may try again; a
        // sweep that went all the way back holds none, and touches the work no more.
        Racing.GiveBackLayers(Meter);
        GiveBack(Layers, Meter);
        Memory.Release(0, Meter);
        GiveBackSpareBlock(Meter);
    }

    bool Prepare(Work &work) override
    {
        const size_t n = Order.size();
        Meter = &work;
        Racing.Run(work, Steps, Layers);
        Order = Steps.Order;
        Width = Steps.Width;
        Stage = Counting;
        const double growth = GrowthOf(Steps, Layers, n);
        if (growth >= 0.0) Growth = growth;
        if (Layers[n].States() == 0) return false;
        // From the end back: the fewest and most mines the rest of the sweep can add to each
        // state on its way to a full arrangement (-1: none, the state is dead).
        Layers[n].Future = {{0, 0}};
        LiveSteps.assign(n, 0.0);
        for (size_t p = n; p-- > 0;) {
            double live = 0.0;
            Layer<Words> &a = Layers[p];
            const Layer<Words> &b = Layers[p + 1];
            const int32_t size = Comp.VarSize[Order[p]];
            const size_t states = a.States();
            a.Future.assign(states, {0, -1});
            Recount(a, work);
            for (size_t st = 0; st < states; ++st) {
                int32_t fewest = INT32_MAX, most = -1;
                for (int32_t k = 0; k <= size; ++k) {
                    const int32_t t = a.Next[st * (size + 1) + k];
                    if (t < 0 || b.Future[t].Hi < 0) continue;
                    fewest = std::min(fewest, k + b.Future[t].Lo);
                    most = std::max(most, k + b.Future[t].Hi);
                }
                if (most >= 0) a.Future[st] = {fewest, most};
                live += most >= 0;
            }
            LiveSteps[p] = live * (size + 1);
        }
        if (Layers[0].Future[0].Hi < 0) return false;
        FewestTotal = Layers[0].Future[0].Lo;
        MostTotal = std::min<int32_t>(Layers[0].Future[0].Hi, MaxMines);
        return FewestTotal <= MostTotal;
    }

    bool Forward(int32_t fewest, int32_t most, Work &work) override
    {
        const size_t n = Order.size();
        Result.clear();
        Memory.Release(0, &work);
        size_t states = 0;
        for (const Layer<Words> &layer : Layers)
            states += layer.States();
        Thinned = MayThin && states >= ThinnedSweep;
        // Each state keeps only the mine totals that can still end within fewest .. most.
        // Every layer is windowed before any counts are placed, so the spare block is taken
        // once, as large as the longest run of layers it serves.
        std::vector<int64_t> lives(n + 1);
        for (size_t p = 0; p <= n; ++p) {
            Layer<Words> &layer = Layers[p];
            const size_t states = layer.States();
            layer.Off.assign(states, 0);
            Recount(layer, work);
            uint64_t total = 0;
            int64_t live = 0;
            for (size_t st = 0; st < states; ++st) {
                layer.Off[st] = static_cast<uint32_t>(total);
                Range &span = layer.Span[st];
                const Range future = layer.Future[st];
                if (future.Hi < 0) {
                    span = {span.Lo, span.Lo - 1};
                    continue;
                }
                const int32_t lo = std::max<int32_t>(span.Lo, fewest - future.Hi);
                span = {lo,
                        std::max<int32_t>(std::min<int32_t>(span.Hi, most - future.Lo), lo - 1)};
                total += static_cast<uint64_t>(span.Len());
                live += span.Len() > 0;
            }
            Free(layer.Future);
            Recount(layer, work);
            // More counts than the offsets can reach would be far past any memory limit.
            if (total > UINT32_MAX) throw StopRun{true};
            layer.Size = total;
            lives[p] = live;
        }
        ChooseKeptLayers();
        TakeSpareBlock(work);
        auto place = [&](size_t p) {
            Layer<Words> &layer = Layers[p];
            layer.F = Kept(p) ? Memory.Take(layer.Size, work) : Spare(p);
            layer.Chunk = Memory.Mark();
        };
        Layer<Words> &start = Layers[0];
        place(0);
        At = 0;
        if (start.Span[0].Len() == 0) return false;
        start.F[0] = 1.0;
        Scaling scaling;
        for (size_t p = 0; p < n; ++p) {
            Layer<Words> &a = Layers[p];
            Layer<Words> &b = Layers[p + 1];
            const int32_t size = Comp.VarSize[Order[p]];
            place(p + 1);
            const int64_t live = lives[p + 1];
            Carry(p, &work);
            b.Scale = a.Scale + scaling.After(b.F, b.Size, size);
            At = p + 1;
            work.Figures.Live = live;
            work.Figures.MostLive = std::max(work.Figures.MostLive, work.Figures.Live);
            if (live == 0) return false;
        }
        const Layer<Words> &end = Layers[n];
        if (end.Span[0].Len() == 0) return false;
        Result.assign(end.Span[0].Hi + 1, 0.0L);
        bool any = false;
        for (int32_t j = 0; j < end.Span[0].Len(); ++j) {
            Result[end.Span[0].Lo + j] = std::ldexp(static_cast<long double>(end.F[j]), end.Scale);
            any = any || end.F[j] > 0.0;
        }
        return any;
    }

    const std::vector<long double> &Counts() const override { return Result; }

    // Adds the counts of layer p's states into those of layer p + 1; with work, as steps of
    // the run.
    void Carry(size_t p, Work *work)
    {
        const Layer<Words> &a = Layers[p];
        Layer<Words> &b = Layers[p + 1];
        const int32_t size = Comp.VarSize[Order[p]];
        for (size_t st = 0; st < a.States(); ++st) {
            if (a.Span[st].Len() == 0) continue;
            const double *from = a.F + a.Off[st];
            for (int32_t k = 0; k <= size; ++k) {
                const int32_t t = a.Next[st * (size + 1) + k];
                if (t < 0 || b.Span[t].Len() == 0) continue;
                const double c = Binomial.Value[size][k];
                // Entries m of this state meet entries m + k of the target.
                const int32_t lo = std::max<int32_t>(a.Span[st].Lo, b.Span[t].Lo - k);
                const int32_t hi = std::min<int32_t>(a.Span[st].Hi, b.Span[t].Hi - k) + 1;
                const double *__restrict src = from + (lo - a.Span[st].Lo);
                double *__restrict to = b.F + b.Off[t] + (lo + k - b.Span[t].Lo);
                for (int32_t j = 0; j < hi - lo; ++j)
                    to[j] += c * src[j];
            }
            if (work != nullptr) work->Tick(size + 1);
        }
    }

    // Large sweeps keep the counts of a few layers only. The layers between two kept ones
    // lie together in one spare block, and the pass back counts each such run again from the
    // kept layer before it: each layer that is not kept costs its counting once more. The
    // counts are the most of a large sweep's memory, and fresh memory is slow to come by.
    static constexpr size_t ThinnedSweep = size_t{1} << 16;

    // A layer is kept when the run before it would outgrow the spare block. The block's size
    // is the one, among a few multiples of the largest layer, that takes the least memory
    // with the kept layers: their counts crowd together where the sweep is widest, and a
    // block of a single layer would keep nearly all of those.
    void ChooseKeptLayers()
    {
        SpareSize = 0;
        if (!Thinned) return;
        const size_t n = Order.size();
        KeptLayer.assign(n + 1, 1);
        SpareAt.assign(n + 1, 0);
        size_t largest = 0;
        for (const Layer<Words> &layer : Layers)
            largest = std::max(largest, layer.Size);
        uint64_t least = UINT64_MAX, best = 0;
        for (uint64_t halves = 2; halves <= 8; ++halves) {
            const uint64_t room = largest * halves / 2;
            const uint64_t total = PlaceRuns(room);
            if (total < least) {
                least = total;
                best = room;
            }
        }
        PlaceRuns(best);
    }
    // Marks the kept layers when a run may fill room counts and places the others in the
    // spare block; returns the counts of the kept layers and the block together.
    uint64_t PlaceRuns(uint64_t room)
    {
        const size_t n = Order.size();
        uint64_t kept = 0, run = 0;
        SpareSize = 0;
        for (size_t p = 0; p <= n; ++p) {
            const size_t size = Layers[p].Size;
            KeptLayer[p] = p == 0 || p == n || run + size > room;
            if (KeptLayer[p]) {
                kept += size;
                run = 0;
            } else {
                SpareAt[p] = run;
                run += size;
                SpareSize = std::max<size_t>(SpareSize, run);
            }
        }
        return kept + SpareSize;
    }

    // Small sweeps keep every layer, and mark none.
    bool Kept(size_t layer) const { return !Thinned || KeptLayer[layer] != 0; }

    // The spare block, with room for the longest run.
    void TakeSpareBlock(Work &work)
    {
        if (SpareBlock.size() >= SpareSize) return;
        GiveBackSpareBlock(&work);
        work.Claim(static_cast<int64_t>(SpareSize * sizeof(double)));
        SpareBlock.assign(SpareSize, 0.0);
    }
    // Layer p's place in the spare block, zeroed.
    double *Spare(size_t p)
    {
        double *at = SpareBlock.data() + SpareAt[p];
        std::fill_n(at, Layers[p].Size, 0.0);
        return at;
    }
    // Frees the spare block, and its claim on the run's limit to work when it has one.
    // An empty block leaves work alone: a sweep that went all the way back may outlive its run.
    void GiveBackSpareBlock(Work *work)
    {
        if (SpareBlock.empty()) return;
        if (work != nullptr) work->Claim(-static_cast<int64_t>(SpareBlock.size() * sizeof(double)));
        LargeVector<double>().swap(SpareBlock);
    }

    void Backward(const std::vector<double> &weight, Work &work) override
    {
        const size_t n = Order.size();
        ExpectedMines.assign(n, 0.0);
        FewestMines.assign(n, 0);
        MostMines.assign(n, 0);
        Layer<Words> &end = Layers[n];
        Stage = Returning;
        At = n;
        // The pass back writes over the counts: a layer's counts are replaced, state by
        // state, with the weight of everything that can follow each entry, once that state's
        // share of the expected mines is taken. The end's entries become the totals' weights.
        for (int32_t j = 0; j < end.Span[0].Len(); ++j) {
            const size_t m = static_cast<size_t>(end.Span[0].Lo + j);
            end.F[j] = m < weight.size() ? weight[m] : 0.0;
        }
        Scaling scaling;
        scaling.Rescale(end.F, end.Size);
        std::vector<double> into(static_cast<size_t>(MaxMines) + 1, 0.0);
        for (size_t p = n; p-- > 0;) {
            Layer<Words> &a = Layers[p];
            const Layer<Words> &b = Layers[p + 1];
            const int32_t size = Comp.VarSize[Order[p]];
            if (!Kept(p) && Kept(p + 1)) {
                // The layers since the last kept one, counted again exactly as the counting
                // pass did, rescaling included; the spare block holds nothing needed any more.
                size_t first = p;
                while (!Kept(first - 1))
                    --first;
                for (size_t q = first; q <= p; ++q) {
                    Layer<Words> &again = Layers[q];
                    again.F = Spare(q);
                    Carry(q - 1, nullptr);
                    const int32_t e = again.Scale - Layers[q - 1].Scale;
                    if (e != 0)
                        for (size_t i = 0; i < again.Size; ++i)
                            again.F[i] = std::ldexp(again.F[i], -e);
                }
            }
            double perMines[9] = {};
            for (size_t st = 0; st < a.States(); ++st) {
                const int32_t len = a.Span[st].Len();
                if (len <= 0) continue;
                double *f = a.F + a.Off[st];
                std::fill(into.begin(), into.begin() + len, 0.0);
                for (int32_t k = 0; k <= size; ++k) {
                    const int32_t t = a.Next[st * (size + 1) + k];
                    if (t < 0 || b.Span[t].Len() == 0) continue;
                    const double c = Binomial.Value[size][k];
                    // Entries m of this state meet entries m + k of the target.
                    const int32_t from = std::max<int32_t>(a.Span[st].Lo, b.Span[t].Lo - k);
                    const int32_t to = std::min<int32_t>(a.Span[st].Hi, b.Span[t].Hi - k) + 1;
                    const double *g = b.F + b.Off[t];
                    double sum = 0.0;
                    for (int32_t m = from; m < to; ++m) {
                        const double v = c * g[m + k - b.Span[t].Lo];
                        into[m - a.Span[st].Lo] += v;
                        sum += f[m - a.Span[st].Lo] * v;
                    }
                    perMines[k] += sum;
                }
                std::copy(into.begin(), into.begin() + len, f);
                work.Tick(size + 1);
            }
            double total = 0.0, expected = 0.0;
            int32_t fewest = size, most = 0;
            for (int32_t k = 0; k <= size; ++k) {
                total += perMines[k];
                expected += k * perMines[k];
                if (perMines[k] > 0.0) {
                    fewest = std::min(fewest, k);
                    most = std::max(most, k);
                }
            }
            const int32_t var = Order[p];
            ExpectedMines[var] = total > 0.0 ? expected / total : 0.0;
            FewestMines[var] = fewest;
            MostMines[var] = most;
            scaling.After(a.F, a.Size, size);
            GiveBack(Layers[p + 1], &work);
            Memory.Release(a.Chunk, &work);
            At = p;
        }
        Memory.Release(0, &work);
        GiveBackSpareBlock(&work);
        GiveBack(Layers, &work);
        Stage = Over;
    }

    double StepsAhead(double usualGrowth) const override
    {
        switch (Stage) {
        case Building:
            return Racing.StepsAhead(usualGrowth);
        case Counting: {
            double ahead = 0.0;
            for (size_t p = 0; p < LiveSteps.size(); ++p)
                ahead += LiveSteps[p] * (p >= At ? 2 : 1);
            return ahead;
        }
        case Returning:
            return std::accumulate(LiveSteps.begin(), LiveSteps.begin() + At, 0.0);
        case Over:
            break;
        }
        return 0.0;
    }

  private:
    enum { Building, Counting, Returning, Over } Stage = Building;
    const Component &Comp;
    OrderRace<Words> Racing;
    Plan Steps;
    int32_t MaxMines;
    bool MayThin;
    std::vector<Layer<Words>> Layers;
    size_t At = 0;                 // the layer the counting pass or the pass back is at
    std::vector<double> LiveSteps; // per step: the steps each pass spends there
    Arena Memory;
    std::vector<long double> Result;
    Work *Meter = nullptr; // the run's, from Prepare on: where the claims go back
    bool Thinned = false;
    std::vector<uint8_t> KeptLayer; // per layer of a thinned sweep: its counts are kept
    std::vector<size_t> SpareAt;    // per layer not kept: where its counts lie in SpareBlock
    size_t SpareSize = 0;
    LargeVector<double> SpareBlock;
};

} // namespace

namespace
{

template <int Words>
std::unique_ptr<Sweep> SweepFor(const Component &component, std::vector<Plan> plans,
                                int32_t maxMines, bool keepEveryLayer)
{
    return std::make_unique<SweepOf<Words>>(component, std::move(plans), maxMines, keepEveryLayer);
}

} // namespace

std::unique_ptr<Sweep> MakeSweep(const Component &component, int32_t maxMines, bool keepEveryLayer)
{
    std::vector<Plan> plans = CandidatePlans(component);
    // Wider than any field of 32 x 32 allows: not swept.
    std::erase_if(plans, [](const Plan &plan) { return plan.Width > 128; });
    if (plans.empty()) return nullptr;
    int32_t widest = 0;
    for (const Plan &plan : plans)
        widest = std::max(widest, plan.Width);
    if (widest <= 16) return SweepFor<1>(component, std::move(plans), maxMines, keepEveryLayer);
    if (widest <= 32) return SweepFor<2>(component, std::move(plans), maxMines, keepEveryLayer);
    if (widest <= 64) return SweepFor<4>(component, std::move(plans), maxMines, keepEveryLayer);
    if (widest <= 128) return SweepFor<8>(component, std::move(plans), maxMines, keepEveryLayer);
    return nullptr;
}

} // namespace kelvane::solver
