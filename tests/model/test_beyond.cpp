// The loops beyond the linear one, against what the tests work out on their
// own: the sampled corrector's recurrence from its textbook form, and runs
// from simulations of their own (the plant's exact response between the
// instants its input changes, for a sampled corrector; a fine first-order
// hold of the delayed command, for a delay); the engine that runs them
// against version 1.7's on set-ups both can run; dry friction's band of
// rest; limit cycles measured on the run; figures that a halved step leaves
// as they are. SciPy checks the sampled and delayed analysis
// (test_sampled_reference.py).
#include "model/extended_run.h"
#include "model/digital.h"
#include "model/exercise.h"
#include "model/figures.h"
#include "model/laboratory.h"
#include "model/plant.h"
#include "model/quantities.h"
#include "model/run.h"
#include "model/settings.h"

#include <QTest>

#include <unsupported/Eigen/MatrixFunctions>

#include <algorithm>
#include <cmath>
#include <deque>

namespace {

labo::Settings settings(const QString& link)
{
    const labo::Parsed parsed = labo::ParseSettings(link.toStdString());
    if (!parsed.problems.empty())
        qFatal("bad test set-up %s: %s", qPrintable(link), parsed.problems.front().message.c_str());
    return parsed.settings;
}

// The plant from the chopper's input to theta: states Ea, wm, theta.
void plantMatrices(Eigen::Matrix3d& A, Eigen::Vector3d& B)
{
    using namespace plant;
    A << -a, 0, 0, Kt / (Ra * Jm), -am, 0, 0, Kg, 0;
    B << a, 0, 0;
}

double setPointAt(const labo::Settings& s, double t)
{
    return (s.input == labo::Input::Step ? s.amplitude : s.slope * t) / plant::DegreesPerRadian;
}

// A sampled P or PI loop, the test's own way: between the instants where
// its input changes, the plant's exact response to a constant input (the
// matrix exponential with the input as a state); at k Te, the corrector's
// recurrence as textbooks write it; its outputs reach the chopper a delay
// later. theta every 10 ms, degrees.
std::vector<double> sampledReference(const labo::Settings& s, std::size_t count)
{
    Eigen::Matrix3d A;
    Eigen::Vector3d B;
    plantMatrices(A, B);
    const auto step = [&](const Eigen::Vector3d& x, double v, double T) {
        Eigen::Matrix4d M = Eigen::Matrix4d::Zero();
        M.topLeftCorner<3, 3>() = A * T;
        M.topRightCorner<3, 1>() = B * v * T;
        Eigen::Vector4d z;
        z << x, 1;
        return Eigen::Vector3d((M.exp() * z).head<3>());
    };
    // u(k) = u(k-1) + b0 e(k) + b1 e(k-1) with an integral, b0 e(k) without.
    const bool integral = s.hasIntegral();
    const bool tustin = s.discretization == labo::Discretization::Tustin;
    const double b0 = !integral ? s.K : s.K * (1 + s.Te / (tustin ? 2 * s.Ti : s.Ti));
    const double b1 = !integral ? 0 : -s.K * (tustin ? 1 - s.Te / (2 * s.Ti) : 1);
    Eigen::Vector3d x = Eigen::Vector3d::Zero();
    double t = 0;
    double v = 0;
    double u = 0;
    double e1 = 0;
    long k = 0;
    std::deque<std::pair<double, double>> queued;
    std::vector<double> theta;
    while (theta.size() < count) {
        const double sampling = static_cast<double>(k) * s.Te;
        const double output = static_cast<double>(theta.size()) * 0.01;
        const double next = std::min({sampling, output, queued.empty() ? 1e9 : queued.front().first});
        x = step(x, v, next - t);
        t = next;
        if (std::fabs(t - sampling) < 1e-12) {
            const double e = plant::Kpot * (setPointAt(s, t) - x(2));
            u = (integral ? u : 0) + b0 * e + b1 * e1;
            e1 = e;
            queued.emplace_back(t + s.delay, u);
            ++k;
        }
        while (!queued.empty() && queued.front().first <= t + 1e-12) {
            v = s.limited() ? std::clamp(queued.front().second, -s.limit, s.limit) : queued.front().second;
            queued.pop_front();
        }
        if (std::fabs(t - output) < 1e-12)
            theta.push_back(x(2) * plant::DegreesPerRadian);
    }
    return theta;
}

// A continuous P loop behind a delay, the test's own way: steps of 10 us,
// the delayed command held as a straight line over each (a first-order
// hold), the plant's response to it exact; the delay a whole number of
// steps. theta every 10 ms, degrees.
std::vector<double> delayedReference(const labo::Settings& s, std::size_t count)
{
    const double h = 1e-5;
    Eigen::Matrix3d A;
    Eigen::Vector3d B;
    plantMatrices(A, B);
    Eigen::Matrix<double, 5, 5> M = Eigen::Matrix<double, 5, 5>::Zero();
    M.topLeftCorner<3, 3>() = A * h;
    M.block<3, 1>(0, 3) = B * h;
    M(3, 4) = h;
    const Eigen::Matrix<double, 5, 5> E = M.exp();
    const long d = std::lround(s.delay / h);
    const long perSample = std::lround(0.01 / h);
    std::vector<double> u;
    std::vector<double> theta;
    Eigen::Vector3d x = Eigen::Vector3d::Zero();
    for (long i = 0; theta.size() < count; ++i) {
        u.push_back(s.K * plant::Kpot * (setPointAt(s, static_cast<double>(i) * h) - x(2)));
        if (i % perSample == 0)
            theta.push_back(x(2) * plant::DegreesPerRadian);
        // Over [i h, (i + 1) h], from u((i - d) h) to u((i + 1 - d) h), 0
        // before the step reaches the chopper, which it does at d h.
        const double v0 = i >= d ? u[static_cast<std::size_t>(i - d)] : 0;
        const double v1 = i + 1 > d ? u[static_cast<std::size_t>(i + 1 - d)] : 0;
        Eigen::Matrix<double, 5, 1> z;
        z << x, v0, (v1 - v0) / h;
        x = (E * z).head<3>();
    }
    return theta;
}

// The numbers a limit cycle's reason gives: its amplitude (degrees) and period (s).
std::pair<double, double> cycleIn(const std::string& reason)
{
    const QRegularExpression numbers(QStringLiteral("amplitude ([0-9,]+)° et de période ([0-9,]+) s"));
    const QRegularExpressionMatch m = numbers.match(QString::fromStdString(reason));
    if (!m.hasMatch())
        return {0, 0};
    return {m.captured(1).replace(',', '.').toDouble(), m.captured(2).replace(',', '.').toDouble()};
}

std::vector<std::string> figureTexts(const labo::Run& run)
{
    const labo::Figures f = labo::ComputeFigures(run);
    std::vector<std::string> texts;
    for (const labo::Quantity& q : labo::FigureTable())
        texts.push_back(labo::FigureText(f.*q.figure, q));
    return texts;
}

}  // namespace

