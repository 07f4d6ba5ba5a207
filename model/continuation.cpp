#include "model/continuation.h"

#include "model/decimal.h"
#include "model/matrices.h"
#include "model/run.h"

#include <Eigen/LU>

#include <cmath>
#include <complex>

namespace labo {
namespace {

constexpr double settledWithin = 1e-6;  // rad
constexpr double longest = 300;         // s

std::string volts(double v)
{
    return FormatFixed(v, 1, ',') + " V";
}

}  // namespace

Continuation Continue(const LinearModel& model, const State& x, const HeldInputs& inputs, double limit,
                      const std::string& until)
{
    Continuation c;
    const Eigen::MatrixXd& A = model.A;
    const auto outside = [limit](double u) { return limit > 0 && std::fabs(u) > limit; };

    // Where it goes: x(tau) -> X0 + X1 tau, with A X1 + Br slope = 0 and
    // A X0 + Br setPoint + Bw windTorque = X1.
    const Eigen::PartialPivLU<Eigen::MatrixXd> lu(A);
    const Eigen::VectorXd X1 = lu.solve(-model.Br * inputs.slope);
    const Eigen::VectorXd X0 = lu.solve(X1 - model.Br * inputs.setPoint - model.Bw * inputs.windTorque);
    c.settledTheta = model.Ctheta * X0;
    c.settledError = inputs.setPoint - c.settledTheta;
    c.settledCommand = model.Cu * X0 + model.Du * inputs.setPoint;  // constant: Cu X1 + Du slope = 0

    Eigen::VectorXd z = model.from(x) - X0;
    const double now = model.Cu * model.from(x) + model.Du * inputs.setPoint;
    if (outside(c.settledCommand)) {
        c.reason = "au repos, la commande (" + volts(c.settledCommand) + ") dépasserait la limite du hacheur (±" +
                   volts(limit) + ")";
        return c;
    }
    if (outside(now)) {
        c.reason = "le hacheur limite encore la commande à " + until;
        return c;
    }

    // A bound on what is left of theta's and u's motion, from the modes:
    // sum over i of |C v_i| |(V^-1 z)_i|, which never grows.
    const Eigen::MatrixXcd V = Eigenvectors(A);
    const Eigen::MatrixXcd W = V.inverse();
    const Eigen::RowVectorXd thetaWeights = (model.Ctheta.cast<std::complex<double>>() * V).cwiseAbs();
    const Eigen::RowVectorXd commandWeights = (model.Cu.cast<std::complex<double>>() * V).cwiseAbs();
    const auto left = [&W](const Eigen::VectorXd& deviation, const Eigen::RowVectorXd& weights) {
        return (weights * (W * deviation.cast<std::complex<double>>()).cwiseAbs()).value();
    };

    const Eigen::MatrixXd step = Exponential(A * SampleInterval);
    const auto samples = static_cast<int>(longest / SampleInterval);
    c.theta.reserve(1024);
    for (int k = 1; k <= samples; ++k) {
        z = step * z;
        const double tau = k * SampleInterval;
        const Eigen::VectorXd state = X0 + X1 * tau + z;
        c.theta.push_back(model.Ctheta * state);
        const double u = model.Cu * state + model.Du * (inputs.setPoint + inputs.slope * tau);
        if (outside(u)) {
            c.reason = "la commande dépasserait la limite du hacheur après " + until;
            return c;
        }
        // The bound is worth its cost once a second of the future.
        if (k % 100 == 0 || k == samples) {
            c.remaining = left(z, thetaWeights);
            if (c.remaining < settledWithin)
                break;
        }
    }
    if (limit > 0 && std::fabs(c.settledCommand) + left(z, commandWeights) > limit) {
        c.reason = "la commande pourrait encore atteindre la limite du hacheur après " + until;
        return c;
    }
    c.valid = true;
    return c;
}

}  // namespace labo
