#pragma once

#include <string>
#include <vector>

// Every figure the laboratory reads, on the run or on its analysis, declared
// once: its name on screen, its unit, how many places it is written with,
// and what an exercise may do with it. The page's tables and exercise form,
// the exercises' sentences, the lab-report pictures and the link's reader
// are all built from it.
namespace labo {

struct Figure;
struct Figures;
struct Laboratory;

// What a question's answer could be read from, kept out of sight until it
// is answered: the run (its curves and the figure itself), or the
// stability (the critical gain and the margins).
enum class Reveals { Run, Stability };

struct Quantity {
    const char* key;         // in the report and in exercises' links: "D1"
    const char* name;        // on screen: "Dépassement D1"
    const char* unit;        // "%", "s", "°", "dB", "rad/s", or ""
    int decimals;            // written with this many places
    const char* phrase;      // in a sentence: "le dépassement D1"
    bool goal;               // an exercise may set it as a goal
    const char* prediction;  // what a question on it asks to predict; null: no question
    bool magnitude;          // exercises judge its size, not its sign (the errors)
    Reveals reveals;
    // The run's figure it is, if it is one; the others are read on the
    // linear analysis (MP, MG, Kcrit, wcrit).
    Figure Figures::*figure;

    // "25,0 %", "1,25°", "2620,1": a value with its places and its unit.
    std::string written(double value) const;
    // A number already written, with the unit: "25 %", "1,2°".
    std::string withUnit(const std::string& number) const;
    // Its name with its unit, for a list: "Dépassement D1 (%)".
    std::string nameWithUnit() const;
};

// Every quantity, the run's figures first, in the order their table shows them.
const std::vector<Quantity>& Quantities();

// The run's figures alone, in their table's order.
const std::vector<Quantity>& FigureTable();
using FigureInfo = Quantity;

// The quantity of a key, matched without regard to case; null for none.
const Quantity* FindQuantity(const std::string& key);

// The quantities an exercise may set as a goal, or ask to predict, in the
// order the exercise form lists them.
std::vector<const Quantity*> Goals();
std::vector<const Quantity*> Questions();

// "D1, tr5, traine, vent, MP ou MG": the goals' or the questions' keys.
std::string GoalKeys(const char* last);
std::string QuestionKeys(const char* last);

// "25,38 %", or "non atteint : <reason>", or "sans objet : <reason>".
std::string FigureText(const Figure& figure, const Quantity& quantity);

}  // namespace labo
