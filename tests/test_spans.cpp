// The pixels of the wide figures, worked out row by row without a window:
// lines keep their start pixel and lose their end pixel at any width, every
// figure covers each of its pixels once, an outline closes around its inside,
// and a chord keeps the arc's side of its ellipse. Painting reports exactly
// the pixels that changed.
#include "surface/figure_spans.h"
#include "surface/spans.h"

#include <QSet>
#include <QtTest>

#include <cmath>

namespace {

struct Pixel {
    int x;
    int y;
    bool operator==(const Pixel& other) const { return x == other.x && y == other.y; }
    friend size_t qHash(const Pixel& p, size_t seed = 0) { return qHashMulti(seed, p.x, p.y); }
};

// The figure's outline and inside pixels; fails if a pixel is covered twice.
struct Figure {
    QSet<Pixel> outline;
    QSet<Pixel> inside;
};

Figure pixelsOf(const Spans& spans)
{
    Figure f;
    for (const Span& s : spans) {
        if (s.length <= 0)
            QTest::qFail("an empty span", __FILE__, __LINE__);
        for (int x = s.x; x < s.x + s.length; ++x) {
            const Pixel p{x, s.y};
            if (f.outline.contains(p) || f.inside.contains(p))
                QTest::qFail(qPrintable(QStringLiteral("(%1, %2) covered twice").arg(x).arg(s.y)), __FILE__, __LINE__);
            (s.outline ? f.outline : f.inside).insert(p);
        }
    }
    return f;
}

// Every inside pixel has its four neighbours in the figure: the outline
// closes around the inside, which a fill cannot leak out of.
bool insideIsEnclosed(const Figure& f)
{
    for (const Pixel& p : f.inside)
        for (const Pixel& n : {Pixel{p.x + 1, p.y}, Pixel{p.x - 1, p.y}, Pixel{p.x, p.y + 1}, Pixel{p.x, p.y - 1}})
            if (!f.inside.contains(n) && !f.outline.contains(n))
                return false;
    return true;
}

// The dish as the antenna figure draws it at `angle`, in the canvas's
// coordinates: a circle of radius 99.5 whose rays end 141 px from the pivot.
Spans dish(double angle, double penWidth = 3.0)
{
    const QPointF pivot(440.5, 265.5);
    const QPointF centre = pivot + 100.0 * QPointF(std::cos(angle), std::sin(angle));
    const QPointF start = pivot + 141.0 * QPointF(std::cos(angle - 0.785), std::sin(angle - 0.785));
    const QPointF end = pivot + 141.0 * QPointF(std::cos(angle + 0.785), std::sin(angle + 0.785));
    Spans spans;
    ChordSpans(centre, QSizeF(99.5, 99.5), start, end, penWidth, spans);
    return spans;
}

}  // namespace

class TestSpans : public QObject {
    Q_OBJECT
private slots:
    // Flat ends: the stroke runs from the start pixel's centre to the end
    // pixel's centre, so the start pixel is in and the end pixel out, and a
    // 2-pixel pen covers the line's row and the one above it.
    void straightWideLines()
    {
        Spans horizontal;
        WideLineSpans({30.5, 320.5}, {200.5, 320.5}, 2.0, horizontal);
        const Figure h = pixelsOf(horizontal);
        QCOMPARE(h.outline.size(), 2 * 170);
        QVERIFY(h.outline.contains({30, 319}) && h.outline.contains({30, 320}));
        QVERIFY(h.outline.contains({199, 320}) && !h.outline.contains({200, 320}));
        QVERIFY(!h.outline.contains({100, 321}) && !h.outline.contains({100, 318}));

        // Drawn the other way, the other end is left out.
        Spans back;
        WideLineSpans({200.5, 320.5}, {30.5, 320.5}, 2.0, back);
        const Figure b = pixelsOf(back);
        QVERIFY(b.outline.contains({200, 320}) && !b.outline.contains({30, 320}));

        Spans vertical;
        WideLineSpans({640.5, 330.5}, {640.5, 355.5}, 3.0, vertical);
        const Figure v = pixelsOf(vertical);
        QCOMPARE(v.outline.size(), 3 * 25);
        QVERIFY(v.outline.contains({639, 330}) && v.outline.contains({641, 354}));
        QVERIFY(!v.outline.contains({640, 355}));

        Spans none;
        WideLineSpans({5.5, 5.5}, {5.5, 5.5}, 2.0, none);
        QVERIFY(none.empty());
    }

    // A slanted leg of the antenna: as wide as the pen across the whole
    // length, no pixel twice.
    void slantedWideLine()
    {
        Spans leg;
        WideLineSpans({480.5, 400.5}, {440.5, 265.5}, 2.0, leg);
        const Figure f = pixelsOf(leg);
        const double length = std::hypot(40.0, 135.0);
        QVERIFY(std::abs(f.outline.size() - 2.0 * length) < 0.08 * 2.0 * length);
        for (const Span& s : leg)
            QVERIFY(s.y >= 265 && s.y <= 400);
    }

