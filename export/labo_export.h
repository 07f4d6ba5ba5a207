#pragma once

#include "model/laboratory.h"

#include <QString>

class QIODevice;

// antenne-export labo: a laboratory set-up's run for a lab report, as the
// page's CSV (the model's own bytes), or its graphs and figures as SVG
// (vector) or PNG (scale times the logical pixels).
enum class LaboFormat { Csv, Svg, Png };

// The settings' names, one a line, with what each accepts: in French, as
// the model words it, or in English.
QString LaboSettingsHelp(bool french);

// The format a file's name asks for, or none.
bool LaboFormatOf(const QString& output, LaboFormat& format);

// Writes the run to `device`; throws std::runtime_error when it cannot. The
// SVG and PNG need a QGuiApplication.
void WriteLabo(const labo::Laboratory& lab, LaboFormat format, int scale, QIODevice& device);
