#pragma once

#include "model/polynomial.h"
#include "model/settings.h"

#include <string>
#include <vector>

// The corrector as a sum of first-order sections, continuous or sampled.
// C(s)/K = direct + sum of residue / (s - pole): the partial fractions of
// CorrectorTransfer, whose poles are real and simple (0 for the integral,
// -N/Td for the derivative's filter, -1/tau for a lead or lag). The run
// integrates (or steps) each section on its own, so that the anti-windup
// holds the integral's, and the substitution that makes the sampled
// corrector maps each section to a recurrence of its own: the sum of the
// sections' recurrences is the substitution applied to the whole C(s).
namespace labo {

struct CorrectorSection {
    double pole;
    double residue;
};

struct ParallelCorrector {
    double direct = 1;
    std::vector<CorrectorSection> sections;
    int integral = -1;  // the section of the pole at 0, or -1
};

ParallelCorrector ParallelFormOf(const Settings& settings);

// The sampled corrector, from the error samples e(k) (the error voltage Ve,
// V) to u(k), held until the next sample. Each section's state follows the
// substitution's recurrence:
//   Euler (s -> (1 - z^-1)/Te):  x(k) (1 - p Te) = x(k-1) + Te e(k)
//   Tustin (s -> (2/Te)(1 - z^-1)/(1 + z^-1)):
//       x(k) (1 - p Te/2) = x(k-1) (1 + p Te/2) + (Te/2)(e(k) + e(k-1))
// and u(k) = K (direct e(k) + sum of residue x(k)). The anti-windup keeps
// the integral's previous value where the new command would pass the
// chopper's limit with the error driving it further.
class DigitalCorrector {
public:
    explicit DigitalCorrector(const Settings& settings);
    double step(double error);
    double output() const { return output_; }

private:
    double command(double error) const;

    ParallelCorrector form_;
    double K_;
    double Te_;
    bool tustin_;
    double limit_;    // 0: none
    bool antiWindup_;
    std::vector<double> states_;
    double lastError_ = 0;
    double output_ = 0;
};

// The sampled corrector's transfer C(z)/K = numerator(z) / denominator(z),
// each lowest power of z first, of the same degree: C(s)/K with s replaced
// by the discretization's expression in z, over the common denominator.
struct ZTransfer {
    Polynomial numerator;
    Polynomial denominator;
};
ZTransfer DigitalTransfer(const Settings& settings);

// Its recurrence, with its numbers, as the page writes it:
// "u(k) = u(k−1) + 10,03 ε(k) − 10 ε(k−1)".
std::string RecurrenceText(const Settings& settings);

}  // namespace labo
