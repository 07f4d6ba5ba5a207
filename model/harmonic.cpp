#include "model/harmonic.h"

#include "model/french.h"
#include "model/plant.h"

#include <Eigen/QR>

#include <cmath>

namespace labo {
namespace {

constexpr double agreement = 0.01;  // the last two periods' largest relative difference

std::string ratioText(double ratio)
{
    return French(ratio, 3) + " (" + French(Decibels(ratio), 2) + " dB)";
}

std::string phaseText(double degrees)
{
    return French(degrees, 1) + "°";
}

}  // namespace

HarmonicPrediction PredictHarmonic(const FrequencyResponse& L, double omega)
{
    return {std::abs(ClosedLoopAt(L, omega)), ClosedLoopPhase(L, omega)};
}

PeriodFit FitPeriod(const Run& run, double from, double to, double omega)
{
    // theta = c + alpha cos(w t) + beta sin(w t) = c + R sin(w t + phi).
    std::vector<const Sample*> inside;
    for (const Sample& s : run.samples)
        if (s.t >= from - 1e-9 && s.t <= to + 1e-9)
            inside.push_back(&s);
    Eigen::MatrixXd X(static_cast<Eigen::Index>(inside.size()), 3);
    Eigen::VectorXd y(X.rows());
    for (Eigen::Index i = 0; i < X.rows(); ++i) {
        const Sample& s = *inside[static_cast<std::size_t>(i)];
        X(i, 0) = 1;
        X(i, 1) = std::cos(omega * s.t);
        X(i, 2) = std::sin(omega * s.t);
        y(i) = s.position;
    }
    const Eigen::Vector3d c = X.colPivHouseholderQr().solve(y);
    return {std::hypot(c(1), c(2)), std::atan2(c(1), c(2)) * plant::DegreesPerRadian, c(0)};
}

void HarmonicFigures(Figures& f, const Run& run, const HarmonicPrediction& predicted)
{
    const Settings& s = run.settings;
    const std::string expectedRatio = "· prévu : " + ratioText(predicted.ratio);
    const std::string expectedPhase = "· prévu : " + phaseText(predicted.phase);
    f.amplitudeRatio.note = expectedRatio;
    f.phaseShift.note = expectedPhase;
    const auto notReached = [&f](const std::string& reason) {
        f.amplitudeRatio.state = f.phaseShift.state = Figure::State::NotReached;
        f.amplitudeRatio.reason = f.phaseShift.reason = reason;
    };

    const double period = 2 * plant::Pi / s.pulsation;
    const double end = run.samples.back().t;
    // A fit wants three samples a period at least: the sine's pulsation
    // stays under pi / 10 ms, as its range does.
    if (2 * period > end) {
        notReached("l'essai (" + FrenchSignificant(end, 4) + " s) dure moins de deux périodes du sinus (2 × " +
                   FrenchSignificant(period, 3) + " s)");
        return;
    }
    const PeriodFit last = FitPeriod(run, end - period, end, s.pulsation);
    const PeriodFit before = FitPeriod(run, end - 2 * period, end - period, s.pulsation);
    const auto phasor = [](const PeriodFit& p) { return std::polar(p.amplitude, p.phase / plant::DegreesPerRadian); };
    const double difference = std::abs(phasor(last) - phasor(before)) / last.amplitude;
    if (!(difference <= agreement)) {
        notReached("le régime transitoire n'est pas éteint à la fin de l'essai (ses deux dernières périodes "
                   "diffèrent de " +
                   FrenchSignificant(100 * difference, 2) + " %)");
        return;
    }
    const double ratio = last.amplitude / std::fabs(s.amplitude);
    // A negative amplitude is the same sine half a turn away.
    double phase = last.phase + (s.amplitude < 0 ? 180 : 0);
    phase += 360 * std::round((predicted.phase - phase) / 360);
    f.amplitudeRatio.state = f.phaseShift.state = Figure::State::Value;
    f.amplitudeRatio.value = ratio;
    f.amplitudeRatio.note = "(" + French(Decibels(ratio), 2) + " dB) " + expectedRatio;
    f.phaseShift.value = phase;
}

}  // namespace labo
