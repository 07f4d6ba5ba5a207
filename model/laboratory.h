#pragma once

#include "model/analysis.h"
#include "model/figures.h"
#include "model/run.h"
#include "model/settings.h"

#include <string>

namespace labo {

// One set-up of the laboratory, worked out: read from its link, run, its
// figures and its linear analysis.
struct Laboratory {
    Parsed parsed;
    Run run;
    Figures figures;
    Analysis analysis;
};

Laboratory Compute(const std::string& link);

}  // namespace labo
