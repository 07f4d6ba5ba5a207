#pragma once

#include <cstdint>
#include <memory>

class TAntenne;
class TBitmap;

// The animation state shared by the clock, the scenes and the scenario
// buttons. Used from the window's thread only.

// Animation counter: its range selects the scene, its value is the scene's time.
extern std::int32_t Compteur;
// Orientation of the dish, radians; each update is stored in single precision.
extern float Angle;
// Dish radius and pivot, in drawing-area pixels.
constexpr std::int32_t Rayon = 100;
constexpr std::int32_t CentreX = 440;
constexpr std::int32_t CentreY = 265;
// Ramp scene: position along the ramp, set point (graph units) and the
// filtered response.
extern std::int32_t PosRampe;
extern std::int32_t ConsigneRampe;
extern float SortieRampe;
// The block diagram last loaded; each load replaces and releases the previous one.
extern std::unique_ptr<TBitmap> Schema;
// The main window.
extern TAntenne* Antenne;

// Puts the state back to its values at program start (the window pointer and
// the diagram excepted). Used where a fresh start is needed without a new
// process: the tests and the benchmarks.
void ResetAnimationState();
