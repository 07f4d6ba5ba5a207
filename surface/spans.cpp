#include "surface/spans.h"

#include <algorithm>
#include <limits>

namespace {

// The first pixel of [from, to) not of `colour`, or `to`. Whole blocks are
// compared at once, which the compiler turns into vector instructions: the
// inside of a figure drawn again over itself is all equal.
int firstDifferent(const QRgb* row, int from, int to, QRgb colour)
{
    constexpr int block = 8;
    while (to - from >= block) {
        QRgb difference = 0;
        for (int k = 0; k < block; ++k)
            difference |= row[from + k] ^ colour;
        if (difference != 0)
            break;
        from += block;
    }
    while (from < to && row[from] == colour)
        ++from;
    return from;
}

// The pixel after the last one of [from, to) not of `colour`, or `from`.
int afterLastDifferent(const QRgb* row, int from, int to, QRgb colour)
{
    constexpr int block = 8;
    while (to - from >= block) {
        QRgb difference = 0;
        for (int k = 1; k <= block; ++k)
            difference |= row[to - k] ^ colour;
        if (difference != 0)
            break;
        to -= block;
    }
    while (to > from && row[to - 1] == colour)
        --to;
    return to;
}

}  // namespace

QRect PaintSpans(QImage& image, const Spans& spans, QRgb outline, QRgb inside)
{
    if (spans.empty() || image.depth() != 32)
        return {};
    const int width = image.width();
    const int height = image.height();
    const qsizetype stride = image.bytesPerLine();
    uchar* const bits = image.bits();  // detaches once, not at every row
    int left = std::numeric_limits<int>::max();
    int right = std::numeric_limits<int>::min();
    int top = std::numeric_limits<int>::max();
    int bottom = std::numeric_limits<int>::min();
    for (const Span& span : spans) {
        if (span.y < 0 || span.y >= height)
            continue;
        int from = std::max(span.x, 0);
        int to = std::min(span.x + span.length, width);
        const QRgb colour = span.outline ? outline : inside;
        auto* const row = reinterpret_cast<QRgb*>(bits + span.y * stride);
        // Only the stretch from the first to the last differing pixel changes.
        from = firstDifferent(row, from, to, colour);
        if (from >= to)
            continue;
        to = afterLastDifferent(row, from, to, colour);
        std::fill(row + from, row + to, colour);
        left = std::min(left, from);
        right = std::max(right, to - 1);
        top = std::min(top, span.y);
        bottom = std::max(bottom, span.y);
    }
    if (right < left)
        return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}
