#include "model/figures.h"

#include "model/analysis.h"
#include "model/continuation.h"
#include "model/decimal.h"
#include "model/extended_run.h"
#include "model/frequency.h"
#include "model/harmonic.h"
#include "model/linear_model.h"
#include "model/plant.h"
#include "model/run_reading.h"

#include <algorithm>
#include <cmath>

namespace labo {
namespace {

const std::string runEnd = "la fin de l'essai";
const std::string gustBegins = "le début de la rafale";
const std::string gustEnds = "la fin de la rafale";

// Below this, a response is not counted as passing its final value: the
// future's last digits are rounding.
constexpr double passing = 1e-6;
// The band of the settling time, and of "at rest" for the other figures.
constexpr double band = 0.05;

Figure value(double v)
{
    return {Figure::State::Value, v == 0 ? 0.0 : v, {}, {}};
}

Figure notReached(const std::string& reason)
{
    return {Figure::State::NotReached, 0, reason, {}};
}

Figure notApplicable(const std::string& reason)
{
    return {Figure::State::NotApplicable, 0, reason, {}};
}

int sampleAt(double t)
{
    return static_cast<int>(std::floor(t / SampleInterval + 1e-9));
}

// The first index after which every value stays within `within` of
// `target`; `values.size()` if the last one is outside.
std::size_t settledFrom(const std::vector<double>& values, double target, double within)
{
    for (std::size_t i = values.size(); i > 0; --i)
        if (std::fabs(values[i - 1] - target) > within)
            return i;
    return 0;
}

double largest(const std::vector<double>& values, std::size_t from, std::size_t to)
{
    double m = 0;
    for (std::size_t i = from; i < to; ++i)
        m = std::max(m, std::fabs(values[i]));
    return m;
}

const std::string slowMode = "la réponse n'est pas au repos (un mode de la boucle est trop lent)";

// A step's figures on theta from rest, `inRun` samples of the run then the
// future, after which theta stays within `remaining` of its final value
// `final`, the linear model's. The future is what the run would do next,
// unless a gust cuts the run short (`gustCuts`): then it is only what the
// loop would have done without the gust, and a figure must be read before.
void stepFigures(Figures& f, const std::vector<double>& theta, std::size_t inRun, double final, double remaining,
                 double setPoint, const std::string& until, bool gustCuts)
{
    std::vector<double> y(theta.size());
    std::transform(theta.begin(), theta.end(), y.begin(), [final](double v) { return v / final; });
    const double later = remaining / std::fabs(final);  // what the rest may still add to y

    // Dépassement D1: the highest point of the first excursion past the final value.
    const auto passes = std::find_if(y.begin(), y.end(), [](double v) { return v > 1 + passing; });
    if (passes == y.end()) {
        if (gustCuts && settledFrom(y, 1, band) >= inRun) {
            f.overshoot = f.peakTime = notReached("la réponse n'est pas posée avant " + until);
        } else if (later < 5e-4) {  // below the figure's last place
            f.overshoot = value(0);
            f.peakTime = notApplicable("la réponse ne dépasse pas sa valeur finale");
        } else {
            f.overshoot = f.peakTime = notReached(slowMode);
        }
    } else {
        const auto back = std::find_if(passes, y.end(), [](double v) { return v < 1; });
        const auto peak = std::max_element(passes, back);
        const auto index = static_cast<std::size_t>(peak - y.begin());
        if (back == y.end() && *peak - 1 < later)
            f.overshoot = f.peakTime = notReached(slowMode);
        else if (index >= inRun)
            f.overshoot = f.peakTime = notReached("le premier maximum vient après " + until);
        else {
            f.overshoot = value((*peak - 1) * 100);
            f.peakTime = value(static_cast<double>(index) * SampleInterval);
        }
    }

    // Temps de réponse à 5 %: where the response enters the band for good,
    // between the last sample outside it and the next.
    const std::size_t in = settledFrom(y, 1, band);
    if (later >= band) {
        f.settlingTime = f.staticError = notReached(slowMode);
        return;
    }
    if (in >= inRun) {
        f.settlingTime = notReached("la réponse ne reste dans ±5 % qu'après " + until);
        f.staticError = notReached("la réponse n'est pas au repos avant " + until);
        return;
    }
    f.staticError = value((setPoint - final) * plant::DegreesPerRadian);
    if (in == 0) {  // inside from the start: no step to speak of
        f.settlingTime = value(0);
        return;
    }
    const double out = y[in - 1];
    const double edge = out > 1 ? 1 + band : 1 - band;
    const double fraction = (out - edge) / (out - y[in]);
    f.settlingTime = value((static_cast<double>(in - 1) + fraction) * SampleInterval);
}

// theta over the run's samples from `first` to `last`, then the future.
std::vector<double> joined(const Run& run, std::size_t first, std::size_t last, const std::vector<double>& future)
{
    std::vector<double> theta;
    theta.reserve(last + 1 - first + future.size());
    for (std::size_t k = first; k <= last; ++k)
        theta.push_back(run.states[k].theta);
    theta.insert(theta.end(), future.begin(), future.end());
    return theta;
}

// The same run without the gust, from sample `from` (the last before it
// begins) to the run's end: its states at each sample.
std::vector<State> calmRun(const Run& run, std::size_t from)
{
    Settings calm = run.settings;
    calm.wind = 0;
    const Loop loop(calm);
    std::vector<State> states{run.states[from]};
    State x = run.states[from];
    for (std::size_t k = from + 1; k < run.states.size(); ++k) {
        Integrate(loop, x, static_cast<double>(k - 1) * SampleInterval, static_cast<double>(k) * SampleInterval,
                  run.step);
        states.push_back(x);
    }
    return states;
}

// theta's future at sample k after a continuation's start, past its end
// where it has settled: within 1e-9 rad of its limit, on the ramp if any.
double futureTheta(const Continuation& c, std::size_t k, double slope)
{
    if (k < c.theta.size())
        return c.theta[k];
    return c.settledTheta + slope * static_cast<double>(k + 1) * SampleInterval;
}

void windFigures(Figures& f, const Run& run, const LinearModel& model, const Loop& loop, std::size_t gust)
{
    const Settings& s = run.settings;
    const std::size_t last = run.states.size() - 1;
    const std::vector<State> calm = calmRun(run, gust);
    const double slope = s.input == Input::Ramp ? s.slope / plant::DegreesPerRadian : 0;
    const auto inputsAt = [&](std::size_t k, bool wind) {
        const double t = static_cast<double>(k) * SampleInterval;
        return HeldInputs{loop.setPoint(t), slope, wind ? s.wind : 0.0};
    };

    // theta with the gust minus theta without, from `gust` to sample `to`,
    // then their futures with the wind held as it blows at `to`.
    struct Departure {
        std::vector<double> d;  // empty when the future is not known
        double settled = 0;     // its limit
        double remaining = 0;   // how far from it the rest may still be
        std::string reason;
    };
    const auto departure = [&](std::size_t to, const std::string& until) {
        const bool blowing = loop.windTorque(static_cast<double>(to) * SampleInterval) != 0;
        const Continuation windy = Continue(model, run.states[to], inputsAt(to, blowing), s.limit, until);
        const Continuation still = Continue(model, calm[to - gust], inputsAt(to, false), s.limit, until);
        Departure out;
        if (!windy.valid || !still.valid) {
            out.reason = !windy.valid ? windy.reason : still.reason;
            return out;
        }
        for (std::size_t k = gust; k <= to; ++k)
            out.d.push_back(run.states[k].theta - calm[k - gust].theta);
        const std::size_t future = std::max(windy.theta.size(), still.theta.size());
        for (std::size_t k = 0; k < future; ++k)
            out.d.push_back(futureTheta(windy, k, slope) - futureTheta(still, k, slope));
        out.settled = windy.settledTheta - still.settledTheta;
        out.remaining = windy.remaining + still.remaining;
        return out;
    };

    // Écart maximal dû au vent: over the rest of the run and after.
    const Departure whole = departure(last, runEnd);
    if (whole.d.empty()) {
        f.windDeparture = notReached(whole.reason);
    } else {
        const std::size_t inRun = last + 1 - gust;
        const double most = std::max(largest(whole.d, 0, whole.d.size()), std::fabs(whole.settled) + whole.remaining);
        if (largest(whole.d, 0, inRun) < most * (1 - 1e-3))
            f.windDeparture = notReached("l'antenne s'écarte encore à la fin de l'essai");
        else
            f.windDeparture = value(largest(whole.d, 0, whole.d.size()) * plant::DegreesPerRadian);
    }

    // Erreur due au vent: at rest while the gust still blows, until the
    // last sample before it ends.
    std::size_t blowsTo = last;
    if (std::isfinite(loop.gustEnd())) {
        const double before = std::ceil(loop.gustEnd() / SampleInterval - 1e-9) - 1;
        blowsTo = std::min(last, static_cast<std::size_t>(std::max(static_cast<double>(gust), before)));
    }
    const Departure under = departure(blowsTo, blowsTo < last ? gustEnds : runEnd);
    if (under.d.empty()) {
        f.windError = notReached(under.reason);
        return;
    }
    // A gust over between two samples leaves no departure to settle.
    const double within = band * largest(under.d, 0, under.d.size());
    if (within > 0 && under.remaining >= within)
        f.windError = notReached(slowMode);
    else if (within == 0 || settledFrom(under.d, under.settled, within) > blowsTo - gust)
        f.windError = notReached(blowsTo < last ? "la rafale s'arrête avant que l'antenne ne soit au repos"
                                                : "l'antenne n'est pas au repos avant la fin de l'essai");
    else
        f.windError = value(-under.settled * plant::DegreesPerRadian);
}

}  // namespace

void StepFigures(Figures& f, const std::vector<double>& theta, std::size_t inRun, double final, double remaining,
                 double setPoint, const std::string& until, bool gustCuts)
{
    stepFigures(f, theta, inRun, final, remaining, setPoint, until, gustCuts);
}

Figures ComputeFigures(const Run& run)
{
    Figures f;
    const Settings& s = run.settings;
    const Loop loop(s);
    const LinearModel model = Linearize(s);
    const bool stable = IsStable(model);
    const bool gust = loop.gustInRun();

    // What each figure has to measure.
    const bool step = s.input == Input::Step && s.amplitude != 0;
    const bool ramp = s.input == Input::Ramp && s.slope != 0;
    const bool sine = s.input == Input::Sine && s.amplitude != 0;
    const std::string isSine = "l'entrée est un sinus";
    const std::string noStep = s.input == Input::Sine   ? isSine
                               : s.input == Input::Ramp ? "l'entrée est une rampe"
                                                        : "l'amplitude de l'échelon est nulle";
    const std::string noRamp = s.input == Input::Sine   ? isSine
                               : s.input == Input::Step ? "l'entrée est un échelon"
                                                        : "la pente de la rampe est nulle";
    const std::string noGust = s.wind == 0 ? "il n'y a pas de vent" : "la rafale commence après la fin de l'essai";
    const std::string noSine = s.input == Input::Sine ? "l'amplitude du sinus est nulle" : "l'entrée n'est pas un sinus";
    if (!step)
        f.overshoot = f.peakTime = f.settlingTime = f.staticError = notApplicable(noStep);
    if (!ramp)
        f.rampLag = notApplicable(noRamp);
    if (!gust)
        f.windDeparture = f.windError = notApplicable(noGust);
    if (!sine)
        f.amplitudeRatio = f.phaseShift = notApplicable(noSine);
    // The wind's figures are read against the run's held inputs: under a
    // sine, its effect is not told apart from the set point's.
    if (gust && s.input == Input::Sine)
        f.windDeparture = f.windError = notApplicable("l'entrée est un sinus : l'effet du vent ne se lit pas à part");

    // Beyond the linear loop, the figures are read on the run itself.
    if (BeyondLinearLoop(s)) {
        FiguresOnRun(f, run);
        return f;
    }

    std::string unreachable;
    if (run.diverged)
        unreachable = "la position s'emballe (l'essai s'arrête à " + FormatFixed(run.divergedAt, 2, ',') + " s)";
    else if (!stable)
        unreachable = "la boucle est instable";
    if (!unreachable.empty()) {
        if (step)
            f.overshoot = f.peakTime = f.settlingTime = f.staticError = notReached(unreachable);
        if (ramp)
            f.rampLag = notReached(unreachable);
        if (gust && s.input != Input::Sine)
            f.windDeparture = f.windError = notReached(unreachable);
        if (sine)
            f.amplitudeRatio = f.phaseShift = notReached(unreachable);
        return f;
    }
    if (sine)
        HarmonicFigures(f, run, PredictHarmonic(OpenLoopResponse(s), s.pulsation));

    // The input's figures: on the run up to the gust, then as if it never came.
    const std::size_t last = run.states.size() - 1;
    const std::size_t before = gust ? std::min(last, static_cast<std::size_t>(sampleAt(s.windStart))) : last;
    const std::string until = gust ? gustBegins : runEnd;
    const double tBefore = static_cast<double>(before) * SampleInterval;
    if (step) {
        const double setPoint = loop.setPoint(tBefore);
        const Continuation c = Continue(model, run.states[before], {setPoint, 0, 0}, s.limit, until);
        if (!c.valid)
            f.overshoot = f.peakTime = f.settlingTime = f.staticError = notReached(c.reason);
        else
            stepFigures(f, joined(run, 0, before, c.theta), before + 1, c.settledTheta, c.remaining, setPoint, until,
                        gust);
    }
    if (ramp) {
        const double slope = s.slope / plant::DegreesPerRadian;
        const Continuation c = Continue(model, run.states[before], {loop.setPoint(tBefore), slope, 0}, s.limit, until);
        if (!c.valid) {
            f.rampLag = notReached(c.reason);
        } else {
            // The error against its limit, until within 5 % of its largest gap.
            const std::vector<double> theta = joined(run, 0, before, c.theta);
            std::vector<double> gap(theta.size());
            for (std::size_t k = 0; k < theta.size(); ++k)
                gap[k] = loop.setPoint(static_cast<double>(k) * SampleInterval) - theta[k] - c.settledError;
            const double within = band * largest(gap, 0, gap.size());
            if (c.remaining >= within)
                f.rampLag = notReached(slowMode);
            else if (settledFrom(gap, 0, within) > before)
                f.rampLag = notReached("l'erreur n'est pas établie avant " + until);
            else
                f.rampLag = value(c.settledError * plant::DegreesPerRadian);
        }
    }
    if (gust && s.input != Input::Sine)
        windFigures(f, run, model, loop, before);
    return f;
}

}  // namespace labo
