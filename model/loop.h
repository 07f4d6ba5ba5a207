#pragma once

#include "model/settings.h"

namespace labo {

// The loop's state, from rest: the chopper's output voltage Ea (V), the
// motor's speed wm (rad/s), the dish's angle theta (rad), the integral of
// the error voltage (V s) and the derivative's filter, or the lead's or
// lag's first-order part (V).
struct State {
    double Ea = 0;
    double wm = 0;
    double theta = 0;
    double integral = 0;
    double filter = 0;
};

// The loop of the block diagram, with its one nonlinearity, the chopper's
// input limit, and the anti-windup that freezes the integral against it:
//   Ve = Kpot (theta_c - theta)
//   u  = K (Ve + integral / Ti + N (Ve - filter))      the controller
//   dintegral/dt = Ve, or 0 while the limit holds u and Ve drives it further
//   dfilter/dt   = (Ve - filter) N / Td                so that the derivative
//                                                      term is Td s/(1 + Td s/N) Ve
//   (a lead or lag: u = K (Ve + (a - 1) (Ve - filter)), dfilter/dt = (Ve - filter) / tau)
//   dEa/dt = a (sat(u) - Ea)                           the chopper
//   Jm dwm/dt = Kt (Ea - Kb wm) / Ra - Dm wm + Kg Tw   the motor, gearbox and dish
//   dtheta/dt = Kg wm
// The terms of actions the controller does not have are left out.
class Loop {
public:
    explicit Loop(const Settings& settings);

    const Settings& settings() const { return settings_; }

    // The inputs at time t (s), the step, ramp or sine applied at t = 0, the
    // gust from its start for its length: the set point theta_c (rad) and
    // the wind's torque (N m).
    double setPoint(double t) const;
    double windTorque(double t) const;
    // When the gust begins and ends; ends at infinity when it lasts to the end.
    double gustStart() const;
    double gustEnd() const;
    bool gustInRun() const;

    // The controller's command u (V), before the chopper's limit.
    double command(const State& x, double setPoint) const;
    // Whether the chopper's limit holds u.
    bool saturated(double command) const;
    State derivative(const State& x, double setPoint, double windTorque) const;

private:
    Settings settings_;
    double Ti_;    // 0 without integral action
    double gainD_; // N with derivative action, a - 1 for a lead or lag, else 0
    double filterRate_;  // N / Td with derivative action, 1 / tau for a lead or lag
};

}  // namespace labo
