// The engine object behind the C contract of kelvane_engine.h, shared by kelvane.so and the
// tests (which drive it through its table exactly as the program does).
//
// What a run reports through the sink, and so what the statistics panel shows:
//   ResetRunCounters, then SetMaxCombinations(budget, 0): "Max Combinations" is the run's work
//     budget, 2^StepDepth steps in "Advanced" (StepDepth taken into 20..30) and 2^30 in
//     "Simple". A step is one partial arrangement tried, or one transition of the sweep
//     applied, in either of its passes.
//   SetSectorCounts(closed, open, groups): "Adjacent Closed Sectors" are the unknown sectors
//     next to an open number (closed ones, and marked ones whose markers the run ignores);
//     "Adjacent Open Sectors" the open numbers next to them; "Adjacent Partial Sectors" the
//     groups they form with duplicate checking (sectors touching exactly the same numbers
//     count once), or the sectors themselves without it.
//   AppendSectorCounts(closed, open, groups): the same three once the sectors that every
//     arrangement agrees on are settled (a number needing none, or all, of its sectors);
//     what remains is what the sweep counts.
//   HighlightSector on every closed sector of a component as its sweep begins.
//   ReportProgress(run, runs, live, most, steps, percent) every 30 ms of work and once at the
//     end of a finished run: "Run" is the component being swept of the independent
//     components (sectors linked through shared numbers); "Successful" the consistent
//     partial states the sweep holds at the current step and, in brackets, the most it has
//     held in this run; "Combinations" the steps so far, the same count Calculate returns;
//     the bar the share of the sweep done. Counts above 2^31 - 1 show as 2^31 - 1.
//   Finished: Prob of every closed and marked sector, DrawClosedSector on each closed one,
//     RefreshBoard, ShowStatusDone ("Finished"). Halted, by Escape or because the budget or
//     the working memory (1 GiB) ran out, which sets HaltRequest: no Prob written, the
//     highlighted sectors drawn back, RefreshBoard, ShowStatusDone ("Halted"); a run the budget
//     stopped returns more steps than SetMaxCombinations announced, any other halted run no
//     more, which tells a caller that never halts the run the two causes apart. Error, for a
//     record out of range or a position no arrangement of the mines agrees with: the same
//     with ShowStatusError.
//
// The probabilities: in "Advanced" every way to lay the remaining mines on the unknown
// sectors that agrees with every open number is equally likely. In "Simple" every
// arrangement of the sectors next to numbers counts once (if the rest of the mines fit
// elsewhere) and the sectors away from numbers share the mines those arrangements leave, on
// average; it is approximate. Triggered mines are mines; with Fair Play the corners are safe.
// Markers: "Minimal" takes them as mines (a position they make impossible is an error),
// "Optimal" (and any value but 0 and 2) takes them as mines unless that is impossible, and
// "Maximal" ignores them.
#pragma once

#include "kelvane_engine.h"
#include "solver.h"

namespace kelvane::solver
{

// A new engine object. The program never destroys its engine; tools and tests that make
// their own give it back with DeleteEngineObject.
ProbabilityEngine *NewEngineObject();
void DeleteEngineObject(ProbabilityEngine *engine);

// Lays a position into a game record as the program would hold it: field, counts, states,
// numbers of open sectors, Prob -1 on closed and marked sectors (0 open, 1 triggered).
// The options and the flags are left to the caller.
void LoadPosition(TGameState &game, const Position &position);

} // namespace kelvane::solver
