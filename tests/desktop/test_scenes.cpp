// The six scenes as pictures, driven tick by tick: each final picture holds
// its curves, the dish at its final angle, its labels and commentary; the
// erase cycle leaves no red trail; ended scenes stay still; an interrupted
// scene leaves nothing behind; and every text fits the drawing area.
#include "scenes/antenna_figure.h"
#include "scenes/laws.h"
#include "window_fixture.h"

#include <QTest>

#include <cmath>

namespace {

// Whether the colour is found within `radius` pixels of (x, y).
bool near(const QImage& image, int x, int y, QRgb colour, int radius = 2)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (image.rect().contains(x + dx, y + dy) && image.pixel(x + dx, y + dy) == colour)
                return true;
    return false;
}

struct Probe {
    int x, y;
    QRgb colour;
};

struct Scene {
    int button;
    float finalAngle;
    QList<Probe> curves;   // pixels the curves and axes must cover
    QRect label;           // the first label's box
    bool commentary;
};

Scene scene(int button)
{
    switch (button) {
    case 2:
        return {2, -0.7460f,
                {{30, 350, maroon}, {100, 320, maroon}, {146, 320, maroon}, {160 - 2, 380, blue},
                 {603, 372, maroon}, {624, 342, maroon}, {719, 320, maroon}, {729, 380, blue}},
                {35, 290, 50, 12}, true};
    case 3:
        return {3, -0.7663f,
                {{30, 350, maroon}, {206, 320, maroon}, {615, 297, maroon}, {779, 331, maroon}, {789, 380, blue}},
                {35, 290, 50, 12}, true};
    case 4:
        return {4, -0.1721f,
                {{30, 350, blue}, {146, 320, maroon}, {603, 375, maroon}, {719, 352, maroon}},
                {35, 290, 50, 12}, true};
    case 5:
        return {5, -0.7941f,
                {{640, 300, maroon}, {679, 222, maroon}, {720, 220, maroon}, {600, 216, blue}, {729, 221, red}},
                {605, 225, 50, 12}, true};
    case 6:
        return {6, -0.5524f,
                {{218, 320, maroon}, {620, 320, maroon}, {655, 295, maroon}, {789, 319, maroon},
                 {650, 180, yellow}, {640, 345, yellow}},
                {35, 290, 50, 12}, true};
    }
    return {};
}

// Plays a scene to its end after the start-up presentation, as a user would.
void play(WindowFixture& f, int button)
{
    f.tick();
    f.click(button);
    f.playToEnd();
}

}  // namespace

class TestScenes : public QObject {
    Q_OBJECT
private slots:
    void presentation()
    {
        WindowFixture f;
        Angle = 0.3f;
        f.tick();
        QCOMPARE(Compteur, 2);
        QCOMPARE(Angle, 0.3f);  // neither read nor changed
        const QImage& p = f.picture();
        QVERIFY(near(p, 70 + 135, 65 + 2, red, 0));  // the diagram's controller block
        QVERIFY(near(p, 540, 300, red, 1));          // the dish's flat side at x = 540
        QVERIFY(near(p, 441, 230, red, 3) || near(p, 445, 230, red, 3));  // its back, by the pivot
        QVERIFY(near(p, 440, 265, green, 1));   // the pivot
        QVERIFY(countColour(p, blue, {560, 50, 130, 13}) > 50);
        QVERIFY(countColour(p, red, {700, 50, 60, 13}) > 20);  // "(en rouge)"
        QVERIFY(countColour(p, blue, {560, 190, 150, 13}) > 50);
        QCOMPARE(f.image()->Font.Color, clBlue);

        const QImage presented = p;
        // Again: the same picture.
        f.click(1);
        f.tick();
        QCOMPARE(f.picture(), presented);
        f.tick(3);
        QCOMPARE(f.picture(), presented);
    }

