#include "export/graph_ticks.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace graph {
namespace {

// How much of a step the rounding of low / step may be off by: a value
// that is a multiple of the step up to that is taken as one.
constexpr double hair = 1e-9;

// How much wider than the values a value axis is, on each side, as a part
// of their span.
constexpr double padding = 0.05;

constexpr double maxTicks = 1000;

}  // namespace

double NiceStep(double span, int intervals)
{
    if (!(span > 0) || !std::isfinite(span))
        return 1;
    const double raw = span / std::max(1, intervals);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (factor * power >= raw * (1 - hair))
            return factor * power;
    return 10 * power;
}

int StepDecimals(double step)
{
    if (!(step > 0) || !std::isfinite(step))
        return 0;
    return std::max(0, static_cast<int>(-std::floor(std::log10(step) + hair)));
}

Axis ValueAxis(double low, double high, int intervals)
{
    if (!std::isfinite(low) || !std::isfinite(high))
        low = high = 0;
    if (high < low)
        std::swap(low, high);
    if (high == low) {
        const double half = low == 0 ? 1 : std::fabs(low) / 10;
        low -= half;
        high += half;
    } else {
        const double pad = (high - low) * padding;
        low -= pad;
        high += pad;
    }
    const double step = NiceStep(high - low, intervals);
    return {std::floor(low / step + hair) * step, std::ceil(high / step - hair) * step, step, StepDecimals(step)};
}

Axis SpanAxis(double low, double high, int intervals)
{
    if (high < low)
        std::swap(low, high);
    const double step = NiceStep(high - low, intervals);
    return {low, high, step, StepDecimals(step)};
}

std::vector<double> Ticks(const Axis& axis)
{
    std::vector<double> ticks;
    if (!(axis.step > 0) || !std::isfinite(axis.low) || !std::isfinite(axis.high))
        return ticks;
    // Counted in whole steps, so that no error adds up from one tick to
    // the next.
    const double first = std::ceil(axis.low / axis.step - hair);
    const double count = std::floor(axis.high / axis.step + hair) - first + 1;
    // An axis has a handful of ticks: a step far too small for its range
    // gets none rather than millions.
    if (!(count >= 0 && count <= maxTicks))
        return ticks;
    for (int i = 0; i < static_cast<int>(count); ++i) {
        const double index = first + i;
        ticks.push_back(index == 0 ? 0.0 : index * axis.step);
    }
    return ticks;
}

}  // namespace graph
