#include "model/run_reading.h"

#include "model/decimal.h"
#include "model/extended_run.h"
#include "model/frequency.h"
#include "model/harmonic.h"
#include "model/limit_cycle.h"
#include "model/loop.h"
#include "model/plant.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace labo {
namespace {

const std::string runEnd = "la fin de l'essai";
const std::string gustBegins = "le début de la rafale";
const std::string gustEnds = "la fin de la rafale";

constexpr int chunk = 200;       // the loop is followed 2 s at a time after the run
constexpr int longestAfter = 40; // s, at most
// At rest to the figures' last place: half a hundredth of a degree.
const double toTheDegreeHundredth = 0.005 / plant::DegreesPerRadian;
constexpr double band = 0.05;  // the settling band, as figures.cpp
const std::string slowMode = "la réponse n'est pas au repos (un mode de la boucle est trop lent)";

Figure value(double v)
{
    return {Figure::State::Value, v == 0 ? 0.0 : v, {}, {}};
}

Figure notReached(const std::string& reason)
{
    return {Figure::State::NotReached, 0, reason, {}};
}

double radians(double degrees)
{
    return degrees / plant::DegreesPerRadian;
}

// A quantity of the run, its samples from `from` to the run's end, then the
// loop after it (one engine, or the difference of two, for the wind's
// departure), followed until it comes to rest or into a cycle.
struct Followed {
    std::vector<double> values;
    std::size_t inRun = 0;
    Ending ending;
    std::string why;  // why it has no ending, when it has none
};

Followed follow(std::vector<double> values, const std::function<bool(std::vector<double>&)>& more,
                const std::function<bool()>& stuck, const std::function<bool()>& still, double precision)
{
    Followed f;
    f.inRun = values.size();
    f.values = std::move(values);
    std::vector<double> ratios;  // of the shrinking motion, check after check
    // The run itself first: it may have come to rest, or into its cycle,
    // well before its end.
    for (int seconds = 0; seconds <= longestAfter; seconds += chunk / 100) {
        if (seconds > 0 && !more(f.values)) {
            f.why = "la position s'emballe après " + runEnd;
            return f;
        }
        const bool held = still();
        f.ending = ReadEnding(f.values, precision, held, stuck() && !held);
        if (f.ending.kind == Ending::Kind::Cycle || (f.ending.kind == Ending::Kind::Rest && f.ending.remaining <= precision))
            return f;
        ratios.push_back(f.ending.kind == Ending::Kind::Rest ? f.ending.ratio : 0);
        const std::size_t n = ratios.size();
        const bool steady = n >= 3 && ratios[n - 3] > 0 && std::fabs(ratios[n - 1] / ratios[n - 3] - 1) < 0.1 &&
                            std::fabs(ratios[n - 2] / ratios[n - 3] - 1) < 0.1;
        if (steady) {
            // Shrinking steadily, but too slowly to come within `precision`
            // before the end of the search: at rest as far as it goes.
            const double windows = std::log(precision / f.ending.remaining) / std::log(f.ending.ratio);
            if (seconds + windows * static_cast<double>(f.ending.window) / 100 > longestAfter)
                return f;
        }
    }
    if (f.ending.kind != Ending::Kind::Rest)
        f.ending = {};
    f.why = stuck() ? "l'antenne, arrêtée par le frottement, repartira : l'action intégrale grandit encore"
                    : "la position n'est pas au repos " + std::to_string(longestAfter) + " s après " + runEnd;
    return f;
}

// Whether what is left of the motion is within the figures' precision.
bool precise(const Followed& f, double precision)
{
    return f.ending.remaining <= precision;
}

// Samples' values appended by a function of each.
bool append(RunAfter& after, std::vector<double>& values, const std::function<double(const Sample&)>& of)
{
    for (const Sample& s : after.next(chunk))
        values.push_back(of(s));
    return !after.diverged();
}

std::string whyNot(const Followed& f)
{
    return f.ending.kind == Ending::Kind::Cycle ? CycleText(f.ending) : f.why;
}

// The step's figures on theta up to `before`, then the loop after it.
void stepFigures(Figures& f, const Run& run, std::size_t before, bool gust)
{
    const Settings& s = run.settings;
    std::vector<double> theta;
    for (std::size_t k = 0; k <= before; ++k)
        theta.push_back(run.states[k].theta);
    RunAfter after(run, gust ? RunAfter::From::GustStartCalm : RunAfter::From::End);
    const double precision = std::min(toTheDegreeHundredth, 2.5e-4 * std::fabs(radians(s.amplitude)));
    const Followed followed = follow(
        theta, [&](std::vector<double>& v) { return append(after, v, [](const Sample& x) { return radians(x.position); }); },
        [&] { return after.stuck(); }, [&] { return after.heldStill(); }, precision);
    const double setPoint = radians(s.amplitude);
    if (followed.ending.kind != Ending::Kind::Rest) {
        f.overshoot = f.peakTime = f.settlingTime = f.staticError = notReached(whyNot(followed));
        return;
    }
    // Where it rests must be known to the figures' last place: each of them
    // is read against it.
    if (!precise(followed, precision)) {
        f.overshoot = f.peakTime = f.settlingTime = f.staticError = notReached(slowMode);
        return;
    }
    const double final = followed.ending.value;
    const bool moved = std::any_of(followed.values.begin(), followed.values.end(), [](double v) { return v != 0; });
    if (!moved) {
        f.overshoot = f.peakTime = f.settlingTime =
            notReached("l'antenne ne quitte pas sa position de départ : le frottement sec la retient");
        f.staticError = value(s.amplitude);
        return;
    }
    StepFigures(f, followed.values, followed.inRun, final, followed.ending.remaining, setPoint,
                gust ? gustBegins : runEnd, gust);
}

void rampLag(Figures& f, const Run& run, std::size_t before, bool gust)
{
    const Loop loop(run.settings);
    std::vector<double> error;
    for (std::size_t k = 0; k <= before; ++k)
        error.push_back(loop.setPoint(static_cast<double>(k) * SampleInterval) - run.states[k].theta);
    RunAfter after(run, gust ? RunAfter::From::GustStartCalm : RunAfter::From::End);
    const Followed followed = follow(
        error, [&](std::vector<double>& v) { return append(after, v, [](const Sample& x) { return radians(x.error); }); },
        [&] { return after.stuck(); }, [&] { return after.heldStill(); }, toTheDegreeHundredth);
    if (followed.ending.kind != Ending::Kind::Rest) {
        f.rampLag = notReached(whyNot(followed));
        return;
    }
    if (!precise(followed, toTheDegreeHundredth)) {
        f.rampLag = notReached(slowMode);
        return;
    }
    // Established within 5 % of its largest gap before the run's end or the gust.
    const double lag = followed.ending.value;
    double largest = 0;
    for (const double e : followed.values)
        largest = std::max(largest, std::fabs(e - lag));
    std::size_t from = followed.values.size();
    while (from > 0 && std::fabs(followed.values[from - 1] - lag) <= band * largest)
        --from;
    if (from > followed.inRun - 1)
        f.rampLag = notReached("l'erreur n'est pas établie avant " + (gust ? gustBegins : runEnd));
    else
        f.rampLag = value(lag * plant::DegreesPerRadian);
}

void windFigures(Figures& f, const Run& run, std::size_t gust)
{
    const Loop loop(run.settings);
    const std::size_t last = run.states.size() - 1;
    RunAfter calm(run, RunAfter::From::GustStartCalm);
    std::vector<double> still{run.states[gust].theta};  // the same run, without the gust
    for (std::size_t k = gust + 1; k <= last;) {
        const auto some = calm.next(static_cast<int>(std::min<std::size_t>(last + 1 - k, 1000)));
        for (const Sample& s : some)
            still.push_back(radians(s.position));
        k += some.size();
        if (some.empty() || calm.diverged())
            break;
    }
    std::vector<double> departure;
    for (std::size_t k = gust; k <= last && k - gust < still.size(); ++k)
        departure.push_back(run.states[k].theta - still[k - gust]);

    // While the gust blows: to the run's end and after, or to its own end.
    const double gustEnd = loop.gustEnd();
    const bool endsInRun = std::isfinite(gustEnd) && gustEnd <= static_cast<double>(last) * SampleInterval;
    Followed under;
    if (endsInRun) {
        const auto blows = static_cast<std::size_t>(std::max(static_cast<double>(gust), std::ceil(gustEnd / SampleInterval - 1e-9) - 1));
        under.values.assign(departure.begin(), departure.begin() + static_cast<std::ptrdiff_t>(blows - gust + 1));
        under.inRun = under.values.size();
        under.ending = ReadEnding(under.values, toTheDegreeHundredth, false, false);
        under.why = "la rafale s'arrête avant que l'antenne ne soit au repos";
    }
    RunAfter windy(run, RunAfter::From::End);
    const auto both = [&](std::vector<double>& v) {
        const auto a = windy.next(chunk);
        const auto b = calm.next(chunk);
        for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
            v.push_back(radians(a[i].position - b[i].position));
        return !windy.diverged() && !calm.diverged();
    };
    const Followed whole = follow(departure, both, [&] { return windy.stuck() || calm.stuck(); },
                                  [&] { return windy.heldStill() && calm.heldStill(); }, toTheDegreeHundredth);
    if (!endsInRun)
        under = whole;

    // Écart maximal dû au vent: reached within the run.
    if (whole.ending.kind == Ending::Kind::Unsettled) {
        f.windDeparture = notReached(whole.why);
    } else {
        double inRun = 0;  // the largest departure within the run, and after it
        double after = 0;
        for (std::size_t k = 0; k < whole.values.size(); ++k) {
            double& largest = k < whole.inRun ? inRun : after;
            largest = std::max(largest, std::fabs(whole.values[k]));
        }
        const double most = std::max(after, std::fabs(whole.ending.value));
        if (whole.ending.kind == Ending::Kind::Cycle)
            f.windDeparture = notReached(CycleText(whole.ending));
        else if (inRun < most * (1 - 1e-3))
            f.windDeparture = notReached("l'antenne s'écarte encore à la fin de l'essai");
        else
            f.windDeparture = value(inRun * plant::DegreesPerRadian);
    }
    // Erreur due au vent: at rest under the gust.
    if (under.ending.kind != Ending::Kind::Rest)
        f.windError = notReached(whyNot(under));
    else if (!precise(under, toTheDegreeHundredth))
        f.windError = notReached(slowMode);
    else
        f.windError = value(-under.ending.value * plant::DegreesPerRadian);
}

}  // namespace

