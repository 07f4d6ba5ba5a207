#include "surface/figures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

void PaintLine(SpanPainter& painter, QPoint from, QPoint to, int width, QRgb colour)
{
    if (from == to)
        return;
    const int dx = std::abs(to.x() - from.x());
    const int dy = std::abs(to.y() - from.y());
    const int sx = to.x() > from.x() ? 1 : -1;
    const int sy = to.y() > from.y() ? 1 : -1;
    const int across = width / 2;  // pixels before the line's own, across its course
    if (dy >= dx) {
        // Steep: in each row but the last, `width` pixels across the line;
        // the column moves when the error, in units of 1 / (2 dy), passes half.
        int x = from.x();
        int error = 0;
        for (int i = 0; i < dy; ++i) {
            painter.fill(from.y() + i * sy, x - across, x - across + width, colour);
            error += 2 * dx;
            if (error > dy) {
                x += sx;
                error -= 2 * dy;
            }
        }
        return;
    }
    // Shallow: the line's pixels in each row as one run, `width` rows deep;
    // the last column left out.
    int runStart = from.x();
    int y = from.y();
    int error = 0;
    for (int i = 1; i <= dx; ++i) {
        error += 2 * dy;
        const bool rowEnds = error > dx || i == dx;
        if (!rowEnds)
            continue;
        const int runEnd = from.x() + (i - 1) * sx;
        for (int k = 0; k < width; ++k)
            painter.fill(y - across + k, std::min(runStart, runEnd), std::max(runStart, runEnd) + 1, colour);
        runStart = runEnd + sx;
        if (error > dx) {
            y += sy;
            error -= 2 * dx;
        }
    }
}

namespace {

// Beyond any image, and small enough for a pixel index.
constexpr double unbounded = 1 << 28;

// Part of a row, from lo to hi; empty unless lo < hi.
struct Interval {
    double lo;
    double hi;
};
constexpr Interval nothing{0.0, 0.0};
constexpr Interval everything{-unbounded, unbounded};

Interval intersection(Interval a, Interval b)
{
    return {std::max(a.lo, b.lo), std::min(a.hi, b.hi)};
}

// The first pixel whose centre lies at or beyond x: ceil(x - 0.5), without
// a call to the maths library.
int column(double x)
{
    const double v = x - 0.5;  // within +-unbounded, which an int holds
    const int truncated = int(v);
    return truncated + (truncated < v ? 1 : 0);
}

// The rows of pixel centres across an ellipse.
class EllipseAcross {
public:
    EllipseAcross(QPointF centre, double a, double b)
        : cx_(centre.x()), cy_(centre.y()), a_(a), perB_(b > 0.0 ? 1.0 / b : 0.0), empty_(a <= 0.0 || b <= 0.0)
    {
    }
    Interval row(double y) const
    {
        const double t = (y - cy_) * perB_;
        if (empty_ || t * t >= 1.0)
            return nothing;
        const double half = a_ * std::sqrt(1.0 - t * t);
        return {cx_ - half, cx_ + half};
    }

private:
    double cx_, cy_, a_, perB_;
    bool empty_;
};

// The rows of points at least `offset` inside a cut's kept side: all of
// each row without a cut.
class KeptSide {
public:
    KeptSide(const std::optional<ChordCut>& cut, double offset)
        : cut_(cut.value_or(ChordCut{})), offset_(offset), whole_(!cut),
          level_(std::abs(cut_.normal.x()) < 1e-12), perNormalX_(level_ ? 0.0 : 1.0 / cut_.normal.x())
    {
    }
    Interval row(double y) const
    {
        if (whole_)
            return everything;
        const double along = offset_ - cut_.normal.y() * (y - cut_.origin.y());
        if (level_)  // a horizontal cut: all of the row, or none
            return along <= 0.0 ? everything : nothing;
        const double x = cut_.origin.x() + along * perNormalX_;
        return perNormalX_ > 0.0 ? Interval{x, unbounded} : Interval{-unbounded, x};
    }

private:
    ChordCut cut_;
    double offset_;
    bool whole_;
    bool level_;
    double perNormalX_;
};

// The point where the ray from the centre through `through` meets the
// ellipse; a ray without direction points to 3 o'clock.
QPointF onEllipse(QPointF centre, double a, double b, QPointF through)
{
    QPointF d = through - centre;
    if (d.x() == 0.0 && d.y() == 0.0)
        d = QPointF(1.0, 0.0);
    return centre + d / std::hypot(d.x() / a, d.y() / b);
}

}  // namespace

