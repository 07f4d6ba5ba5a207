#include "model/mechanics.h"

#include "model/plant.h"

#include <cmath>

namespace labo {
namespace {

// The motor's own inertia and friction referred to the dish.
constexpr double motorInertia = plant::Ja / (plant::Kg * plant::Kg);  // kg m2

double motorTorque(const double* x)
{
    return plant::Kt * (x[DriveEa] - plant::Kb * x[DriveWm]) / plant::Ra;
}

int sign(double x)
{
    return x > 0 ? 1 : (x < 0 ? -1 : 0);
}

}  // namespace

Mechanics::Mechanics(const Settings& settings)
    : friction_(settings.friction), play_(settings.backlash / plant::DegreesPerRadian)
{
}

DriveMode Mechanics::initialMode(double Tw) const
{
    DriveMode mode;
    mode.stuck = hasFriction() && std::fabs(Tw) <= friction_;
    mode.slipping = mode.stuck || !hasFriction() ? 0 : sign(Tw);
    return mode;
}

double Mechanics::drivingTorque(const double* x, double Tw, const DriveMode& mode) const
{
    return engaged(mode) ? motorTorque(x) / plant::Kg + Tw : Tw;
}

double Mechanics::contactTorque(const double* x, const double* dx, double Tw, const DriveMode& mode) const
{
    if (!engaged(mode))
        return 0;
    if (mode.stuck)  // the motor held by the teeth passes them its whole torque
        return motorTorque(x) / plant::Kg;
    // The dish's own balance: JL domega/dt = Tc - DL omega + Tw - friction.
    return plant::JL * dx[DriveDish] + plant::DL * x[DriveDish] - Tw + friction_ * mode.slipping;
}

double Mechanics::contactTorque(const double* x, double v, double Tw, const DriveMode& mode) const
{
    double dx[DriveSize];
    derivative(x, v, Tw, mode, dx);
    return contactTorque(x, dx, Tw, mode);
}

void Mechanics::guards(const double* x, const double* dx, double Tw, const DriveMode& mode, double* g) const
{
    for (int i = 0; i < GuardCount; ++i)
        g[i] = 1;
    if (!rigid()) {
        if (mode.contact == 0) {
            const double apart = x[DriveGear] - x[DriveTheta];
            g[GuardContactUp] = play_ / 2 - apart;
            g[GuardContactDown] = play_ / 2 + apart;
        } else {
            g[GuardParting] = mode.contact * contactTorque(x, dx, Tw, mode);
        }
    }
    if (!hasFriction())
        return;
    if (mode.stuck)
        g[GuardSlipping] = friction_ - std::fabs(drivingTorque(x, Tw, mode));
    else if (mode.slipping != 0)
        g[GuardStopping] = mode.slipping * x[DriveDish];
}

void Mechanics::settle(double* x, double v, double Tw, DriveMode& mode) const
{
    using namespace plant;
    // Each pass applies one change; a few cover any instant's chain
    // (an impact, then the teeth parting at once, then the dish sticking).
    for (int pass = 0; pass < 8; ++pass) {
        if (!rigid() && mode.contact == 0) {
            const double apart = x[DriveGear] - x[DriveTheta];
            const int side = apart >= play_ / 2 ? 1 : (apart <= -play_ / 2 ? -1 : 0);
            const double dish = mode.stuck ? 0.0 : x[DriveDish];
            if (side != 0 && side * (Kg * x[DriveWm] - dish) > 0) {
                // The teeth meet: an inelastic impact.
                const double common = (motorInertia * Kg * x[DriveWm] + JL * dish) / (motorInertia + JL);
                x[DriveGear] = x[DriveTheta] + side * play_ / 2;
                x[DriveWm] = common / Kg;
                x[DriveDish] = common;
                mode.contact = side;
                mode.stuck = false;
                mode.slipping = hasFriction() ? sign(common) : 0;
                continue;
            }
        }
        if (!rigid() && mode.contact != 0 && mode.contact * contactTorque(x, v, Tw, mode) < 0) {
            mode.contact = 0;  // the teeth part, at the same speed
            if (mode.stuck)
                x[DriveWm] = 0;
            continue;
        }
        if (!hasFriction())
            return;
        // Stopped: its speed has come to 0 or past it; a dish just moving
        // off (speed 0, driven past the friction its way) is not.
        const double speed = mode.slipping * x[DriveDish];
        const bool stopped = !mode.stuck && (mode.slipping == 0 || speed < 0 ||
                                             (speed == 0 && mode.slipping * drivingTorque(x, Tw, mode) <= friction_));
        if (stopped) {
            x[DriveDish] = 0;
            if (engaged(mode))
                x[DriveWm] = 0;
            const double drive = drivingTorque(x, Tw, mode);
            if (std::fabs(drive) <= friction_) {
                mode.stuck = true;
                mode.slipping = 0;
            } else {
                mode.slipping = sign(drive);
            }
            continue;
        }
        if (mode.stuck) {
            const double drive = drivingTorque(x, Tw, mode);
            if (std::fabs(drive) > friction_) {
                mode.stuck = false;
                mode.slipping = sign(drive);
                continue;
            }
        }
        return;
    }
}

}  // namespace labo
