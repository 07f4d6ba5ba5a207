#pragma once

#include <array>
#include <cstdint>

// One scene of the animation: it plays while the counter, before a tick's
// increment, lies in [start, end). The frame is drawn with n, the counter
// after the increment.
struct Phase {
    std::int32_t start;
    std::int32_t end;
    void (*beforeIncrement)();  // null, except for the ramp scene
    void (*frame)(std::int32_t n);
};

// In ascending order: presentation, aperiodic, damped oscillatory, unstable,
// ramp, wind disturbance.
extern const std::array<Phase, 6> PhaseTable;

// One tick of the animation clock: for each row in order, a counter inside the
// row's range is advanced by one and the row's frame drawn. Every upper bound
// lies below the next row's start, so a tick draws at most one frame.
void StepAnimation();
