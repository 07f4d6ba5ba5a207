#include "model/laboratory.h"

namespace labo {

Laboratory Compute(const std::string& link)
{
    Laboratory lab;
    lab.parsed = ParseSettings(link);
    lab.run = Simulate(lab.parsed.settings);
    lab.figures = ComputeFigures(lab.run);
    lab.analysis = Analyse(lab.parsed.settings);
    return lab;
}

}  // namespace labo
