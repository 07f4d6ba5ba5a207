// Pixels of the canvas operations: the GDI conventions the scenes rely on
// (half-open boxes, lines without their end pixel, polygon count, chord
// orientation, transparent copies, text background) and the two properties
// that make an accumulating animation possible: drawing twice is drawing
// once, and drawing in the background colour erases.
#include "surface/tbitmap.h"
#include "surface/tcanvas.h"
#include "surface/fonts.h"
#include "scenes/laws.h"
#include "pixels.h"

#include <QPainter>
#include <QRegion>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

struct Surface {
    QImage image{400, 300, QImage::Format_RGB32};
    QRegion touched;
    TCanvas canvas{&image, [this](const QRect& r) { touched += r; }, SansFace()};
    Surface() { image.fill(ColorToQColor(clBtnFace)); }
};

// The smallest rectangle holding every pixel not of the background.
QRect inkBounds(const QImage& image)
{
    QImage blank(image.size(), image.format());
    blank.fill(ColorToQColor(clBtnFace));
    return differenceBounds(image, blank);
}

using Operation = std::function<void(TCanvas&, TColor)>;

}  // namespace

class TestCanvas : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(RegisterApplicationFonts()); }

    void boxesExcludeRightAndBottom_data()
    {
        QTest::addColumn<int>("figure");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("rectangle") << 0 << QRect(QPoint(5, 5), QPoint(14, 14));
        QTest::newRow("ellipse") << 1 << QRect(QPoint(435, 260), QPoint(444, 269)).translated(-300, -200);
    }
    void boxesExcludeRightAndBottom()
    {
        QFETCH(int, figure);
        QFETCH(QRect, expected);
        Surface s;
        s.canvas.Pen.Color = clBlack;
        s.canvas.Brush.Color = clWhite;
        if (figure == 0)
            s.canvas.Rectangle(5, 5, 15, 15);
        else
            s.canvas.Ellipse(135, 60, 145, 70);
        QCOMPARE(inkBounds(s.image), expected);
        if (figure == 0) {
            QCOMPARE(s.image.pixel(5, 5), black);
            QCOMPARE(s.image.pixel(14, 14), black);
            QCOMPARE(s.image.pixel(10, 10), white);
        }
    }

    void lineLeavesOutItsEndPixel_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("horizontal") << QPoint(5, 5) << QPoint(15, 5) << QRect(5, 5, 10, 1);
        QTest::newRow("leftward") << QPoint(15, 5) << QPoint(5, 5) << QRect(6, 5, 10, 1);
        QTest::newRow("vertical") << QPoint(30, 380 - 300) << QPoint(30, 285 - 250) << QRect(30, 36, 1, 45);
        QTest::newRow("zero length") << QPoint(8, 8) << QPoint(8, 8) << QRect();
    }
    void lineLeavesOutItsEndPixel()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QRect, expected);
        Surface s;
        s.canvas.MoveTo(from.x(), from.y());
        s.canvas.LineTo(to.x(), to.y());
        QCOMPARE(inkBounds(s.image), expected);
        QCOMPARE(s.canvas.PenPos(), to);
    }

    void polygonTakesTheLastIndex()
    {
        Surface s;
        s.canvas.Brush.Color = clRed;
        s.canvas.Pen.Color = clRed;
        const TPoint square[] = {{10, 10}, {60, 10}, {60, 60}, {10, 60}};
        s.canvas.Polygon(square, 2);  // three points: a triangle
        QCOMPARE(s.image.pixel(55, 20), red);
        QVERIFY(s.image.pixel(15, 55) != red);  // the fourth point's corner stays out
        s.canvas.Polygon(square, 3);
        QCOMPARE(s.image.pixel(15, 55), red);
    }

    // The dish's chord keeps the arc running counterclockwise on screen from
    // the first radial point to the second: the half through the pivot.
    void chordKeepsTheArcThroughThePivot_data()
    {
        QTest::addColumn<float>("angle");
        QTest::newRow("facing right") << 0.0f;
        QTest::newRow("raised") << -0.5f;
        QTest::newRow("lowered") << 0.7f;
        QTest::newRow("facing left") << 3.0f;
    }
    void chordKeepsTheArcThroughThePivot()
    {
        QFETCH(float, angle);
        QImage image(900, 600, QImage::Format_RGB32);
        image.fill(ColorToQColor(clBtnFace));
        TCanvas canvas(&image, {}, SansFace());
        canvas.Pen.Color = clRed;
        canvas.Pen.Width = 3;
        canvas.Brush.Color = clWhite;
        const auto c = ChordArguments(angle);
        canvas.Chord(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
        const double cx = 440 + 100 * std::cos(angle), cy = 265 + 100 * std::sin(angle);
        // Inside, halfway between the pivot and the centre: filled.
        QCOMPARE(image.pixel(int(440 + 50 * std::cos(angle)), int(265 + 50 * std::sin(angle))), white);
        // The outline passes next to the pivot.
        QVERIFY(countColour(image, red, QRect(437, 262, 7, 7)) > 0);
        // The far half of the circle, beyond the diameter, is not drawn.
        const QPoint far(int(cx + 60 * std::cos(angle)), int(cy + 60 * std::sin(angle)));
        QCOMPARE(image.pixel(far), ColorToQColor(clBtnFace).rgb());
    }

    void chordArgumentsOfTheDish()
    {
        using A = std::array<int, 8>;
        QCOMPARE(ChordArguments(0.0f), (A{440, 165, 640, 365, 540, 165, 540, 364}));
        QCOMPARE(ChordArguments(-0.5f), (A{427, 117, 627, 317, 479, 129, 575, 304}));
    }

    void transparentCopySkipsTheBottomLeftColour()
    {
        QTemporaryDir dir;
        QImage picture(4, 3, QImage::Format_RGB32);
        picture.fill(Qt::white);
        picture.setPixel(1, 0, black);
        picture.setPixel(2, 1, red);
        QVERIFY(picture.save(dir.filePath("SAMPLE.bmp")));
        const TModule module{dir.path()};

        TBitmap bitmap;
        bitmap.LoadFromResourceName(&module, "Sample");  // names compare without case
        Surface opaque, transparent;
        opaque.canvas.Draw(10, 20, bitmap);
        QCOMPARE(inkBounds(opaque.image), QRect(10, 20, 4, 3));
        bitmap.Transparent = true;
        transparent.canvas.Draw(10, 20, bitmap);
        QCOMPARE(inkBounds(transparent.image), QRect(11, 20, 2, 2));
        QCOMPARE(transparent.image.pixel(11, 20), black);
        QCOMPARE(transparent.image.pixel(12, 21), red);
        QCOMPARE(countColour(transparent.image, white), 0);

        QVERIFY_THROWS_EXCEPTION(EResNotFound, bitmap.LoadFromResourceName(&module, "Other"));
        QCOMPARE(bitmap.Width(), 4);  // a failed load leaves the bitmap as it was
    }

    void textBackground()
    {
        Surface s;
        s.canvas.Brush.Color = clWhite;
        s.canvas.Font.Color = clBlue;
        const QString word = QStringLiteral("Consigne");
        const QRect cell(20, 20, s.canvas.TextWidth(word), s.canvas.TextHeight(word));

        s.canvas.TextOut(20, 20, word);  // opaque: the cell takes the brush colour
        QVERIFY(countColour(s.image, white, cell) > cell.width() * cell.height() / 2);

        Surface t;
        t.canvas.Brush.Color = clWhite;
        t.canvas.Font.Color = clBlue;
        SetBkMode(t.canvas.Handle(), TRANSPARENT);
        t.canvas.TextOut(20, 20, word);
        QCOMPARE(countColour(t.image, white), 0);
        QVERIFY(countColour(t.image, ColorToQColor(clBlue).rgb()) > 20);

        // Still transparent after more text and lines; a brush assignment
        // followed by a use of the brush ends it, even to the same colour.
        t.canvas.LineTo(5, 5);
        t.canvas.TextOut(20, 60, word);
        QCOMPARE(countColour(t.image, white), 0);
        t.canvas.Brush.Color = clWhite;
        t.canvas.TextOut(20, 100, word);
        QVERIFY(countColour(t.image, white) > 0);
        QCOMPARE(t.canvas.backgroundMode(), OPAQUE);
        QCOMPARE(SetBkMode(nullptr, TRANSPARENT), 0);
    }

    // Every figure: drawn twice is drawn once; drawn again after something
    // else painted over part of it, it is all back; drawn again in the background
    // colour it leaves the untouched image; and every pixel it changes lies
    // in the area it reported, so the screen is repainted where it must be.
    void drawTwiceEraseAndReportedArea_data()
    {
        QTest::addColumn<Operation>("draw");
        QTest::addColumn<bool>("reportsOnlyChanges");
        QTest::newRow("thin line") << Operation([](TCanvas& c, TColor k) {
            c.Pen.Color = k; c.Pen.Width = 1; c.MoveTo(10, 10); c.LineTo(200, 77); }) << true;
        QTest::newRow("wide line") << Operation([](TCanvas& c, TColor k) {
            c.Pen.Color = k; c.Pen.Width = 2; c.MoveTo(300, 20); c.LineTo(40, 250); }) << true;
        QTest::newRow("rectangle") << Operation([](TCanvas& c, TColor k) {
            c.Pen.Color = k; c.Brush.Color = k; c.Rectangle(30, 40, 90, 70); }) << false;
        QTest::newRow("ellipse") << Operation([](TCanvas& c, TColor k) {
            c.Pen.Color = k; c.Brush.Color = k; c.Ellipse(35, 60, 45, 70); }) << true;
        QTest::newRow("polygon") << Operation([](TCanvas& c, TColor k) {
            const TPoint p[] = {{10, 10}, {100, 20}, {50, 90}};
            c.Pen.Color = k; c.Brush.Color = k; c.Polygon(p, 2); }) << false;
        QTest::newRow("chord") << Operation([](TCanvas& c, TColor k) {
            c.Pen.Color = k; c.Pen.Width = 3; c.Brush.Color = clBtnFace;
            c.Chord(50, 20, 250, 220, 150, 20, 150, 219); }) << true;
        QTest::newRow("chord across the left edge") << Operation([](TCanvas& c, TColor k) {
            c.Pen.Color = k; c.Pen.Width = 3; c.Brush.Color = clBtnFace;
            c.Chord(-100, 20, 100, 220, 0, 20, 0, 219); }) << true;
        QTest::newRow("text") << Operation([](TCanvas& c, TColor k) {
            SetBkMode(c.Handle(), TRANSPARENT); c.Font.Color = k;
            c.TextOut(200, 250, QStringLiteral("Position Angulaire Antenne é")); }) << true;
    }
    void drawTwiceEraseAndReportedArea()
    {
        QFETCH(Operation, draw);
        Surface s;
        const QImage blank = s.image;
        draw(s.canvas, clRed);
        const QImage once = s.image;
        QVERIFY(once != blank);
        for (int y = 0; y < once.height(); ++y)
            for (int x = 0; x < once.width(); ++x)
                if (once.pixel(x, y) != blank.pixel(x, y) && !s.touched.contains(QPoint(x, y)))
                    QFAIL(qPrintable(QStringLiteral("(%1, %2) changed outside the reported area").arg(x).arg(y)));
        s.touched = QRegion();
        draw(s.canvas, clRed);
        QCOMPARE(s.image, once);
        QFETCH(bool, reportsOnlyChanges);
        if (reportsOnlyChanges)
            QVERIFY(s.touched.isEmpty());
        // Partly painted over by something else, then drawn again: all of
        // it back.
        s.canvas.Pen.Color = clBtnFace;
        s.canvas.Brush.Color = clBtnFace;
        s.canvas.Rectangle(0, 0, 150, 300);
        draw(s.canvas, clRed);
        QCOMPARE(s.image, once);
        draw(s.canvas, clBtnFace);
        QCOMPARE(s.image, blank);
    }

    // A figure drawn again in another outline colour over its own inside,
    // part of which something else painted over meanwhile, comes out as if
    // drawn on a fresh canvas.
    void figureRedrawnInAnotherColour_data()
    {
        QTest::addColumn<bool>("chord");
        QTest::newRow("chord") << true;
        QTest::newRow("ellipse") << false;
    }
    void figureRedrawnInAnotherColour()
    {
        QFETCH(bool, chord);
        const auto figure = [chord](TCanvas& c, TColor outline) {
            c.Pen.Color = outline;
            c.Pen.Width = 3;
            c.Brush.Color = clWhite;
            if (chord)
                c.Chord(50, 20, 250, 220, 150, 20, 150, 219);
            else
                c.Ellipse(50, 20, 250, 220);
        };
        Surface s, fresh;
        figure(s.canvas, clRed);
        s.canvas.Pen.Color = clBtnFace;
        s.canvas.Brush.Color = clBtnFace;
        s.canvas.Rectangle(60, 100, 120, 140);
        figure(s.canvas, clBlue);
        figure(fresh.canvas, clBlue);
        QCOMPARE(s.image, fresh.image);
    }

    // Texts are rasterized once and copied afterwards: the copy must leave
    // the pixels drawing the text directly leaves, at the first and at later
    // calls, in each colour.
    void textCopyMatchesDirectDrawing()
    {
        const QString text = QStringLiteral("angulaire donnée par un capteur est comparée");
        for (TColor colour : {clBlue, clRed, clBlue}) {
            Surface s;
            SetBkMode(s.canvas.Handle(), TRANSPARENT);
            s.canvas.Font.Color = colour;
            s.canvas.TextOut(7, 9, text);
            QImage direct(s.image.size(), QImage::Format_RGB32);
            direct.fill(ColorToQColor(clBtnFace));
            QFont font(SansFace());
            font.setPixelSize(11);
            font.setStyleStrategy(QFont::NoAntialias);
            font.setHintingPreference(QFont::PreferFullHinting);
            QPainter p(&direct);
            p.setFont(font);
            p.setPen(ColorToQColor(colour));
            p.drawText(QPoint(7, 9 + QFontMetrics(font).ascent()), text);
            p.end();
            QCOMPARE(s.image, direct);
        }
    }

    void colours()
    {
        QCOMPARE(ColorToQColor(clMaroon), QColor(128, 0, 0));
        QCOMPARE(ColorToQColor(clBlue), QColor(0, 0, 255));
        QCOMPARE(ColorToQColor(clYellow), QColor(255, 255, 0));
        QCOMPARE(ColorToQColor(clBtnFace), QGuiApplication::palette().color(QPalette::Window));
        QCOMPARE(PointsToPixels(8), 11);
        QCOMPARE(PointsToPixels(10), 13);
    }
};

QTEST_MAIN(TestCanvas)
#include "test_canvas.moc"
