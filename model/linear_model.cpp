#include "model/linear_model.h"

#include "model/plant.h"

namespace labo {

Eigen::VectorXd LinearModel::from(const State& x) const
{
    Eigen::VectorXd v(size());
    v(0) = x.Ea;
    v(1) = x.wm;
    v(2) = x.theta;
    int next = 3;
    if (integral_)
        v(next++) = x.integral;
    if (filter_)
        v(next) = x.filter;
    return v;
}

State LinearModel::to(const Eigen::VectorXd& v) const
{
    State x;
    x.Ea = v(0);
    x.wm = v(1);
    x.theta = v(2);
    int next = 3;
    if (integral_)
        x.integral = v(next++);
    if (filter_)
        x.filter = v(next);
    return x;
}

LinearModel Linearize(const Settings& settings, double K)
{
    using namespace plant;
    LinearModel m;
    m.integral_ = settings.hasIntegral();
    m.filter_ = settings.hasDerivative() || settings.leadOrLag();
    const int n = 3 + (m.integral_ ? 1 : 0) + (m.filter_ ? 1 : 0);
    const int ea = 0;
    const int wm = 1;
    const int theta = 2;
    const int integral = 3;
    const int filter = m.integral_ ? 4 : 3;
    // A lead or lag runs on the derivative's filter (see Loop): a - 1 for N,
    // tau for Td / N.
    const bool lead = settings.leadOrLag();
    const double N = lead ? settings.a - 1 : (m.filter_ ? settings.N : 0);

    // u = K ((1 + N) Ve + integral / Ti - N filter), Ve = Kpot (theta_c - theta)
    m.Cu = Eigen::RowVectorXd::Zero(n);
    m.Cu(theta) = -K * (1 + N) * Kpot;
    if (m.integral_)
        m.Cu(integral) = K / settings.Ti;
    if (m.filter_)
        m.Cu(filter) = -K * N;
    m.Du = K * (1 + N) * Kpot;

    m.A = Eigen::MatrixXd::Zero(n, n);
    m.Br = Eigen::VectorXd::Zero(n);
    m.Bw = Eigen::VectorXd::Zero(n);
    m.A.row(ea) = a * m.Cu;
    m.A(ea, ea) -= a;
    m.Br(ea) = a * m.Du;
    m.A(wm, ea) = Kt / (Ra * Jm);
    m.A(wm, wm) = -(Dm + Kt * Kb / Ra) / Jm;
    m.Bw(wm) = Kg / Jm;
    m.A(theta, wm) = Kg;
    if (m.integral_) {
        m.A(integral, theta) = -Kpot;
        m.Br(integral) = Kpot;
    }
    if (m.filter_) {
        const double rate = lead ? 1 / settings.tau : N / settings.Td;
        m.A(filter, theta) = -rate * Kpot;
        m.A(filter, filter) = -rate;
        m.Br(filter) = rate * Kpot;
    }
    m.Ctheta = Eigen::RowVectorXd::Zero(n);
    m.Ctheta(theta) = 1;
    return m;
}

}  // namespace labo
