#include "web/bridge/tables.h"

#include "model/analysis.h"
#include "model/beyond_analysis.h"
#include "model/frequency_views.h"
#include "model/laboratory.h"
#include "model/loop.h"

namespace labo {
Table RunTable(const Laboratory& lab)
{
    const std::vector<Sample>& samples = lab.run.samples;
    Table table = Table::sized({"t", "consigne", "position", "erreur", "commande", "tension", "vent", "limitee"}, samples.size());
    const Loop loop(lab.parsed.settings);
    double* const columns[] = {table.column(0), table.column(1), table.column(2), table.column(3),
                               table.column(4), table.column(5), table.column(6), table.column(7)};
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const Sample& s = samples[i];
        const double row[] = {s.t, s.setPoint, s.position, s.error, s.command, s.voltage, s.windTorque,
                              loop.saturated(s.command) ? 1.0 : 0.0};
        for (std::size_t c = 0; c < std::size(row); ++c)
            columns[c][i] = row[c];
    }
    return table;
}

Table LocusTable(const Settings& settings, const Sweep& gains)
{
    const Locus locus = RootLocus(settings, gains.low, gains.high, gains.count);
    const std::size_t branches = locus.poles.empty() ? 0 : locus.poles.front().size();
    std::vector<std::string> names{"K"};
    for (std::size_t b = 0; b < branches; ++b)
        for (const char* field : {"re", "im", "damping", "pulsation"})
            names.push_back(field + std::to_string(b));
    Table table = Table::sized(std::move(names), locus.gains.size());
    for (std::size_t i = 0; i < locus.gains.size(); ++i) {
        table.column(0)[i] = locus.gains[i];
        for (std::size_t b = 0; b < branches; ++b) {
            const Complex& p = locus.poles[i][b];
            const PoleShape shape = ShapeOfPole(settings, p);
            const double fields[] = {p.real(), p.imag(), shape.damping, shape.pulsation};
            for (std::size_t f = 0; f < 4; ++f)
                table.column(1 + 4 * b + f)[i] = fields[f];
        }
    }
    return table;
}

Table BodeTable(const Settings& settings, const Sweep& pulsations)
{
    const std::vector<BodePoint> points = Bode(settings, pulsations.low, pulsations.high, pulsations.count);
    std::vector<double> omegas(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        omegas[i] = points[i].omega;
    const std::vector<ClosedLoopPoint> closed = ClosedLoopBode(OpenLoopResponse(settings), omegas);
    Table table = Table::sized({"omega", "gain", "phase", "gainBF", "phaseBF"}, points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        table.column(0)[i] = points[i].omega;
        table.column(1)[i] = points[i].gainDb;
        table.column(2)[i] = points[i].phase;
        table.column(3)[i] = closed[i].gainDb;
        table.column(4)[i] = closed[i].phase;
    }
    return table;
}

}  // namespace labo
