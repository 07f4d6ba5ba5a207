#pragma once

#include "model/analysis.h"
#include "model/settings.h"

#include <string>
#include <vector>

// The linear analysis of a sampled or delayed loop (Analyse, RootLocus and
// Bode hand these set-ups over here).
//
// What is exact. The stability, the critical gains and the margins are read
// on the open loop's frequency response (frequency.h: L(e^(j w Te)) up to
// pi / Te for a sampled loop, with the delay as z^-d or by the modified
// z-transform; C G e^(-j w delay) for a delayed continuous one). The gains
// K > 0 where a closed-loop pole crosses the stability boundary are those
// where K L1 = -1, L1 the loop with K = 1: where arg L1 = -180 modulo 360,
// K = 1 / |L1|. As K passes such a gain, a pair of poles (one pole at
// z = -1) crosses outwards when Im dL1/dw > 0 there, inwards otherwise; the
// count of unstable poles for K near 0 is Nyquist's (frequency.h). So every
// range of stable gains, up to 1e7 (100 K at least), follows exactly.
//
// The poles. A sampled loop's are the eigenvalues of its state matrix in z
// (sampled.h), exact, while it has at most MaxSampledOrder states; a
// delayed continuous loop's are those with the delay replaced by its Padé
// approximant (delay.h), whose order the analysis states.
namespace labo {

inline constexpr int MaxSampledOrder = 64;

// Whether the set-up's loop is sampled or delayed.
bool SampledOrDelayed(const Settings& settings);

Analysis AnalyseBeyond(const Settings& settings);
Locus LocusBeyond(const Settings& settings, double low, double high, int count);
std::vector<BodePoint> BodeBeyond(const Settings& settings, double low, double high, int count);

// The highest pulsation Bode is drawn to, at most `high`: pi / Te for a
// sampled loop; for a delayed one, where its phase has turned to -900°.
double BodeHighest(const Settings& settings, double high);

// A pole's damping and natural pulsation: for a pole in z, its continuous
// equivalent's, ln(z) / Te.
PoleShape ShapeOfPole(const Settings& settings, const Complex& pole);

// What the linear analysis leaves out, in French: "sans le frottement sec,
// le jeu ni la résolution du capteur" (those the set-up has), or "".
std::string LeftOut(const Settings& settings);

// The Padé order the analysis of a delayed continuous loop takes.
int PadeOrderOf(const Settings& settings);

}  // namespace labo
