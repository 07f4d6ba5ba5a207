#pragma once

#include "model/loop.h"
#include "model/settings.h"

#include <Eigen/Core>

#include <vector>

namespace labo {

// The loop without the chopper's limit, as a state-space model over the
// states the controller really uses (Ea, wm, theta, then the integral and
// the filter when it has them; a lead or lag has the filter):
//   dx/dt = A x + Br theta_c + Bw Tw,  theta = Ctheta x,  u = Cu x + Du theta_c
struct LinearModel {
    Eigen::MatrixXd A;
    Eigen::VectorXd Br;
    Eigen::VectorXd Bw;
    Eigen::RowVectorXd Ctheta;
    Eigen::RowVectorXd Cu;
    double Du = 0;

    Eigen::VectorXd from(const State& x) const;  // the active part of a state
    State to(const Eigen::VectorXd& x) const;
    int size() const { return static_cast<int>(A.rows()); }

private:
    friend LinearModel Linearize(const Settings& settings, double K);
    bool integral_ = false;
    bool filter_ = false;
};

// The model of the set-up's loop, with gain K in place of settings.K.
LinearModel Linearize(const Settings& settings, double K);
inline LinearModel Linearize(const Settings& settings)
{
    return Linearize(settings, settings.K);
}

}  // namespace labo
