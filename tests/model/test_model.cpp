// The laboratory's model against what is known of the loop independently:
// the textbook's figures for the antenna's P loop (Routh's critical gain,
// the overshoot at K = 64.2, the velocity constant), the static errors that
// the loop's type predicts, the exact response of the linear loop (the
// matrix exponential, not the integrator), the chopper's limit and the
// anti-windup; and the link's reading, each bad value named.
#include "model/analysis.h"
#include "model/csv.h"
#include "model/decimal.h"
#include "model/exercise.h"
#include "model/figures.h"
#include "model/laboratory.h"
#include "model/linear_model.h"
#include "model/plant.h"
#include "model/run.h"
#include "model/settings.h"

#include <QTest>

#include <unsupported/Eigen/MatrixFunctions>

#include <cmath>
#include <map>

using labo::Figure;

namespace {

labo::Settings settings(const char* link)
{
    const labo::Parsed parsed = labo::ParseSettings(link);
    if (!parsed.problems.empty())
        qFatal("bad test set-up %s: %s", link, parsed.problems.front().message.c_str());
    return parsed.settings;
}

labo::Figures figures(const char* link)
{
    return labo::ComputeFigures(labo::Simulate(settings(link)));
}

const labo::FigureInfo& info(const QString& key)
{
    for (const labo::FigureInfo& i : labo::FigureTable())
        if (key == QLatin1String(i.key))
            return i;
    qFatal("no figure %s", qPrintable(key));
}

// The textbook's open loop: G(s) = 6.6315 K / (s (s + 100) (s + 1.7083)).
constexpr double textbookGain = 6.6315;
// Its velocity constant per unit of K: 6.6315 / (100 x 1.7083).
constexpr double kvPerK = 0.03882;
// The static departure the wind leaves under P, rad per N m, times K:
// the motor must hold Kg Tw, so K Kpot e = Ra Kg Tw / Kt.
const double windPerK = plant::Ra * plant::Kg / (plant::Kt * plant::Kpot);

}  // namespace

class TestModel : public QObject {
    Q_OBJECT
private slots:
    void textbookPlant()
    {
        QCOMPARE(qRound(plant::Gain * 1e4), qRound(textbookGain * 1e4));
        QCOMPARE(qRound(plant::am * 1e4), 17083);
        // Routh on s^3 + 101.7083 s^2 + 170.833 s + 6.6315 K: K = 2620, w = sqrt(170.833).
        const labo::Analysis a = labo::Analyse(settings("K=64.2"));
        QVERIFY(a.critical);
        QVERIFY(std::fabs(a.critical->K - 2620) < 1);
        QVERIFY(std::fabs(a.critical->omega - 13.07) < 0.005);
        QVERIFY(std::fabs(a.gainMargin * 64.2 - a.critical->K) < 1e-6 * a.critical->K);
        // There, a pair of poles on the imaginary axis.
        const std::vector<labo::Complex> poles = labo::ClosedLoopPoles(settings("K=64.2"), a.critical->K);
        QVERIFY(std::fabs(poles[0].real()) < 1e-6);
        QVERIFY(std::fabs(std::fabs(poles[0].imag()) - 13.0703) < 1e-3);
        QVERIFY(std::fabs(poles[2].real() + 101.7083) < 1e-3);
    }

