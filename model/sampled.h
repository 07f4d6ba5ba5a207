#pragma once

#include "model/frequency.h"
#include "model/settings.h"

#include <Eigen/Core>

#include <complex>
#include <vector>

// The sampled loop, exactly, at its sampling instants: the plant (chopper,
// motor, gearbox and sensor, from the chopper's input to the sensor's
// voltage Kpot theta) behind its zero-order hold and the delay, discretized
// by the matrix exponential, and the corrector discretized by substitution
// (digital.h). A delay of d whole periods and a fraction tau' of one is
// exact too: over a period the chopper receives u(k - d - 1) for tau', then
// u(k - d), so that
//   x(k + 1) = Phi x(k) + Gamma0 u(k - d) + Gamma1 u(k - d - 1),
//   Gamma0 = int_0^(Te - tau') e^(A s) B ds,
//   Gamma1 = int_(Te - tau')^Te e^(A s) B ds
// (the modified z-transform, as a state-space model).
namespace labo {

using Complex = std::complex<double>;

struct SampledPlant {
    double Te = 0;
    int periods = 0;        // d, the delay's whole periods
    double fraction = 0;    // tau', the rest of the delay, s (0 <= tau' < Te)
    Eigen::Matrix3d Phi;
    Eigen::Vector3d Gamma0;
    Eigen::Vector3d Gamma1;  // 0 without a fraction
    Eigen::RowVector3d C;    // Kpot theta
    // The registers of u the delay needs: d, and one more with a fraction.
    int registers() const { return periods + (fraction > 0 ? 1 : 0); }
};
SampledPlant DiscretizePlant(double Te, double delay);

// The closed loop's state matrix in z with gain K, from the plant's state,
// the corrector's (its direct form's) and the delay's registers of u: its
// eigenvalues are the closed loop's poles.
Eigen::MatrixXd SampledLoopMatrix(const Settings& settings, const SampledPlant& plant, double K);
// Its size, without building it.
int SampledLoopOrder(const Settings& settings, const SampledPlant& plant);

// The open loop L(z) = C(z) H(z) factored: K lead prod(z - zeros) /
// (prod(z - poles) z^delayed), the delay's poles at z = 0 apart.
struct SampledOpenLoop {
    double lead = 0;  // without K
    std::vector<Complex> zeros;
    std::vector<Complex> poles;
    int delayed = 0;
    int integrators = 0;  // the poles at z = 1
    double Te = 0;
};
SampledOpenLoop SampledOpenLoopOf(const Settings& settings);

// L(exp(j w Te)) as frequency.h reads loops, up to pi / Te; its phase
// continuous in w, -90 per integrator at w -> 0.
FrequencyResponse SampledResponse(const Settings& settings, double K);

// A pole in z as the continuous pole it stands for, ln(z) / Te; none for z = 0.
Complex ContinuousEquivalent(const Complex& z, double Te);

}  // namespace labo
