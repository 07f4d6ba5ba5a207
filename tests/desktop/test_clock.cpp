// The animation clock: which counter values draw a frame, where the counter
// goes, the ramp's position taken before the increment, and the sub-ranges
// tested on the incremented value.
#include "scenes/scenarios.h"
#include "window_fixture.h"

#include <QTest>

#include <climits>

namespace {

const QRect commentaryArea(560, 50, 230, 13);

}  // namespace

class TestClock : public QObject {
    Q_OBJECT
private slots:
    void tableIsOrderedAndDrawsAtMostOneFramePerTick()
    {
        for (std::size_t i = 0; i < Scenarios.size(); ++i) {
            QVERIFY(Scenarios[i].start < Scenarios[i].end);
            if (i + 1 < Scenarios.size())
                QVERIFY(Scenarios[i].end < Scenarios[i + 1].start);
        }
    }

    void tick_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("start-up presentation") << 1 << 2;
        for (int stopped : {2, 50, 120, 170, 310, 510, 0, -1, 9, 59, 129, 179, 319, 100000, INT_MIN, INT_MAX})
            QTest::addRow("stopped at %d", stopped) << stopped << stopped;
        QTest::newRow("aperiodic first") << 10 << 11;
        QTest::newRow("aperiodic last") << 49 << 50;
        QTest::newRow("damped first") << 60 << 61;
        QTest::newRow("damped last") << 119 << 120;
        QTest::newRow("unstable first") << 130 << 131;
        QTest::newRow("unstable last") << 169 << 170;
        QTest::newRow("ramp first") << 180 << 181;
        QTest::newRow("ramp last") << 309 << 310;
        QTest::newRow("wind first") << 320 << 321;
        QTest::newRow("wind last") << 509 << 510;
    }
    void tick()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        WindowFixture f;
        f.click(2);  // any picture to draw over
        Compteur = before;
        const QImage picture = f.picture();
        f.tick();
        QCOMPARE(Compteur, after);
        // A tick draws exactly when it moves the counter.
        QCOMPARE(f.picture() != picture, before != after);
        // Further ticks at the end of a scene change nothing.
        const bool endsScene = std::any_of(Scenarios.begin(), Scenarios.end(),
                                           [&](const Scenario& s) { return s.end == after; });
        if (before != after && endsScene) {
            const QImage ended = f.picture();
            f.tick(3);
            QCOMPARE(Compteur, after);
            QCOMPARE(f.picture(), ended);
        }
    }

    void rampPositionIsTakenBeforeTheIncrement()
    {
        WindowFixture f;
        f.click(5);
        f.tick();
        QCOMPARE(PosRampe, 0);
        QCOMPARE(Compteur, 181);
        Compteur = 309;
        f.tick();
        QCOMPARE(PosRampe, 129);
        QCOMPARE(Compteur, 310);
    }

    // Commentary sub-ranges are tested on n, the incremented counter.
    void commentaryStartsOnTheIncrementedValue_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("before");
        QTest::addColumn<bool>("commentary");
        QTest::newRow("aperiodic n=29") << 2 << 28 << false;
        QTest::newRow("aperiodic n=30") << 2 << 29 << true;
        QTest::newRow("aperiodic n=50") << 2 << 49 << false;
        QTest::newRow("damped n=89") << 3 << 88 << false;
        QTest::newRow("damped n=90") << 3 << 89 << true;
        QTest::newRow("unstable n=150") << 4 << 149 << true;
        QTest::newRow("unstable n=170") << 4 << 169 << false;
        QTest::newRow("ramp n=279") << 5 << 278 << false;
        QTest::newRow("ramp n=280") << 5 << 279 << true;
        QTest::newRow("ramp n=310") << 5 << 309 << false;
        QTest::newRow("wind n=449") << 6 << 448 << false;
        QTest::newRow("wind n=450") << 6 << 449 << true;
        QTest::newRow("wind n=510") << 6 << 509 << false;
    }
    void commentaryStartsOnTheIncrementedValue()
    {
        QFETCH(int, button);
        QFETCH(int, before);
        QFETCH(bool, commentary);
        WindowFixture f;
        f.click(button);
        Compteur = before;
        f.tick();
        QCOMPARE(countColour(f.picture(), blue, commentaryArea) > 0, commentary);
    }

    void windPhases()
    {
        WindowFixture f;
        f.click(6);
        const QRect windArrow(600, 170, 101, 21);

        Compteur = 358;  // n = 359: still holding
        Angle = 0.25f;
        f.tick();
        QCOMPARE(Angle, -0.5f);
        QCOMPARE(countColour(f.picture(), yellow, windArrow), 0);

        f.tick();  // n = 360: the gust, k = 0
        QVERIFY(std::abs(Angle + 0.6f) < 1e-6f);
        QVERIFY(countColour(f.picture(), yellow, windArrow) > 50);

        // n = 510: neither phase: the dish is neither moved nor redrawn.
        f.click(6);
        Compteur = 509;
        Angle = -0.3f;
        f.tick();
        QCOMPARE(Angle, -0.3f);
        QCOMPARE(countColour(f.picture(), yellow, windArrow), 0);
        QCOMPARE(countColour(f.picture(), red, QRect(300, 100, 300, 300)), 0);
    }
};

ANTENNE_TEST_MAIN(TestClock)
#include "test_clock.moc"
