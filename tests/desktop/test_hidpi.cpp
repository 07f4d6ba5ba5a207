// On a screen scaled by 2 the drawing area and the window layer hold the
// screen's own pixels: same logical geometry, twice the resolution, so lines
// and text come out crisp. The animation's two properties still hold there:
// a frame drawn again over itself changes nothing, and the erase cycle
// leaves no trail. Run with QT_SCALE_FACTOR=2.
#include "scenes/antenna_figure.h"
#include "window_fixture.h"

#include <QTest>

class TestHighDensity : public QObject {
    Q_OBJECT
private slots:
    void imagesHaveTheScreensResolution()
    {
        WindowFixture f;
        QCOMPARE(f.window->devicePixelRatioF(), 2.0);
        QCOMPARE(f.window->FOND->size(), QSize(790, 416));
        QCOMPARE(f.picture().size(), QSize(1580, 832));
        QCOMPARE(f.picture().devicePixelRatio(), 2.0);
        QCOMPARE(f.window->layer().devicePixelRatio(), 2.0);
    }

    void textIsDrawnWithDevicePixels()
    {
        WindowFixture f;
        f.tick();  // the presentation: blue text at (560, 50)
        const QImage& p = f.picture();
        // A glyph stroke two device pixels wide would be an enlarged 1:1
        // image; at full resolution some columns differ from their pair.
        int oddColumnsDiffer = 0;
        for (int x = 1120; x < 1380; x += 2)
            for (int y = 100; y < 126; ++y)
                oddColumnsDiffer += p.pixel(x, y) != p.pixel(x + 1, y);
        QVERIFY(oddColumnsDiffer > 0);
    }

    void drawTwiceAndEraseHold()
    {
        WindowFixture f;
        f.click(2);
        const QImage blank = f.picture();
        Angle = -0.4f;
        DessinerAntenne(clRed);
        const QImage once = f.picture();
        DessinerAntenne(clRed);
        QCOMPARE(f.picture(), once);
        // The support stays; the dish goes.
        DessinerAntenne(clBtnFace);
        std::optional<QPoint> stray = strayRed(f.picture(), blank);
        QVERIFY2(!stray, qPrintable(QStringLiteral("red left at (%1, %2)").arg(stray->x()).arg(stray->y())));

        // A whole scene: no red outside the final dish and the diagram.
        f.click(6);
        f.playToEnd();
        const QImage final = f.picture();
        f.click(6);
        Angle = -0.5524f;
        DessinerAntenne(clRed);
        stray = strayRed(final, f.picture());
        QVERIFY2(!stray, qPrintable(QStringLiteral("stray red at (%1, %2)").arg(stray->x()).arg(stray->y())));
    }
};

ANTENNE_TEST_MAIN(TestHighDensity)
#include "test_hidpi.moc"
