#pragma once

#include "model/run.h"

#include <string>
#include <vector>

namespace labo {

// A figure of a run: a number, or "non atteint" with the reason when the run
// does not reach it (an unstable loop, a response not settled before the
// run ends...), or "sans objet" when the set-up has nothing to measure
// (no gust, no ramp).
struct Figure {
    enum class State { Value, NotReached, NotApplicable };
    State state = State::NotApplicable;
    double value = 0;
    std::string reason;  // in French, unless a value

    bool reached() const { return state == State::Value; }
};

// The figures of a run, on French conventions. The final value is the
// loop's own, from its linear model, not the last sample; the run is read
// with what the loop does after its end (Continuation), so that a figure
// the end cuts short is "non atteint" rather than a number that looks valid.
// With a gust, the input's figures are read before it begins, and the
// wind's against the same run without it.
struct Figures {
    Figure overshoot;      // Dépassement D1, %
    Figure peakTime;       // Instant du premier maximum, s
    Figure settlingTime;   // Temps de réponse à 5 %, s
    Figure staticError;    // Erreur statique, degrees
    Figure rampLag;        // Erreur de traînage, degrees
    Figure windDeparture;  // Écart maximal dû au vent, degrees
    Figure windError;      // Erreur due au vent, degrees
};

Figures ComputeFigures(const Run& run);

// How each figure is named on screen, in links (exercises) and in exports.
struct FigureInfo {
    const char* key;   // "D1", "tr5"...
    const char* name;  // "Dépassement D1"
    const char* unit;  // "%", "s", "°"
    int decimals;      // shown with this many places
    Figure Figures::*figure;
};
const std::vector<FigureInfo>& FigureTable();

// "25,38 %", or "non atteint : <reason>", or "sans objet : <reason>".
std::string FigureText(const Figure& figure, const FigureInfo& info);

}  // namespace labo
