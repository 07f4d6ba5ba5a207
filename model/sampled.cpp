#include "model/sampled.h"

#include "model/digital.h"
#include "model/matrices.h"
#include "model/plant.h"
#include "model/polynomial.h"

#include <cmath>
#include <limits>

namespace labo {
namespace {

constexpr double pi = plant::Pi;

// The plant from the chopper's input to Kpot theta: states Ea, wm, theta.
void continuousPlant(Eigen::Matrix3d& A, Eigen::Vector3d& B, Eigen::RowVector3d& C)
{
    using namespace plant;
    A << -a, 0, 0, Kt / (Ra * Jm), -am, 0, 0, Kg, 0;
    B << a, 0, 0;
    C << 0, 0, Kpot;
}

// e^(A T) and int_0^T e^(A s) B ds, from one exponential of [[A, B], [0, 0]] T.
void hold(const Eigen::Matrix3d& A, const Eigen::Vector3d& B, double T, Eigen::Matrix3d& Phi, Eigen::Vector3d& Gamma)
{
    Eigen::Matrix4d M = Eigen::Matrix4d::Zero();
    M.topLeftCorner<3, 3>() = A * T;
    M.topRightCorner<3, 1>() = B * T;
    const Eigen::Matrix4d E = Exponential(M);
    Phi = E.topLeftCorner<3, 3>();
    Gamma = E.topRightCorner<3, 1>();
}

// C adj(z I - Phi) Gamma, lowest power first, by Faddeev and LeVerrier:
// adj(z I - Phi) = z^2 I + z B1 + B2.
Polynomial numeratorOf(const SampledPlant& p, const Eigen::Vector3d& Gamma)
{
    const Eigen::Matrix3d I = Eigen::Matrix3d::Identity();
    const double c1 = -p.Phi.trace();
    const Eigen::Matrix3d B1 = p.Phi + c1 * I;
    const double c2 = -(p.Phi * B1).trace() / 2;
    const Eigen::Matrix3d B2 = p.Phi * B1 + c2 * I;
    return {p.C * B2 * Gamma, p.C * B1 * Gamma, p.C * Gamma};
}

double highestCoefficient(const Polynomial& p)
{
    for (auto c = p.rbegin(); c != p.rend(); ++c)
        if (*c != 0)
            return *c;
    return 0;
}

// A root within rounding of 1 is the integrator's, exactly.
std::vector<Complex> rootsOf(const Polynomial& p)
{
    std::vector<Complex> roots = Roots(p);
    for (Complex& r : roots)
        if (std::abs(r - 1.0) < 1e-9)
            r = 1;
    return roots;
}

// A root of the open loop, as its angle on the unit circle is read:
// arg(e^(j theta) - c), continuous over theta from 0 to pi, turns with z
// for a root inside the circle, not for one outside it, and is
// (pi + theta) / 2 for the integrator's, at z = 1.
struct Factor {
    Complex c;
    Complex inverse;       // 1 / c, outside the circle
    double outsideAngle;   // arg(-c), outside the circle
    bool integrator;
    bool inside;

    explicit Factor(const Complex& root)
        : c(root),
          inverse(std::abs(root) > 0 ? 1.0 / root : Complex(0, 0)),
          outsideAngle(std::arg(-root)),
          integrator(root == Complex(1, 0)),
          inside(std::abs(root) < 1)
    {
    }

