#include "model/matrices.h"

#include <Eigen/Eigenvalues>
#include <unsupported/Eigen/MatrixFunctions>
#include <unsupported/Eigen/Polynomials>

namespace labo {

Eigen::VectorXcd Eigenvalues(const Eigen::MatrixXd& A)
{
    return Eigen::EigenSolver<Eigen::MatrixXd>(A, false).eigenvalues();
}

Eigen::MatrixXcd Eigenvectors(const Eigen::MatrixXd& A)
{
    return Eigen::EigenSolver<Eigen::MatrixXd>(A).eigenvectors();
}

Eigen::MatrixXd Exponential(const Eigen::MatrixXd& A)
{
    return A.exp();
}

Eigen::VectorXcd PolynomialRoots(const Eigen::Ref<const Eigen::VectorXd>& coefficients)
{
    return Eigen::PolynomialSolver<double, Eigen::Dynamic>(coefficients).roots();
}

}  // namespace labo
