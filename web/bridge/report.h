#pragma once

#include <string>

// What the page asks the model for, as JSON: everything but the tables of
// numbers, which it reads as columns straight from the module's memory.
namespace labo {

struct Laboratory;
struct Parsed;
struct Settings;

// A set-up worked out: the set-up as read, its problems, the run's figures
// and the linear analysis with their French texts, its exercise, and what
// changed since `previous` (null: everything), so that the page draws again
// only what it must.
std::string ReportJson(const Laboratory& lab, const Settings* previous);

// A change checked before it is worked out: the link it makes, its
// problems, the names it ignored; and its exercise, read on `base` (the
// set-up it changes, when only the exercise differs from it) so that a
// question with nothing to predict is known at once.
std::string CheckJson(const Parsed& edited, const Laboratory* base);

// What does not change: every setting as the table declares it, the
// presets, every quantity's name and unit.
std::string DescriptionJson();

}  // namespace labo