    // Figures of runs, against what the theory or the textbook gives.
    void figureValues_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("key");
        QTest::addColumn<double>("expected");
        QTest::addColumn<double>("within");
        QTest::newRow("25 % at K = 64.2") << "K=64.2" << "D1" << 25.0 << 0.1;
        QTest::newRow("none at K = 10") << "K=10" << "D1" << 0.0 << 0.0;
        QTest::newRow("no static error") << "K=64.2" << "statique" << 0.0 << 0.0;
        const double lag64 = 10 / (kvPerK * 64.2);
        QTest::newRow("ramp lag P, K = 64.2") << "K=64.2&entree=rampe&pente=10&duree=20" << "traine" << lag64 << lag64 * 1e-3;
        const double lag200 = -5 / (kvPerK * 200);
        QTest::newRow("ramp lag P, K = 200, downward") << "K=200&entree=rampe&pente=-5&duree=20" << "traine" << lag200
                                                       << std::fabs(lag200) * 1e-3;
        QTest::newRow("no ramp lag under PI") << "regulateur=PI&K=64.2&Ti=2&entree=rampe&duree=30" << "traine" << 0.0 << 0.0;
        const double wind64 = -windPerK / 64.2 * plant::DegreesPerRadian;
        QTest::newRow("wind error P") << "K=64.2&amplitude=0&vent=1&debutVent=2&duree=20" << "vent" << wind64
                                      << std::fabs(wind64) * 1e-3;
        const double wind300 = -windPerK * 2.5 / 300 * plant::DegreesPerRadian;
        QTest::newRow("wind error P, after a step") << "K=300&amplitude=20&vent=2.5&debutVent=8&duree=20" << "vent"
                                                    << wind300 << std::fabs(wind300) * 1e-3;
        QTest::newRow("no wind error under PI") << "regulateur=PI&K=64.2&Ti=4&amplitude=0&vent=1&debutVent=2&duree=20"
                                                << "vent" << 0.0 << 0.0;
    }
    void figureValues()
    {
        QFETCH(QString, link);
        QFETCH(QString, key);
        QFETCH(double, expected);
        QFETCH(double, within);
        const labo::Figures f = figures(link.toUtf8().constData());
        const labo::Figure& figure = f.*info(key).figure;
        QVERIFY2(figure.reached(), figure.reason.c_str());
        QVERIFY2(std::fabs(figure.value - expected) <= within + 1e-12,
                 qPrintable(QStringLiteral("%1, expected %2").arg(figure.value).arg(expected)));
    }

    // A figure the run does not reach is never a number.
    void figuresNotReached_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("reason");
        const int notReached = static_cast<int>(Figure::State::NotReached);
        const int notApplicable = static_cast<int>(Figure::State::NotApplicable);
        QTest::newRow("unstable") << "K=3000" << "D1" << notReached << "instable";
        QTest::newRow("run too short") << "K=64.2&duree=1" << "tr5" << notReached << "fin de l'essai";
        QTest::newRow("peak after the end") << "K=64.2&duree=1" << "D1" << notReached << "après la fin";
        QTest::newRow("gust before rest") << "K=64.2&vent=1&debutVent=2" << "tr5" << notReached << "rafale";
        QTest::newRow("no overshoot, no peak") << "K=10" << "tpic" << notApplicable << "ne dépasse pas";
        QTest::newRow("no overshoot seen before the gust") << "K=10&vent=1&debutVent=0" << "D1" << notReached << "rafale";
        QTest::newRow("runaway without limit") << "K=5000&saturation=0&duree=120" << "tr5" << notReached << "s'emballe";
        QTest::newRow("chopper cannot hold the wind") << "K=64.2&vent=80&debutVent=3&duree=20" << "vent" << notReached
                                                       << "limite du hacheur";
        QTest::newRow("still saturated at the end") << "K=2620" << "D1" << notReached << "hacheur";
        QTest::newRow("gust ends before rest") << "K=64.2&amplitude=0&vent=1&debutVent=3&dureeVent=1&duree=20" << "vent"
                                               << notReached << "rafale s'arrête";
        QTest::newRow("gust between two samples") << "amplitude=0&vent=1&debutVent=2.001&dureeVent=0.001" << "vent"
                                                  << notReached << "rafale s'arrête";
        QTest::newRow("no step") << "amplitude=0" << "D1" << notApplicable << "amplitude de l'échelon est nulle";
        QTest::newRow("no ramp") << "K=10" << "traine" << notApplicable << "échelon";
        QTest::newRow("gust after the run") << "vent=1&debutVent=30" << "vent" << notApplicable << "après la fin";
        QTest::newRow("sine: fewer than two periods") << "K=64.2&entree=sinus&pulsation=0.5" << "rapport" << notReached
                                                      << "deux périodes";
        QTest::newRow("sine: transient still there") << "K=64.2&entree=sinus&pulsation=2&duree=8" << "dephasage"
                                                     << notReached << "transitoire";
        QTest::newRow("sine: unstable") << "K=3000&entree=sinus&pulsation=2&duree=30" << "rapport" << notReached
                                        << "instable";
        QTest::newRow("no sine") << "K=10" << "dephasage" << notApplicable << "pas un sinus";
        QTest::newRow("no step under a sine") << "K=10&entree=sinus" << "D1" << notApplicable << "sinus";
    }
    void figuresNotReached()
    {
        QFETCH(QString, link);
        QFETCH(QString, key);
        QFETCH(int, state);
        QFETCH(QString, reason);
        const labo::FigureInfo& i = info(key);
        const labo::Figure figure = figures(link.toUtf8().constData()).*i.figure;
        QCOMPARE(static_cast<int>(figure.state), state);
        QVERIFY2(QString::fromStdString(figure.reason).contains(reason), figure.reason.c_str());
        const QString text = QString::fromStdString(labo::FigureText(figure, i));
        QVERIFY(text.startsWith(state == static_cast<int>(Figure::State::NotReached) ? "non atteint : " : "sans objet : "));
    }

    // Without the chopper's limit the run is the linear loop's response:
    // the integrator against the matrix exponential of the loop with its
    // inputs (set point, its slope, the wind) as states of their own.
    void runAgainstExactResponse_data()
    {
        QTest::addColumn<QString>("link");
        QTest::newRow("P step") << "K=64.2&saturation=0";
        QTest::newRow("P high gain") << "K=2000&saturation=0&duree=5";
        QTest::newRow("PI ramp and wind") << "regulateur=PI&K=64.2&Ti=2&entree=rampe&vent=3&debutVent=0&saturation=0&duree=20";
        QTest::newRow("PID") << "regulateur=PID&K=64.2&Ti=2&Td=0.5&saturation=0";
        QTest::newRow("PID stiffest filter") << "regulateur=PID&K=100&Ti=2&Td=0.01&N=50&saturation=0&duree=5";
        QTest::newRow("phase lead") << "regulateur=avance&K=300&a=6&tau=0.08&saturation=0&duree=5";
        QTest::newRow("phase lag, ramp") << "regulateur=retard&K=100&a=0.2&tau=8&entree=rampe&saturation=0&duree=20";
    }
    void runAgainstExactResponse()
    {
        QFETCH(QString, link);
        const labo::Settings s = settings(link.toUtf8().constData());
        const labo::Run run = labo::Simulate(s);
        const labo::LinearModel m = labo::Linearize(s);
        const int n = m.size();
        Eigen::MatrixXd M = Eigen::MatrixXd::Zero(n + 3, n + 3);
        M.topLeftCorner(n, n) = m.A;
        M.block(0, n, n, 1) = m.Br;
        M.block(0, n + 2, n, 1) = m.Bw;
        M(n, n + 1) = 1;
        Eigen::VectorXd z0 = Eigen::VectorXd::Zero(n + 3);
        z0(n) = s.input == labo::Input::Step ? s.amplitude / plant::DegreesPerRadian : 0;
        z0(n + 1) = s.input == labo::Input::Ramp ? s.slope / plant::DegreesPerRadian : 0;
        z0(n + 2) = s.wind;
        double scale = 0;
        double worst = 0;
        for (const labo::Sample& sample : run.samples) {
            const double exact = ((M * sample.t).exp() * z0)(2) * plant::DegreesPerRadian;
            scale = std::max(scale, std::fabs(exact));
            worst = std::max(worst, std::fabs(sample.position - exact));
        }
        // 0.1 % is the promise; RK4 at these steps gives 1e-9 (2e-9 at most on
        // these rows), so a millionth catches the slips the promise would hide.
        QVERIFY(scale > 1);
        QVERIFY2(worst <= 1e-6 * scale, qPrintable(QStringLiteral("off by %1 of %2").arg(worst / scale).arg(scale)));
    }

    // The chopper's output never passes its limit, though the command does;
    // the anti-windup lowers the overshoot that the limit causes.
    void chopperLimit_data()
    {
        QTest::addColumn<QString>("link");
        QTest::newRow("unstable P") << "preset=instabilite";
        QTest::newRow("large PI step") << "regulateur=PI&K=200&Ti=1&amplitude=150&duree=20";
        QTest::newRow("PID kick, 20 V") << "regulateur=PID&K=64.2&Ti=2&Td=0.5&saturation=20";
    }
    void chopperLimit()
    {
        QFETCH(QString, link);
        const labo::Run run = labo::Simulate(settings(link.toUtf8().constData()));
        double command = 0;
        double voltage = 0;
        for (const labo::Sample& s : run.samples) {
            command = std::max(command, std::fabs(s.command));
            voltage = std::max(voltage, std::fabs(s.voltage));
        }
        QVERIFY(command > run.settings.limit * 1.2);
        QVERIFY(voltage <= run.settings.limit * (1 + 1e-9));
        QVERIFY(voltage > run.settings.limit * 0.9);
    }
    void antiWindup()
    {
        const char* step = "regulateur=PI&K=200&Ti=1&amplitude=90&duree=20";
        const labo::Figure with = figures(step).overshoot;
        const labo::Figure without = figures((std::string(step) + "&antisaturation=0").c_str()).overshoot;
        QVERIFY(with.reached() && without.reached());
        QVERIFY2(with.value < without.value - 3, qPrintable(QStringLiteral("%1 %2").arg(with.value).arg(without.value)));
    }

    void stabilityAnalysis_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("stable");
        QTest::addColumn<bool>("anyStableGain");
        QTest::newRow("P") << "K=64.2" << true << true;
        QTest::newRow("P past the critical gain") << "K=3000" << false << true;
        QTest::newRow("PI, Ti too short for any K") << "regulateur=PI&K=64.2&Ti=0.3" << false << false;
        QTest::newRow("PID") << "regulateur=PID&K=64.2&Ti=2&Td=0.5" << true << true;
        // Stable only from K = 44.6 to 3216: unstable below, and just stable
        // above its lower end, where lowering K is the nearer danger.
        QTest::newRow("PID, too little gain") << "regulateur=PID&K=10&Ti=0.3&Td=0.5" << false << true;
        QTest::newRow("PID, just enough gain") << "regulateur=PID&K=45&Ti=0.3&Td=0.5" << true << true;
    }
    void stabilityAnalysis()
    {
        QFETCH(QString, link);
        QFETCH(bool, stable);
        QFETCH(bool, anyStableGain);
        const labo::Settings s = settings(link.toUtf8().constData());
        const labo::Analysis a = labo::Analyse(s);
        QCOMPARE(a.stable, stable);
        QCOMPARE(a.hasGainMargin, anyStableGain);
        QCOMPARE(a.hasGainMargin && a.gainMargin > 1, stable);
        // A stable loop stays so with K raised or lowered by a little less
        // than its margin, and not one way with a little more.
        if (stable && std::isfinite(a.gainMargin)) {
            const auto stableAt = [&](double K) { return labo::IsStable(labo::Linearize(s, K)); };
            const double m = a.gainMargin;
            QVERIFY(stableAt(s.K * m * 0.999) && stableAt(s.K / (m * 0.999)));
            QVERIFY(!stableAt(s.K * m * 1.001) || !stableAt(s.K / (m * 1.001)));
        }
        // The phase margin is read where |CG| = 1, and its sign says the same.
        QVERIFY(a.hasPhaseMargin);
        const labo::OpenLoop loop = labo::OpenLoopOf(s);
        QVERIFY(std::fabs(std::abs(labo::OpenLoopAt(loop, s.K, a.phaseMarginOmega)) - 1) < 1e-6);
        QCOMPARE(a.phaseMargin > 0, stable);
        // Every crossing gain puts a pair of poles on the axis at its pulsation.
        for (const labo::Crossing& c : a.crossings) {
            const auto poles = labo::ClosedLoopPoles(s, c.K);
            const auto onAxis = std::find_if(poles.begin(), poles.end(), [&](const labo::Complex& p) {
                return std::fabs(p.real()) < 1e-6 * c.omega && std::fabs(p.imag() - c.omega) < 1e-6 * c.omega;
            });
            QVERIFY(onAxis != poles.end());
        }
    }

    void settingsRead_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("name");   // empty: no problem
        QTest::addColumn<QString>("value");  // the setting's value after reading
        QTest::newRow("decimal comma") << "K=64,2" << "" << "64.2";
        QTest::newRow("whole address, percent-encoded") << "file:///x/antenne.html#labo?entree=%C3%A9chelon&K=5" << ""
                                                        << "5";
        QTest::newRow("names without regard to case") << "k=7&REGULATEUR=pi" << "" << "7";
        QTest::newRow("preset first, then the others") << "K=20&preset=oscillatoire" << "" << "20";
        QTest::newRow("not a number") << "K=abc" << "K" << "10";
        QTest::newRow("zero gain") << "K=0" << "K" << "10";
        QTest::newRow("infinite") << "K=1e999" << "K" << "10";
        QTest::newRow("trailing text") << "K=64.2x" << "K" << "10";
        QTest::newRow("Ti too short") << "regulateur=PI&Ti=0.001" << "Ti" << "0";
        QTest::newRow("Td too long") << "Td=200" << "Td" << "0";
        QTest::newRow("N") << "N=0" << "N" << "10";
        QTest::newRow("controller") << "regulateur=PD" << "regulateur" << "P";
        QTest::newRow("input") << "entree=triangle" << "entree" << "echelon";
        QTest::newRow("a lag's ratio above 1") << "regulateur=retard&a=4" << "a" << "0.25";
        QTest::newRow("a lead's own defaults") << "regulateur=avance&K=300" << "" << "300";
        QTest::newRow("anti-windup") << "antisaturation=oui" << "antisaturation" << "1";
        QTest::newRow("amplitude") << "amplitude=270" << "amplitude" << "30";
        QTest::newRow("run too short") << "duree=0.5" << "duree" << "10";
        QTest::newRow("negative limit") << "saturation=-1" << "saturation" << "100";
        QTest::newRow("wind") << "vent=" << "vent" << "0";
        QTest::newRow("preset") << "preset=tempete" << "preset" << "";
        QTest::newRow("exercise's target") << "exercice=D1:beaucoup" << "exercice" << "";
        QTest::newRow("exercise's name") << "exercice=zeta:0.7" << "exercice" << "";
        QTest::newRow("exercise's tolerance") << "exercice=tr5:2:-1" << "exercice" << "";
        QTest::newRow("overshoot never met") << "exercice=D1:-5" << "exercice" << "";
        QTest::newRow("question") << "question=Kmax" << "question" << "";
        QTest::newRow("two exercises") << "exercice=D1:25&question=Kcrit" << "question" << "";
        QTest::newRow("held setting") << "fixe=Ti,vitesse" << "fixe" << "";
        QTest::newRow("held settings, in order") << "fixe=ti,REGULATEUR,Ti&K=5" << "" << "5";
        QTest::newRow("K too small to analyse") << "K=1e-12" << "K" << "10";
        QTest::newRow("more places than a link writes") << "K=64.2000000001&amplitude=1e-10" << "" << "64.2000000001";
    }
    void settingsRead()
    {
        QFETCH(QString, link);
        QFETCH(QString, name);
        QFETCH(QString, value);
        const labo::Parsed parsed = labo::ParseSettings(link.toStdString());
        if (name.isEmpty()) {
            QVERIFY2(parsed.problems.empty(), parsed.problems.empty() ? "" : parsed.problems[0].message.c_str());
        } else {
            QCOMPARE(parsed.problems.size(), std::size_t(1));
            const labo::Problem& p = parsed.problems[0];
            QCOMPARE(QString::fromStdString(p.name), name);
            const QString message = QString::fromStdString(p.message);
            QVERIFY2(message.startsWith("«\u00a0" + name + "=") && message.contains(" accepte "), p.message.c_str());
        }
        // The setting named, or K: the value it holds afterwards.
        const std::string shown = name.isEmpty() ? "K" : name.toStdString();
        QCOMPARE(QString::fromStdString(labo::LinkValue(parsed.settings, shown)), value);
        // Whatever was read, its link reads back as the same set-up.
        QVERIFY(labo::ParseSettings(labo::LinkString(parsed.settings)).settings == parsed.settings);
    }

    // The exercises' verdicts on the model: a goal met or how far off and
    // which way, a prediction right or wrong, and the answer.
    void exercises_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<double>("prediction");  // NaN: the goal is judged
        QTest::addColumn<bool>("met");
        QTest::addColumn<QString>("says");
        QTest::addColumn<int>("score");  // for a platform's gradebook: 100 met, 50 x tolerance / gap short of it
        const double goal = std::nan("");
        QTest::newRow("25 % met") << "K=64.2&exercice=D1:25" << goal << true << "Réussi : le dépassement D1 vaut 25,0 %" << 100;
        QTest::newRow("25 %, too much") << "K=200&exercice=D1:25" << goal << false << "24,8 points de trop" << 4;
        QTest::newRow("30 %, nearer") << "K=64.2&exercice=D1:30" << goal << false << "5,0 points de moins" << 20;
        QTest::newRow("25 %, too little") << "K=10&exercice=D1:25" << goal << false << "25,0 points de moins" << 4;
        QTest::newRow("tolerance given") << "K=64.2&exercice=D1:20:6" << goal << true << "à 6 points près" << 100;
        QTest::newRow("gain margin") << "K=64.2&exercice=MG:32.2:0.1" << goal << true << "32,2 dB" << 100;
        QTest::newRow("no gain margin") << "regulateur=PI&Ti=0.3&exercice=MG:10" << goal << false << "ne se lit pas sur ce réglage, car aucun gain" << 0;
        QTest::newRow("wind error, either way") << "preset=perturbation&exercice=vent:4.49:0.01" << goal << true << "4,49°" << 100;
        QTest::newRow("PI leaves no wind error") << "preset=perturbationPI&exercice=vent:0" << goal << true << "0,00°" << 100;
        QTest::newRow("critical gain predicted") << "K=64.2&question=Kcrit" << 2600.0 << true << "Juste" << 100;
        QTest::newRow("critical gain too low") << "K=64.2&question=Kcrit" << 2000.0 << false << "trop faible de 24 %" << 4;
        QTest::newRow("overshoot too high") << "K=64.2&question=D1" << 30.0 << false << "trop forte de 20 %" << 5;
        QTest::newRow("resonance met") << "K=64.2&exercice=Q:2.6" << goal << true << "le facteur de résonance Q vaut 2,63 dB" << 100;
        QTest::newRow("no resonance reads 0 dB") << "K=10&exercice=Q:1" << goal << false << "vaut 0,00 dB" << 1;
        QTest::newRow("bandwidth short") << "K=64.2&exercice=BP:3" << goal << false << "0,17 rad/s de moins" << 17;
        QTest::newRow("modulus margin, unstable loop") << "K=3000&exercice=MM:0.5" << goal << false
                                                       << "ne se lit pas sur ce réglage, car la boucle fermée est instable" << 0;
        QTest::newRow("lead's phase predicted") << "regulateur=avance&K=50&a=4&tau=0.1&question=phimax" << 37.0 << true
                                                << "Juste" << 100;
    }
    void exercises()
    {
        QFETCH(QString, link);
        QFETCH(double, prediction);
        QFETCH(bool, met);
        QFETCH(QString, says);
        QFETCH(int, score);
        const labo::Laboratory lab = labo::Compute(link.toStdString());
        QVERIFY(lab.parsed.problems.empty());
        const labo::Exercise& e = lab.parsed.settings.exercise;
        const labo::Verdict v = std::isnan(prediction) ? labo::JudgeGoal(e, lab) : labo::JudgePrediction(e, lab, prediction);
        QCOMPARE(v.met, met);
        QVERIFY2(QString::fromStdString(v.text).contains(says), v.text.c_str());
        QCOMPARE(v.score, std::optional<int>(score));
        // arcsin(3/5): a lead of ratio 4 brings 36,9° at most.
        const std::map<std::string, QString> answers{{"Kcrit", "2620,1"}, {"D1", "25,0 %"}, {"phimax", "36,9°"}};
        if (e.kind == labo::Exercise::Kind::Question)
            QVERIFY(QString::fromStdString(labo::ExerciseAnswer(e, lab)).contains(answers.at(e.name)));
    }

    void decimals_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("rounded") << 64.25 << 1 << "64,3";
        QTest::newRow("negative zero") << -0.00004 << 4 << "0,0000";
        QTest::newRow("padded") << 0.05 << 4 << "0,0500";
        QTest::newRow("negative") << -1234.5678 << 2 << "-1234,57";
    }
    void decimals()
    {
        QFETCH(double, x);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(labo::FormatFixed(x, decimals, ',')), text);
        QCOMPARE(labo::ParseDecimal(text.toStdString()).value_or(-1), std::round(x * std::pow(10, decimals)) / std::pow(10, decimals) + 0.0);
    }

    void csv()
    {
        const labo::Run run = labo::Simulate(settings("K=64.2"));
        const QByteArray csv = QByteArray::fromStdString(labo::RunCsv(run));
        const QList<QByteArray> lines = csv.split('\n');
        QCOMPARE(lines.size(), 1003);  // header, 1001 samples, nothing after the last CR LF
        QCOMPARE(lines[0], QByteArray("\xEF\xBB\xBFt (s);consigne (°);position (°);erreur (°);commande (V);"
                                      "tension moteur (V);couple du vent (N·m)\r"));
        // At rest with the step: the controller's command is K Kpot 30 degrees.
        QCOMPARE(lines[1], QByteArray("0,00;30,0000;0,0000;30,0000;10,7000;0,0000;0,0000\r"));
        QVERIFY(lines[1001].startsWith("10,00;30,0000;"));
        QCOMPARE(QString::fromStdString(labo::CsvFileName(settings("K=64.2"))), QStringLiteral("antenne-labo-K64,2.csv"));
    }
};

QTEST_APPLESS_MAIN(TestModel)
#include "test_model.moc"
