#pragma once

#include "model/settings.h"

#include <string>

// The phase lead or lag K (1 + a tau s) / (1 + tau s): its largest phase,
// and the textbook's placing of a lead for a crossover and a phase margin.
namespace labo {

// phi_max = arcsin((a - 1) / (a + 1)) (degrees, negative for a lag), at
// omega_m = 1 / (tau sqrt(a)) (rad/s).
struct LeadPhase {
    double phiMax;
    double omega;
};
LeadPhase MaximumPhase(double a, double tau);

// A lead placed so that the open loop crosses 0 dB at omega_c with a phase
// margin MP, G being the loop without the corrector:
//   phi = MP - (180 + arg G(j omega_c)),  a = (1 + sin phi) / (1 - sin phi),
//   tau = 1 / (omega_c sqrt(a)),  K = 1 / (sqrt(a) |G(j omega_c)|).
// When phi <= 0, a gain alone is enough: K = 1 / |G(j omega_c)|. When a
// would pass 100, one lead is not enough.
struct LeadDesign {
    enum class Outcome { Placed, GainAlone, TooMuch, Refused };
    Outcome outcome = Outcome::Refused;
    double phi = 0;  // degrees: the phase the lead must bring at omega_c
    double a = 0;
    double tau = 0;
    double K = 0;
    std::string text;   // in French: the result, or why there is none
    std::string pairs;  // the change that sets it ("regulateur=avance&a=...&tau=...&K=..."), if any
};
LeadDesign PlaceLead(double omegaC, double margin);

// The same from the form's fields as typed ("5", "45,5"): a field that is
// no number, or out of its range, is refused, naming it.
LeadDesign PlaceTypedLead(const std::string& omegaC, const std::string& margin);

}  // namespace labo
