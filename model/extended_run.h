#pragma once

#include "model/run.h"
#include "model/settings.h"

#include <memory>
#include <vector>

// The run of a set-up beyond the linear loop of version 1.7: a sampled
// corrector, a pure delay, dry friction, backlash or a sensor's resolution.
// (A set-up with none of them runs as before, in run.cpp.)
//
// The loop is integrated by RK4 at the step run.cpp takes (1 ms at most),
// with the steps broken at every instant where an input jumps: the
// corrector's samples (every Te from t = 0) and the moments their outputs
// reach the chopper (a delay later), the gust's start and end, the moments
// a continuous corrector's jumps (the step at t = 0, the sensor's reading
// changing) reach the chopper through the delay. Inside a step, each change
// of the drive's mode (mechanics.h) and each change of the sensor's
// reading is an event, located in time by regula falsi on its guard and
// the step restarted from there: no stick, contact or reading is missed
// or smeared over a step.
//
// The delay is exact: the command's history is kept (at every step, as a
// cubic between its values and slopes) and read `retard` seconds back; a
// sampled corrector's outputs are queued and applied at their instants.
namespace labo {

// Whether the set-up needs this run: any of Te, retard, frottement, jeu or
// capteur set.
bool BeyondLinearLoop(const Settings& settings);

// The run, its step scaled by `stepScale` (1; the tests halve it).
Run SimulateBeyond(const Settings& settings, double stepScale = 1);

class RunAfter;

// The same loop after such a run: from the run's end with its inputs going
// on as they do (the step held, the ramp going on, the gust as set), or
// from the sample before the gust begins, without the gust.
class RunAfter {
public:
    enum class From { End, GustStartCalm };
    RunAfter(const Run& run, From from);
    ~RunAfter();
    RunAfter(RunAfter&&) noexcept;
    RunAfter& operator=(RunAfter&&) noexcept;
    RunAfter(const RunAfter&) = delete;
    RunAfter& operator=(const RunAfter&) = delete;

    // The next `count` samples, 10 ms apart, after the last one given;
    // fewer where the position runs away.
    std::vector<Sample> next(int count);
    bool diverged() const;
    // Whether the dish, held by its friction, cannot move again: still, and
    // with everything that could move it (the chopper, the corrector) come
    // to rest inside what the friction holds.
    bool heldStill() const;
    // Whether the dish is held still by its friction now.
    bool stuck() const;

    // The loop at a moment of its run, with all it needs to go on.
    struct Engine;

private:
    std::unique_ptr<Engine> engine_;
};

// What a run beyond the linear loop keeps, to go on after its end
// (Run::continuing): the loop at its end, and at the sample before the gust.
struct Continuing {
    std::shared_ptr<const RunAfter::Engine> atEnd;
    std::shared_ptr<const RunAfter::Engine> atGust;
};

}  // namespace labo
