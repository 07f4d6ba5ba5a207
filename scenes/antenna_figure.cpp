#include "scenes/antenna_figure.h"

#include "app/state.h"
#include "scenes/drawing_area.h"
#include "scenes/laws.h"
#include "surface/tcanvas.h"

void DrawAntennaWithChord(TColor colour, const std::array<int, 8>& c)
{
    TCanvas* canvas = DrawingArea();

    // Front leg, drawn first so that the dish hides the part of it inside.
    canvas->Pen.Color = clGreen;
    canvas->Pen.Width = 2;
    canvas->Brush.Color = clGreen;
    canvas->MoveTo(480, 400);
    canvas->LineTo(440, 265);

    // Dish, filled with the background.
    canvas->Pen.Color = colour;
    canvas->Pen.Width = 3;
    canvas->Brush.Color = clBtnFace;
    canvas->Chord(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);

    // Pivot disc.
    canvas->Pen.Color = clGreen;
    canvas->Pen.Width = 1;
    canvas->Brush.Color = clGreen;
    canvas->Ellipse(435, 260, 445, 270);

    // Rear leg and base, over the dish.
    canvas->Pen.Width = 2;
    canvas->MoveTo(440, 265);
    canvas->LineTo(400, 400);
    canvas->MoveTo(400, 400);
    canvas->LineTo(480, 400);
}

void DessinerAntenne(TColor colour)
{
    DrawAntennaWithChord(colour, ChordArguments(Angle));
}
