#include "model/french.h"

#include "model/decimal.h"
#include "model/frequency_text.h"
#include "model/quantities.h"

#include <algorithm>
#include <cmath>

namespace labo {

std::string French(double x, int decimals)
{
    std::string text = FormatFixed(x, decimals, ',');
    const std::size_t sign = text[0] == '-' ? 1 : 0;
    const std::size_t comma = text.find(',');
    const std::size_t end = comma == std::string::npos ? text.size() : comma;
    if (end - sign < 5)
        return text;
    for (std::size_t at = end; at > sign + 3; at -= 3)
        text.insert(at - 3, "\xC2\xA0");
    return text;
}

std::string GainMarginWay(const Analysis& a)
{
    if (!a.gainMarginBelow)
        return {};
    return a.stable ? "en baissant K" : "stable en augmentant K";
}

std::string FrenchSignificant(double x, int digits)
{
    if (x == 0 || !std::isfinite(x))
        return French(x, 0);
    const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(x))));
    const int decimals = std::max(0, std::min(6, digits - 1 - magnitude));
    std::string text = French(x, decimals);
    // No trailing zeros after the comma: "64,2", not "64,20".
    if (text.find(',') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == ',')
            text.pop_back();
    }
    return text;
}

namespace {

const char* const criticalGainLine = "Gain critique";

std::string seconds(double s)
{
    return FrenchSignificant(s, 4) + " s";
}

std::string pole(const Complex& p)
{
    if (p.imag() == 0)
        return FrenchSignificant(p.real(), 4);
    return FrenchSignificant(p.real(), 4) + " ± " + FrenchSignificant(std::fabs(p.imag()), 4) + "j";
}

// Roots listed once a conjugate pair, in their order; in s (s⁻¹), or in
// z (no unit) for a sampled loop.
std::string roots(const std::vector<Complex>& list, bool inZ = false)
{
    std::string text;
    for (const Complex& p : list) {
        if (p.imag() < 0)
            continue;
        text += (text.empty() ? "" : " ; ") + pole(p);
    }
    if (text.empty())
        return "aucun";
    return inZ ? "en z : " + text : text + " s⁻¹";
}

std::string pulsation(double w)
{
    return "ω = " + FrenchSignificant(w, 4) + " rad/s";
}

}  // namespace

std::string SettingsSummary(const Settings& s)
{
    std::string text = s.controller == Controller::P    ? "P"
                       : s.controller == Controller::PI   ? "PI"
                       : s.controller == Controller::PID  ? "PID"
                       : s.controller == Controller::Lead ? "avance de phase"
                                                          : "retard de phase";
    text += ", K = " + FrenchSignificant(s.K, 6);
    if (s.leadOrLag())
        text += ", a = " + FrenchSignificant(s.a, 4) + ", τ = " + seconds(s.tau);
    if (s.hasIntegral())
        text += ", Ti = " + seconds(s.Ti);
    if (s.hasDerivative())
        text += ", Td = " + seconds(s.Td) + ", N = " + FrenchSignificant(s.N, 4);
    if (s.hasIntegral() && !s.antiWindup)
        text += ", sans antisaturation";
    if (s.Te > 0)
        text += " · numérique, Te = " + seconds(s.Te) +
                (s.discretization == Discretization::Tustin ? " (Tustin)" : " (Euler)");
    if (s.delay > 0)
        text += " · retard de " + seconds(s.delay);
    if (s.friction > 0)
        text += " · frottement sec de " + FrenchSignificant(s.friction, 6) + " N·m";
    if (s.backlash > 0)
        text += " · jeu de " + FrenchSignificant(s.backlash, 6) + "°";
    if (s.resolution > 0)
        text += " · capteur au " + FrenchSignificant(s.resolution, 6) + "° près";
    if (s.input == Input::Step && s.amplitude == 0)
        text += " · consigne fixe";
    else if (s.input == Input::Step)
        text += " · échelon de " + FrenchSignificant(s.amplitude, 6) + "°";
    else if (s.input == Input::Sine)
        text += " · sinus de " + FrenchSignificant(s.amplitude, 6) + "° à ω = " + FrenchSignificant(s.pulsation, 4) +
                " rad/s";
    else
        text += " · rampe de " + FrenchSignificant(s.slope, 6) + "°/s";
    if (s.wind != 0) {
        text += " · vent de " + FrenchSignificant(s.wind, 6) + " N·m dès " + seconds(s.windStart);
        if (s.windLength > 0)
            text += " pendant " + seconds(s.windLength);
    }
    text += s.limited() ? " · limite ±" + FrenchSignificant(s.limit, 6) + " V" : " · sans limite";
    return text + " · " + seconds(s.length);
}

