// Random use of the six buttons and the clock, through the real handlers:
// whatever the order, the counter only takes start values, values inside a
// range or upper bounds; the angle and the ramp response stay finite and
// within what their laws allow; and at most one diagram image is alive.
#include "window_fixture.h"

#include <QTest>

#include <cmath>
#include <random>

namespace {

bool counterIsValid(std::int32_t c)
{
    for (const Scenario& phase : Scenarios)
        if (phase.start <= c && c <= phase.end)
            return true;
    return false;
}

}  // namespace

class TestStress : public QObject {
    Q_OBJECT
private slots:
    void randomEvents()
    {
        WindowFixture f;
        const unsigned seed = qEnvironmentVariableIsSet("ANTENNE_STRESS_SEED")
                                  ? qEnvironmentVariableIntValue("ANTENNE_STRESS_SEED")
                                  : 20261207u;
        qInfo("seed %u", seed);
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> kind(0, 9);
        std::uniform_int_distribution<int> button(1, 6);
        std::uniform_int_distribution<int> burst(1, 40);

        int events = 0, clicks = 0, ticks = 0;
        float lowest = 0.0f, highest = 0.0f, highestRamp = 0.0f;
        while (events < 100000) {
            // A click now and then, sometimes several in a row; mostly ticks,
            // in bursts long enough to finish short scenes.
            const int k = kind(random);
            const int repeat = k < 3 ? 1 + (k == 0) : burst(random);
            for (int i = 0; i < repeat && events < 100000; ++i, ++events) {
                if (k < 3) {
                    f.click(button(random));
                    ++clicks;
                } else {
                    f.tick();
                    ++ticks;
                }
                QVERIFY2(counterIsValid(Compteur), qPrintable(QString::number(Compteur)));
                QVERIFY(std::isfinite(Angle) && std::isfinite(SortieRampe));
                QVERIFY2(Angle >= -1.3478f && Angle <= 0.0272f, qPrintable(QString::number(Angle)));
                QVERIFY(SortieRampe >= 0.0f && SortieRampe <= 79.41f);
                QVERIFY(TBitmap::Alive() <= 1);
                lowest = std::min(lowest, Angle);
                highest = std::max(highest, Angle);
                highestRamp = std::max(highestRamp, SortieRampe);
            }
        }
        qInfo("%d clicks, %d ticks; angle in [%f, %f], ramp up to %f", clicks, ticks, lowest, highest, highestRamp);
        QVERIFY(clicks > 2000 && ticks > 50000);
        QVERIFY(lowest < -1.0f);  // the long scenes were played far enough
    }
};

ANTENNE_TEST_MAIN(TestStress)
#include "test_stress.moc"
