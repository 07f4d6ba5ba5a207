#include "surface/figure_spans.h"

#include <algorithm>
#include <cmath>

namespace {

// Part of a row, from lo included to hi excluded; empty when hi <= lo.
struct Interval {
    double lo;
    double hi;
    bool empty() const { return !(lo < hi); }
};

// Far beyond any image, and small enough that a span's start plus its
// length always fits an int.
constexpr double unbounded = 1 << 28;
constexpr Interval everything{-unbounded, unbounded};
constexpr Interval nothing{0.0, 0.0};

Interval intersection(Interval a, Interval b)
{
    return {std::max(a.lo, b.lo), std::min(a.hi, b.hi)};
}

// The row of pixel centres `y` across the ellipse of radii a and b.
Interval ellipseRow(QPointF centre, double a, double b, double y)
{
    if (a <= 0.0 || b <= 0.0)
        return nothing;
    const double t = (y - centre.y()) / b;
    if (t * t >= 1.0)
        return nothing;
    const double half = a * std::sqrt(1.0 - t * t);
    return {centre.x() - half, centre.x() + half};
}

// Where along the row `y` the value n . (p - origin) lies in [low, high].
Interval bandRow(QPointF origin, QPointF normal, double low, double high, double y)
{
    const double offset = normal.y() * (y - origin.y());
    if (std::abs(normal.x()) < 1e-12) {
        // A horizontal line: the whole row, or none of it.
        return low <= offset && offset <= high ? everything : nothing;
    }
    const double x1 = origin.x() + (low - offset) / normal.x();
    const double x2 = origin.x() + (high - offset) / normal.x();
    return {std::min(x1, x2), std::max(x1, x2)};
}

// Pixel columns [first, last) whose centres lie in the interval.
struct Columns {
    int first;
    int last;
};

Columns columns(Interval in)
{
    if (in.empty())
        return {0, 0};
    const double lo = std::clamp(in.lo, -unbounded, unbounded);
    const double hi = std::clamp(in.hi, -unbounded, unbounded);
    return {int(std::ceil(lo - 0.5)), int(std::ceil(hi - 0.5))};
}

void append(Spans& out, int y, Columns c, bool outline)
{
    if (c.last > c.first)
        out.push_back({y, c.first, c.last - c.first, outline});
}

// The point where the ray from the centre through `through` meets the
// ellipse; a ray without direction points to 3 o'clock.
QPointF onEllipse(QPointF centre, double a, double b, QPointF through)
{
    QPointF d = through - centre;
    if (d.x() == 0.0 && d.y() == 0.0)
        d = QPointF(1.0, 0.0);
    const double t = 1.0 / std::sqrt((d.x() / a) * (d.x() / a) + (d.y() / b) * (d.y() / b));
    return centre + t * d;
}

// Rows of an ellipse figure, whole or cut by a chord.
struct Cut {
    bool present = false;
    QPointF origin;  // a point of the chord's line
    QPointF normal;  // unit, pointing to the side kept
};

void ellipseFigure(QPointF centre, QSizeF radii, double penWidth, const Cut& cut, Spans& out)
{
    const double a = radii.width();
    const double b = radii.height();
    const double h = std::max(penWidth, 1.0) / 2.0;
    const int top = int(std::floor(centre.y() - b - h - 1.0));
    const int bottom = int(std::ceil(centre.y() + b + h + 1.0));
    for (int y = top; y <= bottom; ++y) {
        const double yc = y + 0.5;
        const Interval outer = ellipseRow(centre, a + h, b + h, yc);
        if (outer.empty())
            continue;
        const Interval inner = ellipseRow(centre, a - h, b - h, yc);
        const Interval kept = cut.present ? bandRow(cut.origin, cut.normal, 0.0, unbounded, yc) : everything;

        // The outline: the ring around the ellipse, on the kept side, and
        // the band along the chord, inside the outer ellipse. A row crosses
        // the ring once or twice and the band at most once.
        const Columns ringLeft = columns(intersection({outer.lo, inner.empty() ? outer.hi : inner.lo}, kept));
        const Columns ringRight = inner.empty() ? Columns{0, 0} : columns(intersection({inner.hi, outer.hi}, kept));
        Columns band{0, 0};
        if (cut.present)
            band = columns(intersection(bandRow(cut.origin, cut.normal, -h, h, yc), outer));

        // Inside: the ellipse on the kept side, less the outline.
        const Columns body = columns(intersection(ellipseRow(centre, a, b, yc), kept));

        // Gather the outline pieces in order along the row and merge those
        // that touch.
        Columns pieces[3] = {ringLeft, band, ringRight};
        std::sort(std::begin(pieces), std::end(pieces), [](Columns p, Columns q) { return p.first < q.first; });
        Columns merged[3];
        int count = 0;
        for (Columns p : pieces) {
            if (p.last <= p.first)
                continue;
            if (count > 0 && p.first <= merged[count - 1].last)
                merged[count - 1].last = std::max(merged[count - 1].last, p.last);
            else
                merged[count++] = p;
        }
        int from = body.first;
        for (int i = 0; i < count; ++i) {
            append(out, y, {from, std::min(body.last, merged[i].first)}, false);
            append(out, y, merged[i], true);
            from = std::max(from, merged[i].last);
        }
        append(out, y, {from, body.last}, false);
    }
}

// Where the chord's arc begins and ends on the ellipse, and a point halfway
// along it; whole when both rays point the same way.
struct ChordEnds {
    QPointF start;
    QPointF end;
    QPointF middle;
    bool whole;
};

ChordEnds chordEnds(QPointF centre, QSizeF radii, QPointF start, QPointF end)
{
    const double a = radii.width();
    const double b = radii.height();
    ChordEnds ends{};
    if (a <= 0.0 || b <= 0.0) {
        ends.whole = true;
        return ends;
    }
    ends.start = onEllipse(centre, a, b, start);
    ends.end = onEllipse(centre, a, b, end);
    // Angles counterclockwise on screen, hence the sign: Y points down.
    const QPointF ds = ends.start - centre;
    const QPointF de = ends.end - centre;
    const double from = std::atan2(-ds.y(), ds.x());
    const double to = std::atan2(-de.y(), de.x());
    double span = std::fmod(to - from, 2.0 * M_PI);
    if (span <= 0.0)
        span += 2.0 * M_PI;
    ends.whole = span >= 2.0 * M_PI;
    const double middle = from + span / 2.0;
    ends.middle = onEllipse(centre, a, b, centre + QPointF(std::cos(middle), -std::sin(middle)));
    return ends;
}

}  // namespace

