// The main window as laid out: controls where the layout puts them, fonts
// that make every caption and title fit, the window maximized with its icon,
// and a drawing area that repaints only when it is drawn on.
#include "window_fixture.h"

#include <QBackingStore>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>

namespace {

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

}  // namespace

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void controlsAsLaidOut_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::newRow("FOND") << "FOND" << QRect(0, 72, 790, 416) << QString();
        QTest::newRow("Button1") << "Button1" << QRect(16, 496, 75, 25) << QStringLiteral("Présentation");
        QTest::newRow("Button2") << "Button2" << QRect(96, 496, 161, 25) << QStringLiteral("Réponse Indicielle Apériodique");
        QTest::newRow("Button3") << "Button3" << QRect(264, 496, 161, 25) << QStringLiteral("Rép. Ind. Oscillatoire Amortie");
        QTest::newRow("Button4") << "Button4" << QRect(432, 496, 121, 25) << QStringLiteral("Instabilité Oscillatoire");
        QTest::newRow("Button5") << "Button5" << QRect(560, 496, 129, 25) << QStringLiteral("Réponse à une Rampe");
        QTest::newRow("Button6") << "Button6" << QRect(696, 496, 75, 25) << QStringLiteral("Perturbation");
    }
    void controlsAsLaidOut()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        WindowFixture f;
        auto* widget = f.window->findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), geometry);
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            QCOMPARE(button->text(), text);
            // The caption fits inside the button's contents area, in the
            // window's font.
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const QRect contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            QVERIFY2(button->fontMetrics().horizontalAdvance(text) <= contents.width(),
                     qPrintable(QStringLiteral("%1 px in %2").arg(button->fontMetrics().horizontalAdvance(text)).arg(contents.width())));
            QCOMPARE(QFontInfo(button->font()).family(), SansFace());
        }
    }

    void labels()
    {
        WindowFixture f;
        const QLabel* labels[] = {f.window->Label1, f.window->Label2, f.window->Label4};
        const QPoint corners[] = {{208, 0}, {704, 0}, {8, 0}};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(labels[i]->pos(), corners[i]);
            QCOMPARE(QFontInfo(labels[i]->font()).family(), SerifFace());
            QCOMPARE(labels[i]->palette().color(QPalette::WindowText), QColor(128, 0, 0));
            QVERIFY(!labels[i]->text().isEmpty());
            // Sized to the text, and clear of the title strip and of each other.
            QCOMPARE(labels[i]->width(), labels[i]->sizeHint().width());
            QVERIFY(labels[i]->geometry().bottom() < 72);
        }
        QCOMPARE(f.window->Label2->text(), QStringLiteral("version 1.5"));
        QVERIFY(!f.window->Label1->geometry().intersects(f.window->Label2->geometry()));
        QVERIFY(!f.window->Label4->geometry().intersects(f.window->Label1->geometry()));
        QVERIFY(!f.window->Label1->autoFillBackground());
        QVERIFY(f.window->Label2->autoFillBackground());
    }

    void titlesFitTheStrip()
    {
        WindowFixture f;
        TCanvas* window = f.window->Canvas();
        window->Font.Size = 10;
        for (const Scenario& row : Scenarios) {
            const QString title = QString::fromUtf8(row.title);
            QVERIFY2(row.titleX + window->TextWidth(title) <= 800, row.title);
            QVERIFY(30 + window->TextHeight(title) <= 50);
        }
    }

    void opensMaximizedWithItsIconAndClock()
    {
        WindowFixture f(false);
        QVERIFY(f.window->windowState() & Qt::WindowMaximized);
        QVERIFY(!f.window->windowTitle().isEmpty());
        QCOMPARE(f.window->windowIcon().availableSizes().value(0), QSize(32, 32));
        QVERIFY(f.window->Timer1->isActive());
        QCOMPARE(f.window->Timer1->interval(), 100);
        QCOMPARE(f.window->Timer1->timerType(), Qt::PreciseTimer);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        QVERIFY(f.window->windowState() & Qt::WindowMaximized);  // its size is the window manager's: see the end-to-end test
    }

    // Drawing schedules one repaint of the area however many operations a
    // frame makes; a tick that draws nothing schedules none.
    void repaintsOnlyWhenDrawn()
    {
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.tick();  // the presentation
        QCoreApplication::processEvents();
        PaintCounter counter;
        f.window->FOND->installEventFilter(&counter);

        f.tick(5);  // stopped at 2
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints, 0);

        f.click(2);
        f.tick();
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints, 1);
        f.window->FOND->removeEventFilter(&counter);
    }

    // Played with the event loop running, as on screen, the window ends up
    // showing exactly the drawing area's picture: every change was repainted.
    void showsEveryChange_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("aperiodic") << 2;
        QTest::newRow("wind") << 6;
    }
    void showsEveryChange()
    {
        QFETCH(int, button);
        WindowFixture f;
        f.window->setWindowState(Qt::WindowNoState);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.window->resize(800, 600);  // the whole drawing area on view
        const auto settle = [&f] {
            f.tick();
            QCoreApplication::processEvents();
        };
        settle();
        f.click(button);
        QCoreApplication::processEvents();
        for (int frames = 0; frames < 200; ++frames)
            settle();
        QPaintDevice* store = f.window->backingStore()->paintDevice();
        QCOMPARE(store->devType(), int(QInternal::Image));
        const QImage shown = static_cast<QImage*>(store)->copy(f.window->FOND->geometry());
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), f.picture());
    }
};

ANTENNE_TEST_MAIN(TestWindow)
#include "test_window.moc"
