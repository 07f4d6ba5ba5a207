#pragma once

#include "model/analysis.h"

#include <vector>

// The asymptotic Bode diagram of a continuous open loop K Q(s) / P(s): its
// break pulsations, the first segment's slope and phase, and the straight
// lines between the breaks.
namespace labo {

// A break: a real pole's or zero's |p|, or a complex pair's natural
// pulsation, with how many roots break there. Roots in the right
// half-plane turn the phase the other way.
struct Break {
    double omega;    // rad/s
    int poles;       // the poles that break there: 1, 2 for a pair (or a double pole)
    int zeros;       // the zeros that break there
    bool pair;       // a complex pair's, rather than real roots'
    int phaseTurns;  // the phase's step there, in quarter turns (+1 for a left zero, -1 for a left pole)
};

struct Asymptotes {
    int integrators = 0;      // the open loop's poles at s = 0
    double slope = 0;         // the first segment's, dB per decade: -20 per integrator
    double startPhase = 0;    // the first segment's phase, degrees: -90 per integrator
    double lowGainDb = 0;     // 20 log10 of K Q(0) / (P(s) / s^n at 0): the first segment is lowGainDb + slope log10 w
    std::vector<Break> breaks;  // by increasing pulsation
};
Asymptotes AsymptotesOf(const OpenLoop& loop, double K);

// The asymptotes from `low` to `high` (rad/s) as a line through points:
// the gain (dB) and the phase (degrees), two points at each break, the
// phase's before its step and after it.
std::vector<BodePoint> AsymptoticLines(const Asymptotes& asymptotes, double low, double high);

}  // namespace labo
