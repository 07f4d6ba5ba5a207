#include "scenes/graph.h"

#include "scenes/drawing_area.h"
#include "surface/tcanvas.h"

void Segment(int x1, int y1, int x2, int y2)
{
    TCanvas* canvas = DrawingArea();
    canvas->MoveTo(x1, y1);
    canvas->LineTo(x2, y2);
}

void TracerAxes(int x0, int y0, int yHaut, int xFin)
{
    TCanvas* canvas = DrawingArea();
    canvas->Pen.Color = clBlue;
    canvas->Pen.Width = 1;
    Segment(x0, yHaut, x0, y0);
    Segment(x0, yHaut, x0 - 5, yHaut + 5);
    Segment(x0, yHaut, x0 + 5, yHaut + 5);
    Segment(x0, y0, xFin, y0);
    Segment(xFin, y0, xFin - 5, y0 - 5);
    Segment(xFin, y0, xFin - 5, y0 + 5);
}

void CurvePen()
{
    TCanvas* canvas = DrawingArea();
    canvas->Pen.Color = clMaroon;
    canvas->Pen.Width = 2;
}
