#include "model/frequency_views.h"

#include "model/plant.h"

#include <algorithm>
#include <cmath>

namespace labo {
namespace {

constexpr double degreesPerRadian = plant::DegreesPerRadian;

// The pulsation, between a and b, where |L| comes down to r, by bisection
// on log w: |L(a)| > r >= |L(b)|.
double downTo(const FrequencyResponse& L, double r, double a, double b)
{
    for (int i = 0; i < 60; ++i) {
        const double m = std::sqrt(a * b);
        (std::abs(L.at(m)) > r ? a : b) = m;
    }
    return b;
}

}  // namespace

std::vector<ClosedLoopPoint> ClosedLoopBode(const FrequencyResponse& L, const std::vector<double>& omegas)
{
    const std::vector<double> phases = ClosedLoopPhases(L, omegas);
    std::vector<ClosedLoopPoint> points;
    points.reserve(omegas.size());
    for (std::size_t i = 0; i < omegas.size(); ++i)
        points.push_back({Decibels(std::abs(ClosedLoopAt(L, omegas[i]))), phases[i]});
    return points;
}

Nyquist NyquistOf(const FrequencyResponse& L, int count)
{
    Nyquist n;
    const PulsationRange range = SearchRange(L);
    double radius = 3;
    for (const double w : PhaseCrossovers(L))
        radius = std::max(radius, 1.25 * std::abs(L.at(w)));
    n.radius = radius;

    // From where |L| comes down to the radius, or from the lowest
    // pulsation when it never goes beyond it.
    const double decades = std::log10(range.high / range.low);
    const int steps = static_cast<int>(std::ceil(decades * SearchPointsPerDecade));
    const auto gridAt = [&](int i) { return range.low * std::pow(range.high / range.low, static_cast<double>(i) / steps); };
    double from = range.low;
    if (std::abs(L.at(range.low)) > radius) {
        for (int i = 1; i <= steps; ++i) {
            if (std::abs(L.at(gridAt(i))) <= radius) {
                from = downTo(L, radius, gridAt(i - 1), gridAt(i));
                break;
            }
        }
    }
    // To where it has shrunk to a thousandth of the radius for good, or the
    // highest pulsation.
    double to = range.high;
    for (int i = steps; i > 0; --i) {
        if (std::abs(L.at(gridAt(i))) >= 1e-3 * radius) {
            to = std::min(range.high, 2 * gridAt(i));
            break;
        }
    }
    to = std::max(to, 10 * from);
    n.omega.reserve(static_cast<std::size_t>(count));
    n.L.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double w = i + 1 == count ? to : from * std::pow(to / from, static_cast<double>(i) / (count - 1));
        n.omega.push_back(w);
        n.L.push_back(L.at(w));
    }
    if (L.integrators > 0) {
        n.arc = true;
        n.radius = std::abs(n.L.front());
        // The phase there, continuous from -90 per integrator: the arc turns
        // from its mirror, clockwise.
        const double phase = L.phase(from);
        n.arcTo = phase + WrappedPhase(std::arg(n.L.front()) * degreesPerRadian - phase);
        n.arcFrom = -n.arcTo;
    }
    n.unstable = ClosedLoopUnstablePoles(L);
    return n;
}

std::vector<NicholsContour> NicholsContours(double low, double high)
{
    std::vector<NicholsContour> contours;
    // The critical phases -180 + 360 k, from the one below `low` to the one past `high`.
    const auto firstTurn = static_cast<int>(std::floor((low + 180) / 360));
    const auto lastTurn = static_cast<int>(std::ceil((high + 180) / 360));
    bool alternate = false;
    for (const double level : NicholsLevels) {
        const double M = std::pow(10.0, level / 20);
        if (level > 0) {
            // |T| = M > 1: the circle of centre M^2 / (1 - M^2) and radius
            // M / (M^2 - 1) in the plane of L, about -1, not holding 0.
            const double centre = M * M / (1 - M * M);
            const double r = M / (M * M - 1);
            alternate = !alternate;
            for (int turn = firstTurn; turn <= lastTurn; ++turn) {
                const double critical = 360.0 * turn - 180;
                NicholsContour c{level, {}, {}, 0};
                for (int k = 0; k <= 180; ++k) {
                    const Complex l = centre + std::polar(r, 2 * plant::Pi * k / 180);
                    const double phase = critical + WrappedPhase(std::arg(l) * degreesPerRadian - 180);
                    c.phase.push_back(phase);
                    c.gainDb.push_back(Decibels(std::abs(l)));
                }
                // Written at the top, or at the left end, one level in two,
                // so that neighbouring levels' labels stand apart.
                c.label = alternate ? static_cast<std::size_t>(std::min_element(c.phase.begin(), c.phase.end()) - c.phase.begin())
                                    : static_cast<std::size_t>(std::max_element(c.gainDb.begin(), c.gainDb.end()) - c.gainDb.begin());
                if (*std::max_element(c.phase.begin(), c.phase.end()) >= low &&
                    *std::min_element(c.phase.begin(), c.phase.end()) <= high)
                    contours.push_back(std::move(c));
            }
            continue;
        }
        // |T| = M <= 1: for each phase phi, the gain g > 0 that solves
        // g^2 (1 - M^2) - 2 M^2 g cos phi - M^2 = 0; for M = 1, g = -1 / (2 cos phi),
        // where cos phi < 0, up to 40 dB.
        NicholsContour c{level, {}, {}, 0};
        const auto degrees = static_cast<int>(std::floor(high - low + 1e-9));
        for (int step = 0; step <= degrees; ++step) {
            const double phase = low + step;
            const double cosine = std::cos(phase / degreesPerRadian);
            double g = 0;
            if (level == 0) {
                if (cosine >= -0.005) {
                    if (!c.phase.empty()) {
                        contours.push_back(c);
                        c.phase.clear();
                        c.gainDb.clear();
                    }
                    continue;
                }
                g = -1 / (2 * cosine);
            } else {
                g = (M * M * cosine + std::sqrt(M * M * M * M * cosine * cosine + M * M * (1 - M * M))) / (1 - M * M);
            }
            c.phase.push_back(phase);
            c.gainDb.push_back(Decibels(g));
        }
        if (!c.phase.empty())
            contours.push_back(c);
        // The level is written at -100 degrees for 0 dB, at -90 degrees
        // below, where the levels stand a few decibels apart, on each line's
        // rightmost such phase; not at all on a line that has none.
        const double labelPhase = level == 0 ? -100 : -90;
        for (NicholsContour& each : contours) {
            if (each.level != level)
                continue;
            each.label = each.phase.size();
            for (std::size_t i = 0; i < each.phase.size(); ++i) {
                const double turns = (each.phase[i] - labelPhase) / 360;
                if (std::fabs(turns - std::round(turns)) < 0.5 / 360)
                    each.label = i;
            }
        }
    }
    return contours;
}

}  // namespace labo
