#include "scenes/laws.h"

#include "app/state.h"

#include <cmath>

namespace {
int truncated(double value)
{
    return static_cast<int>(std::trunc(value));
}
}  // namespace

std::array<int, 8> ChordArguments(float angle)
{
    // 0.785 and 1.414 are the decimal constants themselves, not pi/4 and
    // sqrt(2): they decide the last pixel of the radial points.
    const double a = angle;
    const double r = Rayon;
    const double diagonal = r * 1.414;
    return {
        truncated(r * std::cos(a) + (CentreX - Rayon)),
        truncated(r * std::sin(a) + (CentreY - Rayon)),
        truncated(r * std::cos(a) + (CentreX + Rayon)),
        truncated(r * std::sin(a) + (CentreY + Rayon)),
        truncated(diagonal * std::cos(a - 0.785) + CentreX),
        truncated(diagonal * std::sin(a - 0.785) + CentreY),
        truncated(diagonal * std::cos(a + 0.785) + CentreX),
        truncated(diagonal * std::sin(a + 0.785) + CentreY),
    };
}

int AperiodicOrdinate(int j)
{
    return truncated(380.0 - (1.0 - std::exp(-0.125 * j)) * 60.0);
}

double AperiodicDecrement(int k)
{
    return std::exp(-0.125 * k) * 0.1;
}

int DampedOrdinate(int j)
{
    return truncated(380.0 - (0.8 - std::sin(0.6 * j + 1.47) * (std::exp(-0.06 * j) * 0.8)) * 60.0);
}

double DampedDecrement(int k)
{
    return std::sin(0.6 * k) * (std::exp(-0.06 * k) * 0.6 * 0.8);
}

int UnstableOrdinate(int j)
{
    return truncated(380.0 - (0.6 - std::sin(0.6 * j + 1.47) * 0.6) * 60.0);
}

double UnstableDecrement(int k)
{
    return std::sin(0.6 * k) * 0.6 * 0.6;
}

float DecreasedAngle(float angle, double decrement)
{
    return static_cast<float>(static_cast<double>(angle) - decrement);
}

std::int32_t RampSetPoint(std::int32_t p)
{
    return p < 80 ? p + 1 : 80;
}

float RampFilter(float response, std::int32_t setPoint)
{
    // 1/16 and 15/16 are exact in single precision; the sum is formed in
    // double precision and rounded once when stored.
    constexpr float gain = 0.0625f;
    constexpr float memory = 0.9375f;
    return static_cast<float>(double(gain) * setPoint + double(memory) * double(response));
}

int RampOrdinate(float response)
{
    return truncated(380.0 - 2.0 * double(response));
}

float RampAngle(float response)
{
    return static_cast<float>(-(0.01 * double(response)));
}

int WindOrdinate(int k)
{
    return truncated(320.0 - 100.0 * (std::exp(-0.05 * k) - std::exp(-0.1 * k)));
}

float WindRecoveryAngle(float angle, int k)
{
    const double step = 2.0 * (0.1 * std::exp(-0.1 * k) - 0.05 * std::exp(-0.05 * k));
    return static_cast<float>(double(angle) - step);
}