    // z = e^(j theta), given as its cosine and sine.
    double angle(double theta, double cosine, double sine) const
    {
        if (integrator)
            return (pi + theta) / 2;
        if (inside) {  // theta + arg(1 - c conj(z))
            const double re = 1 - (c.real() * cosine + c.imag() * sine);
            const double im = -(c.imag() * cosine - c.real() * sine);
            return theta + std::atan2(im, re);
        }
        // arg(-c) + arg(1 - z / c)
        const double re = 1 - (inverse.real() * cosine - inverse.imag() * sine);
        const double im = -(inverse.real() * sine + inverse.imag() * cosine);
        return outsideAngle + std::atan2(im, re);
    }
};

// The open loop's roots as phaseOf reads them.
struct Factors {
    std::vector<Factor> zeros;
    std::vector<Factor> poles;
};

Factors factorsOf(const SampledOpenLoop& L)
{
    Factors r;
    for (const Complex& z : L.zeros)
        r.zeros.emplace_back(z);
    for (const Complex& p : L.poles)
        r.poles.emplace_back(p);
    return r;
}

double phaseOf(const SampledOpenLoop& L, const Factors& roots, double theta)
{
    const double cosine = std::cos(theta);
    const double sine = std::sin(theta);
    double phase = L.lead < 0 ? pi : 0;
    for (const Factor& z : roots.zeros)
        phase += z.angle(theta, cosine, sine);
    for (const Factor& p : roots.poles)
        phase -= p.angle(theta, cosine, sine);
    return phase - L.delayed * theta;
}

// L(e^(j theta)) / K: the products of the roots' factors, one division.
Complex valueOf(const SampledOpenLoop& L, double theta)
{
    const Complex z = std::polar(1.0, theta);
    Complex numerator = L.lead * std::polar(1.0, -L.delayed * theta);
    for (const Complex& zero : L.zeros)
        numerator *= z - zero;
    Complex denominator = 1;
    for (const Complex& pole : L.poles)
        denominator *= z - pole;
    return numerator / denominator;
}

}  // namespace

SampledPlant DiscretizePlant(double Te, double delay)
{
    SampledPlant p;
    p.Te = Te;
    p.periods = static_cast<int>(std::floor(delay / Te + 1e-9));
    p.fraction = delay - p.periods * Te;
    if (p.fraction < 1e-9 * Te)
        p.fraction = 0;
    Eigen::Matrix3d A;
    Eigen::Vector3d B;
    continuousPlant(A, B, p.C);
    Eigen::Vector3d whole;
    hold(A, B, Te, p.Phi, whole);
    if (p.fraction == 0) {
        p.Gamma0 = whole;
        p.Gamma1.setZero();
    } else {
        Eigen::Matrix3d unused;
        hold(A, B, Te - p.fraction, unused, p.Gamma0);
        p.Gamma1 = whole - p.Gamma0;
    }
    return p;
}

int SampledLoopOrder(const Settings& settings, const SampledPlant& plant)
{
    return 3 + static_cast<int>(DigitalTransfer(settings).denominator.size()) - 1 + plant.registers();
}

Eigen::MatrixXd SampledLoopMatrix(const Settings& settings, const SampledPlant& p, double K)
{
    // The corrector in its controllable form: C(z) = K b(z) / a(z), a monic.
    const ZTransfer c = DigitalTransfer(settings);
    const int nc = static_cast<int>(c.denominator.size()) - 1;
    const double leading = c.denominator[static_cast<std::size_t>(nc)];
    const double direct = K * c.numerator[static_cast<std::size_t>(nc)] / leading;
    Eigen::RowVectorXd Cc(nc);
    for (int i = 0; i < nc; ++i)
        Cc(i) = K * (c.numerator[static_cast<std::size_t>(i)] - c.numerator[static_cast<std::size_t>(nc)] *
                                                                  c.denominator[static_cast<std::size_t>(i)] / leading) /
                leading;

    const int D = p.registers();
    const int n = 3 + nc + D;
    const int w0 = 3;       // the corrector's states
    const int q0 = 3 + nc;  // u(k - 1), u(k - 2)... u(k - D)
    Eigen::MatrixXd M = Eigen::MatrixXd::Zero(n, n);
    // u(k) = Cc w + direct e, e = -C x: its row over the state.
    Eigen::RowVectorXd u = Eigen::RowVectorXd::Zero(n);
    u.head<3>() = -direct * p.C;
    u.segment(w0, nc) = Cc;
    // u(k - j) over the state: u itself for j = 0, a register otherwise.
    const auto past = [&](int j) {
        Eigen::RowVectorXd r = Eigen::RowVectorXd::Zero(n);
        if (j == 0)
            r = u;
        else
            r(q0 + j - 1) = 1;
        return r;
    };
    M.topLeftCorner<3, 3>() = p.Phi;
    M.topRows<3>() += p.Gamma0 * past(p.periods);
    if (p.fraction > 0)
        M.topRows<3>() += p.Gamma1 * past(p.periods + 1);
    for (int i = 0; i + 1 < nc; ++i)
        M(w0 + i, w0 + i + 1) = 1;
    if (nc > 0) {
        for (int i = 0; i < nc; ++i)
            M(w0 + nc - 1, w0 + i) = -c.denominator[static_cast<std::size_t>(i)] / leading;
        M.block(w0 + nc - 1, 0, 1, 3) -= p.C;
    }
    if (D > 0) {
        M.row(q0) = u;
        for (int j = 1; j < D; ++j)
            M(q0 + j, q0 + j - 1) = 1;
    }
    return M;
}

SampledOpenLoop SampledOpenLoopOf(const Settings& settings)
{
    const SampledPlant p = DiscretizePlant(settings.Te, settings.delay);
    SampledOpenLoop L;
    L.Te = settings.Te;
    const ZTransfer c = DigitalTransfer(settings);
    Polynomial plantZeros = numeratorOf(p, p.Gamma0);
    L.delayed = p.periods;
    if (p.fraction > 0) {
        plantZeros = Multiply(plantZeros, {0, 1});
        const Polynomial late = numeratorOf(p, p.Gamma1);
        for (std::size_t k = 0; k < late.size(); ++k)
            plantZeros[k] += late[k];
        L.delayed += 1;
    }
    L.lead = highestCoefficient(c.numerator) / highestCoefficient(c.denominator) * highestCoefficient(plantZeros);
    L.zeros = rootsOf(c.numerator);
    for (const Complex& z : rootsOf(plantZeros))
        L.zeros.push_back(z);
    L.poles = rootsOf(c.denominator);
    using namespace plant;
    for (const double s : {0.0, -am, -a})
        L.poles.emplace_back(std::exp(s * settings.Te));
    for (const Complex& pole : L.poles)
        L.integrators += pole == Complex(1, 0) ? 1 : 0;
    return L;
}

FrequencyResponse SampledResponse(const Settings& settings, double K)
{
    const SampledOpenLoop L = SampledOpenLoopOf(settings);
    const Factors roots = factorsOf(L);
    const double Te = settings.Te;
    // The phase near w = 0 is -90 per integrator, for a positive static
    // gain: the sum of the factors' angles is set on that turn.
    const double start = phaseOf(L, roots, 0) * plant::DegreesPerRadian;
    const double turns = 360 * std::round((-90.0 * L.integrators - start) / 360);
    FrequencyResponse r;
    r.at = [L, K, Te](double w) { return K * valueOf(L, w * Te); };
    r.phase = [L, roots, Te, turns](double w) { return phaseOf(L, roots, w * Te) * plant::DegreesPerRadian + turns; };
    r.integrators = L.integrators;
    for (const Complex& pole : L.poles)
        r.unstablePoles += std::abs(pole) > 1 ? 1 : 0;
    r.highest = pi / Te;
    r.gain = K;
    return r;
}

Complex ContinuousEquivalent(const Complex& z, double Te)
{
    if (z == Complex(0, 0))
        return {-std::numeric_limits<double>::infinity(), 0};
    return std::log(z) / Te;
}

}  // namespace labo