class TestBeyond : public QObject {
    Q_OBJECT
private slots:
    // The page writes the recurrence the run steps: its numbers are those
    // of the textbook's discretized P and PI.
    void recurrence_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("text");
        QTest::newRow("P") << "K=64.2&Te=0.01" << "u(k) = 64,2 ε(k)";
        // K (1 + Te/Ti) = 12.24 and K.
        QTest::newRow("PI, Euler") << "regulateur=PI&K=12&Ti=0.5&Te=0.01" << "u(k) = u(k−1) + 12,24 ε(k) − 12 ε(k−1)";
        // K (1 + Te/(2 Ti)) = 12.12 and K (1 - Te/(2 Ti)) = 11.88.
        QTest::newRow("PI, Tustin") << "regulateur=PI&K=12&Ti=0.5&Te=0.01&discretisation=tustin"
                                    << "u(k) = u(k−1) + 12,12 ε(k) − 11,88 ε(k−1)";
        // Euler on K (1 + N - N f), f = e / (1 + Td s / N), N/Td = 20 s^-1,
        // Te = 0.05: f(k) = 0.5 f(k-1) + 0.5 e(k), so u(k) - 0.5 u(k-1) =
        // K ((1 + N - N/2) e(k) - (1 + N)/2 e(k-1)).
        QTest::newRow("PD by the derivative's filter") << "regulateur=PID&K=2&Td=0.5&Ti=0&Te=0.05"
                                                       << "u(k) = 0,5 u(k−1) + 12 ε(k) − 11 ε(k−1)";
    }
    void recurrence()
    {
        QFETCH(QString, link);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(labo::RecurrenceText(settings(link))), text);
    }

    // A sampled or delayed loop's run, sample for sample, against the tests'
    // own simulations.
    void runAgainstOwnSimulation_data()
    {
        QTest::addColumn<QString>("link");
        QTest::newRow("P every 50 ms") << "K=64.2&Te=0.05&saturation=0";
        QTest::newRow("PI by Tustin every 30 ms, 70 ms late") << "regulateur=PI&K=64.2&Ti=2&Te=0.03&discretisation=tustin&retard=0.07&saturation=0";
        QTest::newRow("PI by Euler, a ramp, 2 periods late")
            << "regulateur=PI&K=40&Ti=3&Te=0.02&retard=0.04&entree=rampe&saturation=0&duree=6";
        QTest::newRow("P past its critical gain, 2.5 periods late, limited") << "K=300&Te=0.1&retard=0.25";
        QTest::newRow("P, 0.1 s late") << "K=64.2&retard=0.1&saturation=0&duree=5";
        QTest::newRow("P, 0.23 s late, a ramp") << "K=150&retard=0.23&entree=rampe&saturation=0&duree=5";
    }
    void runAgainstOwnSimulation()
    {
        QFETCH(QString, link);
        const labo::Settings s = settings(link);
        const labo::Run run = labo::Simulate(s);
        const std::vector<double> own = s.Te > 0 ? sampledReference(s, run.samples.size())
                                                 : delayedReference(s, run.samples.size());
        double scale = 0;
        double worst = 0;
        for (std::size_t k = 0; k < own.size(); ++k) {
            scale = std::max(scale, std::fabs(own[k]));
            worst = std::max(worst, std::fabs(run.samples[k].position - own[k]));
        }
        // They agree to 2e-9 of the largest angle (6e-7 degree at most).
        QVERIFY(scale > 1);
        QVERIFY2(worst <= 1e-7 * scale, qPrintable(QStringLiteral("off by %1 of %2").arg(worst / scale).arg(scale)));
    }

    // The engine that runs these loops, on set-ups the 1.7 one runs too.
    void engineAgainstVersion17_data()
    {
        QTest::addColumn<QString>("link");
        QTest::newRow("P") << "K=64.2";
        QTest::newRow("PID kick, limited to 20 V") << "regulateur=PID&K=64.2&Ti=2&Td=0.5&saturation=20";
        QTest::newRow("PI, a ramp and a gust") << "regulateur=PI&K=64.2&Ti=2&entree=rampe&vent=3&debutVent=1&dureeVent=2";
    }
    void engineAgainstVersion17()
    {
        QFETCH(QString, link);
        const labo::Settings s = settings(link);
        const labo::Run before = labo::Simulate(s);
        const labo::Run beyond = labo::SimulateBeyond(s, before.step / labo::SimulateBeyond(s).step);
        QCOMPARE(beyond.step, before.step);
        QCOMPARE(beyond.samples.size(), before.samples.size());
        double worst = 0;
        for (std::size_t k = 0; k < before.samples.size(); ++k)
            worst = std::max({worst, std::fabs(beyond.samples[k].position - before.samples[k].position),
                              std::fabs(beyond.samples[k].voltage - before.samples[k].voltage)});
        QVERIFY2(worst < 1e-9, qPrintable(QString::number(worst)));
    }

    // A P loop stops where the motor's torque, referred to the dish, no
    // longer beats the friction: |error| <= Tf Ra Kg / (Kt K Kpot).
    void restWithinFrictionBand_data()
    {
        QTest::addColumn<QString>("link");
        QTest::newRow("the preset, short of the set point") << "preset=frottement";
        QTest::newRow("past it, after an overshoot") << "K=64.2&frottement=1";
        QTest::newRow("downwards, stiff") << "K=200&frottement=3&amplitude=-20";
        QTest::newRow("creeping to the band's edge") << "K=10&frottement=0.3&duree=30";
        QTest::newRow("sampled, read by a coarse sensor") << "K=40&frottement=0.8&Te=0.02&capteur=0.2";
    }
    void restWithinFrictionBand()
    {
        QFETCH(QString, link);
        const labo::Settings s = settings(link);
        const labo::Figures f = labo::ComputeFigures(labo::Simulate(s));
        QVERIFY2(f.staticError.reached(), f.staticError.reason.c_str());
        const double band = s.friction * plant::Ra * plant::Kg / (plant::Kt * s.K * plant::Kpot) * plant::DegreesPerRadian;
        const double sensor = s.resolution / 2;  // the sensor's reading may be that far off
        // A dish creeping to the band's edge rests there within the figure's
        // last place (0.01°): its speed dies away as the drive nears the friction.
        QVERIFY2(std::fabs(f.staticError.value) <= band + sensor + 0.005,
                 qPrintable(QStringLiteral("%1 outside ±%2").arg(f.staticError.value, 0, 'g', 17).arg(band, 0, 'g', 17)));
        QVERIFY(f.staticError.value != 0);
    }

    // A run that keeps oscillating says so, with the cycle's amplitude and
    // period as the test measures them on the run's last 10 s.
    void limitCycle_data()
    {
        QTest::addColumn<QString>("link");
        QTest::newRow("backlash") << "preset=jeu&duree=30";
        QTest::newRow("sampled past its critical gain") << "preset=echantillonnage&duree=30";
        QTest::newRow("delayed past its critical gain") << "preset=retardPur&duree=30";
    }
    void limitCycle()
    {
        QFETCH(QString, link);
        const labo::Run run = labo::Simulate(settings(link));
        const labo::Figures f = labo::ComputeFigures(run);
        QCOMPARE(static_cast<int>(f.overshoot.state), static_cast<int>(labo::Figure::State::NotReached));
        const auto [amplitude, period] = cycleIn(f.overshoot.reason);
        QVERIFY2(amplitude > 0, f.overshoot.reason.c_str());
        std::vector<double> tail;
        for (std::size_t k = run.samples.size() - 1000; k < run.samples.size(); ++k)
            tail.push_back(run.samples[k].position);
        const auto [low, high] = std::minmax_element(tail.begin(), tail.end());
        const double middle = (*low + *high) / 2;
        std::vector<double> ups;
        for (std::size_t k = 1; k < tail.size(); ++k)
            if (tail[k - 1] < middle && tail[k] >= middle)
                ups.push_back(static_cast<double>(k) + (middle - tail[k - 1]) / (tail[k] - tail[k - 1]));
        QVERIFY(ups.size() >= 3);
        const double measured = (ups.back() - ups.front()) / static_cast<double>(ups.size() - 1) * 0.01;
        QVERIFY2(std::fabs(amplitude / ((*high - *low) / 2) - 1) < 0.02, qPrintable(QString::number(amplitude)));
        QVERIFY2(std::fabs(period / measured - 1) < 0.02, qPrintable(QStringLiteral("%1 %2").arg(period).arg(measured)));
    }

    // Stick, slip, contact and the sensor's reading located in time: with
    // half the step, the figures are the same.
    void figuresStillWhenStepHalved_data()
    {
        QTest::addColumn<QString>("link");
        QTest::newRow("friction") << "K=64.2&frottement=1";
        QTest::newRow("friction and backlash") << "K=64.2&jeu=1&frottement=0.5";
        QTest::newRow("backlash's cycle") << "preset=jeu";
        QTest::newRow("sensor, continuous") << "K=64.2&capteur=0.5";
        QTest::newRow("PI, friction, ramp") << "regulateur=PI&K=64.2&Ti=4&frottement=0.5&entree=rampe&duree=30";
        QTest::newRow("wind against backlash") << "K=64.2&jeu=2&vent=1&debutVent=2&amplitude=0&duree=20";
        QTest::newRow("sampled, delayed, sensor") << "K=64.2&Te=0.02&retard=0.05&capteur=1";
    }
    void figuresStillWhenStepHalved()
    {
        QFETCH(QString, link);
        const labo::Settings s = settings(link);
        const labo::Run whole = labo::SimulateBeyond(s, 1);
        const labo::Run half = labo::SimulateBeyond(s, 0.5);
        QCOMPARE(half.step, whole.step / 2);
        const std::vector<std::string> a = figureTexts(whole);
        const std::vector<std::string> b = figureTexts(half);
        for (std::size_t i = 0; i < a.size(); ++i)
            QVERIFY2(a[i] == b[i], (a[i] + " / " + b[i]).c_str());
    }

    // The critical gain a student predicts for a sampled or delayed loop is
    // that loop's, not the continuous one's (2620).
    void criticalGainQuestion_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<double>("prediction");
        QTest::addColumn<bool>("right");
        QTest::newRow("sampled every 0.1 s") << "K=64.2&Te=0.1&question=Kcrit" << 440.0 << true;
        QTest::newRow("sampled, the continuous answer") << "K=64.2&Te=0.1&question=Kcrit" << 2620.0 << false;
        QTest::newRow("0.1 s late") << "K=64.2&retard=0.1&question=Kcrit" << 241.0 << true;
        QTest::newRow("0.1 s late, its pulsation") << "K=64.2&retard=0.1&question=wcrit" << 3.82 << true;
    }
    void criticalGainQuestion()
    {
        QFETCH(QString, link);
        QFETCH(double, prediction);
        QFETCH(bool, right);
        const labo::Laboratory lab = labo::Compute(link.toStdString());
        QCOMPARE(labo::JudgePrediction(lab.parsed.settings.exercise, lab, prediction).met, right);
    }
};

QTEST_APPLESS_MAIN(TestBeyond)
#include "test_beyond.moc"
