#pragma once

// The blue axes of a small time graph: origin (x0, y0), the vertical axis up
// to yHaut, the horizontal one to xFin, each with an arrowhead. Leaves the pen
// clBlue of width 1.
void TracerAxes(int x0, int y0, int yHaut, int xFin);

// The pen the curves are drawn with: clMaroon, width 2.
void CurvePen();

// A segment from (x1, y1) to (x2, y2) in the current pen.
void Segment(int x1, int y1, int x2, int y2);
