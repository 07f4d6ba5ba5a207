#pragma once

#include "model/laboratory.h"
#include "model/settings.h"

#include <optional>
#include <string>

// A teacher's exercise on the current set-up: its statement in French, and
// the verdict on the student's set-up (a goal) or prediction (a question).
namespace labo {

struct Verdict {
    bool met = false;
    std::string text;  // "Réussi : ...", "Pas encore : ...", "Juste : ..."
};

// The unit an exercise's figure is in: "%", "s", "°", "dB", "rad/s", or "".
std::string ExerciseUnit(const Exercise& exercise);

// "Objectif : réglez la boucle pour que ..." or "Question : prédisez ...".
std::string ExerciseStatement(const Exercise& exercise);

// The figure an exercise reads on the set-up, in its unit (%, s, degrees,
// dB, or K and rad/s), the errors by their size; or nothing, with the
// reason, when there is none.
struct Reading {
    std::optional<double> value;
    std::string reason;
};
Reading ExerciseReading(const Exercise& exercise, const Laboratory& lab);

// A goal met within its tolerance (by default 2 points for D1, 2 % of the
// target for the others), or how far off and which way.
double GoalTolerance(const Exercise& exercise);
Verdict JudgeGoal(const Exercise& exercise, const Laboratory& lab);

// A prediction within 2 % of the model's value, or how far off and which way.
Verdict JudgePrediction(const Exercise& exercise, const Laboratory& lab, double prediction);

// The model's answer to a question, in words: "Kcrit = 2620,1".
std::string ExerciseAnswer(const Exercise& exercise, const Laboratory& lab);

}  // namespace labo
