#pragma once

#include "model/linear_model.h"

#include <string>
#include <vector>

namespace labo {

// What the loop does after a moment of a run if its inputs then stay as they
// are (the set point constant or on its ramp, the wind's torque held): from
// a state where the chopper's limit does not hold, the loop is linear, so
// its future is exact, every 10 ms, until what is left of its motion is
// below 1e-6 rad, or for 300 s. The figures read the run and this future
// together, so that a figure that the run's end would cut short is known to
// be one.
struct Continuation {
    bool valid = false;
    std::string reason;          // why not, in French, when not valid
    std::vector<double> theta;   // rad, 10 ms, 20 ms... after the moment
    // A bound on |theta - its limit| at any time after the last of those.
    double remaining = 0;        // rad
    double settledTheta = 0;     // theta's limit at the moment, rad (on the ramp if any)
    double settledError = 0;     // theta_c - theta's limit, rad
    double settledCommand = 0;   // u's limit, V
};

struct HeldInputs {
    double setPoint;   // theta_c at the moment, rad
    double slope;      // its rate, rad/s
    double windTorque; // N m
};

// `limit` is the chopper's input limit (0: none), checked at the moment and
// all along; `until` names the moment in the reasons ("la fin de l'essai").
// The loop must be stable.
Continuation Continue(const LinearModel& model, const State& x, const HeldInputs& inputs, double limit,
                      const std::string& until);

}  // namespace labo
