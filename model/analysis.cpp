#include "model/analysis.h"

#include "model/beyond_analysis.h"
#include "model/frequency.h"
#include "model/linear_model.h"
#include "model/matrices.h"
#include "model/plant.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace labo {
namespace {

bool byRealPart(const Complex& x, const Complex& y)
{
    return x.real() != y.real() ? x.real() > y.real() : x.imag() > y.imag();
}

double degrees(double radians)
{
    return radians * plant::DegreesPerRadian;
}

// The angle wrapped to (-180, 180].
double wrapped(double angle)
{
    while (angle > 180)
        angle -= 360;
    while (angle <= -180)
        angle += 360;
    return angle;
}

std::vector<Complex> eigenvalues(const Eigen::MatrixXd& A)
{
    const Eigen::VectorXcd values = Eigenvalues(A);
    std::vector<Complex> poles(values.data(), values.data() + values.size());
    std::sort(poles.begin(), poles.end(), byRealPart);
    return poles;
}

// The gains K > 0 where P(j w) + K Q(j w) = 0 for some w > 0: there
// Im(P(j w) conj(Q(j w))) = 0, an odd polynomial in w, so w^2 is a root
// of its odd coefficients taken as a polynomial.
std::vector<Crossing> crossings(const OpenLoop& loop)
{
    const Polynomial product = [&] {
        const Polynomial a = Multiply(ImaginaryPartOnAxis(loop.P), RealPartOnAxis(loop.Q));
        const Polynomial b = Multiply(RealPartOnAxis(loop.P), ImaginaryPartOnAxis(loop.Q));
        Polynomial d(std::max(a.size(), b.size()), 0.0);
        for (std::size_t k = 0; k < a.size(); ++k)
            d[k] += a[k];
        for (std::size_t k = 0; k < b.size(); ++k)
            d[k] -= b[k];
        return d;
    }();
    Polynomial odd;
    for (std::size_t k = 1; k < product.size(); k += 2)
        odd.push_back(product[k]);
    std::vector<Crossing> found;
    for (const double x : PositiveRoots(odd)) {
        const double w = std::sqrt(x);
        const Complex K = -Evaluate(loop.P, Complex(0, w)) / Evaluate(loop.Q, Complex(0, w));
        if (K.real() > 0 && std::fabs(K.imag()) <= 1e-6 * K.real())
            found.push_back({K.real(), w});
    }
    std::sort(found.begin(), found.end(), [](const Crossing& x, const Crossing& y) { return x.K < y.K; });
    return found;
}

std::vector<GainRange> stableGains(const Settings& settings, const std::vector<Crossing>& crossings)
{
    std::vector<double> ends{0};
    for (const Crossing& c : crossings)
        ends.push_back(c.K);
    ends.push_back(std::numeric_limits<double>::infinity());
    std::vector<GainRange> ranges;
    for (std::size_t i = 0; i + 1 < ends.size(); ++i) {
        const double from = ends[i];
        const double to = ends[i + 1];
        const double inside = from == 0 ? (std::isinf(to) ? 1.0 : to / 2) : (std::isinf(to) ? from * 2 : std::sqrt(from * to));
        if (!IsStable(Linearize(settings, inside)))
            continue;
        if (!ranges.empty() && ranges.back().to == from)
            ranges.back().to = to;  // a pole touching the axis and going back
        else
            ranges.push_back({from, to});
    }
    return ranges;
}

double omegaAt(const std::vector<Crossing>& crossings, double K)
{
    for (const Crossing& c : crossings)
        if (c.K == K)
            return c.omega;
    return 0;
}

}  // namespace

Transfer CorrectorTransfer(const Settings& s)
{
    const double Tf = s.hasDerivative() ? s.Td / s.N : 0;
    if (s.hasIntegral() && s.hasDerivative())
        return {{1, s.Ti + Tf, s.Ti * (Tf + s.Td)}, {0, s.Ti, s.Ti * Tf}, {0.0, -1 / Tf}};
    if (s.hasIntegral())
        return {{1, s.Ti}, {0, s.Ti}, {0.0}};
    if (s.hasDerivative())
        return {{1, Tf + s.Td}, {1, Tf}, {-1 / Tf}};
    if (s.leadOrLag())
        return {{1, s.a * s.tau}, {1, s.tau}, {-1 / s.tau}};
    return {{1}, {1}, {}};
}

