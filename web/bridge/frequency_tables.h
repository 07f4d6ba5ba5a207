#pragma once

#include "web/bridge/tables.h"

// The frequency views' tables of numbers, a column after another as the
// page reads them (tables.h).
namespace labo {

// Nyquist's curve for w > 0 (its mirror is w < 0): omega (rad/s), re, im,
// and module |L| and phase (degrees, continuous), from where it comes down
// from infinity to the arcs' radius (see frequency_views.h), at `count`
// pulsations.
Table NyquistTable(const Settings& settings, int count);

// Bode's asymptotes over a sweep's ends: omega (rad/s), gain (dB), phase
// (degrees), the points of the lines, two at each break; none for a sampled
// or delayed loop.
Table AsymptotesTable(const Settings& settings, const Sweep& pulsations);

// The Black-Nichols contours over the phases from `low` to `high`
// (degrees): niveau (dB), phase (degrees), gain (dB), and etiquette, 1 at
// the point where the contour's level is written; a row of NaN between two
// lines.
Table NicholsTable(double low, double high);

}  // namespace labo
