#pragma once

#include <cstddef>
#include <string>
#include <vector>

// How a signal sampled every 10 ms ends, read on its samples: at rest, in
// a limit cycle, or neither yet. Plain functions on numbers.
namespace labo {

struct Ending {
    enum class Kind { Rest, Cycle, Unsettled };
    Kind kind = Kind::Unsettled;
    double value = 0;      // at rest: where it rests
    double remaining = 0;  // at rest: how far from there it may still be, or move
    // At rest: how fast the motion shrinks, from one window to the next
    // (0 when it has stopped), and the windows' length in samples.
    double ratio = 0;
    std::size_t window = 0;
    double amplitude = 0;  // a cycle's half peak-to-peak
    double period = 0;     // a cycle's period, s
};

// Reads the end of `y`. `still` says its last samples are held for good
// (a dish stuck by its friction, with nothing left to move it); `mayRestart`
// that a signal that stopped may move again (a dish stuck for now).
//   At rest: over the last three windows of 2 s, or of its oscillation's
//   period if longer (shorter on a signal under three of them, down to
//   half a second), its motion shrinks geometrically, by a
//   ratio under 0.9 from one window to the next; it rests at the middle of
//   the last window, within what it may still move (the last window's span
//   over 1 - the ratio). Or it stays within `precision` with a steady mean:
//   a ripple below the figures' last place.
//   A limit cycle: its last three periods, from crossing to crossing of its
//   middle, agree within 2 %, and so do their amplitudes, which do not
//   fall, and pass `precision`.
Ending ReadEnding(const std::vector<double>& y, double precision, bool still, bool mayRestart);

// "cycle limite d'amplitude 1,23° et de période 0,85 s", for an angle in rad.
std::string CycleText(const Ending& cycle);

}  // namespace labo
