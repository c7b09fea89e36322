// The race between a sweep's candidate orders, and the steps foretold for each. Internal to
// the sweep.
#pragma once

#include "sweep.h"
#include "sweep_keys.h"
#include "sweep_layers.h"
#include "sweep_plan.h"
#include "work.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

// Hidden, as file-local code would be: the sweep's insides are neither exported from the
// engine module nor bound outside it.
#pragma GCC visibility push(hidden)
namespace kelvane::solver::detail
{

// The steps of the counting pass, and again of the pass back, against those of the build.
constexpr double CountingShare = 0.5;

// The steps of building the layers of a plan from layer `from` on, where layer `from` holds
// `states` states and the later ones about their bound to the power `growth`.
inline double BuildSteps(const Component &comp, const Plan &plan, size_t from, double states,
                         double growth)
{
    double steps = 0.0;
    for (size_t p = from; p < plan.Order.size(); ++p) {
        if (p > from) states = std::pow(plan.Bound[p - 1], growth);
        steps += states * (comp.VarSize[plan.Order[p]] + 1);
    }
    return steps;
}

// How the states of layers 1 .. done grow against their plan's bound B: about B^growth.
template <typename Layers> double GrowthOf(const Plan &plan, const Layers &layers, size_t done)
{
    double logStates = 0.0, logBound = 0.0;
    for (size_t p = 1; p <= done; ++p) {
        const double states = static_cast<double>(layers[p].States());
        if (states < 1.0 || plan.Bound[p - 1] <= 1.0) continue;
        logStates += std::log(states);
        logBound += std::log(plan.Bound[p - 1]);
    }
    return logBound > 0.0 ? logStates / logBound : -1.0;
}

// The candidate orders of a sweep, until the race picks one.
template <int Words> class OrderRace
{
  public:
    OrderRace(const Component &comp, std::vector<Plan> plans, int32_t maxMines)
        : Comp(comp), Plans(std::move(plans)), MaxMines(maxMines), N(Plans[0].Order.size())
    {
    }

    // The plan of best bound, before the race.
    const Plan &First() const { return Plans[0]; }

    // The candidate orders swept side by side, always advancing the one that has kept the
    // fewest states so far. Totals only grow, so once one order has finished and every other
    // has kept at least as many, no other can do better: the finished one wins, its layers
    // are kept for the sweep, and no order is swept much past the winner's total. On wide
    // sweeps the rank is the steps foretold instead, which only guides the choice: any
    // order counts the same arrangements. The winner's plan goes to steps, its layers to layers.
    void Run(Work &work, Plan &steps, std::vector<Layer<Words>> &layers)
    {
        const size_t count = Plans.size();
        const size_t n = N;
        Racers.resize(count);
        for (Racer &racer : Racers)
            racer.Layers = FirstLayer<Words>(n);
        // On wide sweeps the orders race, once an eighth of each is swept, by the steps their
        // growth so far foretells: their early layers often grow alike, and the widest layers
        // of an order tell only late.
        const bool foretell = Foretold();
        auto rank = [&](const Racer &racer) {
            if (!foretell) return racer.Total;
            return racer.Done * 8 < n ? racer.Spent : racer.Projected;
        };
        KeyIndex<Words> index;
        // The index is working memory too, claimed while the race lasts.
        struct IndexClaim {
            Work &Meter;
            int64_t Bytes = 0;
            ~IndexClaim() { Meter.Claim(-Bytes); }
        } indexClaim{work};
        size_t finished = count;
        for (;;) {
            size_t i = count;
            for (size_t j = 0; j < count; ++j)
                if (Racers[j].Done < n && !Racers[j].Dropped &&
                    (i == count || rank(Racers[j]) < rank(Racers[i])))
                    i = j;
            if (i == count) break;
            if (finished < count && rank(Racers[i]) >= rank(Racers[finished])) break;
            Racer &racer = Racers[i];
            const size_t p = racer.Done;
            const size_t states = racer.Layers[p].Keys.size();
            if (Plans[i].FirstCheck.empty())
                BuildLayer<Words, false>(Comp, Plans[i], p, racer.Layers[p], racer.Layers[p + 1],
                                         MaxMines, index, work);
            else
                BuildLayer<Words, true>(Comp, Plans[i], p, racer.Layers[p], racer.Layers[p + 1],
                                        MaxMines, index, work);
            // The keys of a layer only serve to build the next one.
            Free(racer.Layers[p].Keys);
            Recount(racer.Layers[p], work);
            Recount(racer.Layers[p + 1], work);
            const auto indexBytes = static_cast<int64_t>(index.Bytes());
            work.Claim(indexBytes - std::exchange(indexClaim.Bytes, indexBytes));
            racer.Spent += static_cast<double>(states) * (Comp.VarSize[Plans[i].Order[p]] + 1);
            ++racer.Done;
            racer.Total += static_cast<double>(racer.Layers[p + 1].Keys.size());
            if (foretell) racer.Projected = racer.Spent + StepsLeftToBuild(i, UsualGrowth);
            work.Figures.Live = static_cast<int64_t>(racer.Layers[p + 1].Keys.size());
            work.Figures.MostLive = std::max(work.Figures.MostLive, work.Figures.Live);
            if (racer.Done == n && (finished == count || rank(racer) < rank(Racers[finished])))
                finished = i;
            if (foretell) Drop(work);
        }
        layers = std::move(Racers[finished].Layers);
        size_t freed = index.Bytes();
        for (Racer &racer : Racers) {
            for (const Layer<Words> &layer : racer.Layers)
                freed += layer.Counted;
            GiveBack(racer.Layers, &work);
        }
        Racers.clear();
        index = KeyIndex<Words>{};
#ifdef __GLIBC__
        // The losing orders' layers lie between the winner's on the heap, where the allocator
        // keeps them; the counting pass takes its memory elsewhere, so they go back now.
        if (freed > (size_t{1} << 24)) malloc_trim(0);
#endif
        steps = std::move(Plans[finished]);
        Plans.clear();
    }

    // The steps ahead while the race lasts: to build the layers, count forward and go back.
    double StepsAhead(double usualGrowth) const
    {
        // Every order is swept about as far as the winner, which ends first; when the
        // race goes by the steps foretold, the others soon stop.
        double winner = INFINITY;
        size_t best = 0;
        for (size_t i = 0; i < Plans.size(); ++i) {
            if (!Racers.empty() && Racers[i].Dropped) continue;
            const double steps = Spent(i) + StepsLeftToBuild(i, usualGrowth);
            if (steps < winner) {
                winner = steps;
                best = i;
            }
        }
        double ahead = 0.0;
        for (size_t i = 0; i < Plans.size(); ++i)
            if ((Racers.empty() || (Racers[i].Done < N && !Racers[i].Dropped)) &&
                (!Foretold() || i == best))
                ahead += std::max(0.0, winner - Spent(i));
        return ahead + 2 * CountingShare * winner;
    }

    // Gives back the layers of every order, and their claims to work when it has one.
    void GiveBackLayers(Work *work)
    {
        for (Racer &racer : Racers)
            GiveBack(racer.Layers, work);
    }

  private:
    struct Racer {
        std::vector<Layer<Words>> Layers;
        double Total = 0.0;     // states kept so far
        double Spent = 0.0;     // steps so far
        size_t Done = 0;        // variables swept
        double Projected = 0.0; // steps so far and those its growth so far foretells
        bool Dropped = false;   // goes no further: its layers are given back
    };

    // On wide sweeps, an unfinished order goes no further, and gives its memory back, once its
    // growth foretells many times the steps of the best order an eighth through: such an order
    // would only take the winner's steps and memory while the race lasts. Orders foretelling
    // about alike race on, since which of them ends cheapest often shows only late.
    void Drop(Work &work)
    {
        constexpr double Hopeless = 4.0;
        const size_t n = N;
        size_t best = Racers.size();
        for (size_t j = 0; j < Racers.size(); ++j) {
            const Racer &racer = Racers[j];
            if (racer.Dropped || racer.Done * 8 < n) continue;
            if (best == Racers.size() || racer.Projected < Racers[best].Projected) best = j;
        }
        if (best == Racers.size()) return;
        for (size_t j = 0; j < Racers.size(); ++j) {
            Racer &racer = Racers[j];
            if (j == best || racer.Dropped || racer.Done == n) continue;
            if (racer.Projected > Hopeless * Racers[best].Projected) {
                GiveBack(racer.Layers, &work);
                racer.Dropped = true;
            }
        }
    }

    double Spent(size_t i) const
    {
        return Racers.empty() ? 0.0 : Racers[i].Spent;
    }

    // Whether the orders race by the steps foretold (wide sweeps).
    bool Foretold() const
    {
        return Plans.size() > 1 && Plans.front().Cost >= WideSweep;
    }

    // The steps plan i still needs to build its layers, from the growth of its states so far.
    double StepsLeftToBuild(size_t i, double usualGrowth) const
    {
        const Plan &plan = Plans[i];
        if (Racers.empty()) return BuildSteps(Comp, plan, 0, 1.0, usualGrowth);
        const Racer &racer = Racers[i];
        if (racer.Done >= plan.Order.size()) return 0.0;
        if (racer.Dropped) return INFINITY;
        double growth = GrowthOf(plan, racer.Layers, racer.Done);
        if (growth < 0.0) growth = usualGrowth;
        return BuildSteps(Comp, plan, racer.Done,
                          static_cast<double>(racer.Layers[racer.Done].Keys.size()), growth);
    }

    const Component &Comp;
    std::vector<Plan> Plans; // the candidate orders, until the race picks one
    std::vector<Racer> Racers;
    int32_t MaxMines;
    size_t N; // the variables of the sweep
};

} // namespace kelvane::solver::detail
#pragma GCC visibility pop