std::optional<ChordCut> ChordBetween(QPointF centre, QSizeF radii, QPointF start, QPointF end)
{
    const double a = radii.width();
    const double b = radii.height();
    if (a <= 0.0 || b <= 0.0)
        return std::nullopt;
    const QPointF first = onEllipse(centre, a, b, start);
    const QPointF last = onEllipse(centre, a, b, end);
    // Angles counterclockwise on screen, hence the signs: Y points down.
    const double from = std::atan2(centre.y() - first.y(), first.x() - centre.x());
    const double to = std::atan2(centre.y() - last.y(), last.x() - centre.x());
    double span = std::fmod(to - from, 2.0 * M_PI);
    if (span <= 0.0)
        span += 2.0 * M_PI;
    const QPointF along = last - first;
    const double length = std::hypot(along.x(), along.y());
    if (span >= 2.0 * M_PI || length == 0.0)
        return std::nullopt;
    // The kept side is the one holding the middle of the arc.
    const double middle = from + span / 2.0;
    const QPointF arc = onEllipse(centre, a, b, centre + QPointF(std::cos(middle), -std::sin(middle)));
    QPointF normal(-along.y() / length, along.x() / length);
    const QPointF toArc = arc - first;
    if (normal.x() * toArc.x() + normal.y() * toArc.y() < 0.0)
        normal = -normal;
    return ChordCut{first, normal};
}

EllipseFigure EllipseRows(QPointF centre, QSizeF radii, double penWidth, const std::optional<ChordCut>& cut)
{
    const double a = radii.width();
    const double b = radii.height();
    const double h = std::max(penWidth, 1.0) / 2.0;
    // The whole figure reaches half the pen beyond the boundary; its inside
    // stops half the pen within it. Both are convex, so each crosses a row
    // once: outline, inside, outline.
    const EllipseAcross whole(centre, a + h, b + h);
    const EllipseAcross within(centre, a - h, b - h);
    const KeptSide wholeKept(cut, -h);
    const KeptSide withinKept(cut, h);
    EllipseFigure rows;
    const int top = int(std::floor(centre.y() - b - h));
    const int bottom = int(std::ceil(centre.y() + b + h));
    rows.reserve(std::size_t(std::max(0, bottom - top + 1)));
    for (int y = top; y <= bottom; ++y) {
        const double yc = y + 0.5;
        const Interval outer = intersection(whole.row(yc), wholeKept.row(yc));
        const Interval inner = intersection(within.row(yc), withinKept.row(yc));
        const int first = column(outer.lo);
        const int last = column(outer.hi);
        if (first >= last)
            continue;
        int innerFirst = std::clamp(column(inner.lo), first, last);
        int innerLast = std::clamp(column(inner.hi), innerFirst, last);
        if (innerFirst >= innerLast)
            innerFirst = innerLast = last;
        rows.push_back({y, first, innerFirst, innerLast, last});
    }
    return rows;
}

void PaintEllipse(SpanPainter& painter, const EllipseFigure& figure, QRgb outline, QRgb inside, int insideTop,
                  int insideBottom)
{
    for (const EllipseRow& r : figure)
        painter.fillOutlined(r.y, r.first, r.innerFirst, r.innerLast, r.last, outline,
                             insideTop <= r.y && r.y <= insideBottom ? std::optional<QRgb>(inside) : std::nullopt);
}
