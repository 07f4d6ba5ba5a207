#pragma once

#include "model/frequency.h"
#include "model/settings.h"

#include <Eigen/Core>

// A pure delay in a continuous loop. Its frequency response is exact,
// e^(-j w delay); the closed loop's poles, which are infinitely many, are
// those of the loop with the delay replaced by its Padé approximant of
// order m (m zeros, m poles), the order chosen so that its phase is within
// a degree of the delay's up to the pulsations that matter.
namespace labo {

// The Padé approximant of e^(-s delay) of order m, as a state-space model
// in modal form (a real block a pole or a pair of poles), well conditioned
// up to the highest order.
struct Pade {
    int order = 0;
    double delay = 0;
    Eigen::MatrixXd A;
    Eigen::VectorXd B;
    Eigen::RowVectorXd C;
    double D = 1;
};
Pade PadeOf(double delay, int order);
inline constexpr int HighestPadeOrder = 10;

// How far the approximant's phase is from the delay's at w, degrees.
double PadePhaseError(const Pade& pade, double w);

// The lowest order whose phase is within `degrees` of the delay's up to w.
int PadeOrderFor(double delay, double w, double degrees);

// The closed loop's state matrix with gain K and the approximant between
// the corrector and the chopper.
Eigen::MatrixXd DelayedLoopMatrix(const Settings& settings, double K, const Pade& pade);

// The open loop C G e^(-j w delay) as frequency.h reads loops, its phase
// lowered by w delay; read up to where |L| falls below 1e-4, past which its
// phase turns on without end but the loop no longer counts.
FrequencyResponse DelayedResponse(const Settings& settings, double K);

}  // namespace labo
