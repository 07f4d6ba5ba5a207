#pragma once

#include "model/frequency.h"

#include <optional>
#include <vector>

// What the frequency views draw, worked out on an open loop's frequency
// response: the closed loop's Bode, Nyquist's curve with its arcs at
// infinity, and the Black-Nichols chart's contours.
namespace labo {

// The closed loop T = L / (1 + L) at pulsations given in increasing order:
// |T| in dB and arg T in degrees, continuous from 0 at w -> 0.
struct ClosedLoopPoint {
    double gainDb;
    double phase;
};
std::vector<ClosedLoopPoint> ClosedLoopBode(const FrequencyResponse& L, const std::vector<double>& omegas);

// Nyquist's curve: L(j w) for w > 0 from where |L| comes down to `radius`
// (w -> 0+ sends it to infinity when L has an integrator) to where it has
// shrunk to the origin; w < 0 gives its mirror image in the real axis. The
// arcs at infinity that the integrators close are drawn at `radius`: from
// the mirror's end, at arcFrom degrees (w = 0-), clockwise to the curve's
// start, at arcTo (w = 0+), turning 180 degrees per integrator. `radius` holds
// the critical point and where the curve crosses the real axis on its left.
struct Nyquist {
    std::vector<double> omega;
    std::vector<Complex> L;
    double radius = 0;
    bool arc = false;  // when L has an integrator
    double arcFrom = 0;
    double arcTo = 0;
    // The closed loop's unstable poles by Nyquist's count; none when the
    // curve passes through -1.
    std::optional<int> unstable;
};
Nyquist NyquistOf(const FrequencyResponse& L, int count);

// The Black-Nichols chart: the closed loop's iso-gain contours |T| = M in
// the Black plane (the open loop's phase in degrees, its gain in dB), for
// the levels M (dB) of NicholsLevels, over the phases from `low` to `high`.
// Each contour is a line through its points, one for each turn of the phase
// it appears in for M > 0 dB (a closed curve about -180 + 360 k degrees),
// one across the phases otherwise (broken where 0 dB goes off to infinity);
// its level is written at point `label`, or nowhere when it is past the end:
// the top or the left end of a closed curve, a level in two; -90 degrees
// (-100 for 0 dB) on the others.
inline constexpr double NicholsLevels[] = {6, 3, 2.3, 1, 0, -1, -3, -6, -12, -20};
struct NicholsContour {
    double level;  // dB
    std::vector<double> phase;
    std::vector<double> gainDb;
    std::size_t label = 0;
};
std::vector<NicholsContour> NicholsContours(double low, double high);

}  // namespace labo
