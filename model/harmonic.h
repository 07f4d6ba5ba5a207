#pragma once

#include "model/figures.h"
#include "model/frequency.h"
#include "model/run.h"

// The harmonic response read on a run whose set point is a sine, beside
// the closed loop's own |T(j w)| and arg T(j w).
namespace labo {

// The model's harmonic response at the sine's pulsation: what the run's
// figures are compared with ("prévu").
struct HarmonicPrediction {
    double ratio;  // |T(j w)|
    double phase;  // arg T(j w), degrees, continuous from 0 at w -> 0
};
HarmonicPrediction PredictHarmonic(const FrequencyResponse& L, double omega);

// The position's sine over the run's last whole period: theta ~ c +
// amplitude sin(w t + phase), fitted by least squares on the samples of
// [t_end - period, t_end], and the same over the period before. The
// transient has died out when the two agree: their difference, as
// phasors, within 1 % of the last one's amplitude.
struct PeriodFit {
    double amplitude;  // degrees
    double phase;      // degrees, in (-180, 180]
    double offset;     // degrees
};
PeriodFit FitPeriod(const Run& run, double from, double to, double omega);

// Rapport d'amplitudes (the position's amplitude over the set point's) and
// Déphasage (degrees, on the branch nearest the model's arg T), read on the
// run's last whole period once the transient has died out; "non atteint",
// with the reason, when the run holds fewer than two whole periods or the
// last two differ by more than 1 %. Each figure's note gives the model's
// value beside it. The loop must be stable and the run whole.
void HarmonicFigures(Figures& figures, const Run& run, const HarmonicPrediction& predicted);

}  // namespace labo
