#pragma once

#include <QImage>
#include <QRect>

#include <vector>

// A figure's pixels as runs along its rows: pixels x .. x + length - 1 of row
// y, belonging to the figure's outline (drawn with the pen) or to its inside
// (filled with the brush). Nothing is antialiased: a pixel is either painted
// in full or left alone.
struct Span {
    int y;
    int x;
    int length;
    bool outline;
};
using Spans = std::vector<Span>;

// Paints the spans onto `image` (32 bits a pixel), the outline ones in
// `outline` and the inside ones in `inside`, clipped to the image, and
// returns the smallest rectangle holding every pixel whose colour really
// changed (empty if none did), in the image's own pixels.
QRect PaintSpans(QImage& image, const Spans& spans, QRgb outline, QRgb inside);