void FiguresOnRun(Figures& f, const Run& run)
{
    const Settings& s = run.settings;
    const Loop loop(s);
    const bool step = s.input == Input::Step && s.amplitude != 0;
    const bool ramp = s.input == Input::Ramp && s.slope != 0;
    const bool sine = s.input == Input::Sine && s.amplitude != 0;
    const bool gust = loop.gustInRun() && s.input != Input::Sine;
    if (run.diverged) {
        const Figure away = notReached("la position s'emballe (l'essai s'arrête à " + FormatFixed(run.divergedAt, 2, ',') + " s)");
        if (step)
            f.overshoot = f.peakTime = f.settlingTime = f.staticError = away;
        if (ramp)
            f.rampLag = away;
        if (gust)
            f.windDeparture = f.windError = away;
        if (sine)
            f.amplitudeRatio = f.phaseShift = away;
        return;
    }
    if (sine)
        HarmonicFigures(f, run, PredictHarmonic(OpenLoopResponse(s), s.pulsation));
    const std::size_t last = run.states.size() - 1;
    const std::size_t before =
        gust ? std::min(last, static_cast<std::size_t>(std::floor(s.windStart / SampleInterval + 1e-9))) : last;
    if (step)
        stepFigures(f, run, before, gust);
    if (ramp)
        rampLag(f, run, before, gust);
    if (gust)
        windFigures(f, run, before);
}

}  // namespace labo
