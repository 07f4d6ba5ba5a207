#pragma once

#include "model/run.h"

#include <string>

namespace labo {

// A run as a spreadsheet opens it on French conventions: a UTF-8 byte-order
// mark (so that Excel reads the units' signs), one header line of the
// columns' names with their units, then one line every 10 ms; ';' between
// the columns, a decimal comma, lines ended by CR LF. The page's export and
// antenne-export write these same bytes.
std::string RunCsv(const Run& run);

// The file's name for a set-up: "antenne-labo-K64,2.csv".
std::string CsvFileName(const Settings& settings);

}  // namespace labo
