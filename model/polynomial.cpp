#include "model/polynomial.h"

#include "model/matrices.h"

#include <algorithm>
#include <cmath>

namespace labo {

Polynomial Multiply(const Polynomial& p, const Polynomial& q)
{
    if (p.empty() || q.empty())
        return {};
    Polynomial r(p.size() + q.size() - 1, 0.0);
    for (std::size_t i = 0; i < p.size(); ++i)
        for (std::size_t j = 0; j < q.size(); ++j)
            r[i + j] += p[i] * q[j];
    return r;
}

std::complex<double> Evaluate(const Polynomial& p, std::complex<double> s)
{
    std::complex<double> v = 0;
    for (auto c = p.rbegin(); c != p.rend(); ++c)
        v = v * s + *c;
    return v;
}

namespace {

// The coefficients of p(j w) whose power is even (real part) or odd
// (imaginary part), with the signs of j^k.
Polynomial partOnAxis(const Polynomial& p, int parity)
{
    Polynomial r(p.size(), 0.0);
    for (std::size_t k = 0; k < p.size(); ++k)
        if (static_cast<int>(k % 2) == parity)
            r[k] = ((k / 2) % 2 == 0 ? 1 : -1) * p[k];
    return r;
}

Polynomial trimmed(Polynomial p)
{
    while (!p.empty() && p.back() == 0)
        p.pop_back();
    return p;
}

}  // namespace

Polynomial RealPartOnAxis(const Polynomial& p)
{
    return partOnAxis(p, 0);
}

Polynomial ImaginaryPartOnAxis(const Polynomial& p)
{
    return partOnAxis(p, 1);
}

std::vector<std::complex<double>> Roots(const Polynomial& p)
{
    const Polynomial q = trimmed(p);
    if (q.size() < 2)
        return {};
    const Eigen::Map<const Eigen::VectorXd> coefficients(q.data(), static_cast<Eigen::Index>(q.size()));
    const Eigen::VectorXcd roots = PolynomialRoots(coefficients);
    return {roots.data(), roots.data() + roots.size()};
}

std::vector<double> PositiveRoots(const Polynomial& p)
{
    // Roots at 0 are none of them: divided out first, as they are exact.
    Polynomial q = trimmed(p);
    const auto zeros = std::find_if(q.begin(), q.end(), [](double c) { return c != 0; });
    q.erase(q.begin(), zeros);
    Polynomial derivative;
    for (std::size_t k = 1; k < q.size(); ++k)
        derivative.push_back(static_cast<double>(k) * q[k]);
    std::vector<double> found;
    for (const std::complex<double>& root : Roots(q)) {
        if (root.real() <= 0 || std::fabs(root.imag()) > 1e-6 * std::abs(root))
            continue;
        double x = root.real();
        for (int i = 0; i < 3; ++i) {
            const double slope = Evaluate(derivative, x).real();
            if (slope == 0)
                break;
            const double next = x - Evaluate(q, x).real() / slope;
            if (!(next > 0) || std::fabs(next - x) > 1e-3 * x)
                break;  // Newton would leave the root: keep Eigen's
            x = next;
        }
        found.push_back(x);
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace labo
