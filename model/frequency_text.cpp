#include "model/frequency_text.h"

#include "model/french.h"
#include "model/lead_design.h"
#include "model/quantities.h"

#include <cmath>

namespace labo {
namespace {

const char* const unstableLoop = "la boucle fermée est instable";

std::string pulsation(const char* name, double w)
{
    return std::string(name) + " = " + FrenchSignificant(w, 4) + " rad/s";
}

// A number in a formula: "64,2", "0,1".
std::string number(double x)
{
    return FrenchSignificant(x, 4);
}

std::string count(int n, const char* one, const char* many)
{
    return (n == 1 ? std::string("un ") + one : std::to_string(n) + " " + many);
}

}  // namespace

FrequencyReading ReadFrequencyFigure(const std::string& key, const Analysis& a)
{
    const FrequencyFigures& f = a.frequency;
    if (!a.stable)
        return {std::nullopt, unstableLoop};
    if (key == "MM")
        return {f.modulusMargin, {}};
    if (key == "Q")
        return {f.resonates ? Decibels(f.resonance) : 0.0, {}};
    if (!f.hasBandwidth)
        return {std::nullopt, "|T| ne descend pas sous |T(0)|/√2 sur les pulsations lues"};
    return {f.bandwidth, {}};
}

std::vector<std::pair<std::string, std::string>> FrequencyLines(const Analysis& a)
{
    std::vector<std::pair<std::string, std::string>> lines;
    const FrequencyFigures& f = a.frequency;
    const Quantity& mm = *FindQuantity("MM");
    const Quantity& q = *FindQuantity("Q");
    const Quantity& bp = *FindQuantity("BP");
    if (!a.stable) {
        for (const Quantity* each : {&mm, &q, &bp})
            lines.emplace_back(each->name, std::string("sans objet : ") + unstableLoop);
        return lines;
    }
    lines.emplace_back(mm.name, mm.written(f.modulusMargin) + ", " + pulsation("ω", f.modulusOmega));
    if (f.resonates)
        lines.emplace_back(q.name, q.written(Decibels(f.resonance)) + " (Q = " + French(f.resonance, 3) + "), " +
                                       pulsation("ωr", f.resonanceOmega));
    else
        lines.emplace_back(q.name, "pas de résonance : |T| ne dépasse jamais |T(0)|");
    const FrequencyReading band = ReadFrequencyFigure("BP", a);
    // With three significant digits: a slow loop's bandwidth is well under 0,01 rad/s.
    lines.emplace_back(bp.name, band.value ? bp.withUnit(FrenchSignificant(*band.value, 3)) : "aucune : " + band.reason);
    return lines;
}

CorrectorText DescribeCorrector(const Settings& s)
{
    CorrectorText c;
    std::string shape;
    if (s.hasIntegral())
        shape += " + 1 / (" + number(s.Ti) + " s)";
    if (s.hasDerivative())
        shape += " + " + number(s.Td) + " s / (1 + " + number(s.Td / s.N) + " s)";
    if (s.leadOrLag())
        c.formula = "C(s) = " + number(s.K) + " (1 + " + number(s.a * s.tau) + " s) / (1 + " + number(s.tau) + " s)";
    else
        c.formula = "C(s) = " + number(s.K) + (shape.empty() ? "" : " (1" + shape + ")");
    if (s.leadOrLag()) {
        const LeadPhase phase = MaximumPhase(s.a, s.tau);
        const bool lead = s.controller == Controller::Lead;
        c.phaseName = lead ? FindQuantity("phimax")->name : "Retard de phase maximal";
        c.phaseText = "φmax = " + French(phase.phiMax, 1) + "° à " + pulsation("ωm", phase.omega) + " (a = " +
                      number(s.a) + ", τ = " + number(s.tau) + " s)";
    }
    return c;
}

std::string BreaksText(const Asymptotes& asymptotes)
{
    std::string text;
    for (const Break& b : asymptotes.breaks) {
        std::string kind;
        if (b.pair)
            kind = b.zeros > 0 ? "paire de zéros" : "paire de pôles";
        else if (b.poles > 0 && b.zeros > 0)
            kind = "pôle et zéro";
        else if (b.poles + b.zeros > 1)
            kind = b.poles > 0 ? "pôle double" : "zéro double";
        else
            kind = b.poles > 0 ? "pôle" : "zéro";
        text += (text.empty() ? "" : " ; ") + FrenchSignificant(b.omega, 4) + " (" + kind + ")";
    }
    return text.empty() ? "aucune" : text + " rad/s";
}

std::string StartText(const Asymptotes& a)
{
    const std::string integrators =
        a.integrators == 0 ? "aucun intégrateur" : count(a.integrators, "intégrateur", "intégrateurs");
    return "pente " + French(a.slope, 0) + " dB/décade, phase " + French(a.startPhase, 0) + "° (" + integrators + ")";
}

std::string NyquistVerdict(const std::optional<int>& unstable)
{
    const std::string rule = "Critère du revers : en parcourant le lieu dans le sens des ω croissants, ";
    if (!unstable)
        return rule + "il passe par le point critique −1 : la boucle fermée est à la limite de la stabilité.";
    if (*unstable == 0)
        return rule + "on laisse le point critique −1 à gauche : la boucle fermée est stable.";
    return rule + "on laisse le point critique −1 à droite : la boucle fermée est instable (" +
           count(*unstable, "pôle instable", "pôles instables") + ").";
}

}  // namespace labo
