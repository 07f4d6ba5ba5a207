#include "model/asymptotes.h"

#include "model/frequency.h"

#include <algorithm>
#include <cmath>

namespace labo {
namespace {

// Roots whose moduli agree to this break at the same pulsation.
constexpr double sameBreak = 1e-9;

void addRoots(std::vector<Break>& breaks, const std::vector<Complex>& roots, bool zeros)
{
    for (const Complex& r : roots) {
        const double w = std::abs(r);
        if (w == 0)
            continue;  // an integrator: the first segment's
        const bool pair = r.imag() != 0;
        const int turns = (zeros ? 1 : -1) * (r.real() <= 0 ? 1 : -1);
        const auto same = std::find_if(breaks.begin(), breaks.end(), [w](const Break& b) {
            return std::fabs(b.omega - w) <= sameBreak * w;
        });
        Break& b = same != breaks.end() ? *same : breaks.emplace_back(Break{w, 0, 0, false, 0});
        (zeros ? b.zeros : b.poles) += 1;
        b.pair = b.pair || pair;
        b.phaseTurns += turns;
    }
}

double gainAt(const Asymptotes& a, double w)
{
    double dB = a.lowGainDb + a.slope * std::log10(w);
    for (const Break& b : a.breaks)
        if (w > b.omega)
            dB += 20.0 * (b.zeros - b.poles) * std::log10(w / b.omega);
    return dB;
}

double phaseAfter(const Asymptotes& a, double w)
{
    double phase = a.startPhase;
    for (const Break& b : a.breaks)
        if (w >= b.omega)
            phase += 90.0 * b.phaseTurns;
    return phase;
}

}  // namespace

Asymptotes AsymptotesOf(const OpenLoop& loop, double K)
{
    Asymptotes a;
    a.integrators = static_cast<int>(std::count(loop.poles.begin(), loop.poles.end(), Complex(0, 0)));
    a.slope = -20.0 * a.integrators;
    // K Q(s) / P(s) ~ K Q(0) / (P_n s^n) near s = 0, P_n being P's lowest
    // coefficient that is not zero.
    const auto n = static_cast<std::size_t>(a.integrators);
    const double bodeGain = K * loop.Q.front() / loop.P[n];
    a.startPhase = -90.0 * a.integrators + (bodeGain < 0 ? -180 : 0);
    a.lowGainDb = Decibels(std::fabs(bodeGain));
    addRoots(a.breaks, loop.poles, false);
    addRoots(a.breaks, loop.zeros, true);
    std::sort(a.breaks.begin(), a.breaks.end(), [](const Break& x, const Break& y) { return x.omega < y.omega; });
    return a;
}

std::vector<BodePoint> AsymptoticLines(const Asymptotes& a, double low, double high)
{
    std::vector<BodePoint> points{{low, gainAt(a, low), phaseAfter(a, low)}};
    for (const Break& b : a.breaks) {
        if (b.omega <= low || b.omega >= high)
            continue;
        const double dB = gainAt(a, b.omega);
        points.push_back({b.omega, dB, phaseAfter(a, b.omega) - 90.0 * b.phaseTurns});
        points.push_back({b.omega, dB, phaseAfter(a, b.omega)});
    }
    points.push_back({high, gainAt(a, high), phaseAfter(a, high)});
    return points;
}

}  // namespace labo
