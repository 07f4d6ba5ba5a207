#pragma once

#include <string>
#include <utility>
#include <vector>

// The numbers the page draws, as the plotting library takes them: one
// column after another, each a row a sample, so that the page reads each
// column as a view of the module's memory, with no loop.
namespace labo {

struct Laboratory;
struct Settings;
struct Sweep;

struct Table {
    std::vector<std::string> columns;  // their names, in order
    std::size_t rows = 0;
    std::vector<double> data;          // columns.size() x rows, a column after another

    // A table of these columns and as many rows, every value 0.
    static Table sized(std::vector<std::string> names, std::size_t count)
    {
        Table table;
        table.columns = std::move(names);
        table.rows = count;
        table.data.assign(table.columns.size() * count, 0.0);
        return table;
    }

    double* column(std::size_t c) { return data.data() + c * rows; }
};

// The run, a row every 10 ms: t, consigne, position, erreur, commande,
// tension, vent, and limitee, 1 where the chopper's limit holds the command.
Table RunTable(const Laboratory& lab);

// The root locus over a sweep of gains: K, then for each branch its pole's
// real and imaginary parts, damping and natural pulsation (re0, im0,
// damping0, pulsation0, re1...).
Table LocusTable(const Settings& settings, const Sweep& gains);

// Bode of the open loop over a sweep of pulsations: omega (rad/s), gain
// (dB), phase (degrees); and of the closed loop: gainBF (dB), phaseBF
// (degrees). The Black view draws the same columns.
Table BodeTable(const Settings& settings, const Sweep& pulsations);

}  // namespace labo
