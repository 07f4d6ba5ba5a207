#pragma once

#include "model/figures.h"
#include "model/run.h"

// The figures of a run beyond the linear loop (extended_run.h), read on the
// run itself: the final value is where the run comes to rest, found by
// going on with the same loop after the run's end (RunAfter) until it is
// at rest (limit_cycle.h), in a limit cycle, or 60 s have passed. A run
// that keeps oscillating reads "non atteint : cycle limite d'amplitude ...
// et de période ...". The figures' definitions are those of figures.cpp,
// which reads them once the final value is known.
namespace labo {

// Fills the figures `f` has left to read (those that apply to the set-up:
// ComputeFigures has set the others).
void FiguresOnRun(Figures& f, const Run& run);

}  // namespace labo
