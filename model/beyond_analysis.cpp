#include "model/beyond_analysis.h"

#include "model/delay.h"
#include "model/digital.h"
#include "model/french.h"
#include "model/frequency.h"
#include "model/matrices.h"
#include "model/plant.h"
#include "model/sampled.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace labo {
namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double lowestPulsation = 1e-5;  // rad/s, as frequency.h's searches
// The phase error the Padé approximant is chosen for, degrees, up to twice
// the critical pulsation.
constexpr double padeWithin = 1;

// A gain where closed-loop poles cross the stability boundary, and how the
// count of unstable poles changes as K passes it upwards.
struct Crossover {
    double K;
    double omega;
    int change;
};

// A root of f between a and b where it changes sign, by regula falsi
// (Illinois), with bisections where it stalls.
template <typename F>
double root(F f, double a, double b)
{
    double fa = f(a);
    double fb = f(b);
    int side = 0;
    for (int i = 0; i < 60 && b - a > 1e-14 * b; ++i) {
        double c = (a * fb - b * fa) / (fb - fa);
        if (!(c > a + 0.01 * (b - a) && c < b - 0.01 * (b - a)))
            c = (a + b) / 2;
        const double fc = f(c);
        if (fc == 0)
            return c;
        if ((fc < 0) == (fa < 0)) {
            a = c;
            fa = fc;
            if (side == 1)
                fb /= 2;
            side = 1;
        } else {
            b = c;
            fb = fc;
            if (side == -1)
                fa /= 2;
            side = -1;
        }
    }
    return (a + b) / 2;
}

// How the closed loop's pair crosses at w as K rises: outwards (+1) when
// Im dL1/dw > 0, inwards (-1) otherwise.
int direction(const FrequencyResponse& L1, double w)
{
    const double h = 1e-7 * w;
    return (L1.at(w + h) - L1.at(w - h)).imag() > 0 ? 1 : -1;
}

// Every gain up to Kmax where K L1 = -1, with its pulsation, by
// increasing K.
std::vector<Crossover> crossoversOf(const FrequencyResponse& L1, double Kmax, bool sampled)
{
    std::vector<Crossover> found;
    const double top = L1.highest;
    const double ratio = std::pow(10.0, 1.0 / SearchPointsPerDecade);
    double w = lowestPulsation;
    double phase = L1.phase(w);
    while (w < top) {
        // The next pulsation, near enough for the phase to turn under 45°
        // (a delay turns it the most, steadily).
        double next = std::min(top, w * ratio);
        double after = L1.phase(next);
        for (int i = 0; i < 40 && std::fabs(after - phase) > 45; ++i) {
            next = w + (next - w) / 2;
            after = L1.phase(next);
        }
        const double lo = std::min(phase, after);
        const double hi = std::max(phase, after);
        // A delay's many crossings at gains far past Kmax are not refined:
        // |L1| hardly moves over a step, where the phase turns.
        if (std::min(std::abs(L1.at(w)), std::abs(L1.at(next))) * Kmax < 0.5) {
            w = next;
            phase = after;
            if (!sampled && w > 1 && std::abs(L1.at(2 * w)) < std::abs(L1.at(w)))
                break;
            continue;
        }
        // Each level -180 + 360 k the phase passes between the two.
        const auto first = static_cast<long>(std::ceil((lo + 180) / 360));
        const auto last = static_cast<long>(std::floor((hi + 180) / 360));
        for (long k = first; k <= last; ++k) {
            const double level = 360.0 * static_cast<double>(k) - 180;
            if (level == phase)
                continue;  // found at the previous step
            const double at = after == level ? next : root([&](double x) { return L1.phase(x) - level; }, w, next);
            // A sampled loop's crossing at z = -1 is read apart, below.
            if (sampled && at > top * (1 - 1e-9))
                continue;
            const double K = 1 / std::abs(L1.at(at));
            if (K <= Kmax)
                found.push_back({K, at, 2 * direction(L1, at)});
        }
        w = next;
        phase = after;
        if (!sampled && w > 1 && std::abs(L1.at(w)) * Kmax < 1e-3 && std::abs(L1.at(2 * w)) < std::abs(L1.at(w)))
            break;
    }
    if (sampled) {
        // At w = pi / Te, L1 is real: a pole crosses at z = -1 where it is negative.
        const Complex end = L1.at(top);
        if (end.real() < 0 && -1 / end.real() <= Kmax)
            found.push_back({-1 / end.real(), top, L1.at(top * (1 - 1e-7)).imag() < 0 ? 1 : -1});
    }
    std::sort(found.begin(), found.end(), [](const Crossover& x, const Crossover& y) { return x.K < y.K; });
    return found;
}

