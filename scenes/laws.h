#pragma once

#include <array>
#include <cstdint>

// The numbers behind the pictures, kept apart from the drawing. Ordinates are
// worked out in double precision and truncated toward zero as the last step;
// angles are stored back in single precision.

// The eight integer arguments of the dish's chord at `angle`: the box of the
// circle through the pivot, then the two radial points.
std::array<int, 8> ChordArguments(float angle);

// Step responses: response ordinate Y(j) in pixels, and the amount the angle
// decreases by at frame k.
int AperiodicOrdinate(int j);
double AperiodicDecrement(int k);
int DampedOrdinate(int j);
double DampedDecrement(int k);
int UnstableOrdinate(int j);
double UnstableDecrement(int k);
// The angle after a decrement: the stored angle minus the decrement, rounded
// to single precision.
float DecreasedAngle(float angle, double decrement);

// Ramp: the set point in graph units for position p, the filtered response
// after one frame, its pixel ordinate, and the dish angle it gives.
std::int32_t RampSetPoint(std::int32_t p);
float RampFilter(float response, std::int32_t setPoint);
int RampOrdinate(float response);
float RampAngle(float response);

// Wind disturbance: the deviation curve's ordinate k frames after the gust,
// the angle the dish is held at before it, and the recovery law at k.
int WindOrdinate(int k);
constexpr float WindHeldAngle = -0.5f;
float WindRecoveryAngle(float angle, int k);
