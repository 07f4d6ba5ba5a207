#include "model/delay.h"

#include "model/analysis.h"
#include "model/linear_model.h"
#include "model/plant.h"
#include "model/polynomial.h"

#include <cmath>

namespace labo {
namespace {

// The approximant's denominator in x = s delay: sum of c_k x^k, with
// c_k = (2m - k)! m! / ((2m)! k! (m - k)!); its numerator is the same in -x.
Polynomial padeDenominator(int m)
{
    Polynomial c(static_cast<std::size_t>(m) + 1);
    c[0] = 1;
    for (int k = 1; k <= m; ++k)
        c[static_cast<std::size_t>(k)] = c[static_cast<std::size_t>(k - 1)] * (m - k + 1) / (static_cast<double>(k) * (2 * m - k + 1));
    return c;
}

Polynomial reflected(Polynomial p)
{
    for (std::size_t k = 1; k < p.size(); k += 2)
        p[k] = -p[k];
    return p;
}

Polynomial derivativeOf(const Polynomial& p)
{
    Polynomial d;
    for (std::size_t k = 1; k < p.size(); ++k)
        d.push_back(static_cast<double>(k) * p[k]);
    return d;
}

}  // namespace

Pade PadeOf(double delay, int order)
{
    Pade pade;
    pade.order = order;
    pade.delay = delay;
    const Polynomial den = padeDenominator(order);
    const Polynomial num = reflected(den);
    pade.D = order % 2 == 0 ? 1 : -1;  // the ratio of the highest coefficients
    pade.A = Eigen::MatrixXd::Zero(order, order);
    pade.B = Eigen::VectorXd::Zero(order);
    pade.C = Eigen::RowVectorXd::Zero(order);
    // R(x) = D + sum of rho / (x - r) over the roots r of den, with
    // rho = num(r) / den'(r); in s, poles r / delay and residues rho / delay.
    const Polynomial slope = derivativeOf(den);
    int next = 0;
    for (const Complex& r : Roots(den)) {
        if (r.imag() < 0)
            continue;  // a pair is one block, from its upper pole
        const Complex rho = Evaluate(num, r) / Evaluate(slope, r) / delay;
        const Complex pole = r / delay;
        if (std::fabs(r.imag()) < 1e-9 * std::abs(r)) {
            pade.A(next, next) = pole.real();
            pade.B(next) = 1;
            pade.C(next) = rho.real();
            ++next;
            continue;
        }
        // z' = pole z + u, output 2 Re(rho z), with z = x1 + j x2.
        pade.A(next, next) = pole.real();
        pade.A(next, next + 1) = -pole.imag();
        pade.A(next + 1, next) = pole.imag();
        pade.A(next + 1, next + 1) = pole.real();
        pade.B(next) = 1;
        pade.C(next) = 2 * rho.real();
        pade.C(next + 1) = -2 * rho.imag();
        next += 2;
    }
    return pade;
}

double PadePhaseError(const Pade& pade, double w)
{
    // An all-pass whose phase is -2 arg den(j w), arg den the sum of its
    // left-half-plane roots' angles, each continuous in w.
    double half = 0;
    for (const Complex& r : Roots(padeDenominator(pade.order)))
        half += std::arg(Complex(0, w * pade.delay) - r);
    return std::fabs(-2 * half + w * pade.delay) * plant::DegreesPerRadian;
}

int PadeOrderFor(double delay, double w, double degrees)
{
    for (int m = 1; m < HighestPadeOrder; ++m)
        if (PadePhaseError(PadeOf(delay, m), w) <= degrees)
            return m;
    return HighestPadeOrder;
}

Eigen::MatrixXd DelayedLoopMatrix(const Settings& settings, double K, const Pade& pade)
{
    const LinearModel m = Linearize(settings, K);
    const int n = m.size();
    const int p = pade.order;
    // The loop feeds the chopper (its state 0) with a u; here through the
    // approximant: Ea' = a (Cp xp + Dp u - Ea), xp' = Ap xp + Bp u.
    Eigen::MatrixXd A0 = m.A;
    A0.row(0) -= plant::a * m.Cu;
    Eigen::MatrixXd M = Eigen::MatrixXd::Zero(n + p, n + p);
    M.topLeftCorner(n, n) = A0;
    M.row(0).head(n) += plant::a * pade.D * m.Cu;
    M.block(0, n, 1, p) = plant::a * pade.C;
    M.block(n, 0, p, n) = pade.B * m.Cu;
    M.bottomRightCorner(p, p) = pade.A;
    return M;
}

FrequencyResponse DelayedResponse(const Settings& settings, double K)
{
    Settings undelayed = settings;
    undelayed.delay = 0;
    FrequencyResponse r = OpenLoopResponse(undelayed, K);
    const double delay = settings.delay;
    const auto at = r.at;
    const auto phase = r.phase;
    r.at = [at, delay](double w) { return at(w) * std::polar(1.0, -w * delay); };
    r.phase = [phase, delay](double w) { return phase(w) - w * delay * plant::DegreesPerRadian; };
    // Where |L| has fallen below 1e-4 for good: it falls as w^-3 at least.
    double w = 1;
    while (w < 1e5 && (std::abs(at(w)) >= 1e-4 || std::abs(at(2 * w)) >= std::abs(at(w))))
        w *= 2;
    r.highest = w;
    return r;
}

}  // namespace labo