// The ranges of stable gains: the count of unstable poles from K near 0,
// changed at each crossover.
std::vector<GainRange> stableRanges(const std::vector<Crossover>& crossovers, int unstableNearZero)
{
    std::vector<GainRange> ranges;
    int unstable = unstableNearZero;
    double from = 0;
    const auto close = [&](double to) {
        if (unstable != 0)
            return;
        if (!ranges.empty() && ranges.back().to == from)
            ranges.back().to = to;
        else
            ranges.push_back({from, to});
    };
    for (const Crossover& c : crossovers) {
        close(c.K);
        unstable += c.change;
        from = c.K;
    }
    close(infinity);
    return ranges;
}

bool byModulus(const Complex& x, const Complex& y)
{
    return std::abs(x) != std::abs(y) ? std::abs(x) > std::abs(y) : x.imag() > y.imag();
}

bool byRealPart(const Complex& x, const Complex& y)
{
    return x.real() != y.real() ? x.real() > y.real() : x.imag() > y.imag();
}

std::vector<Complex> eigenvalues(const Eigen::MatrixXd& M)
{
    const Eigen::VectorXcd values = Eigenvalues(M);
    return {values.data(), values.data() + values.size()};
}

// The first crossover's pulsation: where the loop's dominant poles turn
// unstable first as K rises; the Padé approximant is made good to twice it.
double criticalPulsation(const std::vector<Crossover>& crossovers)
{
    return crossovers.empty() ? 1.0 : crossovers.front().omega;
}

std::vector<Crossover> crossoversOf(const Settings& s)
{
    return crossoversOf(OpenLoopResponse(s, 1), std::max(1e7, 100 * s.K), s.Te > 0);
}

// What a sampled or delayed loop's poles are worked out from, made once
// for all the gains of a locus.
class PoleModel {
public:
    PoleModel(const Settings& s, int padeOrder)
        : settings_(s),
          plant_(s.Te > 0 ? DiscretizePlant(s.Te, s.delay) : SampledPlant{}),
          pade_(s.Te > 0 ? Pade{} : PadeOf(s.delay, padeOrder))
    {
    }
    // Sorted by decreasing modulus in z, by decreasing real part in s.
    std::vector<Complex> at(double K) const
    {
        const bool sampled = settings_.Te > 0;
        std::vector<Complex> poles = eigenvalues(sampled ? SampledLoopMatrix(settings_, plant_, K)
                                                         : DelayedLoopMatrix(settings_, K, pade_));
        std::sort(poles.begin(), poles.end(), sampled ? byModulus : byRealPart);
        return poles;
    }
    const SampledPlant& plant() const { return plant_; }

private:
    const Settings& settings_;
    SampledPlant plant_;
    Pade pade_;
};

std::string periods(double x)
{
    return FrenchSignificant(x, 4) + (x >= 2 ? " périodes" : " période");
}

