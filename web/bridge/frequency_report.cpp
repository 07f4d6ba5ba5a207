#include "web/bridge/frequency_report.h"

#include "model/asymptotes.h"
#include "model/frequency.h"
#include "model/frequency_text.h"
#include "model/frequency_views.h"
#include "model/harmonic.h"
#include "model/laboratory.h"
#include "model/quantities.h"
#include "web/bridge/json.h"

#include <cmath>
#include <optional>

namespace labo {
namespace {

void optionalNumber(Json& json, const char* name, bool has, double value)
{
    json.key(name);
    has ? json.value(value) : json.null();
}

void corrector(Json& json, const Settings& s)
{
    const CorrectorText c = DescribeCorrector(s);
    json.key("corrector").beginObject().key("formula").value(c.formula).key("phase");
    if (c.phaseName.empty())
        json.null();
    else
        json.beginObject().key("name").value(c.phaseName).key("text").value(c.phaseText).endObject();
    json.endObject();
}

void frequency(Json& json, const Analysis& a)
{
    const FrequencyFigures& f = a.frequency;
    json.key("frequency").beginObject();
    json.key("stable").value(a.stable);
    optionalNumber(json, "resonanceDb", f.resonates, Decibels(f.resonance));
    optionalNumber(json, "resonanceOmega", f.resonates, f.resonanceOmega);
    optionalNumber(json, "bandwidth", f.hasBandwidth, f.bandwidth);
    json.key("modulusMargin").value(f.modulusMargin).key("modulusOmega").value(f.modulusOmega);
    json.endObject();
}

// Bode's asymptotes, for a continuous loop without delay: the table holds
// their lines (tables.h); here, the breaks and the first segment.
void asymptotes(Json& json, const Settings& s)
{
    json.key("asymptotes");
    if (s.Te > 0 || s.delay > 0) {
        json.beginObject().key("breaks").beginArray().endArray();
        json.key("breaksText").value("").key("startText").value("");
        json.key("reason").value(s.Te > 0 ? "pas d'asymptotes pour une boucle échantillonnée"
                                          : "pas d'asymptotes : le retard pur tourne la phase sans fin");
        json.endObject();
        return;
    }
    const Asymptotes a = AsymptotesOf(OpenLoopOf(s), s.K);
    json.beginObject().key("breaks").beginArray();
    for (const Break& b : a.breaks)
        json.beginObject().key("omega").value(b.omega).key("kind").value(b.zeros > 0 && b.poles == 0 ? "zero" : "pole").endObject();
    json.endArray();
    json.key("breaksText").value(BreaksText(a)).key("startText").value(StartText(a)).key("reason").value("");
    json.key("slope").value(a.slope).key("startPhase").value(a.startPhase);
    json.endObject();
}

// The Black view's marks: the pulsations 10^k written along the curve,
// the critical points -180 + 360 k degrees its phases pass, and the two
// margins where they are read: the gain margin at the phase crossover's
// -180 + 360 k, from the curve's gain up to 0 dB; the phase margin along
// 0 dB, from -180 + 360 k to the curve's phase.
void black(Json& json, const Laboratory& lab, const FrequencyResponse& L)
{
    const Analysis& a = lab.analysis;
    json.key("black").beginObject().key("marks").beginArray();
    const auto lowest = static_cast<int>(std::ceil(std::log10(BodeSweep.low) - 1e-9));
    const auto highest = static_cast<int>(std::floor(std::log10(BodeSweep.high) + 1e-9));
    for (int decade = lowest; decade <= highest; ++decade) {
        const double w = std::pow(10.0, decade);
        json.beginObject()
            .key("omega").value(w)
            .key("phase").value(L.phase(w))
            .key("gain").value(Decibels(std::abs(L.at(w))))
            .endObject();
    }
    json.endArray();
    const auto turn = [](double phase) { return 360 * std::round((phase + 180) / 360) - 180; };
    json.key("gainMargin");
    if (const std::optional<double> dB = GainMarginDb(a); dB && a.gainMarginOmega > 0)
        json.beginObject()
            .key("phase").value(turn(L.phase(a.gainMarginOmega)))
            .key("from").value(Decibels(std::abs(L.at(a.gainMarginOmega))))
            .key("to").value(0.0)
            .endObject();
    else
        json.null();
    json.key("phaseMargin");
    if (a.hasPhaseMargin)
        json.beginObject()
            .key("from").value(a.phaseMarginPhase - a.phaseMargin)
            .key("to").value(a.phaseMarginPhase)
            .endObject();
    else
        json.null();
    json.endObject();
}

void nyquist(Json& json, const Laboratory& lab, const FrequencyResponse& L)
{
    const Nyquist n = NyquistOf(L, 2);
    json.key("nyquist").beginObject();
    // The curve's point nearest -1, at the modulus margin's pulsation.
    const Complex nearest = L.at(lab.analysis.frequency.modulusOmega);
    json.key("nearest").beginArray().value(nearest.real()).value(nearest.imag()).endArray();
    json.key("radius").value(n.radius).key("arc");
    if (n.arc)
        json.beginObject().key("from").value(n.arcFrom).key("to").value(n.arcTo).key("radius").value(n.radius).endObject();
    else
        json.null();
    json.key("unstable");
    n.unstable ? json.value(*n.unstable) : json.null();
    json.key("verdict").value(NyquistVerdict(n.unstable));
    json.endObject();
}

// The sine's point on the closed loop's Bode: measured, when the run
// reads it, and the model's.
void harmonic(Json& json, const Laboratory& lab, const FrequencyResponse& L)
{
    const Settings& s = lab.parsed.settings;
    json.key("harmonic");
    if (s.input != Input::Sine || s.amplitude == 0 || !lab.analysis.stable) {
        json.null();
        return;
    }
    const HarmonicPrediction p = PredictHarmonic(L, s.pulsation);
    const Figures& f = lab.figures;
    json.beginObject().key("omega").value(s.pulsation);
    json.key("predictedDb").value(Decibels(p.ratio)).key("predictedPhase").value(p.phase);
    optionalNumber(json, "measuredDb", f.amplitudeRatio.reached(), Decibels(f.amplitudeRatio.value));
    optionalNumber(json, "measuredPhase", f.phaseShift.reached(), f.phaseShift.value);
    json.endObject();
}

}  // namespace

void FrequencyJson(Json& json, const Laboratory& lab)
{
    const Settings& s = lab.parsed.settings;
    corrector(json, s);
    frequency(json, lab.analysis);
    asymptotes(json, s);
    // The open loop's response, made once for the views that read it.
    const FrequencyResponse L = OpenLoopResponse(s);
    black(json, lab, L);
    nyquist(json, lab, L);
    harmonic(json, lab, L);
}

}  // namespace labo
