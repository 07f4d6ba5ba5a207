// The block diagram of the servo loop, shown beside the antenna.
#pragma once

#include "bmp_writer.h"

#include <QString>

namespace resources {

// The families of the faces the texts are drawn in, once registered.
struct DiagramFonts {
    QString regular;
    QString bold;
};

// Registers Liberation Sans Regular and Bold from `directory`. Returns false
// and fills `error` when a file is missing or unreadable.
bool loadDiagramFonts(const QString &directory, DiagramFonts &fonts, QString &error);

// Draws the diagram and reduces it to its three colours (white background,
// black strokes and texts, red controller). Returns false and fills `error`
// when a text does not fit in its box.
bool drawDiagram(const DiagramFonts &fonts, IndexedImage &out, QString &error);

constexpr int kDiagramWidth = 369;
constexpr int kDiagramHeight = 229;

} // namespace resources
