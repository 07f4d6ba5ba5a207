#pragma once

#include <Eigen/Core>

namespace labo {

// The eigen-decomposition and the exponential of a matrix, and a
// polynomial's roots. Eigen's solvers for them are large templates: they are
// instantiated here once, rather than in every file of the model that needs
// them.

// The eigenvalues of A, in the solver's order.
Eigen::VectorXcd Eigenvalues(const Eigen::MatrixXd& A);

// The eigenvectors of A, one a column, in the order of its eigenvalues.
Eigen::MatrixXcd Eigenvectors(const Eigen::MatrixXd& A);

// e^A.
Eigen::MatrixXd Exponential(const Eigen::MatrixXd& A);

// The roots of c0 + c1 x + ... + cn x^n (cn nonzero, n at least 1), as the
// eigenvalues of its balanced companion matrix.
Eigen::VectorXcd PolynomialRoots(const Eigen::Ref<const Eigen::VectorXd>& coefficients);

}  // namespace labo
