#pragma once

// The frequency views' part of a set-up's report (JSON), beside its tables
// of numbers (tables.h): the corrector's formula and largest phase, the
// closed loop's figures, Bode's asymptotes and breaks, Black's marks and
// margins, Nyquist's arcs and verdict, and the harmonic response to mark on
// the closed loop's Bode.
namespace labo {

class Json;
struct Laboratory;

// Writes the keys "corrector", "frequency", "asymptotes", "black",
// "nyquist" and "harmonic" into the object `json` has open.
void FrequencyJson(Json& json, const Laboratory& lab);

}  // namespace labo
