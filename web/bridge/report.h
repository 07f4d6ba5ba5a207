#pragma once

#include <string>

// What the page asks the model for, as JSON: everything but the samples,
// which it reads as numbers straight from the module's memory.
namespace labo {

struct Laboratory;

// The set-up read from a link, its problems, the run's figures and the
// linear analysis, with their French texts.
std::string ReportJson(const Laboratory& lab);

// What does not change: the settings' names, defaults and ranges, the
// presets, the figures' names and units.
std::string DescriptionJson();

}  // namespace labo
