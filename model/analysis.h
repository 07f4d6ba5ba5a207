#pragma once

#include "model/frequency.h"
#include "model/polynomial.h"
#include "model/settings.h"

#include <complex>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace labo {

struct LinearModel;

using Complex = std::complex<double>;

// The corrector's transfer without its gain: C(s) = K Nc(s) / Dc(s), with
// the roots of Dc as they are known exactly.
struct Transfer {
    Polynomial numerator;
    Polynomial denominator;
    std::vector<Complex> poles;
};
Transfer CorrectorTransfer(const Settings& settings);

// The open loop C(s) G(s) = K Q(s) / P(s), without the chopper's limit.
struct OpenLoop {
    Polynomial P;                // Dc(s) s (s + a) (s + am)
    Polynomial Q;                // Gain Nc(s)
    std::vector<Complex> poles;  // the roots of P
    std::vector<Complex> zeros;  // the roots of Q: the closed loop's zeros too
};
OpenLoop OpenLoopOf(const Settings& settings);

// C(j w) G(j w) with gain K, and its phase in degrees, continuous in w from
// its low-frequency value (-90 for P and PD, -180 with an integral).
Complex OpenLoopAt(const OpenLoop& loop, double K, double w);
double OpenLoopPhase(const OpenLoop& loop, double w);

// A complex pole's damping, -Re p / |p|, and natural pulsation |p| (rad/s).
struct PoleShape {
    double damping;
    double pulsation;
};
PoleShape ShapeOf(const Complex& pole);

// The closed loop's poles: the eigenvalues of the linear model's state
// matrix, by Eigen, with gain K, sorted by decreasing real part.
std::vector<Complex> ClosedLoopPoles(const Settings& settings, double K);
bool IsStable(const LinearModel& model);

// A gain where a pole crosses the imaginary axis, at +-j omega.
struct Crossing {
    double K;
    double omega;  // rad/s
};

// The gains from `from` to `to` (infinite when there is no end) for which
// the loop is stable.
struct GainRange {
    double from;
    double to;
};

struct Analysis {
    std::vector<Complex> poles;  // by decreasing real part
    std::vector<Complex> zeros;
    bool stable = false;
    // The dominant pair: the complex pair nearest the imaginary axis, or
    // the two slowest real poles; its damping and natural pulsation.
    bool hasDominant = false;
    double damping = 0;
    double naturalPulsation = 0;  // rad/s
    std::vector<Crossing> crossings;    // every K > 0 where a pole crosses, by K
    std::vector<GainRange> stableGains;
    // The gain critique shown: where the stable range of K, or the one
    // nearest K when K is outside them, ends upward. None when the loop
    // stays stable for any larger K, or is stable for none.
    std::optional<Crossing> critical;
    // Marge de gain: the factor on K to the nearest end of that range,
    // with the pulsation there; over 1 for a stable loop, under 1 for an
    // unstable one; infinite when the range has no end, none when no gain
    // makes the loop stable. `gainMarginBelow` when that end is below K:
    // lowering K, not raising it, changes the loop's stability.
    bool hasGainMargin = false;
    double gainMargin = std::numeric_limits<double>::infinity();
    double gainMarginOmega = 0;
    bool gainMarginBelow = false;
    // Marge de phase: 180 + arg CG where |CG| = 1 (the smallest, if more
    // than one), with that pulsation.
    bool hasPhaseMargin = false;
    double phaseMargin = 0;  // degrees
    double phaseMarginOmega = 0;
    double phaseMarginPhase = 0;  // the open loop's phase there, degrees, as OpenLoopPhase draws it
    // The closed loop's resonance and bandwidth and the modulus margin,
    // read on the open loop's frequency response (frequency.h).
    FrequencyFigures frequency;
    // A sampled loop's period, s: its poles and zeros are then in z, stable
    // inside the unit circle; 0 for a continuous loop.
    double samplingPeriod = 0;
    // In French, how a sampled or delayed loop is analysed, what is exact
    // and what approximated (beyond_analysis.h); and what the analysis
    // leaves out of the run ("sans le frottement sec, le jeu ni la
    // résolution du capteur"). Empty when there is nothing to say.
    std::string method;
    std::string leftOut;
    // A delayed continuous loop's poles and locus: the order of the Padé
    // approximant that stands for the delay; 0 for none.
    int padeOrder = 0;
};

// A sampled or delayed loop is analysed in beyond_analysis.cpp.
Analysis Analyse(const Settings& settings);

// The dominant pair of `a.poles` (sorted by decreasing real part), into
// `a`; and, from `a.stableGains` and `a.crossings`, the critical gain and
// the gain margin at K.
void ReadDominant(Analysis& a);
void ReadGainMargin(Analysis& a, double K);

// The gain margin in dB, when it is finite.
std::optional<double> GainMarginDb(const Analysis& analysis);

// What the page's views sweep over: the root locus's gains, from 1 to the
// K slider's end, and Bode's pulsations (rad/s), each `count` values spaced
// evenly on a logarithmic scale.
struct Sweep {
    double low;
    double high;
    int count;
};
inline constexpr Sweep LocusSweep{1, 10000, 500};
inline constexpr Sweep BodeSweep{0.01, 1000, 300};

// The root locus: the closed loop's poles at `count` gains spaced evenly on
// a logarithmic scale from `low` to `high`, each branch kept in its place
// from one gain to the next.
struct Locus {
    std::vector<double> gains;
    std::vector<std::vector<Complex>> poles;  // poles[i][branch] at gains[i]
};
Locus RootLocus(const Settings& settings, double low = 1, double high = 10000, int count = 500);

// Bode of the open loop: gain (dB) and phase (degrees) at `count` pulsations
// spaced on a logarithmic scale from `low` to `high` (rad/s).
struct BodePoint {
    double omega;
    double gainDb;
    double phase;
};
std::vector<BodePoint> Bode(const Settings& settings, double low, double high, int count);

}  // namespace labo
