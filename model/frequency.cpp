#include "model/frequency.h"

#include "model/analysis.h"
#include "model/delay.h"
#include "model/plant.h"
#include "model/sampled.h"

#include <algorithm>
#include <cmath>

namespace labo {
namespace {

constexpr double lowest = 1e-5;   // rad/s
constexpr double highest = 1e5;   // rad/s
constexpr double degreesPerRadian = plant::DegreesPerRadian;

// The search's pulsations, increasing, evenly spaced on a logarithmic scale.
std::vector<double> grid(const PulsationRange& range)
{
    const double decades = std::log10(range.high / range.low);
    const int count = std::max(2, static_cast<int>(std::ceil(decades * SearchPointsPerDecade)) + 1);
    std::vector<double> w(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        w[static_cast<std::size_t>(i)] =
            i + 1 == count ? range.high : range.low * std::pow(range.high / range.low, static_cast<double>(i) / (count - 1));
    return w;
}

// A root of f between a and b (pulsations), where f changes sign, by
// bisection on log w: 50 halvings of a grid step leave under 1e-15 of w.
template <typename F>
double root(F f, double a, double b)
{
    double fa = f(a);
    for (int i = 0; i < 50; ++i) {
        const double m = std::sqrt(a * b);
        const double fm = f(m);
        if (fm == 0)
            return m;
        if ((fm < 0) == (fa < 0)) {
            a = m;
            fa = fm;
        } else {
            b = m;
        }
    }
    return std::sqrt(a * b);
}

// The w between a and b where f is least, given that f is unimodal there:
// by bisection on log w of the sign of f's slope, a central difference over
// 1e-5 of w. Where a minimum is flat, its place is so read to about 1e-11,
// where comparing values would read it to the square root of the machine's
// precision only, and differently from one C library's maths to another's.
template <typename F>
double least(F f, double a, double b)
{
    constexpr double h = 1e-5;
    const auto rising = [&f](double w) { return f(w * (1 + h)) > f(w * (1 - h)); };
    for (int i = 0; i < 50; ++i) {
        const double m = std::sqrt(a * b);
        (rising(m) ? b : a) = m;
    }
    return std::sqrt(a * b);
}

// The least of f over the grid's pulsations, each local minimum refined:
// { w, f(w) }.
template <typename F>
std::pair<double, double> globalLeast(F f, const std::vector<double>& w)
{
    std::vector<double> values(w.size());
    for (std::size_t i = 0; i < w.size(); ++i)
        values[i] = f(w[i]);
    std::pair<double, double> best{w[0], values[0]};
    for (std::size_t i = 0; i < w.size(); ++i) {
        const bool below = i == 0 || values[i] <= values[i - 1];
        const bool above = i + 1 == w.size() || values[i] <= values[i + 1];
        if (!below || !above)
            continue;
        double at = w[i];
        if (i > 0 && i + 1 < w.size())
            at = least(f, w[i - 1], w[i + 1]);
        const double v = std::min(values[i], f(at));
        if (v < best.second)
            best = {v == values[i] ? w[i] : at, v};
    }
    return best;
}

// The change of arg z(w) in degrees from a to b, followed by steps short
// enough that it turns less than 30 degrees in each.
template <typename Z>
double turning(Z z, double a, Complex za, double b, Complex zb, int depth = 0)
{
    const double step = std::arg(zb / za) * degreesPerRadian;
    if (std::fabs(step) < 30 || depth > 40)
        return step;
    const double m = std::sqrt(a * b);
    const Complex zm = z(m);
    return turning(z, a, za, m, zm, depth + 1) + turning(z, m, zm, b, zb, depth + 1);
}

// The open loop's integrators: its poles at s = 0.
int integratorsOf(const OpenLoop& loop)
{
    return static_cast<int>(std::count(loop.poles.begin(), loop.poles.end(), Complex(0, 0)));
}

}  // namespace

double Decibels(double ratio)
{
    return 20 * std::log10(ratio);
}

double WrappedPhase(double degrees)
{
    return degrees - 360 * std::ceil((degrees - 180) / 360);
}

FrequencyResponse OpenLoopResponse(const Settings& settings, double K)
{
    if (settings.Te > 0)
        return SampledResponse(settings, K);
    if (settings.delay > 0)
        return DelayedResponse(settings, K);
    const OpenLoop loop = OpenLoopOf(settings);
    FrequencyResponse L;
    L.at = [loop, K](double w) { return OpenLoopAt(loop, K, w); };
    L.phase = [loop](double w) { return OpenLoopPhase(loop, w); };
    L.integrators = integratorsOf(loop);
    L.unstablePoles = static_cast<int>(
        std::count_if(loop.poles.begin(), loop.poles.end(), [](const Complex& p) { return p.real() > 0; }));
    L.gain = K;
    return L;
}

FrequencyResponse OpenLoopResponse(const Settings& settings)
{
    return OpenLoopResponse(settings, settings.K);
}

Complex ClosedLoopAt(const FrequencyResponse& L, double w)
{
    const Complex l = L.at(w);
    return l / (1.0 + l);
}

double StaticClosedLoopGain(const FrequencyResponse& L)
{
    if (L.integrators > 0)
        return 1;
    return std::abs(ClosedLoopAt(L, SearchRange(L).low));
}

PulsationRange SearchRange(const FrequencyResponse& L)
{
    return {lowest, std::min(highest, L.highest)};
}

double ClosedLoopPhase(const FrequencyResponse& L, double w)
{
    return ClosedLoopPhases(L, {w}).front();
}

std::vector<double> ClosedLoopPhases(const FrequencyResponse& L, const std::vector<double>& omegas)
{
    std::vector<double> phases;
    phases.reserve(omegas.size());
    if (omegas.empty())
        return phases;
    const auto T = [&L](double x) { return ClosedLoopAt(L, x); };
    // From the search's lowest pulsation, where T is near T(0), up to each.
    double a = std::min(omegas.front(), SearchRange(L).low);
    Complex ta = T(a);
    double phase = std::arg(ta) * degreesPerRadian;
    for (const double w : omegas) {
        const int steps = std::max(1, static_cast<int>(std::ceil(std::log10(w / a) * SearchPointsPerDecade)));
        const double from = a;
        for (int i = 1; i <= steps; ++i) {
            const double b = i == steps ? w : from * std::pow(w / from, static_cast<double>(i) / steps);
            const Complex tb = T(b);
            phase += turning(T, a, ta, b, tb);
            a = b;
            ta = tb;
        }
        phases.push_back(phase);
    }
    return phases;
}

std::vector<double> GainCrossovers(const FrequencyResponse& L)
{
    const auto f = [&L](double w) { return std::log(std::abs(L.at(w))); };
    const std::vector<double> w = grid(SearchRange(L));
    std::vector<double> found;
    double before = f(w[0]);
    for (std::size_t i = 1; i < w.size(); ++i) {
        const double now = f(w[i]);
        if (now == 0)
            found.push_back(w[i]);
        else if ((now < 0) != (before < 0) && before != 0)
            found.push_back(root(f, w[i - 1], w[i]));
        before = now;
    }
    return found;
}

std::vector<double> PhaseCrossovers(const FrequencyResponse& L)
{
    const std::vector<double> w = grid(SearchRange(L));
    std::vector<double> found;
    double before = L.phase(w[0]);
    for (std::size_t i = 1; i < w.size(); ++i) {
        const double now = L.phase(w[i]);
        // Each level -180 + 360 k that the phase passes between the two.
        const double lo = std::min(before, now);
        const double hi = std::max(before, now);
        const auto lastTurn = static_cast<int>(std::floor((hi + 180) / 360));
        for (auto turn = static_cast<int>(std::ceil((lo + 180) / 360)); turn <= lastTurn; ++turn) {
            const double level = 360.0 * turn - 180;
            if (level == before)
                continue;  // found at the previous step
            const auto f = [&L, level](double x) { return L.phase(x) - level; };
            found.push_back(now == level ? w[i] : root(f, w[i - 1], w[i]));
        }
        before = now;
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::optional<int> ClosedLoopUnstablePoles(const FrequencyResponse& L)
{
    const std::vector<double> w = grid(SearchRange(L));
    const auto oneMore = [&L](double x) { return 1.0 + L.at(x); };
    std::vector<Complex> z(w.size());
    for (std::size_t i = 0; i < w.size(); ++i) {
        z[i] = oneMore(w[i]);
        if (std::abs(z[i]) < 1e-12)
            return std::nullopt;
    }
    // Along w > 0, from the lowest pulsation to the highest.
    double along = 0;
    for (std::size_t i = 1; i < w.size(); ++i)
        along += turning(oneMore, w[i - 1], z[i - 1], w[i], z[i]);
    // At the lowest, 1 + L's angle near L's, whose phase is continuous from
    // -90 per integrator: the arc at infinity turns from minus that angle
    // to it, clockwise.
    const double start = L.phase(w[0]);
    const double angle = start + WrappedPhase(std::arg(z[0]) * degreesPerRadian - start);
    const double total = 2 * along + (L.integrators > 0 ? 2 * angle : 0);
    // With no integrator, w < 0 and w > 0 meet at L(0), real.
    const double turns = -total / 360;
    const double nearest = std::round(turns);
    if (std::fabs(turns - nearest) > 1e-3)
        return std::nullopt;
    return static_cast<int>(nearest) + L.unstablePoles;
}

FrequencyFigures ReadFrequencyFigures(const FrequencyResponse& L)
{
    FrequencyFigures f;
    const std::vector<double> w = grid(SearchRange(L));
    const double T0 = StaticClosedLoopGain(L);

    // The resonance: the highest |T|, as the least of -|T|.
    const auto lessT = [&L](double x) { return -std::abs(ClosedLoopAt(L, x)); };
    const auto [peakOmega, peak] = globalLeast(lessT, w);
    if (-peak > T0 * (1 + 1e-6)) {
        f.resonates = true;
        f.resonance = -peak / T0;
        f.resonanceOmega = peakOmega;
    }

    // The bandwidth: the first fall of |T| below |T(0)| / sqrt(2).
    const double level = T0 / std::sqrt(2.0);
    const auto under = [&L, level](double x) { return std::abs(ClosedLoopAt(L, x)) - level; };
    for (std::size_t i = 1; i < w.size(); ++i) {
        if (under(w[i]) < 0) {
            f.hasBandwidth = true;
            f.bandwidth = under(w[i - 1]) < 0 ? w[i - 1] : root(under, w[i - 1], w[i]);
            break;
        }
    }

    // The modulus margin: the least |1 + L|.
    const auto distance = [&L](double x) { return std::abs(1.0 + L.at(x)); };
    const auto [nearestOmega, nearest] = globalLeast(distance, w);
    f.modulusMargin = nearest;
    f.modulusOmega = nearestOmega;
    return f;
}

}  // namespace labo
