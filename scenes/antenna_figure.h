#pragma once

#include "surface/tcolor.h"

#include <array>

// The antenna: green A-frame support and pivot disc, and the dish at the
// current Angle outlined in `colour` (clRed draws it, clBtnFace erases it).
// Leaves the pen clGreen of width 2 and the brush clGreen.
void DessinerAntenne(TColor colour);

// The same figure with the dish given by its chord arguments.
void DrawAntennaWithChord(TColor colour, const std::array<int, 8>& chord);

// Moves the dish by one frame: erases it at the current Angle, lets `law`
// store the new Angle, and draws it there in red.
template <class AngleLaw>
void AntennaCycle(AngleLaw law)
{
    DessinerAntenne(clBtnFace);
    law();
    DessinerAntenne(clRed);
}
