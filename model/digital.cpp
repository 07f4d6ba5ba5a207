#include "model/digital.h"

#include "model/analysis.h"
#include "model/french.h"

#include <cmath>

namespace labo {
namespace {

Polynomial derivativeOf(const Polynomial& p)
{
    Polynomial d;
    for (std::size_t k = 1; k < p.size(); ++k)
        d.push_back(static_cast<double>(k) * p[k]);
    return d.empty() ? Polynomial{0} : d;
}

Polynomial power(const Polynomial& p, int n)
{
    Polynomial r{1};
    for (int i = 0; i < n; ++i)
        r = Multiply(r, p);
    return r;
}

Polynomial added(Polynomial p, const Polynomial& q, double scale)
{
    p.resize(std::max(p.size(), q.size()), 0.0);
    for (std::size_t k = 0; k < q.size(); ++k)
        p[k] += scale * q[k];
    return p;
}

// sum of c_i alpha^i beta^(n - i): c(s) with s = alpha / beta, times beta^n.
Polynomial substituted(const Polynomial& c, const Polynomial& alpha, const Polynomial& beta, int n)
{
    Polynomial r{0};
    for (std::size_t i = 0; i < c.size(); ++i)
        if (c[i] != 0)
            r = added(r, Multiply(power(alpha, static_cast<int>(i)), power(beta, n - static_cast<int>(i))), c[i]);
    r.resize(static_cast<std::size_t>(n) + 1, 0.0);
    return r;
}

// A term of the recurrence: " + 10,03 ε(k−1)", the first without its sign.
std::string term(double c, const std::string& name, bool first)
{
    const std::string magnitude = FrenchSignificant(std::fabs(c), 4);
    const std::string factor = magnitude == "1" ? name : magnitude + " " + name;
    if (first)
        return (c < 0 ? "−" : "") + factor;
    return (c < 0 ? " − " : " + ") + factor;
}

std::string sampleName(const char* letter, std::size_t back)
{
    return std::string(letter) + (back == 0 ? "(k)" : "(k−" + std::to_string(back) + ")");
}

}  // namespace

ParallelCorrector ParallelFormOf(const Settings& settings)
{
    const Transfer c = CorrectorTransfer(settings);
    ParallelCorrector form;
    const auto degree = [](const Polynomial& p) {
        std::size_t d = p.size();
        while (d > 1 && p[d - 1] == 0)
            --d;
        return d - 1;
    };
    const std::size_t n = degree(c.denominator);
    form.direct = degree(c.numerator) == n ? c.numerator[n] / c.denominator[n] : 0;
    const Polynomial slope = derivativeOf(c.denominator);
    for (const Complex& p : c.poles) {
        const double pole = p.real();
        const double residue = (Evaluate(c.numerator, pole) / Evaluate(slope, pole)).real();
        if (pole == 0)
            form.integral = static_cast<int>(form.sections.size());
        form.sections.push_back({pole, residue});
    }
    return form;
}

DigitalCorrector::DigitalCorrector(const Settings& settings)
    : form_(ParallelFormOf(settings)),
      K_(settings.K),
      Te_(settings.Te),
      tustin_(settings.discretization == Discretization::Tustin),
      limit_(settings.limited() ? settings.limit : 0),
      antiWindup_(settings.antiWindup),
      states_(form_.sections.size(), 0.0)
{
}

double DigitalCorrector::command(double error) const
{
    double u = form_.direct * error;
    for (std::size_t i = 0; i < states_.size(); ++i)
        u += form_.sections[i].residue * states_[i];
    return K_ * u;
}

double DigitalCorrector::step(double error)
{
    const std::vector<double> before = states_;
    for (std::size_t i = 0; i < states_.size(); ++i) {
        const double p = form_.sections[i].pole;
        states_[i] = tustin_ ? ((1 + p * Te_ / 2) * states_[i] + Te_ / 2 * (error + lastError_)) / (1 - p * Te_ / 2)
                             : (states_[i] + Te_ * error) / (1 - p * Te_);
    }
    double u = command(error);
    if (form_.integral >= 0 && antiWindup_ && limit_ > 0) {
        const bool drivenFurther = (u > limit_ && error > 0) || (u < -limit_ && error < 0);
        if (drivenFurther) {
            states_[static_cast<std::size_t>(form_.integral)] = before[static_cast<std::size_t>(form_.integral)];
            u = command(error);
        }
    }
    lastError_ = error;
    output_ = u;
    return u;
}

ZTransfer DigitalTransfer(const Settings& settings)
{
    const Transfer c = CorrectorTransfer(settings);
    const double Te = settings.Te;
    const bool tustin = settings.discretization == Discretization::Tustin;
    // s = alpha(z) / beta(z).
    const Polynomial alpha = tustin ? Polynomial{-2, 2} : Polynomial{-1, 1};
    const Polynomial beta = tustin ? Polynomial{Te, Te} : Polynomial{0, Te};
    const int n = static_cast<int>(std::max(c.numerator.size(), c.denominator.size())) - 1;
    return {substituted(c.numerator, alpha, beta, n), substituted(c.denominator, alpha, beta, n)};
}

std::string RecurrenceText(const Settings& settings)
{
    const ZTransfer z = DigitalTransfer(settings);
    const std::size_t n = z.denominator.size() - 1;
    const double lead = z.denominator[n];
    std::string text = "u(k) = ";
    bool first = true;
    for (std::size_t j = 1; j <= n; ++j) {
        const double c = -z.denominator[n - j] / lead;
        if (std::fabs(c) < 1e-12)
            continue;
        text += term(c, sampleName("u", j), first);
        first = false;
    }
    for (std::size_t j = 0; j <= n; ++j) {
        const double c = settings.K * z.numerator[n - j] / lead;
        if (std::fabs(c) < 1e-12 * settings.K)
            continue;
        text += term(c, sampleName("ε", j), first);
        first = false;
    }
    return text;
}

}  // namespace labo
