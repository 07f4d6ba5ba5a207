#pragma once

#include "surface/spans.h"

#include <QPoint>
#include <QPointF>
#include <QSizeF>

#include <climits>
#include <optional>
#include <vector>

// The figures the canvas draws itself, as runs of the image's own pixels.
// The toolkit's painter draws them aliased too, but costs, per call, counted
// by callgrind on this project's machine (2026-12-08): 250,000 instructions
// for the dish's chord with its 3-pixel pen, 15,000 to 27,000 for a line,
// 11,000 for the pivot's small disc. That is about a million a frame of the
// wind scene, where four times what a bare window of the same size spends
// repainting the dish's area at each tick leaves about 250,000 for the
// whole frame. Drawn here, a frame's figures cost a few tens of thousands.

// A straight line from pixel `from` to pixel `to`, which is left out:
// Bresenham's walk, each step painting `width` pixels across the line's
// course (a 2-pixel pen adds the pixel above, or to the left).
void PaintLine(SpanPainter& painter, QPoint from, QPoint to, int width, QRgb colour);

// Where a chord cuts its ellipse: the straight line through `origin`, the
// side kept being where `normal` (a unit vector) points.
struct ChordCut {
    QPointF origin;
    QPointF normal;
};

// The chord of the ellipse (centre, radii) between the points where the
// rays from its centre through `start` and through `end` meet it: the side
// of the arc running counterclockwise on screen from the first to the
// second. None when the rays point the same way: the whole ellipse is kept.
std::optional<ChordCut> ChordBetween(QPointF centre, QSizeF radii, QPointF start, QPointF end);

// The rows of the ellipse (centre, radii), whole or cut, in continuous
// coordinates: pixel (i, j) belongs to it when its centre (i + 0.5, j + 0.5)
// does. The outline is the band of the pen's width centred on the boundary,
// the arc's and the cut's; the inside is what it encloses. On each row the
// outline covers [first, innerFirst) and [innerLast, last), the inside
// [innerFirst, innerLast).
struct EllipseRow {
    int y;
    int first;
    int innerFirst;
    int innerLast;
    int last;
};
using EllipseFigure = std::vector<EllipseRow>;
EllipseFigure EllipseRows(QPointF centre, QSizeF radii, double penWidth, const std::optional<ChordCut>& cut);

// Paints the figure: its outline, and its inside in the rows from
// insideTop to insideBottom (all of them by default).
void PaintEllipse(SpanPainter& painter, const EllipseFigure& figure, QRgb outline, QRgb inside,
                  int insideTop = INT_MIN, int insideBottom = INT_MAX);
