#pragma once

#include <complex>
#include <vector>

namespace labo {

// A polynomial with real coefficients, lowest power first: {c0, c1, c2}
// is c0 + c1 s + c2 s^2.
using Polynomial = std::vector<double>;

Polynomial Multiply(const Polynomial& p, const Polynomial& q);
std::complex<double> Evaluate(const Polynomial& p, std::complex<double> s);

// p(j w) = R(w) + j I(w), as two real polynomials in w.
Polynomial RealPartOnAxis(const Polynomial& p);
Polynomial ImaginaryPartOnAxis(const Polynomial& p);

// The roots, by Eigen's eigenvalues of the companion matrix; none for a
// constant. Trailing zero coefficients are left out first.
std::vector<std::complex<double>> Roots(const Polynomial& p);

// The real roots x > 0 of p, each polished by Newton's method on p.
std::vector<double> PositiveRoots(const Polynomial& p);

}  // namespace labo
