#pragma once

#include <QString>

// Prepares the picture of a scenario: erases the drawing area and the title
// strip of the window, loads and draws the block diagram with its top left
// corner at (70, diagramY), writes the title in green at (titleX, 30) on the
// window. If the diagram cannot be loaded, the exception leaves at that point,
// with the area and the strip already erased and nothing after the load done.
void PreparerScenario(const QString& title, int titleX, int diagramY);
