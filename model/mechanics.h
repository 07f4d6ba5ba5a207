#pragma once

#include "model/plant.h"
#include "model/settings.h"

#include <array>

// The chopper, the motor, the gearbox with its play and the dish with its
// dry friction: the drive from the chopper's input v to the dish's angle.
//
// The contact model. The play b is measured at the dish: the gear's output
// (the motor's angle times Kg) may turn b/2 either way of the dish before
// its teeth touch it; at t = 0 they sit in the middle. Apart, the motor
// turns alone (Ja, Da, its torque Kt i) and the dish alone (JL, DL, the
// wind, the friction). When the teeth meet, the impact is inelastic: both
// take at once the speed that keeps their angular momentum referred to the
// dish, (Ja/Kg^2 Omega + JL omega) / (Ja/Kg^2 + JL), and they then turn as
// one body while the contact torque pushes the dish, until it would pull:
// the teeth then part.
//
// The stick model (Coulomb). A moving dish is braked by the friction torque
// Tf against its motion. Once its speed comes to 0, it stays still while
// the torque that drives it (the motor's, referred to the dish, when the
// teeth are in contact, plus the wind's) does not exceed Tf; beyond, it
// moves off that way. A dish held still holds the motor still too while
// the teeth are in contact.
//
// Each change of mode happens at an event, located in time by the run
// (extended_run.cpp) where one of guards() turns negative.
namespace labo {

// The drive's state, in the order the run keeps it at the front of its own.
enum DriveIndex : int {
    DriveEa = 0,     // V, the chopper's output
    DriveWm = 1,     // rad/s, the motor's speed
    DriveGear = 2,   // rad, the gear's output angle at the dish: Kg times the motor's angle
    DriveTheta = 3,  // rad, the dish's angle
    DriveDish = 4,   // rad/s, the dish's speed (Kg wm while the teeth are in contact)
    DriveSize = 5,
};

struct DriveMode {
    int contact = 0;    // the side the gear's teeth push the dish (+1, -1); 0: apart
    bool stuck = false; // the dish held still by its friction
    int slipping = 0;   // while it moves, the way it moves (the friction brakes it the other way)
};

// What a guard watches; its value stays >= 0 while the mode holds.
enum Guard : int {
    GuardContactUp = 0,   // apart: the teeth reach the dish going up
    GuardContactDown,     // apart: going down
    GuardParting,         // in contact: the contact torque would pull
    GuardStopping,        // moving against friction: the dish's speed reaches 0
    GuardSlipping,        // still: the driving torque passes the friction
    GuardCount,
};

class Mechanics {
public:
    explicit Mechanics(const Settings& settings);

    // No play: the gear and the dish are one body, and always in contact.
    bool rigid() const { return play_ == 0; }
    bool engaged(const DriveMode& mode) const { return rigid() || mode.contact != 0; }
    bool hasFriction() const { return friction_ > 0; }

    // The mode of the drive at rest at t = 0, under the wind `Tw`.
    DriveMode initialMode(double Tw) const;

    // d/dt of the drive's state, under chopper input v (V) and wind Tw (N m).
    void derivative(const double* x, double v, double Tw, const DriveMode& mode, double* dx) const;

    // The guards' values (GuardCount of them), given the state's derivative
    // dx; a guard that does not apply to the mode is +1.
    void guards(const double* x, const double* dx, double Tw, const DriveMode& mode, double* g) const;

    // Applies the changes of mode that the state calls for at this instant
    // (an impact, teeth parting, the dish stopping, sticking or moving off),
    // until none does; adjusts the state to the new mode.
    void settle(double* x, double v, double Tw, DriveMode& mode) const;

    // The torque driving a still dish (N m), and the torque the teeth pass
    // to the dish (N m, signed, at the dish).
    double drivingTorque(const double* x, double Tw, const DriveMode& mode) const;
    double contactTorque(const double* x, const double* dx, double Tw, const DriveMode& mode) const;
    double contactTorque(const double* x, double v, double Tw, const DriveMode& mode) const;

private:
    double friction_;  // N m
    double play_;      // rad, the whole play at the dish
};

// Inline: the run's inner loop calls it four times a step.
inline void Mechanics::derivative(const double* x, double v, double Tw, const DriveMode& mode, double* dx) const
{
    dx[DriveEa] = plant::a * (v - x[DriveEa]);
    const double Tm = plant::Kt * (x[DriveEa] - plant::Kb * x[DriveWm]) / plant::Ra;
    const double braking = friction_ * mode.slipping;
    if (engaged(mode)) {
        if (mode.stuck) {
            dx[DriveWm] = dx[DriveGear] = dx[DriveTheta] = dx[DriveDish] = 0;
            return;
        }
        const double dwm = (Tm - plant::Dm * x[DriveWm] + plant::Kg * (Tw - braking)) / plant::Jm;
        dx[DriveWm] = dwm;
        dx[DriveGear] = dx[DriveTheta] = plant::Kg * x[DriveWm];
        dx[DriveDish] = plant::Kg * dwm;
        return;
    }
    dx[DriveWm] = (Tm - plant::Da * x[DriveWm]) / plant::Ja;
    dx[DriveGear] = plant::Kg * x[DriveWm];
    if (mode.stuck) {
        dx[DriveTheta] = dx[DriveDish] = 0;
        return;
    }
    dx[DriveTheta] = x[DriveDish];
    dx[DriveDish] = (-plant::DL * x[DriveDish] + Tw - braking) / plant::JL;
}

}  // namespace labo
