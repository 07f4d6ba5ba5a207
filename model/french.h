#pragma once

#include "model/analysis.h"
#include "model/settings.h"

#include <string>
#include <utility>
#include <vector>

// The set-up and the linear analysis written out in French, for the page,
// the legends of kept runs and the exported graphs.
namespace labo {

// x with `decimals` places, a decimal comma, and its thousands set apart by
// no-break spaces from 10 000 on: "2620,1", "12 345,6".
std::string French(double x, int decimals);

// x with about `digits` significant digits: "0,0123", "64,2", "2620".
std::string FrenchSignificant(double x, int digits);

// "PI, K = 64,2, Ti = 4 s · échelon de 30° · vent de 1 N·m dès 2 s · limite ±100 V · 20 s"
std::string SettingsSummary(const Settings& settings);

// Which way the gain margin is read, when it is not the usual one (K
// raised until the loop turns unstable): "en baissant K" for a stable loop
// nearer the lower end of its gains, "stable en augmentant K" for a loop
// with too little gain; "" otherwise.
std::string GainMarginWay(const Analysis& analysis);

// The linear analysis, one line a name on screen ("Pôles en boucle
// fermée", "Stabilité"...), each with its text.
std::vector<std::pair<std::string, std::string>> AnalysisLines(const Analysis& analysis);

// What Bode shows of the margins over the pulsations from `low` to `high`:
// each margin's label on its chart ("MG = 32,2 dB", empty when there is no
// margin to draw there), and a caption that says both in words, and why
// one is missing.
struct BodeMargins {
    std::string gainLabel;
    std::string phaseLabel;
    std::string caption;
};
BodeMargins MarginsOnBode(const Analysis& analysis, double low, double high);

// The names of the lines that tell the critical gain, which a question on it
// keeps hidden: "Gain critique", "Marge de gain".
std::vector<std::string> CriticalGainLines();

}  // namespace labo
