#pragma once

#include <QSize>

class QPainter;

namespace labo {
struct Laboratory;
}

// The picture of a set-up worked out in the laboratory, for a lab report: a
// title and the set-up in one line; the angles (consigne, position) and the
// voltages (commande, tension moteur, the chopper's limit) against time, the
// gust shaded on both; then the run's figures beside the linear analysis.
// One routine paints it on any device, an SVG generator as well as an image.

// Its size in logical pixels: 15.9 cm wide at the resolution it is written
// with (LaboReportDpi), the width of an A4 page's text.
QSize LaboReportSize();
constexpr int LaboReportDpi = 160;

// Paints it from (0, 0), in logical pixels. Needs the embedded fonts
// registered (RegisterApplicationFonts).
void PaintLaboReport(QPainter& painter, const labo::Laboratory& lab);