    void finalPicture_data()
    {
        QTest::addColumn<int>("button");
        for (int b = 2; b <= 6; ++b)
            QTest::addRow("Button%d", b) << b;
    }
    void finalPicture()
    {
        QFETCH(int, button);
        const Scene s = scene(button);
        WindowFixture f;
        play(f, button);
        const QImage final = f.picture();

        QVERIFY2(std::abs(Angle - s.finalAngle) < 5e-5f, qPrintable(QString::number(Angle)));
        for (const Probe& probe : s.curves)
            QVERIFY2(near(final, probe.x, probe.y, probe.colour),
                     qPrintable(QStringLiteral("(%1, %2)").arg(probe.x).arg(probe.y)));
        // The dish at its final angle: the middle of its flat side, and a
        // point of it halfway to one end.
        const double a = s.finalAngle;
        const int mx = int(440 + 100 * std::cos(a)), my = int(265 + 100 * std::sin(a));
        QVERIFY(near(final, mx, my, red));
        QVERIFY(near(final, int(mx - 50 * std::sin(a)), int(my + 50 * std::cos(a)), red));
        // Labels in the presentation's blue, and the commentary.
        QVERIFY(countColour(final, blue, s.label) > 20);
        QVERIFY(countColour(final, black, s.label) == 0);
        QCOMPARE(countColour(final, blue, {560, 50, 150, 13}) > 30, s.commentary);

        // No red trail: red only where the final dish, the diagram's
        // controller block and (ramp) the response curve put it.
        f.click(button);  // the diagram alone, at the same place
        Angle = s.finalAngle;
        DessinerAntenne(clRed);
        if (button == 5) {
            TCanvas* c = f.image();
            c->Pen.Color = clRed;
            c->Pen.Width = 2;
            float response = 0.0f;
            for (int p = 0; p <= 129; ++p) {
                c->MoveTo(600 + p, RampOrdinate(response));
                response = RampFilter(response, RampSetPoint(p));
                c->LineTo(601 + p, RampOrdinate(response));
            }
        }
        const std::optional<QPoint> stray = strayRed(final, f.picture());
        QVERIFY2(!stray, qPrintable(QStringLiteral("stray red at (%1, %2)").arg(stray->x()).arg(stray->y())));
    }

    void endedScenesStayStill()
    {
        WindowFixture f;
        for (int button = 1; button <= 6; ++button) {
            f.click(button);
            f.playToEnd();
            const QImage final = f.picture();
            const auto counter = Compteur;
            f.tick(20);
            QCOMPARE(Compteur, counter);
            QCOMPARE(f.picture(), final);
        }
    }

    // A click in the middle of a scene abandons it: the new scene's final
    // picture is exactly the one it has when played from a fresh start.
    void interruptedSceneLeavesNothing_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::newRow("wind cut by aperiodic") << 6 << 2;
        QTest::newRow("aperiodic cut by damped") << 2 << 3;
        QTest::newRow("ramp cut by unstable") << 5 << 4;
        QTest::newRow("damped cut by ramp") << 3 << 5;
        QTest::newRow("unstable cut by wind") << 4 << 6;
        QTest::newRow("ramp cut by ramp") << 5 << 5;
        QTest::newRow("wind cut by presentation") << 6 << 1;
    }
    void interruptedSceneLeavesNothing()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        QImage fresh;
        {
            WindowFixture f;
            play(f, second);
            fresh = f.picture();
        }
        WindowFixture f;
        f.tick();
        f.click(first);
        f.tick(25);
        f.click(second);
        f.playToEnd();
        QCOMPARE(f.picture(), fresh);
    }

    // Before any presentation frame the labels come out in the canvas's
    // first font colour, and turn blue once a commentary has set it.
    void labelsBeforeAnyPresentation()
    {
        WindowFixture f;
        f.click(2);
        f.tick();
        const QRect label(35, 290, 50, 12);
        QVERIFY(countColour(f.picture(), black, label) > 20);
        QCOMPARE(countColour(f.picture(), blue, label), 0);
        f.tick(20);  // past the first commentary frame
        QVERIFY(countColour(f.picture(), blue, label) > 20);
        QCOMPARE(countColour(f.picture(), black, label), 0);
    }

    // Every text of every scene lies inside the drawing area, and no two
    // different texts of a scene overlap.
    void textsFit()
    {
        WindowFixture f;
        QList<QPair<QRect, QString>> texts;
        f.image()->onTextOut = [&](const QRect& box, const QString& text) {
            if (!texts.contains(qMakePair(box, text)))
                texts << qMakePair(box, text);
        };
        for (int button = 1; button <= 6; ++button) {
            texts.clear();
            f.click(button);
            f.playToEnd();
            QVERIFY(!texts.isEmpty());
            for (int i = 0; i < texts.size(); ++i) {
                const QRect& box = texts[i].first;
                QVERIFY2(box.right() < 790 && box.bottom() < 416 && box.left() >= 0 && box.top() >= 0,
                         qPrintable(texts[i].second));
                QVERIFY(box.height() < 20);  // blocks of lines 20 px apart stay legible
                for (int j = i + 1; j < texts.size(); ++j)
                    if (texts[j].second != texts[i].second)
                        QVERIFY2(!box.intersects(texts[j].first),
                                 qPrintable(texts[i].second + " / " + texts[j].second));
            }
        }
        f.image()->onTextOut = nullptr;
    }
};

ANTENNE_TEST_MAIN(TestScenes)
#include "test_scenes.moc"