OpenLoop OpenLoopOf(const Settings& s)
{
    using namespace plant;
    OpenLoop loop;
    const Transfer c = CorrectorTransfer(s);
    loop.P = Multiply(c.denominator, {0, a * am, a + am, 1});
    loop.Q = Multiply(c.numerator, {Gain});
    loop.poles = {0.0, -am, -a};
    loop.poles.insert(loop.poles.end(), c.poles.begin(), c.poles.end());
    loop.zeros = Roots(c.numerator);
    std::sort(loop.poles.begin(), loop.poles.end(), byRealPart);
    std::sort(loop.zeros.begin(), loop.zeros.end(), byRealPart);
    return loop;
}

Complex OpenLoopAt(const OpenLoop& loop, double K, double w)
{
    return K * Evaluate(loop.Q, Complex(0, w)) / Evaluate(loop.P, Complex(0, w));
}

double OpenLoopPhase(const OpenLoop& loop, double w)
{
    // Each factor's angle is continuous in w: no root lies on the axis.
    double phase = 0;
    for (const Complex& z : loop.zeros)
        phase += std::arg(Complex(0, w) - z);
    for (const Complex& p : loop.poles)
        phase -= std::arg(Complex(0, w) - p);
    return degrees(phase);
}

std::vector<Complex> ClosedLoopPoles(const Settings& settings, double K)
{
    return eigenvalues(Linearize(settings, K).A);
}

bool IsStable(const LinearModel& model)
{
    return eigenvalues(model.A).front().real() < 0;
}

PoleShape ShapeOf(const Complex& pole)
{
    const double pulsation = std::abs(pole);
    return {pulsation > 0 ? -pole.real() / pulsation : 1.0, pulsation};
}

std::optional<double> GainMarginDb(const Analysis& analysis)
{
    if (!analysis.hasGainMargin || !std::isfinite(analysis.gainMargin))
        return std::nullopt;
    return Decibels(analysis.gainMargin);
}

void ReadDominant(Analysis& a)
{
    const auto pair = std::find_if(a.poles.begin(), a.poles.end(),
                                   [](const Complex& p) { return std::fabs(p.imag()) > 1e-9 * std::abs(p); });
    if (pair != a.poles.end()) {
        a.hasDominant = true;
        const PoleShape shape = ShapeOf(*pair);
        a.naturalPulsation = shape.pulsation;
        a.damping = shape.damping;
    } else if (a.poles.size() > 1 && a.poles[0].real() * a.poles[1].real() > 0) {
        a.hasDominant = true;
        a.naturalPulsation = std::sqrt(a.poles[0].real() * a.poles[1].real());
        a.damping = -(a.poles[0].real() + a.poles[1].real()) / (2 * a.naturalPulsation);
    }
}

void ReadGainMargin(Analysis& a, double K)
{
    // The stable range holding K, or the nearest on a logarithmic scale.
    const GainRange* range = nullptr;
    double distance = std::numeric_limits<double>::infinity();
    for (const GainRange& r : a.stableGains) {
        const double d = K < r.from ? std::log(r.from / K) : (K > r.to ? std::log(K / r.to) : 0);
        if (d < distance) {
            distance = d;
            range = &r;
        }
    }
    if (range != nullptr) {
        a.hasGainMargin = true;
        if (std::isfinite(range->to))
            a.critical = Crossing{range->to, omegaAt(a.crossings, range->to)};
        // The end nearest K on a logarithmic scale: from inside the range,
        // the factor K may rise or fall by before the loop turns unstable
        // (over 1); from outside it, the factor it must rise or fall by to
        // turn stable, written under 1 so that it reads as unstable.
        const bool inside = K >= range->from && K <= range->to;
        const double up = range->to / K;
        const double down = range->from > 0 ? K / range->from : std::numeric_limits<double>::infinity();
        a.gainMarginBelow = inside ? down < up : K < range->from;
        const double end = a.gainMarginBelow ? range->from : range->to;
        if (std::isfinite(end)) {
            a.gainMargin = a.gainMarginBelow ? K / end : end / K;
            a.gainMarginOmega = omegaAt(a.crossings, end);
        }
    }
}

