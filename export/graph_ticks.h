#pragma once

#include <vector>

// The numbers of a graph's axes, apart from any drawing: round steps, the
// ranges they cover and the places their labels need.
namespace graph {

// An axis from low to high, with a tick every `step` and labels written
// with `decimals` places.
struct Axis {
    double low;
    double high;
    double step;
    int decimals;
};

// The smallest of 1, 2 or 5 times a power of ten that cuts `span` into at
// most `intervals` parts; 1 for a span that is not a positive number.
double NiceStep(double span, int intervals);

// The places a label needs at that step: 0 for 1, 2, 5, 10...; 1 for 0.5
// and 0.2; 2 for 0.05...
int StepDecimals(double step);

// An axis for values from low to high (in either order): a little wider
// than they are, so that no curve runs along the frame, then out to whole
// steps. A single value gets an axis around it (-1 to 1 for zero); values
// that are not finite get -1 to 1.
Axis ValueAxis(double low, double high, int intervals);

// An axis that ends exactly at low and high, as time does from the start
// of a run to its end, with its ticks at round values between them.
Axis SpanAxis(double low, double high, int intervals);

// The multiples of the axis' step from its low to its high end, both
// included, zero written as zero.
std::vector<double> Ticks(const Axis& axis);

}  // namespace graph
