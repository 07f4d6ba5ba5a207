// The numbers behind the pictures, checked against values worked out
// independently: ordinates at the first and last segments and at the
// extremes, and the angle the dish reaches after given frames. A wrong
// precision, an off-by-one on the frame number or steps in the wrong order
// all move at least one of these.
#include "scenes/laws.h"

#include <QTest>

#include <vector>

namespace {

// Angle after each frame k = 1..frames of a step-response scene, from 0.
std::vector<float> anglesAfterFrames(double (*decrement)(int), int frames)
{
    std::vector<float> angles{0.0f};
    for (int k = 1; k <= frames; ++k)
        angles.push_back(DecreasedAngle(angles.back(), decrement(k)));
    return angles;
}

}  // namespace

class TestLaws : public QObject {
    Q_OBJECT
private slots:
    void stepOrdinates_data()
    {
        QTest::addColumn<int>("scene");
        QTest::addColumn<int>("j");
        QTest::addColumn<int>("y");
        // aperiodic: from the axis, 63 % after one time constant, level at the end
        QTest::newRow("aperiodic 0") << 0 << 0 << 380;
        QTest::newRow("aperiodic 1") << 0 << 1 << 372;
        QTest::newRow("aperiodic 8") << 0 << 8 << 342;
        QTest::newRow("aperiodic 39") << 0 << 39 << 320;
        QTest::newRow("aperiodic 40") << 0 << 40 << 320;
        // damped: starts one pixel above the axis, first peak, last segment
        QTest::newRow("damped 0") << 1 << 0 << 379;
        QTest::newRow("damped 1") << 1 << 1 << 371;
        QTest::newRow("damped 5") << 1 << 5 << 297;
        QTest::newRow("damped 59") << 1 << 59 << 330;
        QTest::newRow("damped 60") << 1 << 60 << 331;
        // unstable: first and last segments
        QTest::newRow("unstable 0") << 2 << 0 << 379;
        QTest::newRow("unstable 1") << 2 << 1 << 375;
        QTest::newRow("unstable 39") << 2 << 39 << 334;
        QTest::newRow("unstable 40") << 2 << 40 << 355;
    }
    void stepOrdinates()
    {
        QFETCH(int, scene);
        QFETCH(int, j);
        QFETCH(int, y);
        int (*const ordinate[])(int) = {AperiodicOrdinate, DampedOrdinate, UnstableOrdinate};
        QCOMPARE(ordinate[scene](j), y);
    }

    void stepCurvesStayInTheirBands()
    {
        int lowest = 1000, highest = -1000;
        for (int j = 0; j <= 40; ++j) {
            lowest = std::min(lowest, UnstableOrdinate(j));
            highest = std::max(highest, UnstableOrdinate(j));
        }
        QCOMPARE(lowest, 308);
        QCOMPARE(highest, 379);
        int peak = 1000;
        for (int j = 0; j <= 10; ++j)
            peak = std::min(peak, DampedOrdinate(j));
        QCOMPARE(peak, DampedOrdinate(5));
    }

    void stepAngles_data()
    {
        QTest::addColumn<int>("scene");
        QTest::addColumn<int>("frame");
        QTest::addColumn<double>("angle");
        QTest::newRow("aperiodic 1") << 0 << 1 << -0.0882;
        QTest::newRow("aperiodic 40") << 0 << 40 << -0.7460;
        QTest::newRow("damped 1") << 1 << 1 << -0.2552;
        QTest::newRow("damped 5") << 1 << 5 << -1.3477;
        QTest::newRow("damped 10") << 1 << 10 << -0.3390;
        QTest::newRow("damped 60") << 1 << 60 << -0.7663;
        QTest::newRow("unstable 10") << 2 << 10 << 0.0271;
        QTest::newRow("unstable 20") << 2 << 20 << 0.0057;
        QTest::newRow("unstable 31") << 2 << 31 << 0.0264;
        QTest::newRow("unstable 40") << 2 << 40 << -0.1721;
    }
    void stepAngles()
    {
        QFETCH(int, scene);
        QFETCH(int, frame);
        QFETCH(double, angle);
        double (*const decrement[])(int) = {AperiodicDecrement, DampedDecrement, UnstableDecrement};
        const int frames[] = {40, 60, 40};
        const auto angles = anglesAfterFrames(decrement[scene], frames[scene]);
        QVERIFY2(std::abs(angles[frame] - angle) < 5e-5, qPrintable(QString::number(angles[frame], 'f', 6)));
    }