Analysis Analyse(const Settings& settings)
{
    if (SampledOrDelayed(settings))
        return AnalyseBeyond(settings);
    Analysis a;
    const double K = settings.K;
    const OpenLoop loop = OpenLoopOf(settings);
    a.poles = ClosedLoopPoles(settings, K);
    a.zeros = loop.zeros;
    a.stable = a.poles.front().real() < 0;

    ReadDominant(a);

    a.crossings = crossings(loop);
    a.stableGains = stableGains(settings, a.crossings);
    ReadGainMargin(a, K);

    // |P(j w)|^2 = K^2 |Q(j w)|^2, an even polynomial in w: a polynomial in w^2.
    const auto squared = [](const Polynomial& p) {
        const Polynomial re = RealPartOnAxis(p);
        const Polynomial im = ImaginaryPartOnAxis(p);
        Polynomial sum = Multiply(re, re);
        const Polynomial i2 = Multiply(im, im);
        sum.resize(std::max(sum.size(), i2.size()), 0.0);
        for (std::size_t k = 0; k < i2.size(); ++k)
            sum[k] += i2[k];
        return sum;
    };
    const Polynomial p2 = squared(loop.P);
    const Polynomial q2 = squared(loop.Q);
    Polynomial even;
    for (std::size_t k = 0; k < std::max(p2.size(), q2.size()); k += 2)
        even.push_back((k < p2.size() ? p2[k] : 0) - K * K * (k < q2.size() ? q2[k] : 0));
    for (const double x : PositiveRoots(even)) {
        const double w = std::sqrt(x);
        const double phase = OpenLoopPhase(loop, w);
        const double margin = wrapped(180 + phase);
        if (!a.hasPhaseMargin || margin < a.phaseMargin) {
            a.hasPhaseMargin = true;
            a.phaseMargin = margin;
            a.phaseMarginOmega = w;
            a.phaseMarginPhase = phase;
        }
    }
    a.frequency = ReadFrequencyFigures(OpenLoopResponse(settings));
    a.leftOut = LeftOut(settings);
    return a;
}

Locus RootLocus(const Settings& settings, double low, double high, int count)
{
    if (SampledOrDelayed(settings))
        return LocusBeyond(settings, low, high, count);
    Locus locus;
    locus.gains.reserve(static_cast<std::size_t>(count));
    locus.poles.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double K = count == 1 ? low : low * std::pow(high / low, static_cast<double>(i) / (count - 1));
        std::vector<Complex> poles = ClosedLoopPoles(settings, K);
        if (!locus.poles.empty()) {
            // The order of the branches nearest the previous gain's poles.
            const std::vector<Complex>& before = locus.poles.back();
            std::vector<std::size_t> order(poles.size());
            std::iota(order.begin(), order.end(), 0);
            std::vector<std::size_t> best = order;
            double bestDistance = std::numeric_limits<double>::infinity();
            do {
                double d = 0;
                for (std::size_t b = 0; b < order.size(); ++b)
                    d += std::norm(poles[order[b]] - before[b]);
                if (d < bestDistance) {
                    bestDistance = d;
                    best = order;
                }
            } while (std::next_permutation(order.begin(), order.end()));
            std::vector<Complex> ordered;
            ordered.reserve(best.size());
            for (const std::size_t b : best)
                ordered.push_back(poles[b]);
            poles = ordered;
        }
        locus.gains.push_back(K);
        locus.poles.push_back(poles);
    }
    return locus;
}

std::vector<BodePoint> Bode(const Settings& settings, double low, double high, int count)
{
    if (SampledOrDelayed(settings))
        return BodeBeyond(settings, low, high, count);
    const OpenLoop loop = OpenLoopOf(settings);
    std::vector<BodePoint> points;
    points.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double w = count == 1 ? low : low * std::pow(high / low, static_cast<double>(i) / (count - 1));
        points.push_back({w, Decibels(std::abs(OpenLoopAt(loop, settings.K, w))), OpenLoopPhase(loop, w)});
    }
    return points;
}

}  // namespace labo
