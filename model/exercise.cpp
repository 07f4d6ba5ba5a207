#include "model/exercise.h"

#include "model/french.h"

#include <cmath>

namespace labo {
namespace {

// What each name of an exercise reads: its name in a sentence, its unit,
// the places it is written with, and whether its sign counts (the errors
// are judged on their size: a teacher's "1°" of wind error is either way).
struct Quantity {
    const char* name;
    const char* phrase;      // "le dépassement D1"
    const char* unit;        // "%", "s", "°", "dB", "rad/s", ""
    int decimals;
    bool magnitude;
    const char* prediction;  // what a question asks to predict
};

const Quantity quantities[] = {
    {"D1", "le dépassement D1", "%", 1, false, "le dépassement D1 de la réponse à l'échelon"},
    {"tr5", "le temps de réponse à 5 %", "s", 2, false, "le temps de réponse à 5 % de la réponse à l'échelon"},
    {"traine", "l'erreur de traînage (en valeur absolue)", "°", 2, true,
     "l'erreur de traînage (en valeur absolue) quand la rampe est établie"},
    {"vent", "l'erreur due au vent (en valeur absolue)", "°", 2, true,
     "l'erreur due au vent (en valeur absolue) quand l'antenne est au repos sous la rafale"},
    {"MP", "la marge de phase", "°", 1, false, nullptr},
    {"MG", "la marge de gain", "dB", 1, false, nullptr},
    {"Kcrit", "le gain critique Kcrit", "", 1, false,
     "le gain critique Kcrit, au-delà duquel la boucle devient instable (avec les Ti, Td et N de ce réglage)"},
    {"wcrit", "la pulsation critique ωcrit", "rad/s", 2, false,
     "la pulsation ωcrit des oscillations au gain critique"},
};

const Quantity& quantity(const std::string& name)
{
    for (const Quantity& q : quantities)
        if (name == q.name)
            return q;
    return quantities[0];
}

// A number with the quantity's unit: "25,0 %", "1,2°", "2620,1".
std::string withUnit(std::string number, const Quantity& q)
{
    const std::string unit = q.unit;
    if (unit.empty())
        return number;
    return unit == "°" ? number + "°" : number + " " + unit;
}

// A figure with its places: "25,0 %".
std::string amount(double x, const Quantity& q)
{
    return withUnit(French(x, q.decimals), q);
}

// A target or a tolerance as the teacher wrote it: "25 %", "0,5 s".
std::string given(double x, const Quantity& q)
{
    return withUnit(FrenchSignificant(x, 6), q);
}

// A difference, "2,3 points" or "0,12 s", as D1's tolerance is in points;
// `exact` writes it with the figure's places, else as given.
std::string gap(double x, const Quantity& q, bool exact = true)
{
    if (std::string(q.unit) == "%")
        return (exact ? French(x, q.decimals) : FrenchSignificant(x, 6)) + " point" + (std::fabs(x) >= 2 ? "s" : "");
    return exact ? amount(x, q) : given(x, q);
}

const Figure* runFigure(const std::string& name, const Figures& f)
{
    if (name == "D1")
        return &f.overshoot;
    if (name == "tr5")
        return &f.settlingTime;
    if (name == "traine")
        return &f.rampLag;
    if (name == "vent")
        return &f.windError;
    return nullptr;
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
        return {false, "Pas encore : " + std::string(q.phrase) + " ne se lit pas sur ce réglage, car " + r.reason + objective};
    const double value = *r.value;
    const double target = q.magnitude ? std::fabs(e.target) : e.target;
    const std::string now = std::string(q.phrase) + " vaut " + amount(value, q);
    const double off = value - target;
    if (std::fabs(off) <= GoalTolerance(e) + 1e-12)
        return {true, "Réussi : " + now + objective};
    return {false, "Pas encore : " + now + ", " + gap(std::fabs(off), q) + (off > 0 ? " de trop" : " de moins que l'objectif") +
                       objective};
}

Verdict JudgePrediction(const Exercise& e, const Laboratory& lab, double prediction)
{
    const Quantity& q = quantity(e.name);
    const Reading r = ExerciseReading(e, lab);
    const std::string yours = "votre prédiction (" + given(prediction, q) + ")";
    if (!r.value)
        return {false, "Rien à prédire sur ce réglage, car " + r.reason + "."};
    const double answer = *r.value;
    const double guess = q.magnitude ? std::fabs(prediction) : prediction;
    const double place = 0.5 * std::pow(10.0, -q.decimals);
    const double off = guess - answer;
    const double percent = answer != 0 ? 100 * std::fabs(off) / std::fabs(answer) : 0;
    if (std::fabs(off) <= std::max(0.02 * std::fabs(answer), place) + 1e-12)
        return {true, "Juste : " + yours + " est à moins de 2 % de la valeur du modèle."};
    const std::string how = answer != 0 ? French(percent, percent < 10 ? 1 : 0) + " %" : gap(std::fabs(off), q);
    return {false, "Pas encore : " + yours + " est trop " + (off > 0 ? "forte" : "faible") + " de " + how + "."};
}

std::string ExerciseAnswer(const Exercise& e, const Laboratory& lab)
{
    const Quantity& q = quantity(e.name);
    const Reading r = ExerciseReading(e, lab);
    if (!r.value)
        return "Réponse : " + std::string(q.phrase) + " ne se lit pas sur ce réglage, car " + r.reason + ".";
    std::string text = "Réponse : " + std::string(q.phrase) + " vaut " + amount(*r.value, q);
    if (e.name == "Kcrit" && lab.analysis.critical)
        text += ", à la pulsation ω = " + FrenchSignificant(lab.analysis.critical->omega, 4) + " rad/s";
    return text + ".";
}

}  // namespace labo
