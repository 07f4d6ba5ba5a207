#pragma once

#include <cstdint>

struct Scenario;

// One frame of each scene, drawn on the drawing area of the main window with
// n, the counter after the tick's increment; the scenario gives the scene's
// range and the sub-ranges of its parts.
void PresentationFrame(const Scenario& self, std::int32_t n);
void AperiodicFrame(const Scenario& self, std::int32_t n);
void DampedFrame(const Scenario& self, std::int32_t n);
void UnstableFrame(const Scenario& self, std::int32_t n);
// The ramp scene takes its position along the ramp before the increment.
void RampBeforeIncrement(const Scenario& self);
void RampFrame(const Scenario& self, std::int32_t n);
void WindFrame(const Scenario& self, std::int32_t n);
