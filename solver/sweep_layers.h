// The layers of a sweep: the states after each step, how they are built from the states before,
// and the store of small layers kept for the next sweeps of a thread. Internal to the sweep.
#pragma once

#include "sweep.h"
#include "sweep_keys.h"
#include "sweep_memory.h"
#include "sweep_plan.h"
#include "work.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// Hidden, as file-local code would be: the sweep's insides are neither exported from the
// engine module nor bound outside it.
#pragma GCC visibility push(hidden)
namespace kelvane::solver::detail
{

// A range of mine totals, empty when Hi < Lo. Totals are at most those of a 32 x 32 field,
// so two bytes hold each: the ranges are read for every transition of a sweep, anywhere in a
// layer, and half the bytes keep twice as many of them in the cache.
struct Range {
    int16_t Lo, Hi;
    Range() = default;
    Range(int32_t lo, int32_t hi) : Lo(static_cast<int16_t>(lo)), Hi(static_cast<int16_t>(hi)) {}
    int32_t Len() const { return Hi - Lo + 1; }
};

// One step of a sweep: the states after the first p variables.
// The keys are needed only until the next layer is built; the futures only until the counting
// pass has chosen the mine totals each state keeps.
template <int Words> struct Layer {
    LargeVector<Key<Words>> Keys;
    LargeVector<Range> Span;   // per state: the mine totals so far that are possible, then kept
    LargeVector<Range> Future; // per state: the mines the rest can add; Hi -1 for a dead state
    LargeVector<uint32_t> Off; // per state: where its counts begin in F
    double *F = nullptr;       // arrangement counts, per state and mine total
    size_t Size = 0;
    size_t Chunk = 0;          // arena chunks in use once this layer was made
    LargeVector<int32_t> Next; // per state and mines k in the variable: target, or -1
    int32_t Scale = 0;         // F is the count times 2^-Scale
    size_t Counted = 0;        // bytes of the vectors above claimed from the run's limit
    size_t States() const { return Span.size(); }
    size_t Bytes() const
    {
        return Keys.capacity() * sizeof(Key<Words>) +
               (Span.capacity() + Future.capacity()) * sizeof(Range) +
               Off.capacity() * sizeof(uint32_t) + Next.capacity() * sizeof(int32_t);
    }
};

// The states after variable p of the plan (into b) from those before it (a), with the
// possible mine totals of each (at most maxMines) and every transition. Checked: the plan
// has pair checks.
template <int Words, bool Checked>
void BuildLayer(const Component &comp, const Plan &plan, size_t p, Layer<Words> &a, Layer<Words> &b,
                int32_t maxMines, KeyIndex<Words> &index, Work &work)
{
    const int32_t size = comp.VarSize[plan.Order[p]];
    const Touch *const touchesBegin = plan.Touches.data() + plan.FirstTouch[p];
    const Touch *const touchesEnd = plan.Touches.data() + plan.FirstTouch[p + 1];
    const PairCheck *const checksBegin =
        Checked ? plan.Checks.data() + plan.FirstCheck[p] : nullptr;
    const PairCheck *const checksEnd =
        Checked ? plan.Checks.data() + plan.FirstCheck[p + 1] : nullptr;
    const size_t states = a.Keys.size();
    a.Next.assign(states * (size + 1), -1);
    index.Reset(states);
    // States are taken in small batches: first every successor key of the batch, with its
    // slot in the index asked for ahead, then the lookups in the same order, so that the
    // index's slots (which lie anywhere in a large layer) arrive while others are looked up.
    // A variable holds at most eight sectors: a state has at most nine successors.
    constexpr size_t Batch = 16, MostSuccessors = 9;
    struct Successor {
        Key<Words> Of;
        uint64_t Hash;
        int32_t Mines;
    };
    // Kept for the thread: many small sweeps build layers, and the batch is not small.
    thread_local std::array<Successor, Batch * MostSuccessors> found;
    std::array<uint8_t, Batch> foundOf;
    for (size_t first = 0; first < states; first += Batch) {
        const size_t last = std::min(states, first + Batch);
        size_t count = 0;
        for (size_t st = first; st < last; ++st) {
            const size_t before = count;
            for (int32_t k = 0; k <= size && a.Span[st].Lo + k <= maxMines; ++k) {
                Key<Words> key = a.Keys[st];
                bool fits = true;
                for (const Touch *t = touchesBegin; t != touchesEnd; ++t) {
                    const int v = key.Get(t->Slot) + t->Add - k;
                    if (v < 0 || v > t->Cap) {
                        fits = false;
                        break;
                    }
                    key.Set(t->Slot, v);
                }
                if (!fits) continue;
                if constexpr (Checked) {
                    for (const PairCheck *c = checksBegin; c != checksEnd; ++c) {
                        const int a = key.Get(c->SlotA);
                        const int b = c->SlotB >= 0 ? key.Get(c->SlotB) : c->NeedB;
                        if (std::max({0, a - c->OwnA, b - c->OwnB}) > std::min({c->Shared, a, b})) {
                            fits = false;
                            break;
                        }
                    }
                    if (!fits) continue;
                }
                found[count] = {key, key.Hash(), k};
                index.Expect(found[count].Hash);
                ++count;
            }
            foundOf[st - first] = static_cast<uint8_t>(count - before);
        }
        const Successor *next = found.data();
        for (size_t st = first; st < last; ++st) {
            const int32_t lo = a.Span[st].Lo;
            const int32_t hi = a.Span[st].Hi;
            for (const Successor *end = next + foundOf[st - first]; next != end; ++next) {
                const int32_t k = next->Mines;
                bool added = false;
                const int32_t at = index.FindOrAdd(next->Of, next->Hash, b.Keys, added);
                const int32_t top = std::min(hi + k, maxMines);
                if (added) {
                    b.Span.push_back({lo + k, top});
                } else {
                    Range &span = b.Span[at];
                    span = {std::min<int32_t>(span.Lo, lo + k), std::max<int32_t>(span.Hi, top)};
                }
                a.Next[st * (size + 1) + k] = at;
            }
            work.Tick(size + 1);
        }
    }
}

// Small layers of finished sweeps, kept empty with their memory for the next sweeps of this
// thread, so that the sweeps of a small position seldom ask the system for memory. A large
// layer's memory goes back at once.
template <int Words> std::vector<Layer<Words>> &SpareLayers()
{
    thread_local std::vector<Layer<Words>> spare;
    return spare;
}

// Gives back the layer's memory, and its claim on the run's limit to work when it has one.
template <int Words> void GiveBack(Layer<Words> &layer, Work *work)
{
    constexpr size_t KeptBytes = size_t{1} << 13;
    constexpr size_t KeptLayers = 1024;
    if (work != nullptr && layer.Counted != 0) work->Claim(-static_cast<int64_t>(layer.Counted));
    layer.Counted = 0;
    const size_t bytes = layer.Bytes();
    std::vector<Layer<Words>> &spare = SpareLayers<Words>();
    if (bytes == 0 || bytes > KeptBytes || spare.size() >= KeptLayers) {
        layer = Layer<Words>{};
        return;
    }
    layer.Keys.clear();
    layer.Span.clear();
    layer.Future.clear();
    layer.Off.clear();
    layer.Next.clear();
    layer.F = nullptr;
    layer.Size = layer.Chunk = 0;
    layer.Scale = 0;
    if (spare.capacity() == 0) spare.reserve(KeptLayers);
    spare.push_back(std::move(layer));
    layer = Layer<Words>{};
}

template <int Words> void GiveBack(std::vector<Layer<Words>> &layers, Work *work)
{
    for (Layer<Words> &layer : layers)
        GiveBack(layer, work);
    layers.clear();
}

// Claims from the run's limit what the layer's vectors have grown to since it was last counted.
template <int Words> void Recount(Layer<Words> &layer, Work &work)
{
    const size_t bytes = layer.Bytes();
    const auto grown = static_cast<int64_t>(bytes) - static_cast<int64_t>(layer.Counted);
    layer.Counted = bytes;
    work.Claim(grown);
}

template <int Words> std::vector<Layer<Words>> FirstLayer(size_t n)
{
    std::vector<Layer<Words>> &spare = SpareLayers<Words>();
    std::vector<Layer<Words>> layers;
    layers.reserve(n + 1);
    for (size_t p = 0; p <= n; ++p) {
        if (spare.empty()) {
            layers.emplace_back();
        } else {
            layers.push_back(std::move(spare.back()));
            spare.pop_back();
        }
    }
    layers[0].Keys.push_back(Key<Words>{});
    layers[0].Span.push_back({0, 0});
    return layers;
}

} // namespace kelvane::solver::detail
#pragma GCC visibility pop
