#pragma once

// The loop's frequency response, and the figures read on it.
//
// An open loop is handed to the functions below as its frequency response,
// a callable L(w) with what they need to know of it, rather than as
// polynomials: so that the same numerics read the resonance, the bandwidth,
// the modulus margin, the crossovers and Nyquist's count on every loop the
// laboratory models. OpenLoopResponse builds it for a set-up; each kind of
// loop is a branch there:
//   - a continuous corrector: L(j w) = C(j w) G(j w), from the open loop's
//     polynomials (analysis.h), its phase the sum of its factors' angles;
//   - with a pure delay: the same times exp(-j w delay), its phase lowered
//     by w delay (in degrees), which keeps it continuous;
//   - with a sampled corrector: L(exp(j w Te)), the corrector's and the
//     plant's zero-order-hold transfers in z, read up to `highest` = pi / Te,
//     its integrators the poles at z = 1.
// The functions only call `at` and `phase`: they never look at how the loop
// was made. Where the continuous undelayed loop has exact answers (its
// margins and critical gains, from polynomials, in analysis.cpp), those stay
// in use; these numerics serve what has no closed form and every other kind
// of loop.
//
// The searches sample the pulsations over SearchRange on a logarithmic grid
// fine enough for the loops' breaks (SearchPointsPerDecade), then refine each
// bracketed root by bisection (to about 1e-15 of w) and each extremum by
// bisection on the sign of its slope (to about 1e-11 of w, however flat):
// features narrower than the grid's step that no sample sees (two crossings
// within one step) are outside what they promise.

#include "model/settings.h"

#include <complex>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

namespace labo {

using Complex = std::complex<double>;

struct FrequencyResponse {
    // L at the pulsation w > 0 (rad/s), the gain K included.
    std::function<Complex(double)> at;
    // arg L(w) in degrees, continuous in w from its low-frequency value:
    // -90 per integrator (for a positive gain). Its value modulo 360 is
    // arg at(w).
    std::function<double(double)> phase;
    int integrators = 0;    // L's poles at s = 0 (z = 1 for a sampled loop)
    int unstablePoles = 0;  // L's poles with Re s > 0 (|z| > 1), for Nyquist's count
    // The highest pulsation L is read up to: infinite for a continuous loop,
    // pi / Te for a sampled one (beyond, its response repeats).
    double highest = std::numeric_limits<double>::infinity();
    double gain = 0;        // the K it was made with
};

// A ratio in decibels: 20 log10(ratio).
double Decibels(double ratio);

// A phase in degrees brought into (-180, 180].
double WrappedPhase(double degrees);

// The open loop of a set-up, with gain K (settings.K by default), without
// the chopper's limit (nor any other nonlinearity).
FrequencyResponse OpenLoopResponse(const Settings& settings, double K);
FrequencyResponse OpenLoopResponse(const Settings& settings);

// The closed loop T = L / (1 + L) at w.
Complex ClosedLoopAt(const FrequencyResponse& L, double w);
// |T| at w -> 0: 1 when L has an integrator, else |L(0)| / |1 + L(0)|.
double StaticClosedLoopGain(const FrequencyResponse& L);
// arg T(w) in degrees, continuous in w from 0 at w -> 0 (for a positive
// static gain), followed along the pulsations from the search's lowest;
// and the same at each of increasing pulsations, followed from one to the
// next.
double ClosedLoopPhase(const FrequencyResponse& L, double w);
std::vector<double> ClosedLoopPhases(const FrequencyResponse& L, const std::vector<double>& omegas);

// The pulsations the searches run over, rad/s: from 1e-5 to 1e5, or to
// `highest` when it is lower.
struct PulsationRange {
    double low;
    double high;
};
PulsationRange SearchRange(const FrequencyResponse& L);
inline constexpr int SearchPointsPerDecade = 60;

// The pulsations, increasing, where |L| = 1 (the gain crossovers) and where
// arg L = -180 + 360 k for some integer k (the phase crossovers).
std::vector<double> GainCrossovers(const FrequencyResponse& L);
std::vector<double> PhaseCrossovers(const FrequencyResponse& L);

// Nyquist: the closed loop's poles with Re s > 0 (|z| > 1): the clockwise
// turns of 1 + L about 0 along the whole contour (w from -inf to +inf, then
// the arcs at infinity that L's integrators close, clockwise), plus L's own
// unstable poles. None when the loop passes exactly through -1.
std::optional<int> ClosedLoopUnstablePoles(const FrequencyResponse& L);

// The figures of the closed loop's frequency response.
struct FrequencyFigures {
    // Facteur de résonance: Q = max |T| / |T(0)| where it exceeds 1, at
    // omega_r; none when |T| never exceeds |T(0)| ("pas de résonance").
    bool resonates = false;
    double resonance = 1;  // Q, a ratio
    double resonanceOmega = 0;
    // Bande passante à -3 dB: the lowest w where |T| falls below
    // |T(0)| / sqrt(2); none when it stays above it over the search.
    bool hasBandwidth = false;
    double bandwidth = 0;
    // Marge de module: min |1 + L| over w, at its pulsation.
    double modulusMargin = 0;
    double modulusOmega = 0;
};
FrequencyFigures ReadFrequencyFigures(const FrequencyResponse& L);

}  // namespace labo
