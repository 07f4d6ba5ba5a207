#include "model/lead_design.h"

#include "model/decimal.h"
#include "model/french.h"
#include "model/plant.h"
#include "model/setting_table.h"

#include <cmath>
#include <complex>
#include <limits>
#include <optional>

namespace labo {
namespace {

constexpr double largestRatio = 100;

double degrees(double radians)
{
    return radians * plant::DegreesPerRadian;
}

// The plant alone, from the chopper's input to the sensor's voltage:
// G(s) = Gain / (s (s + a) (s + am)), its phase continuous from -90 degrees.
std::complex<double> plantAt(double w)
{
    const std::complex<double> s(0, w);
    return plant::Gain / (s * (s + plant::a) * (s + plant::am));
}

double plantPhase(double w)
{
    return -90 - degrees(std::atan(w / plant::a)) - degrees(std::atan(w / plant::am));
}

std::string shortest(double x)
{
    return FormatShortest(x, '.');
}

// Whether a value lies within its setting's range.
bool within(const char* name, double x)
{
    const SettingInfo* row = FindSetting(name);
    return row != nullptr && x >= row->low && x <= row->high;
}

}  // namespace

LeadPhase MaximumPhase(double a, double tau)
{
    return {degrees(std::asin((a - 1) / (a + 1))), 1 / (tau * std::sqrt(a))};
}

LeadDesign PlaceLead(double omegaC, double margin)
{
    LeadDesign d;
    const double gain = std::abs(plantAt(omegaC));
    const double phase = plantPhase(omegaC);
    d.phi = margin - (180 + phase);
    const std::string at = "à ωc = " + FrenchSignificant(omegaC, 4) + " rad/s";
    const std::string G = "arg G(jωc) = " + French(phase, 1) + "°";
    if (d.phi <= 0) {
        d.outcome = LeadDesign::Outcome::GainAlone;
        d.K = 1 / gain;
        d.text = "Un gain seul suffit : " + G + ", la marge de phase " + at + " est déjà de " + French(180 + phase, 1) +
                 "° sans avance (φ = " + French(d.phi, 1) + "° ≤ 0). Un régulateur P de gain K = " +
                 FrenchSignificant(d.K, 4) + " y place le passage à 0 dB.";
        if (within("K", d.K))
            d.pairs = "regulateur=P&K=" + shortest(d.K);
        return d;
    }
    const double sine = std::sin(d.phi / plant::DegreesPerRadian);
    d.a = d.phi < 90 ? (1 + sine) / (1 - sine) : std::numeric_limits<double>::infinity();
    if (!(d.a <= largestRatio)) {
        d.outcome = LeadDesign::Outcome::TooMuch;
        d.text = "Une seule avance de phase ne suffit pas : " + G + ", il faudrait apporter φ = " + French(d.phi, 1) +
                 "° " + at + ", soit a = " + (std::isfinite(d.a) ? FrenchSignificant(d.a, 4) : std::string("∞")) +
                 ", au-delà de 100 (qui donne au plus φmax = " +
                 French(MaximumPhase(largestRatio, 1).phiMax, 1) + "°). Visez une marge plus faible ou une autre pulsation.";
        return d;
    }
    d.outcome = LeadDesign::Outcome::Placed;
    d.tau = 1 / (omegaC * std::sqrt(d.a));
    d.K = 1 / (std::sqrt(d.a) * gain);
    d.text = G + " : l'avance doit apporter φ = " + French(d.phi, 1) + "° " + at + ", d'où a = " +
             FrenchSignificant(d.a, 4) + ", τ = " + FrenchSignificant(d.tau, 4) + " s et K = " +
             FrenchSignificant(d.K, 4) + ".";
    if (!within("tau", d.tau) || !within("K", d.K)) {
        d.outcome = LeadDesign::Outcome::Refused;
        d.text += " Ces valeurs sortent des limites des réglages (τ de 0,001 à 100 s, K de 0,001 à 1 000 000).";
        return d;
    }
    d.pairs = "regulateur=avance&a=" + shortest(d.a) + "&tau=" + shortest(d.tau) + "&K=" + shortest(d.K);
    return d;
}

LeadDesign PlaceTypedLead(const std::string& omegaC, const std::string& margin)
{
    LeadDesign refused;
    const std::optional<double> w = ParseTypedDecimal(omegaC);
    const std::optional<double> m = ParseTypedDecimal(margin);
    if (!w || !(*w >= 0.01 && *w <= 1000)) {
        refused.text = "ωc «\u00a0" + omegaC + "\u00a0» : il faut une pulsation de 0,01 à 1 000 rad/s.";
        return refused;
    }
    if (!m || !(*m > 0 && *m < 180)) {
        refused.text = "MP «\u00a0" + margin + "\u00a0» : il faut une marge de phase en degrés, plus de 0 et moins de 180.";
        return refused;
    }
    return PlaceLead(*w, *m);
}

}  // namespace labo
