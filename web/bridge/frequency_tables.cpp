#include "web/bridge/frequency_tables.h"

#include "model/analysis.h"
#include "model/asymptotes.h"
#include "model/frequency_views.h"

#include <cmath>
#include <limits>

namespace labo {
Table NyquistTable(const Settings& settings, int count)
{
    const FrequencyResponse L = OpenLoopResponse(settings);
    const Nyquist n = NyquistOf(L, count);
    Table table = Table::sized({"omega", "re", "im", "module", "phase"}, n.omega.size());
    for (std::size_t i = 0; i < n.omega.size(); ++i) {
        table.column(0)[i] = n.omega[i];
        table.column(1)[i] = n.L[i].real();
        table.column(2)[i] = n.L[i].imag();
        table.column(3)[i] = std::abs(n.L[i]);
        table.column(4)[i] = L.phase(n.omega[i]);
    }
    return table;
}

Table AsymptotesTable(const Settings& settings, const Sweep& pulsations)
{
    std::vector<BodePoint> points;
    if (settings.Te == 0 && settings.delay == 0)
        points = AsymptoticLines(AsymptotesOf(OpenLoopOf(settings), settings.K), pulsations.low, pulsations.high);
    Table table = Table::sized({"omega", "gain", "phase"}, points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        table.column(0)[i] = points[i].omega;
        table.column(1)[i] = points[i].gainDb;
        table.column(2)[i] = points[i].phase;
    }
    return table;
}

Table NicholsTable(double low, double high)
{
    const std::vector<NicholsContour> contours = NicholsContours(low, high);
    std::size_t rows = 0;
    for (const NicholsContour& c : contours)
        rows += c.phase.size() + 1;
    Table table = Table::sized({"niveau", "phase", "gain", "etiquette"}, rows);
    std::size_t row = 0;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const NicholsContour& c : contours) {
        for (std::size_t i = 0; i < c.phase.size(); ++i, ++row) {
            table.column(0)[row] = c.level;
            table.column(1)[row] = c.phase[i];
            table.column(2)[row] = c.gainDb[i];
            table.column(3)[row] = i == c.label ? 1 : 0;
        }
        for (std::size_t k = 0; k < 4; ++k)
            table.column(k)[row] = nan;
        ++row;
    }
    return table;
}

}  // namespace labo
