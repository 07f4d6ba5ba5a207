#include "model/exercise.h"

#include "model/decimal.h"
#include "model/french.h"
#include "model/frequency_text.h"
#include "model/lead_design.h"
#include "model/quantities.h"

#include <algorithm>
#include <cmath>

namespace labo {
namespace {

const Quantity& quantity(const std::string& name)
{
    const Quantity* q = FindQuantity(name);
    return q != nullptr ? *q : Quantities().front();
}

// A target or a tolerance as the teacher wrote it: "25 %", "0,5 s".
std::string given(double x, const Quantity& q)
{
    return q.withUnit(FrenchSignificant(x, 6));
}

// A difference, "2,3 points" or "0,12 s", as D1's tolerance is in points;
// `exact` writes it with the figure's places, else as given.
std::string gap(double x, const Quantity& q, bool exact = true)
{
    if (std::string(q.unit) == "%")
        return (exact ? French(x, q.decimals) : FrenchSignificant(x, 6)) + " point" + (std::fabs(x) >= 2 ? "s" : "");
    return exact ? q.written(x) : given(x, q);
}

// The credit of a figure `off` away from its target, outside the
// tolerance: half the marks at the tolerance's edge, halved each time the
// gap doubles, rounded; always short of a met verdict's 100.
int partialCredit(double off, double tolerance)
{
    return static_cast<int>(std::lround(std::min(50.0, 50.0 * tolerance / off)));
}

const Figure* runFigure(const std::string& name, const Figures& f)
{
    const Quantity* q = FindQuantity(name);
    return q != nullptr && q->figure != nullptr ? &(f.*q->figure) : nullptr;
}

}  // namespace

std::string ExerciseUnit(const Exercise& e)
{
    return quantity(e.name).unit;
}

std::string ExerciseStatement(const Exercise& e)
{
    const Quantity& q = quantity(e.name);
    if (e.kind == Exercise::Kind::Goal)
        return "Objectif : réglez la boucle pour que " + std::string(q.phrase) + " vaille " + given(e.target, q) +
               " (à " + gap(GoalTolerance(e), q, false) + " près), puis cliquez sur «\u00a0Vérifier\u00a0».";
    if (e.kind == Exercise::Kind::Question)
        return "Question : prédisez " + std::string(q.prediction) + (std::string(q.unit).empty() ? "" : ", en " + std::string(q.unit)) +
               ", puis vérifiez votre prédiction.";
    return {};
}

std::string ExerciseTitle(const Exercise& e)
{
    const Quantity& q = quantity(e.name);
    if (e.kind == Exercise::Kind::Goal)
        return "Régler la boucle pour que " + std::string(q.phrase) + " vaille " + given(e.target, q) + " (à " +
               gap(GoalTolerance(e), q, false) + " près)";
    if (e.kind == Exercise::Kind::Question)
        return "Prédire " + std::string(q.phrase);
    return {};
}

namespace {

Reading signedReading(const Exercise& e, const Laboratory& lab)
{
    const Analysis& a = lab.analysis;
    if (const Figure* figure = runFigure(e.name, lab.figures)) {
        if (!figure->reached())
            return {std::nullopt, figure->reason};
        return {figure->value, {}};
    }
    if (e.name == "MP") {
        if (!a.hasPhaseMargin)
            return {std::nullopt, "|CG| ne vaut jamais 1"};
        return {a.phaseMargin, {}};
    }
    if (e.name == "MG") {
        if (!a.hasGainMargin)
            return {std::nullopt, "aucun gain ne rend la boucle stable"};
        if (!std::isfinite(a.gainMargin))
            return {std::nullopt, "aucun gain ne rend la boucle instable"};
        return {GainMarginDb(a), {}};
    }
    if (e.name == "MM" || e.name == "Q" || e.name == "BP") {
        const FrequencyReading r = ReadFrequencyFigure(e.name, a);
        return {r.value, r.reason};
    }
    if (e.name == "phimax") {
        const Settings& s = lab.parsed.settings;
        if (s.controller != Controller::Lead)
            return {std::nullopt, "le correcteur n'est pas une avance de phase"};
        return {MaximumPhase(s.a, s.tau).phiMax, {}};
    }
    if (!a.critical)
        return {std::nullopt, a.stableGains.empty() ? "la boucle est instable pour tout K"
                                                    : "la boucle reste stable pour tout K plus grand"};
    return {e.name == "Kcrit" ? a.critical->K : a.critical->omega, {}};
}

}  // namespace

Reading ExerciseReading(const Exercise& e, const Laboratory& lab)
{
    Reading r = signedReading(e, lab);
    if (r.value && quantity(e.name).magnitude)
        r.value = std::fabs(*r.value);
    return r;
}

double GoalTolerance(const Exercise& e)
{
    if (e.tolerance > 0)
        return e.tolerance;
    const Quantity& q = quantity(e.name);
    // 2 points of overshoot; 2 % of the target for the others, and at least
    // half the last place the figure is written with.
    const double place = 0.5 * std::pow(10.0, -q.decimals);
    return e.name == "D1" ? 2.0 : std::max(0.02 * std::fabs(e.target), place);
}

Verdict JudgeGoal(const Exercise& e, const Laboratory& lab)
{
    const Quantity& q = quantity(e.name);
    const Reading r = ExerciseReading(e, lab);
    const std::string objective =
        " (objectif : " + given(e.target, q) + " à " + gap(GoalTolerance(e), q, false) + " près).";
    if (!r.value)
        return {false, "Pas encore : " + std::string(q.phrase) + " ne se lit pas sur ce réglage, car " + r.reason + objective, 0};
    const double value = *r.value;
    const double target = q.magnitude ? std::fabs(e.target) : e.target;
    const std::string now = std::string(q.phrase) + " vaut " + q.written(value);
    const double off = value - target;
    if (std::fabs(off) <= GoalTolerance(e) + 1e-12)
        return {true, "Réussi : " + now + objective, 100};
    return {false, "Pas encore : " + now + ", " + gap(std::fabs(off), q) + (off > 0 ? " de trop" : " de moins que l'objectif") +
                       objective,
            partialCredit(std::fabs(off), GoalTolerance(e))};
}

Verdict JudgePrediction(const Exercise& e, const Laboratory& lab, double prediction)
{
    const Quantity& q = quantity(e.name);
    const Reading r = ExerciseReading(e, lab);
    const std::string yours = "votre prédiction (" + given(prediction, q) + ")";
    if (!r.value)
        return {false, "Rien à prédire sur ce réglage, car " + r.reason + ".", std::nullopt};
    const double answer = *r.value;
    const double guess = q.magnitude ? std::fabs(prediction) : prediction;
    const double place = 0.5 * std::pow(10.0, -q.decimals);
    const double off = guess - answer;
    const double percent = answer != 0 ? 100 * std::fabs(off) / std::fabs(answer) : 0;
    const double tolerance = std::max(0.02 * std::fabs(answer), place);
    if (std::fabs(off) <= tolerance + 1e-12)
        return {true, "Juste : " + yours + " est à moins de 2 % de la valeur du modèle.", 100};
    const std::string how = answer != 0 ? French(percent, percent < 10 ? 1 : 0) + " %" : gap(std::fabs(off), q);
    return {false, "Pas encore : " + yours + " est trop " + (off > 0 ? "forte" : "faible") + " de " + how + ".",
            partialCredit(std::fabs(off), tolerance)};
}

Verdict JudgeTypedPrediction(const Exercise& e, const Laboratory& lab, const std::string& typed)
{
    const std::optional<double> prediction = ParseTypedDecimal(typed);
    if (!prediction)
        return {false, "Tapez d'abord votre prédiction : un nombre, avec une virgule ou un point.", std::nullopt};
    return JudgePrediction(e, lab, *prediction);
}

std::string ExerciseAnswer(const Exercise& e, const Laboratory& lab)
{
    const Quantity& q = quantity(e.name);
    const Reading r = ExerciseReading(e, lab);
    if (!r.value)
        return "Réponse : " + std::string(q.phrase) + " ne se lit pas sur ce réglage, car " + r.reason + ".";
    std::string text = "Réponse : " + std::string(q.phrase) + " vaut " + q.written(*r.value);
    if (e.name == "Kcrit" && lab.analysis.critical)
        text += ", à la pulsation ω = " + FrenchSignificant(lab.analysis.critical->omega, 4) + " rad/s";
    return text + ".";
}

}  // namespace labo
