#pragma once

// The antenna's servo loop as the block diagram draws it, in SI units: the
// potentiometers, the chopper, the DC motor and the gearbox with the dish.
// The values are those of the antenna azimuth position-control case study
// that runs through N. S. Nise's textbook "Control Systems Engineering", so
// that the textbook's exercises can be checked on it.
namespace plant {

constexpr double Pi = 3.14159265358979323846;

constexpr double Kpot = 1.0 / Pi;  // V/rad: set point and sensor potentiometers
constexpr double a = 100.0;        // s^-1: the chopper's first-order pole, static gain 1
constexpr double Ra = 8.0;         // ohm: armature resistance (inductance neglected)
constexpr double Kt = 0.5;         // N m/A: torque constant
constexpr double Kb = 0.5;         // V s/rad: back-emf constant
constexpr double Kg = 0.1;         // gear ratio, dish turn per motor turn
constexpr double Ja = 0.02;        // kg m2: motor inertia
constexpr double Da = 0.01;        // N m s/rad: motor friction
constexpr double JL = 1.0;         // kg m2: dish inertia
constexpr double DL = 1.0;         // N m s/rad: dish friction

// Referred to the motor's shaft.
constexpr double Jm = Ja + JL * Kg * Kg;  // 0.03
constexpr double Dm = Da + DL * Kg * Kg;  // 0.02

// The motor and load's pole, and the gain of the open loop with K = 1:
// G(s) = K Gain / (s (s + a) (s + am)) = 6.6315 K / (s (s + 100) (s + 1.7083)).
constexpr double am = (Dm + Kt * Kb / Ra) / Jm;
constexpr double Gain = Kpot * a * Kg * Kt / (Ra * Jm);

constexpr double DegreesPerRadian = 180.0 / Pi;

}  // namespace plant