// How the analysis of the set-up is made, in French, where that is worth
// saying.
std::string methodOf(const Settings& s, const SampledPlant& plant, int order, bool poles)
{
    if (s.Te == 0)
        return "stabilité, gain critique et marges exacts, avec e^(−jωτ) ; pôles et lieu avec le retard remplacé par "
               "son approximation de Padé d'ordre " + std::to_string(order) + ", de phase à moins de 1° de celle du "
               "retard jusqu'à deux fois la pulsation critique";
    std::string text = std::string("exacte en z : le procédé et son bloqueur d'ordre zéro par l'exponentielle de matrice, ") +
                       "le correcteur par " +
                       (s.discretization == Discretization::Tustin ? "Tustin" : "Euler (différence arrière)");
    if (plant.fraction > 0)
        text += ", le retard de " + periods(s.delay / s.Te) + " par la transformée en z modifiée";
    else if (plant.periods > 0)
        text += ", le retard de " + periods(plant.periods) + " en z⁻" + std::to_string(plant.periods);
    if (!poles)
        text += " ; pôles non calculés : la boucle en a " + std::to_string(SampledLoopOrder(s, plant)) +
                " (au plus " + std::to_string(MaxSampledOrder) + "), la stabilité et les marges restent exactes";
    return text;
}

// The poles' dominant pair, on their continuous equivalents for a
// sampled loop.
void dominantOf(Analysis& a, const Settings& s)
{
    if (s.Te == 0) {
        ReadDominant(a);
        return;
    }
    Analysis equivalent;
    for (const Complex& z : a.poles)
        if (z != Complex(0, 0))
            equivalent.poles.push_back(ContinuousEquivalent(z, s.Te));
    std::sort(equivalent.poles.begin(), equivalent.poles.end(), byRealPart);
    ReadDominant(equivalent);
    a.hasDominant = equivalent.hasDominant;
    a.damping = equivalent.damping;
    a.naturalPulsation = equivalent.naturalPulsation;
}

// The phase's pulsation at -900°, for Bode's end with a delay.
double turnedOut(const FrequencyResponse& L, double high)
{
    if (L.phase(high) > -900)
        return high;
    double a = lowestPulsation;
    double b = high;
    for (int i = 0; i < 60; ++i) {
        const double m = std::sqrt(a * b);
        (L.phase(m) > -900 ? a : b) = m;
    }
    return b;
}

}  // namespace

bool SampledOrDelayed(const Settings& s)
{
    return s.Te > 0 || s.delay > 0;
}

int PadeOrderOf(const Settings& settings)
{
    return PadeOrderFor(settings.delay, 2 * criticalPulsation(crossoversOf(settings)), padeWithin);
}

Analysis AnalyseBeyond(const Settings& s)
{
    Analysis a;
    const double K = s.K;
    const bool sampled = s.Te > 0;
    a.samplingPeriod = s.Te;

    // Stability, the critical gains and the gain margin, exactly.
    const std::vector<Crossover> crossovers = crossoversOf(s);
    for (const Crossover& c : crossovers)
        a.crossings.push_back({c.K, c.omega});
    const double nearZero = 1e-3 * std::min(1.0, crossovers.empty() ? 1.0 : crossovers.front().K);
    const int unstableNearZero = ClosedLoopUnstablePoles(OpenLoopResponse(s, nearZero)).value_or(0);
    a.stableGains = stableRanges(crossovers, unstableNearZero);
    ReadGainMargin(a, K);
    int unstable = unstableNearZero;
    for (const Crossover& c : crossovers)
        unstable += c.K < K ? c.change : 0;
    a.stable = unstable == 0;

    // The poles and zeros.
    const double critical = criticalPulsation(crossovers);
    const int order = sampled ? 0 : PadeOrderFor(s.delay, 2 * critical, padeWithin);
    const PoleModel poles(s, order);
    const bool exact = !sampled || SampledLoopOrder(s, poles.plant()) <= MaxSampledOrder;
    if (exact)
        a.poles = poles.at(K);
    if (sampled) {
        if (exact)
            a.stable = std::abs(a.poles.front()) < 1;
        a.zeros = SampledOpenLoopOf(s).zeros;
        std::sort(a.zeros.begin(), a.zeros.end(), byModulus);
    } else {
        a.zeros = OpenLoopOf(s).zeros;
    }
    a.method = methodOf(s, poles.plant(), order, exact);
    a.padeOrder = order;
    if (!a.poles.empty())
        dominantOf(a, s);

    // The phase margin, where |L| = 1; the smallest, if more than one.
    const FrequencyResponse L = OpenLoopResponse(s);
    for (const double w : GainCrossovers(L)) {
        const double phase = L.phase(w);
        const double margin = WrappedPhase(180 + phase);
        if (!a.hasPhaseMargin || margin < a.phaseMargin) {
            a.hasPhaseMargin = true;
            a.phaseMargin = margin;
            a.phaseMarginOmega = w;
            a.phaseMarginPhase = phase;
        }
    }
    a.frequency = ReadFrequencyFigures(L);
    a.leftOut = LeftOut(s);
    return a;
}