    void stepAngleShapes()
    {
        // aperiodic: falls at every frame
        const auto aperiodic = anglesAfterFrames(AperiodicDecrement, 40);
        for (int k = 1; k <= 40; ++k)
            QVERIFY(aperiodic[k] < aperiodic[k - 1]);
        // damped: the extreme is frame 5
        const auto damped = anglesAfterFrames(DampedDecrement, 60);
        QCOMPARE(int(std::min_element(damped.begin(), damped.end()) - damped.begin()), 5);
        // unstable: positive after frames 10, 20 and 31 only, within its band
        const auto unstable = anglesAfterFrames(UnstableDecrement, 40);
        QList<int> positive;
        for (int k = 1; k <= 40; ++k)
            if (unstable[k] > 0)
                positive << k;
        QCOMPARE(positive, (QList<int>{10, 20, 31}));
        QVERIFY(std::abs(*std::min_element(unstable.begin(), unstable.end()) + 1.1885) < 5e-5);
    }

    void ramp()
    {
        float response = 0.0f;
        QCOMPARE(RampSetPoint(0), 1);
        QCOMPARE(RampSetPoint(79), 80);
        QCOMPARE(RampSetPoint(80), 80);
        QCOMPARE(RampSetPoint(129), 80);
        for (int p = 0; p <= 129; ++p) {
            const float before = response;
            response = RampFilter(response, RampSetPoint(p));
            // rises at every frame and stays below the set point
            QVERIFY(response > before);
            QVERIFY(response < RampSetPoint(p));
            if (p == 0) {
                QCOMPARE(response, 0.0625f);
                QCOMPARE(RampOrdinate(before), 380);
                QCOMPARE(RampOrdinate(response), 379);
                QCOMPARE(RampAngle(response), -0.000625f);
            }
            if (p == 79)
                QVERIFY(std::abs(response - 65.086) < 5e-4);
        }
        QVERIFY(std::abs(response - 79.408) < 5e-4);
        QCOMPARE(RampOrdinate(response), 221);
        QVERIFY(std::abs(RampAngle(response) + 0.7941) < 5e-5);
    }

    void windCurve()
    {
        QCOMPARE(WindOrdinate(0), 320);
        QCOMPARE(WindOrdinate(1), 315);
        for (int k = 0; k <= 150; ++k) {
            const int y = WindOrdinate(k);
            QVERIFY(y >= 295 && y <= 320);
            QCOMPARE(y == 295, k >= 11 && k <= 18);
            if (k >= 92)
                QCOMPARE(y, 319);
        }
        QVERIFY(WindOrdinate(91) != 319);  // the last change of pixel
    }

    void windAngle()
    {
        // hold, then the recovery law from k = 0 (n = 360) to k = 149 (n = 509)
        float angle = WindHeldAngle;
        QCOMPARE(angle, -0.5f);
        float lowest = angle;
        int lowestK = -1;
        for (int k = 0; k <= 149; ++k) {
            angle = WindRecoveryAngle(angle, k);
            if (k == 0)
                QVERIFY(std::abs(angle + 0.6) < 1e-6);
            if (angle < lowest) {
                lowest = angle;
                lowestK = k;
            }
        }
        QCOMPARE(lowestK, 13);
        QVERIFY(std::abs(lowest + 1.0512) < 5e-5);
        QVERIFY(std::abs(angle + 0.5524) < 5e-5);
    }
};

QTEST_APPLESS_MAIN(TestLaws)
#include "test_laws.moc"
