#include "scenes/texts.h"

#include "scenes/drawing_area.h"
#include "surface/tcanvas.h"

void WriteTexts(const PlacedText* first, const PlacedText* last)
{
    TCanvas* canvas = DrawingArea();
    SetBkMode(canvas->Handle(), TRANSPARENT);
    for (const PlacedText* t = first; t != last; ++t)
        canvas->TextOut(t->x, t->y, t->text);
}

void WriteCommentary(const QString* first, const QString* last)
{
    TCanvas* canvas = DrawingArea();
    SetBkMode(canvas->Handle(), TRANSPARENT);
    canvas->Font.Color = clBlue;
    int y = 50;
    for (const QString* line = first; line != last; ++line, y += 20)
        canvas->TextOut(560, y, *line);
}
