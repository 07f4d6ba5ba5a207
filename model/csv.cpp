#include "model/csv.h"

#include "model/decimal.h"

namespace labo {

std::string RunCsv(const Run& run)
{
    std::string csv = "\xEF\xBB\xBF"
                      "t (s);consigne (°);position (°);erreur (°);commande (V);tension moteur (V);"
                      "couple du vent (N·m)\r\n";
    csv.reserve(csv.size() + run.samples.size() * 64);
    for (const Sample& s : run.samples) {
        csv += FormatFixed(s.t, 2, ',');
        for (const double v : {s.setPoint, s.position, s.error, s.command, s.voltage, s.windTorque}) {
            csv += ';';
            csv += FormatFixed(v, 4, ',');
        }
        csv += "\r\n";
    }
    return csv;
}

std::string CsvFileName(const Settings& settings)
{
    return "antenne-labo-" + FileStem(settings) + ".csv";
}

}  // namespace labo
