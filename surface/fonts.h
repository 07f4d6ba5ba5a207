#pragma once

#include <QString>

// The faces the program draws with, embedded in the executable so that every
// text measures the same on every machine.
QString SansFace();
QString SerifFace();

// Registers the embedded faces with the application; returns false if one of
// them could not be loaded (the toolkit then falls back to its default face).
bool RegisterApplicationFonts();
