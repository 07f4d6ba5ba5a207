#include "model/french.h"

#include "model/decimal.h"

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

// Roots listed once a conjugate pair, by decreasing real part.
std::string roots(const std::vector<Complex>& list)
{
    std::string text;
    for (const Complex& p : list) {
        if (p.imag() < 0)
            continue;
        text += (text.empty() ? "" : " ; ") + pole(p);
    }
    return text.empty() ? "aucun" : text + " s⁻¹";
}

std::string pulsation(double w)
{
    return "ω = " + FrenchSignificant(w, 4) + " rad/s";
}

}  // namespace

std::string SettingsSummary(const Settings& s)
{
    std::string text = s.controller == Controller::P ? "P" : (s.controller == Controller::PI ? "PI" : "PID");
    text += ", K = " + FrenchSignificant(s.K, 6);
    if (s.hasIntegral())
        text += ", Ti = " + seconds(s.Ti);
    if (s.hasDerivative())
        text += ", Td = " + seconds(s.Td) + ", N = " + FrenchSignificant(s.N, 4);
    if (s.hasIntegral() && !s.antiWindup)
        text += ", sans antisaturation";
    if (s.input == Input::Step && s.amplitude == 0)
        text += " · consigne fixe";
    else if (s.input == Input::Step)
        text += " · échelon de " + FrenchSignificant(s.amplitude, 6) + "°";
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

std::vector<std::pair<std::string, std::string>> AnalysisLines(const Analysis& a)
{
    std::vector<std::pair<std::string, std::string>> lines;
    lines.emplace_back("Pôles en boucle fermée", roots(a.poles));
    const bool complexPair = std::any_of(a.poles.begin(), a.poles.end(), [](const Complex& p) { return p.imag() != 0; });
    if (a.hasDominant)
        lines.emplace_back(complexPair ? "Paire dominante" : "Pôles dominants (réels)", "amortissement ζ = " + French(a.damping, 3) + ", pulsation propre ωn = " +
                                                  FrenchSignificant(a.naturalPulsation, 4) + " rad/s");
    lines.emplace_back("Zéros en boucle fermée", roots(a.zeros));
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
    lines.emplace_back("Gain critique", critical);

    if (!a.hasGainMargin)
        lines.emplace_back("Marge de gain", "aucune : la boucle est instable pour tout K");
    else if (!std::isfinite(a.gainMargin))
        lines.emplace_back("Marge de gain", "infinie");
    else
        lines.emplace_back("Marge de gain", FrenchSignificant(a.gainMargin, 4) + " (" +
                                                French(*GainMarginDb(a), 1) + " dB), " +
                                                (a.gainMarginBelow ? GainMarginWay(a) + ", " : "") +
                                                pulsation(a.gainMarginOmega));
    if (a.hasPhaseMargin)
        lines.emplace_back("Marge de phase", French(a.phaseMargin, 1) + "°, " + pulsation(a.phaseMarginOmega));
    else
        lines.emplace_back("Marge de phase", "aucune : |CG| ne vaut jamais 1");
    return lines;
}

}  // namespace labo