    // The dish at many angles: each pixel once, the outline closed, the
    // area that of a half disc and its outline, the outline near the boundary and the
    // inside on the arc's side of the chord, and inside the circle.
    void dishAtEveryAngle()
    {
        constexpr double r = 99.5;
        for (int step = 0; step <= 16; ++step) {
            const double angle = -3.1 + 0.37 * step;
            const Figure f = pixelsOf(dish(angle));
            QVERIFY2(insideIsEnclosed(f), qPrintable(QString::number(angle)));
            // The outline reaches half the pen's width beyond the half disc.
            const double area = f.inside.size() + f.outline.size();
            const double expected = M_PI * (r + 1.5) * (r + 1.5) / 2.0 + 2.0 * (r + 1.5) * 1.5;
            QVERIFY2(std::abs(area - expected) < 0.02 * expected, qPrintable(QString::number(area)));
            const QPointF centre = QPointF(440.5, 265.5) + 100.0 * QPointF(std::cos(angle), std::sin(angle));
            const QPointF facing(std::cos(angle), std::sin(angle));  // from the pivot to the centre
            for (const Pixel& p : f.inside) {
                const QPointF d = QPointF(p.x + 0.5, p.y + 0.5) - centre;
                QVERIFY(std::hypot(d.x(), d.y()) < r);
                // The half through the pivot: behind the diameter, seen from it.
                QVERIFY(d.x() * facing.x() + d.y() * facing.y() < 1.0);
            }
            for (const Pixel& p : f.outline) {
                const QPointF d = QPointF(p.x + 0.5, p.y + 0.5) - centre;
                const double toArc = std::abs(std::hypot(d.x(), d.y()) - r);
                const double toChord = std::abs(d.x() * facing.x() + d.y() * facing.y());
                QVERIFY(std::min(toArc, toChord) <= 1.5 + 1.0);
            }
        }
    }

    // Rays in the same direction keep the whole ellipse; the thin ring of
    // the pivot's 1-pixel pen still closes around its inside.
    void wholeEllipses()
    {
        Spans whole;
        ChordSpans({100, 100}, QSizeF(40, 25), {150, 100}, {150, 100}, 3.0, whole);
        Spans ellipse;
        EllipseSpans({100, 100}, QSizeF(40, 25), 3.0, ellipse);
        const Figure w = pixelsOf(whole);
        const Figure e = pixelsOf(ellipse);
        QCOMPARE(w.outline, e.outline);
        QCOMPARE(w.inside, e.inside);
        QVERIFY(insideIsEnclosed(e));
        QVERIFY(std::abs(e.outline.size() + e.inside.size() - M_PI * 41.5 * 26.5) < 0.04 * M_PI * 41.5 * 26.5);

        Spans pivot;
        EllipseSpans({440, 265}, QSizeF(4.5, 4.5), 1.0, pivot);
        const Figure p = pixelsOf(pivot);
        QVERIFY(!p.inside.isEmpty());
        QVERIFY(insideIsEnclosed(p));
        // Symmetric about its centre.
        for (const Pixel& q : p.outline)
            QVERIFY(p.outline.contains({879 - q.x, 529 - q.y}));

        Spans flat;
        EllipseSpans({10, 10}, QSizeF(0, 0), 1.0, flat);
        QVERIFY(pixelsOf(flat).inside.isEmpty());
    }

    // Painting reports the pixels that changed and nothing the second time;
    // spans beyond the image's edges are clipped.
    void paintingReportsWhatChanged()
    {
        QImage image(100, 60, QImage::Format_RGB32);
        image.fill(0xFFF0F0F0);
        const Spans spans = {{10, 20, 30, true}, {11, 20, 30, false}, {12, -5, 10, true},
                             {-1, 0, 50, true}, {59, 95, 20, false}};
        QCOMPARE(PaintSpans(image, spans, 0xFFFF0000, 0xFFF0F0F0), QRect(QPoint(0, 10), QPoint(49, 12)));
        QCOMPARE(image.pixel(20, 10), 0xFFFF0000u);
        QCOMPARE(image.pixel(4, 12), 0xFFFF0000u);
        QCOMPARE(image.pixel(5, 12), 0xFFF0F0F0u);
        QCOMPARE(PaintSpans(image, spans, 0xFFFF0000, 0xFFF0F0F0), QRect());
        // Only the pixels that differ, even inside a long span.
        image.setPixel(33, 11, 0xFF000000);
        image.setPixel(37, 11, 0xFF000000);
        QCOMPARE(PaintSpans(image, spans, 0xFFFF0000, 0xFFF0F0F0), QRect(33, 11, 5, 1));
        QCOMPARE(PaintSpans(image, spans, 0xFFFF0000, 0xFF0000FF), QRect(QPoint(20, 11), QPoint(99, 59)));
    }
};

QTEST_GUILESS_MAIN(TestSpans)
#include "test_spans.moc"
