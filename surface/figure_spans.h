#pragma once

#include "surface/spans.h"

#include <QPointF>
#include <QSizeF>

// The pixels of the wide figures, worked out row by row. Coordinates are
// continuous: pixel (i, j) is the unit square from (i, j) to (i + 1, j + 1),
// and belongs to a figure when its centre (i + 0.5, j + 0.5) lies inside it
// (on a left or top edge counts as inside, on a right or bottom one as
// outside, so that figures side by side share no pixel). Outlines are the
// band of the pen's width centred on the figure's boundary and take
// precedence over the inside. Each function appends the figure's spans to
// `out`, a few spans a row.

// A straight stroke of width `width` with flat ends, from `from` to `to`:
// it keeps the pixel it starts on and leaves out the one it ends on.
void WideLineSpans(QPointF from, QPointF to, double width, Spans& out);

// The ellipse of centre `centre` and radii `radii`, and its inside.
void EllipseSpans(QPointF centre, QSizeF radii, double penWidth, Spans& out);

// The chord of that ellipse: the part cut off by the straight line between
// the points where two rays from the centre, through `start` and through
// `end`, meet the ellipse, on the side of the arc that runs counterclockwise
// on screen from the first ray to the second. Rays in the same direction
// keep the whole ellipse.
void ChordSpans(QPointF centre, QSizeF radii, QPointF start, QPointF end, double penWidth, Spans& out);
