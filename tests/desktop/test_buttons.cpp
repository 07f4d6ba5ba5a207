// The scenario buttons: what each one draws and resets, clicks that come
// between or before ticks, a diagram that cannot be loaded, and start-up.
#include "window_fixture.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace {

QRgb background()
{
    return ColorToQColor(clBtnFace).rgb();
}

// The drawing area as it must look right after a click: the diagram alone.
QImage diagramOnly(int diagramY)
{
    TBitmap diagram;
    diagram.LoadFromResourceName(HInstance, QStringLiteral("COMMANDE"));
    diagram.Transparent = true;
    QImage expected(790, 416, QImage::Format_RGB32);
    expected.fill(background());
    QPainter(&expected).drawImage(70, diagramY, diagram.drawable());
    return expected;
}

bool allBackground(const QImage& image, const QRect& area)
{
    return colourBounds(image, background(), area).size() == area.size() &&
           colourBounds(image, background(), area) == area;
}

const QRect titleStrip(600, 20, 200, 30);

}  // namespace

class TestButtons : public QObject {
    Q_OBJECT
private slots:
    void eachButton_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("titleX");
        QTest::addColumn<int>("diagramY");
        QTest::addColumn<int>("start");
        QTest::newRow("Button1") << 1 << 700 << 65 << 1;
        QTest::newRow("Button2") << 2 << 600 << 65 << 10;
        QTest::newRow("Button3") << 3 << 600 << 62 << 60;
        QTest::newRow("Button4") << 4 << 660 << 65 << 130;
        QTest::newRow("Button5") << 5 << 660 << 65 << 180;
        QTest::newRow("Button6") << 6 << 700 << 65 << 320;
    }
    void eachButton()
    {
        QFETCH(int, button);
        QFETCH(int, titleX);
        QFETCH(int, diagramY);
        QFETCH(int, start);
        WindowFixture f;
        f.tick();      // the presentation first: there is something to erase
        f.click(6);
        f.tick(60);    // and a scene in progress, with the dish turned
        Angle = 0.7f;
        SortieRampe = 5.0f;
        f.click(button);

        QCOMPARE(Compteur, start);
        QCOMPARE(Angle, button == 1 ? 0.7f : 0.0f);
        QCOMPARE(SortieRampe, button == 5 ? 0.0f : 5.0f);
        QCOMPARE(f.picture(), diagramOnly(diagramY));
        // The title alone in the strip, in green, from its X.
        const QRect title = colourBounds(f.window->layer(), green, titleStrip.adjusted(-50, -20, 50, 20));
        QVERIFY(!title.isEmpty());
        QVERIFY(titleStrip.contains(title));
        QVERIFY(title.left() >= titleX && title.left() <= titleX + 2);
        QVERIFY(title.top() >= 30 && title.top() <= 34);
    }

    void twoClicksBeforeATick()
    {
        WindowFixture f;
        SortieRampe = 3.0f;
        Angle = 0.2f;
        f.click(5);
        f.click(2);
        QCOMPARE(Compteur, 10);
        QCOMPARE(SortieRampe, 0.0f);  // the first click's reset stays made
        QCOMPARE(f.picture(), diagramOnly(65));
        f.tick();
        QCOMPARE(Compteur, 11);
    }

    void clickInTheMiddleOfTheRamp()
    {
        WindowFixture f;
        f.click(5);
        f.tick(50);
        QVERIFY(SortieRampe > 10.0f);
        f.click(5);
        QCOMPARE(SortieRampe, 0.0f);
        f.tick();
        QCOMPARE(SortieRampe, 0.0625f);  // the filtered response starts again from 0
    }

    // A diagram that cannot be loaded: the area and the strip are erased,
    // nothing after the load is done, the message names the resource, and
    // the next tick and the next click work.
    void failedLoad_data()
    {
        QTest::addColumn<bool>("corrupt");
        QTest::newRow("missing") << false;
        QTest::newRow("unreadable") << true;
    }
    void failedLoad()
    {
        QFETCH(bool, corrupt);
        WindowFixture f;
        f.click(3);
        f.tick(40);
        const std::int32_t counter = Compteur;
        const float angle = Angle;

        QTemporaryDir dir;
        if (corrupt) {
            QFile file(dir.filePath("commande.bmp"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("BM this is not a bitmap");
        }
        const TModule broken{dir.path()};
        HInstance = &broken;

        // Through the event loop, as a user's click comes.
        f.window->Button2->click();
        QTRY_COMPARE(f.shown.size(), 1);
        QVERIFY2(f.shown[0].contains(QStringLiteral("Commande")), qPrintable(f.shown[0]));
        QCOMPARE(Compteur, counter);
        QCOMPARE(Angle, angle);
        QVERIFY(allBackground(f.picture(), f.picture().rect()));
        QVERIFY(allBackground(f.window->layer(), titleStrip));

        // The presentation frame fails the same way, once: the counter has
        // already moved on, so the next tick does not try again.
        // Through the real clock: shown once, and the ticks go on.
        Compteur = 1;
        f.window->Timer1->start();
        QTRY_COMPARE(f.shown.size(), 2);
        QTest::qWait(250);
        f.window->Timer1->stop();
        QCOMPARE(f.shown.size(), 2);
        QCOMPARE(Compteur, 2);

        HInstance = WindowFixture::programModule();
        f.window->Button4->click();
        QTRY_COMPARE(Compteur, 130);
        f.tick();
        QCOMPARE(Compteur, 131);
        QCOMPARE(f.shown.size(), 2);
    }

    void startUpDrawsThePresentationAtTheFirstTick()
    {
        WindowFixture f(false);  // the real clock
        QCOMPARE(Compteur, 1);
        f.window->show();
        QTRY_COMPARE_WITH_TIMEOUT(Compteur, 2, 1000);
        QVERIFY(colourBounds(f.picture(), red, QRect(430, 150, 220, 230)).width() > 90);  // the dish
        QTest::qWait(350);
        QCOMPARE(Compteur, 2);
        QVERIFY(f.shown.isEmpty());
    }

    void startUpFailureIsShownAndNotReportedAsSuccess()
    {
        WindowFixture f;
        const int code = Application->Execute([]() -> int { throw EResNotFound("la fenêtre n'a pas pu être créée"); });
        QCOMPARE(code, 1);
        QCOMPARE(f.shown, QStringList{QStringLiteral("la fenêtre n'a pas pu être créée")});
        QCOMPARE(Application->Execute([] { return 0; }), 0);
    }

    // The title lives on the window's own persistent layer, so a repaint of
    // the window (covered, minimized, restored) does not lose it.
    void titleSurvivesARepaint()
    {
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.click(4);
        f.window->hide();
        f.window->showMinimized();
        f.window->showNormal();
        QCoreApplication::processEvents();
        const QImage shown = f.window->grab(QRect(0, 0, 800, 60)).toImage().convertToFormat(QImage::Format_RGB32);
        const QRect title = colourBounds(shown, green, QRect(0, 0, 800, 60));
        QVERIFY(!title.isEmpty());
        QVERIFY(titleStrip.contains(title));
    }
};

ANTENNE_TEST_MAIN(TestButtons)
#include "test_buttons.moc"
