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
    // What the verdict is worth, from 0 to 100, for a learning platform's
    // gradebook: 100 when met; short of it, 50 x tolerance / gap, rounded,
    // so that the credit grows as the figure nears its target (25 at twice
    // the tolerance, 5 at ten times) and never reaches a met one's; 0 when
    // the figure cannot be read. None when nothing was judged: a prediction
    // that is no number, or a question with nothing to predict.
    std::optional<int> score;
};

// The unit an exercise's figure is in: "%", "s", "°", "dB", "rad/s", or "".
std::string ExerciseUnit(const Exercise& exercise);

// "Objectif : réglez la boucle pour que ..." or "Question : prédisez ...".
std::string ExerciseStatement(const Exercise& exercise);

// The exercise in a few words, to name it in a list of activities:
// "Régler la boucle pour que le dépassement D1 vaille 25 % (à 2 points
// près)", "Prédire le gain critique Kcrit".
std::string ExerciseTitle(const Exercise& exercise);

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

// The same for a prediction as the student typed it ("2 620", "2620,1"),
// or what to type when it is no number.
Verdict JudgeTypedPrediction(const Exercise& exercise, const Laboratory& lab, const std::string& typed);

// The model's answer to a question, in words: "Kcrit = 2620,1".
std::string ExerciseAnswer(const Exercise& exercise, const Laboratory& lab);

}  // namespace labo
