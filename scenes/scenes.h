#pragma once

#include <cstdint>

// One frame of each scene, drawn on the drawing area of the main window with
// n, the counter after the tick's increment.
void PresentationFrame(std::int32_t n);
void AperiodicFrame(std::int32_t n);
void DampedFrame(std::int32_t n);
void UnstableFrame(std::int32_t n);
// The ramp scene takes its position along the ramp before the increment.
void RampBeforeIncrement();
void RampFrame(std::int32_t n);
void WindFrame(std::int32_t n);
