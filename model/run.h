#pragma once

#include "model/loop.h"
#include "model/settings.h"

#include <memory>
#include <vector>

namespace labo {

struct Continuing;  // a run beyond the linear loop, kept to go on after its end (extended_run.h)

// The interval between the samples of a run, s.
constexpr double SampleInterval = 0.01;

// One sample of a run, in the units the student sees.
struct Sample {
    double t;           // s
    double setPoint;    // theta_c, degrees
    double position;    // theta, degrees
    double error;       // theta_c - theta, degrees
    double command;     // u, the controller's output before the chopper's limit, V
    double voltage;     // Ea, the chopper's output, the motor's voltage, V
    double windTorque;  // Tw, N m
};

// A run from rest, sampled every 10 ms from t = 0 to its length. A run whose
// position or command runs away (an unstable loop without the chopper's
// limit) stops at the last sample before it passes 1e6 degrees or 1e9 V.
struct Run {
    Settings settings;
    std::vector<Sample> samples;
    std::vector<State> states;  // the loop's state at each sample
    bool diverged = false;
    double divergedAt = 0;      // the time of the first sample past those bounds
    double step = 0;            // the integration step it took, s
    std::shared_ptr<const Continuing> continuing;  // beyond the linear loop only
};

// A set-up beyond the linear loop (a sampled corrector, a delay, friction,
// backlash or a sensor's resolution) runs in extended_run.cpp.
Run Simulate(const Settings& settings);

// The integration step that a set-up's fastest dynamics need, s: at most
// 1 ms, less when the loop is faster.
double IntegrationStep(const Settings& settings);

// Integrates the loop from state x at time `from` to time `to`, with steps
// of at most `step`, breaking the steps where the gust begins and ends.
void Integrate(const Loop& loop, State& x, double from, double to, double step);

}  // namespace labo
