#include "model/limit_cycle.h"

#include "model/french.h"
#include "model/plant.h"

#include <algorithm>
#include <cmath>

namespace labo {
namespace {

constexpr std::size_t longWindow = 200;  // 2 s of samples
constexpr std::size_t shortest = 50;
constexpr std::size_t longest = 3000;  // a cycle is looked for over the last 30 s

struct Span {
    double low;
    double high;
    double mean;
    double width() const { return high - low; }
};

Span spanOf(const std::vector<double>& y, std::size_t from, std::size_t to)
{
    Span s{y[from], y[from], 0};
    for (std::size_t k = from; k < to; ++k) {
        s.low = std::min(s.low, y[k]);
        s.high = std::max(s.high, y[k]);
        s.mean += y[k];
    }
    s.mean /= static_cast<double>(to - from);
    return s;
}

// The last three periods of an oscillation about the middle of the last
// samples, if they agree; a cycle of amplitude 0 otherwise.
Ending cycleOf(const std::vector<double>& y)
{
    Ending none;
    const std::size_t n = y.size();
    const std::size_t from = n > longest ? n - longest : 0;
    const Span late = spanOf(y, from + (n - from) / 2, n);
    if (late.width() <= 0)
        return none;
    const double middle = (late.low + late.high) / 2;
    std::vector<double> crossings;  // upward, in samples, interpolated
    for (std::size_t k = from + 1; k < n; ++k)
        if (y[k - 1] < middle && y[k] >= middle)
            crossings.push_back(static_cast<double>(k - 1) + (middle - y[k - 1]) / (y[k] - y[k - 1]));
    if (crossings.size() < 4)
        return none;
    const std::size_t c = crossings.size();
    double periods[3];
    double amplitudes[3];
    for (std::size_t i = 0; i < 3; ++i) {
        const double start = crossings[c - 4 + i];
        const double end = crossings[c - 3 + i];
        periods[i] = end - start;
        const Span one = spanOf(y, static_cast<std::size_t>(std::floor(start)), static_cast<std::size_t>(std::ceil(end)) + 1);
        amplitudes[i] = one.width() / 2;
    }
    const auto agree = [](const double* v) {
        const double lo = std::min({v[0], v[1], v[2]});
        const double hi = std::max({v[0], v[1], v[2]});
        return lo > 0 && hi <= 1.02 * lo;
    };
    const double period = (periods[0] + periods[1] + periods[2]) / 3;
    // Still going on at the end, neither fading nor changing.
    const bool lasting = static_cast<double>(n - 1) - crossings[c - 1] <= 1.5 * period;
    if (!agree(periods) || !agree(amplitudes) || amplitudes[2] < 0.995 * amplitudes[0] || !lasting)
        return none;
    Ending cycle;
    cycle.kind = Ending::Kind::Cycle;
    cycle.amplitude = (amplitudes[0] + amplitudes[1] + amplitudes[2]) / 3;
    cycle.period = period * 0.01;
    cycle.value = middle;
    return cycle;
}

}  // namespace

// The oscillation's period in samples, from its last two upward crossings
// of its middle over the last 30 s; 0 without two.
double periodOf(const std::vector<double>& y)
{
    const std::size_t n = y.size();
    const std::size_t from = n > longest ? n - longest : 0;
    const Span late = spanOf(y, from + (n - from) / 2, n);
    const double middle = (late.low + late.high) / 2;
    double last = -1;
    double before = -1;
    for (std::size_t k = from + 1; k < n; ++k)
        if (y[k - 1] < middle && y[k] >= middle) {
            before = last;
            last = static_cast<double>(k);
        }
    return before < 0 ? 0 : last - before;
}

Ending ReadEnding(const std::vector<double>& y, double precision, bool still, bool mayRestart)
{
    Ending e;
    const std::size_t n = y.size();
    // Three windows of 2 s, or of a period of the oscillation if longer, so
    // that each holds a whole swing; shorter on a short signal, of half a
    // second at least.
    const auto period = static_cast<std::size_t>(std::ceil(periodOf(y)));
    const std::size_t window = std::min(std::max(longWindow, period), n / 3);
    if (window < shortest)
        return e;
    const Span s1 = spanOf(y, n - 3 * window, n - 2 * window);
    const Span s2 = spanOf(y, n - 2 * window, n - window);
    const Span s3 = spanOf(y, n - window, n);
    const auto rest = [&](double value, double remaining) {
        e.kind = Ending::Kind::Rest;
        e.value = value;
        e.remaining = remaining;
        return e;
    };
    if (s3.width() == 0 && (still || !mayRestart))
        return rest(y.back(), 0);
    e.window = window;
    const Ending cycle = cycleOf(y);
    if (cycle.kind == Ending::Kind::Cycle && cycle.amplitude > precision)
        return cycle;
    if (!mayRestart && s1.width() > 0 && s2.width() > 0) {
        const double ratio = std::max(s2.width() / s1.width(), s3.width() / s2.width());
        if (ratio < 0.9) {
            e.ratio = ratio;
            return rest((s3.low + s3.high) / 2, s3.width() / (1 - ratio));
        }
    }
    if (!mayRestart && s3.width() <= precision && s2.width() <= precision &&
        std::fabs(s3.mean - s2.mean) <= precision / 10)
        return rest(s3.mean, precision);
    return e;
}

std::string CycleText(const Ending& cycle)
{
    return "cycle limite d'amplitude " + FrenchSignificant(cycle.amplitude * plant::DegreesPerRadian, 3) +
           "° et de période " + FrenchSignificant(cycle.period, 3) + " s";
}

}  // namespace labo