Locus LocusBeyond(const Settings& settings, double low, double high, int count)
{
    Locus locus;
    const PoleModel model(settings, settings.Te > 0 ? 0 : PadeOrderOf(settings));
    const int order = settings.Te > 0 ? SampledLoopOrder(settings, model.plant()) : 0;
    if (order > MaxSampledOrder)
        return locus;
    // A large loop (a delay of many periods) at fewer gains: its
    // eigenvalues cost as the cube of its order.
    if (order > 12)
        count = std::max(std::min(count, 50), static_cast<int>(count * 144.0 / (order * order)));
    for (int i = 0; i < count; ++i) {
        const double K = count == 1 ? low : low * std::pow(high / low, static_cast<double>(i) / (count - 1));
        std::vector<Complex> poles = model.at(K);
        if (!locus.poles.empty()) {
            // Each branch goes on from its previous pole to the nearest pole left.
            const std::vector<Complex>& before = locus.poles.back();
            std::vector<Complex> ordered(poles.size());
            std::vector<bool> taken(poles.size(), false);
            for (std::size_t b = 0; b < before.size(); ++b) {
                std::size_t best = 0;
                double nearest = infinity;
                for (std::size_t j = 0; j < poles.size(); ++j)
                    if (!taken[j] && std::norm(poles[j] - before[b]) < nearest) {
                        nearest = std::norm(poles[j] - before[b]);
                        best = j;
                    }
                taken[best] = true;
                ordered[b] = poles[best];
            }
            poles = ordered;
        }
        locus.gains.push_back(K);
        locus.poles.push_back(poles);
    }
    return locus;
}

double BodeHighest(const Settings& settings, double high)
{
    if (settings.Te > 0)
        return std::min(high, plant::Pi / settings.Te);
    if (settings.delay > 0)
        return turnedOut(OpenLoopResponse(settings), high);
    return high;
}

std::vector<BodePoint> BodeBeyond(const Settings& settings, double low, double high, int count)
{
    const FrequencyResponse L = OpenLoopResponse(settings);
    high = BodeHighest(settings, high);
    std::vector<BodePoint> points;
    points.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double w = count == 1 ? low : low * std::pow(high / low, static_cast<double>(i) / (count - 1));
        points.push_back({w, Decibels(std::abs(L.at(w))), L.phase(w)});
    }
    return points;
}

PoleShape ShapeOfPole(const Settings& settings, const Complex& pole)
{
    if (settings.Te == 0)
        return ShapeOf(pole);
    if (pole == Complex(0, 0))
        return {1, infinity};
    return ShapeOf(ContinuousEquivalent(pole, settings.Te));
}

std::string LeftOut(const Settings& s)
{
    std::vector<const char*> left;
    if (s.friction > 0)
        left.push_back("le frottement sec");
    if (s.backlash > 0)
        left.push_back("le jeu");
    if (s.resolution > 0)
        left.push_back("la résolution du capteur");
    std::string text;
    for (std::size_t i = 0; i < left.size(); ++i)
        text += std::string(i == 0 ? "sans " : (i + 1 == left.size() ? " ni " : ", ")) + left[i];
    return text;
}

}  // namespace labo
