// Driven by the real Timer1, each scene lasts its nominal time within 5 %:
// 0.1, 4, 6, 4, 13 and 19 seconds.
#include "window_fixture.h"

#include <QElapsedTimer>
#include <QTest>

class TestTiming : public QObject {
    Q_OBJECT
private slots:
    void sceneLasts_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("frames");
        QTest::newRow("presentation") << 1 << 1;
        QTest::newRow("aperiodic") << 2 << 40;
        QTest::newRow("damped") << 3 << 60;
        QTest::newRow("unstable") << 4 << 40;
        QTest::newRow("ramp") << 5 << 130;
        QTest::newRow("wind") << 6 << 190;
    }
    void sceneLasts()
    {
        QFETCH(int, button);
        QFETCH(int, frames);
        WindowFixture f(false);
        f.window->show();
        const Scenario& phase = Scenarios[button - 1];

        // Every tick, with the time and the counter it left.
        QElapsedTimer clock;
        QList<QPair<qint64, std::int32_t>> ticks;
        QObject::connect(f.window->Timer1, &QTimer::timeout, f.window.get(),
                         [&] { ticks << qMakePair(clock.nsecsElapsed(), Compteur); });
        QTRY_COMPARE(Compteur, 2);  // the start-up presentation
        clock.start();
        ticks.clear();
        f.window->findChild<QPushButton*>(QStringLiteral("Button%1").arg(button))->click();
        QTRY_COMPARE_WITH_TIMEOUT(Compteur, phase.end, frames * 100 + 2000);
        QTest::qWait(1100);  // ten more ticks, to measure the interval

        qint64 first = -1, last = -1;
        for (const auto& [time, counter] : ticks) {
            if (counter == phase.start + 1 && first < 0)
                first = time;
            if (counter == phase.end && last < 0)
                last = time;
        }
        QVERIFY(first >= 0 && last >= first);
        const double interval = double(ticks.back().first - ticks[ticks.size() - 11].first) / 10.0;
        const double lasted = double(last - first) + interval;
        const double nominal = frames * 100e6;
        QVERIFY2(std::abs(lasted - nominal) <= 0.05 * nominal,
                 qPrintable(QStringLiteral("%1 ms for %2 ms").arg(lasted / 1e6).arg(nominal / 1e6)));
    }
};

ANTENNE_TEST_MAIN(TestTiming)
#include "test_timing.moc"