BodeMargins MarginsOnBode(const Analysis& a, double low, double high)
{
    BodeMargins m;
    const auto where = [&](double w) {
        return "à ω = " + FrenchSignificant(w, 3) + " rad/s" + (w >= low && w <= high ? "" : " (hors du tracé)");
    };
    const std::optional<double> dB = GainMarginDb(a);
    if (!a.hasGainMargin) {
        m.caption = "Pas de marge de gain : aucun gain K ne stabilise la boucle.";
    } else if (!dB) {
        m.caption = "Marge de gain infinie : la phase n'atteint jamais −180°.";
    } else {
        const std::string label = "MG = " + French(*dB, 1) + " dB";
        const std::string way = GainMarginWay(a);
        m.caption = label + (way.empty() ? "" : ", " + way + ",") + " " + where(a.gainMarginOmega) + ".";
        if (a.gainMarginOmega >= low && a.gainMarginOmega <= high)
            m.gainLabel = label;
    }
    if (!a.hasPhaseMargin) {
        m.caption += " Pas de marge de phase : le gain ne passe pas par 0 dB.";
    } else {
        const std::string label = "MP = " + French(a.phaseMargin, 1) + "°";
        m.caption += " " + label + " " + where(a.phaseMarginOmega) + ".";
        if (a.phaseMarginOmega >= low && a.phaseMarginOmega <= high)
            m.phaseLabel = label;
    }
    return m;
}

std::vector<std::string> CriticalGainLines()
{
    return {criticalGainLine, FindQuantity("MG")->name};
}

std::vector<std::pair<std::string, std::string>> AnalysisLines(const Analysis& a)
{
    std::vector<std::pair<std::string, std::string>> lines;
    const bool inZ = a.samplingPeriod > 0;
    lines.emplace_back("Pôles en boucle fermée",
                       a.poles.empty() && inZ ? "non calculés (voir la méthode)" : roots(a.poles, inZ));
    const bool complexPair = std::any_of(a.poles.begin(), a.poles.end(), [](const Complex& p) { return p.imag() != 0; });
    if (a.hasDominant)
        lines.emplace_back(complexPair ? "Paire dominante" : "Pôles dominants (réels)", "amortissement ζ = " + French(a.damping, 3) + ", pulsation propre ωn = " +
                                                  FrenchSignificant(a.naturalPulsation, 4) + " rad/s");
    lines.emplace_back("Zéros en boucle fermée", roots(a.zeros, inZ));
    if (inZ)
        lines.emplace_back("Stabilité", a.stable ? "stable (pôles dans le cercle unité)" : "instable (un pôle hors du cercle unité)");
    else
        lines.emplace_back("Stabilité", a.stable ? "stable" : "instable");

    std::string critical;
    if (a.critical)
        critical = "K = " + FrenchSignificant(a.critical->K, 5) + ", " + pulsation(a.critical->omega);
    else if (a.stableGains.empty())
        critical = "aucun : la boucle est instable pour tout K";
    else
        critical = "aucun : la boucle reste stable pour tout K plus grand";
    if (!a.stableGains.empty() && a.stableGains.front().from > 0) {
        const GainRange& r = a.stableGains.front();
        critical += std::isfinite(r.to) ? " (stable de K = " + FrenchSignificant(r.from, 4) + " à " + FrenchSignificant(r.to, 5) + ")"
                                        : " (stable à partir de K = " + FrenchSignificant(r.from, 4) + ")";
    }
    lines.emplace_back(criticalGainLine, critical);

    const std::string gainMargin = FindQuantity("MG")->name;
    if (!a.hasGainMargin)
        lines.emplace_back(gainMargin, "aucune : la boucle est instable pour tout K");
    else if (!std::isfinite(a.gainMargin))
        lines.emplace_back(gainMargin, "infinie");
    else
        lines.emplace_back(gainMargin, FrenchSignificant(a.gainMargin, 4) + " (" +
                                                French(*GainMarginDb(a), 1) + " dB), " +
                                                (a.gainMarginBelow ? GainMarginWay(a) + ", " : "") +
                                                pulsation(a.gainMarginOmega));
    const std::string phaseMargin = FindQuantity("MP")->name;
    if (a.hasPhaseMargin)
        lines.emplace_back(phaseMargin, French(a.phaseMargin, 1) + "°, " + pulsation(a.phaseMarginOmega));
    else
        lines.emplace_back(phaseMargin, "aucune : |CG| ne vaut jamais 1");
    for (auto& line : FrequencyLines(a))
        lines.push_back(std::move(line));
    // What a sampled or delayed loop's analysis approximates, and what the
    // linear analysis leaves out of the run.
    if (!a.method.empty())
        lines.emplace_back("Méthode", a.method);
    if (!a.leftOut.empty())
        lines.emplace_back("Modèle linéaire", a.leftOut);
    return lines;
}

}  // namespace labo
