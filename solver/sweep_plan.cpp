#include "sweep_plan.h"

#include <algorithm>
#include <numeric>
#include <tuple>
#include <utility>

namespace kelvane::solver::detail
{
namespace
{

// The working lists of MakePlan, kept by the thread: planning the many small sweeps of play
// takes no memory from the system.
struct PlanLists {
    std::vector<int32_t> First, Last, Left, SlotOf, Shared, TouchedAt, Partners, Open;
    std::vector<bool> Used;
};

// The plan of a sweep in the given order; with pairChecks, also the checks of pairs of numbers
// that let it drop at once the states no arrangement can complete.
Plan MakePlan(const Component &comp, std::vector<int32_t> order, bool pairChecks = false)
{
    const size_t numbers = comp.Need.size();
    thread_local PlanLists lists;
    std::vector<int32_t> &first = lists.First, &last = lists.Last, &left = lists.Left;
    first.assign(numbers, -1);
    last.assign(numbers, -1);
    left.assign(numbers, 0);
    size_t touches = 0;
    for (size_t p = 0; p < order.size(); ++p) {
        const int32_t var = order[p];
        touches += static_cast<size_t>(comp.VarNumbers[var].Count);
        for (int32_t j : comp.VarNumbers[var]) {
            if (first[j] < 0) first[j] = static_cast<int32_t>(p);
            last[j] = static_cast<int32_t>(p);
            left[j] += comp.VarSize[var];
        }
    }
    // Where each number's variables come in the order.
    std::vector<std::vector<int32_t>> stepsOf(pairChecks ? numbers : 0);
    for (size_t p = 0; p < order.size() && pairChecks; ++p)
        for (int32_t j : comp.VarNumbers[order[p]])
            stepsOf[j].push_back(static_cast<int32_t>(p));
    Plan plan;
    plan.Touches.reserve(touches);
    plan.FirstTouch.reserve(order.size() + 1);
    plan.Bound.reserve(order.size());
    if (pairChecks) plan.FirstCheck.reserve(order.size() + 1);
    std::vector<int32_t> &slotOf = lists.SlotOf, &shared = lists.Shared;
    std::vector<int32_t> &touchedAt = lists.TouchedAt, &partners = lists.Partners;
    slotOf.assign(numbers, -1);
    shared.assign(pairChecks ? numbers : 0, 0);
    touchedAt.assign(pairChecks ? numbers : 0, -1);
    std::vector<bool> &used = lists.Used;
    used.clear();
    std::vector<int32_t> &open = lists.Open; // the numbers touched before and after this step
    open.clear();
    int32_t inUse = 0;
    for (size_t p = 0; p < order.size(); ++p) {
        const int32_t var = order[p];
        plan.FirstTouch.push_back(static_cast<int32_t>(plan.Touches.size()));
        for (int32_t j : comp.VarNumbers[var]) {
            int32_t add = 0;
            if (first[j] == static_cast<int32_t>(p)) {
                const auto free = std::find(used.begin(), used.end(), false);
                slotOf[j] = static_cast<int32_t>(free - used.begin());
                if (free == used.end())
                    used.push_back(true);
                else
                    *free = true;
                add = comp.Need[j];
                plan.Width = std::max(plan.Width, ++inUse);
            }
            left[j] -= comp.VarSize[var];
            plan.Touches.push_back({slotOf[j], add, left[j]});
            if (pairChecks) touchedAt[j] = static_cast<int32_t>(p);
        }
        if (pairChecks) plan.FirstCheck.push_back(static_cast<int32_t>(plan.Checks.size()));
        for (int32_t a : comp.VarNumbers[var]) {
            if (!pairChecks || last[a] == static_cast<int32_t>(p)) continue;
            // The sectors a shares with each number over the variables still to come.
            partners.clear();
            for (auto q = std::upper_bound(stepsOf[a].begin(), stepsOf[a].end(),
                                           static_cast<int32_t>(p));
                 q != stepsOf[a].end(); ++q) {
                const int32_t later = order[*q];
                for (int32_t b : comp.VarNumbers[later]) {
                    if (b == a) continue;
                    if (shared[b] == 0) partners.push_back(b);
                    shared[b] += comp.VarSize[later];
                }
            }
            for (int32_t b : partners) {
                // A pair of two numbers touched here is checked once.
                const bool bTouched = touchedAt[b] == static_cast<int32_t>(p);
                if (!bTouched || a < b) {
                    const bool bOpen = first[b] <= static_cast<int32_t>(p);
                    plan.Checks.push_back({slotOf[a], bOpen ? slotOf[b] : -1, comp.Need[b],
                                           left[a] - shared[b], left[b] - shared[b], shared[b]});
                }
                shared[b] = 0;
            }
        }
        for (int32_t j : comp.VarNumbers[var]) {
            if (first[j] == static_cast<int32_t>(p) && last[j] > static_cast<int32_t>(p))
                open.push_back(j);
            if (last[j] == static_cast<int32_t>(p)) {
                used[slotOf[j]] = false;
                --inUse;
                if (first[j] < static_cast<int32_t>(p))
                    open.erase(std::find(open.begin(), open.end(), j));
            }
        }
        // The open numbers after this step, each with the needs it may still have.
        double states = 1.0;
        for (int32_t j : open)
            states *= std::min(comp.Need[j], left[j]) + 1;
        plan.Cost += std::min(states, 1e30);
        plan.Bound.push_back(std::min(states, 1e30));
    }
    plan.FirstTouch.push_back(static_cast<int32_t>(plan.Touches.size()));
    if (pairChecks) plan.FirstCheck.push_back(static_cast<int32_t>(plan.Checks.size()));
    plan.Order = std::move(order);
    return plan;
}

// Variables sorted by the key (major, minor) of each.
template <typename KeyOf> std::vector<int32_t> SortedBy(const Component &comp, KeyOf keyOf)
{
    std::vector<int32_t> order(comp.VarSize.size());
    std::iota(order.begin(), order.end(), 0);
    // No two variables start at the same sector, so the orders need no stable sort.
    std::sort(order.begin(), order.end(),
              [&](int32_t a, int32_t b) { return keyOf(a) < keyOf(b); });
    return order;
}

} // namespace

std::vector<Plan> CandidatePlans(const Component &comp)
{
    const std::vector<int32_t> byColumn =
        SortedBy(comp, [&](int32_t v) { return std::pair(comp.VarColumn[v], comp.VarRow[v]); });
    const std::vector<int32_t> byRow =
        SortedBy(comp, [&](int32_t v) { return std::pair(comp.VarRow[v], comp.VarColumn[v]); });
    std::vector<Plan> plans;
    plans.reserve(4);
    plans.push_back(MakePlan(comp, byColumn));
    plans.push_back(MakePlan(comp, byRow));
    if (comp.VarSize.size() > 16) {
        plans.push_back(MakePlan(comp, {byColumn.rbegin(), byColumn.rend()}));
        plans.push_back(MakePlan(comp, {byRow.rbegin(), byRow.rend()}));
    }
    // Best bound first, ties in the order above (an insertion sort: a few plans at most).
    auto byCost = [](std::vector<Plan> &list) {
        for (size_t i = 1; i < list.size(); ++i)
            for (size_t j = i; j > 0 && list[j].Cost < list[j - 1].Cost; --j)
                std::swap(list[j], list[j - 1]);
    };
    byCost(plans);
    // Cheap sweeps take the best bound; the others race the orders within reach of it.
    constexpr double WorthTrying = 1e5;
    if (plans[0].Cost >= WideSweep) {
        for (int32_t phase = 0; phase < 2; ++phase) {
            const std::vector<int32_t> byColumns = SortedBy(comp, [&](int32_t v) {
                return std::tuple((comp.VarColumn[v] + phase) / 2, comp.VarRow[v],
                                  comp.VarColumn[v]);
            });
            const std::vector<int32_t> byRows = SortedBy(comp, [&](int32_t v) {
                return std::tuple((comp.VarRow[v] + phase) / 2, comp.VarColumn[v], comp.VarRow[v]);
            });
            plans.push_back(MakePlan(comp, byColumns));
            plans.push_back(MakePlan(comp, byRows));
            plans.push_back(MakePlan(comp, {byColumns.rbegin(), byColumns.rend()}));
            plans.push_back(MakePlan(comp, {byRows.rbegin(), byRows.rend()}));
        }
        byCost(plans);
    }
    size_t count = 1;
    if (plans[0].Cost >= WorthTrying)
        while (count < plans.size() && plans[count].Cost < 3 * plans[0].Cost)
            ++count;
    plans.resize(count);
    // Costly sweeps drop at once the states that break a pair of numbers; the checks cost more
    // than they save on cheap ones.
    constexpr double CheckedSweep = 1e5;
    if (plans[0].Cost >= CheckedSweep)
        for (Plan &plan : plans)
            plan = MakePlan(comp, std::move(plan.Order), true);
    return plans;
}

} // namespace kelvane::solver::detail
