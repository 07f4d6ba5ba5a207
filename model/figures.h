#pragma once

#include "model/quantities.h"
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
    // What follows the value or the reason, in French, if anything: the
    // harmonic response's decibels and the model's value ("prévu : ...").
    std::string note;

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
    Figure amplitudeRatio; // Rapport d'amplitudes of a sine's response, a ratio
    Figure phaseShift;     // Déphasage of a sine's response, degrees
};

// A set-up beyond the linear loop (extended_run.h) has its figures read on
// the run (run_reading.h).
Figures ComputeFigures(const Run& run);

// A step's figures on theta (rad) from rest: `inRun` samples of the run,
// then what the loop does after, after which theta stays within `remaining`
// of its final value `final`; `setPoint` the step's (rad). `until` names
// where the run is read to ("la fin de l'essai"), and `gustCuts` says a
// gust cuts it short there (the rest is the loop without it).
void StepFigures(Figures& f, const std::vector<double>& theta, std::size_t inRun, double final, double remaining,
                 double setPoint, const std::string& until, bool gustCuts);

}  // namespace labo
