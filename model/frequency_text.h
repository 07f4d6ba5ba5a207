#pragma once

#include "model/analysis.h"
#include "model/asymptotes.h"
#include "model/settings.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The frequency views' and figures' texts, in French: the closed loop's
// resonance and bandwidth and the modulus margin in the stability table,
// the corrector's formula and largest phase, Bode's breaks and first
// segment, and the verdict of the "critère du revers".
namespace labo {

// "Marge de module", "Facteur de résonance", "Bande passante à −3 dB", each
// with its text: a number, or why there is none.
std::vector<std::pair<std::string, std::string>> FrequencyLines(const Analysis& analysis);

// The figure an exercise reads for MM, Q (dB; 0 without a resonance) and
// BP, or why it cannot be read.
struct FrequencyReading {
    std::optional<double> value;
    std::string reason;
};
FrequencyReading ReadFrequencyFigure(const std::string& key, const Analysis& analysis);

// The corrector with its numbers: "C(s) = 64,2 (1 + 0,4 s) / (1 + 0,1 s)";
// for a lead or lag, its largest phase: the line's name ("Avance de phase
// maximale", "Retard de phase maximal") and text ("36,9° à ωm = 5 rad/s").
struct CorrectorText {
    std::string formula;
    std::string phaseName;  // empty for P, PI and PID
    std::string phaseText;
};
CorrectorText DescribeCorrector(const Settings& settings);

// "0,1 (zéro) ; 1,708 (pôle) ; 100 (pôle)", in rad/s.
std::string BreaksText(const Asymptotes& asymptotes);
// "pente −20 dB/décade, phase −90° (un intégrateur)".
std::string StartText(const Asymptotes& asymptotes);

// The "critère du revers" on Nyquist's count of unstable closed-loop poles
// (none when the curve passes through -1).
std::string NyquistVerdict(const std::optional<int>& unstable);

}  // namespace labo