void WideLineSpans(QPointF from, QPointF to, double width, Spans& out)
{
    const QPointF d = to - from;
    const double length = std::hypot(d.x(), d.y());
    if (length == 0.0)
        return;
    const QPointF n = QPointF(-d.y(), d.x()) * (std::max(width, 1.0) / 2.0 / length);
    // A pixel centre on a left or top edge counts as inside, so a stroke
    // along a row or a column would keep its left or top end whichever way
    // it runs. Moved back a hair along its course, it keeps its start pixel
    // and leaves out its end pixel in every direction.
    const QPointF back = d * (1.0 / 1024.0 / length);
    const QPointF corners[4] = {from + n - back, to + n - back, to - n - back, from - n - back};
    double top = corners[0].y();
    double bottom = top;
    for (const QPointF& c : corners) {
        top = std::min(top, c.y());
        bottom = std::max(bottom, c.y());
    }
    for (int y = int(std::floor(top)) - 1; y <= int(std::ceil(bottom)); ++y) {
        const double yc = y + 0.5;
        // The row crosses the convex quadrilateral's edges twice; an edge
        // holds its upper end and not its lower one, so a corner counts once.
        double lo = unbounded;
        double hi = -unbounded;
        for (int i = 0; i < 4; ++i) {
            const QPointF p = corners[i];
            const QPointF q = corners[(i + 1) % 4];
            if (p.y() == q.y() || yc < std::min(p.y(), q.y()) || yc >= std::max(p.y(), q.y()))
                continue;
            const double x = p.x() + (yc - p.y()) * (q.x() - p.x()) / (q.y() - p.y());
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
        if (lo < hi)
            append(out, y, columns({lo, hi}), true);
    }
}

void EllipseSpans(QPointF centre, QSizeF radii, double penWidth, Spans& out)
{
    ellipseFigure(centre, radii, penWidth, Cut{}, out);
}

void ChordSpans(QPointF centre, QSizeF radii, QPointF start, QPointF end, double penWidth, Spans& out)
{
    const ChordEnds ends = chordEnds(centre, radii, start, end);
    Cut cut;
    const QPointF along = ends.end - ends.start;
    const double length = std::hypot(along.x(), along.y());
    if (!ends.whole && length > 0.0) {
        cut.present = true;
        cut.origin = ends.start;
        cut.normal = QPointF(-along.y(), along.x()) / length;
        const QPointF toMiddle = ends.middle - ends.start;
        if (cut.normal.x() * toMiddle.x() + cut.normal.y() * toMiddle.y() < 0.0)
            cut.normal = -cut.normal;
    }
    ellipseFigure(centre, radii, penWidth, cut, out);
}
