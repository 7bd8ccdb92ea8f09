// The clock keeps its phase in real time. A short interval stands in for the
// second so that the test takes about a second.
#include "phase_timer.h"

#include <QElapsedTimer>
#include <QTest>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <cmath>
#include <functional>

using tavrin::PhaseTimer;

class TestPhaseTimer : public QObject {
    Q_OBJECT
private slots:
    void ticksOnPhase();
    void stallSkipsSecondsAndKeepsPhase();
    void zeroStops();
};

namespace {
constexpr int kInterval = 100;

// Milliseconds at which each tick arrived, on the timer's own clock.
std::vector<double> collect(PhaseTimer &timer, int count, const std::function<void(int)> &onTick = {})
{
    std::vector<double> at;
    QEventLoop loop;
    QObject::connect(&timer, &PhaseTimer::timeout, &loop, [&] {
        at.push_back(timer.elapsedNs() / 1e6);
        if (onTick)
            onTick(int(at.size()));
        if (int(at.size()) >= count)
            loop.quit();
    });
    QTimer::singleShot(count * kInterval * 3 + 2000, &loop, &QEventLoop::quit);
    loop.exec();
    return at;
}

double phaseError(double ms)
{
    const double r = std::fmod(ms, kInterval);
    return std::min(r, kInterval - r);
}
} // namespace

void TestPhaseTimer::ticksOnPhase()
{
    PhaseTimer timer;
    timer.setInterval(kInterval);
    const auto at = collect(timer, 8);
    QCOMPARE(at.size(), size_t(8));
    for (size_t i = 0; i < at.size(); ++i) {
        // Never early, and late by far less than an interval.
        QVERIFY2(at[i] >= kInterval * double(i + 1) - 0.5, qPrintable(QString::number(at[i])));
        QVERIFY2(at[i] < kInterval * double(i + 1) + 40, qPrintable(QString::number(at[i])));
    }
}

void TestPhaseTimer::stallSkipsSecondsAndKeepsPhase()
{
    PhaseTimer timer;
    timer.setInterval(kInterval);
    // The third tick's handler stalls the event loop for two and a half intervals.
    const auto at = collect(timer, 7, [](int n) {
        if (n == 3)
            QThread::msleep(kInterval * 5 / 2);
    });
    QCOMPARE(at.size(), size_t(7));
    for (size_t i = 1; i < at.size(); ++i) {
        // One late tick after the stall, then on phase: never a burst of
        // ticks back to back to catch up.
        QVERIFY2(at[i] - at[i - 1] > kInterval / 4, qPrintable(QStringLiteral("%1 -> %2").arg(at[i - 1]).arg(at[i])));
    }
    // The seconds swallowed by the stall are gone...
    QVERIFY(at[3] > 5.4 * kInterval);
    // ...and the ticks after it are back on the original phase.
    for (size_t i = 4; i < at.size(); ++i)
        QVERIFY2(phaseError(at[i]) < 30, qPrintable(QString::number(at[i])));
}

void TestPhaseTimer::zeroStops()
{
    PhaseTimer timer;
    timer.setInterval(kInterval);
    timer.setInterval(0);
    QSignalSpy spy(&timer, &PhaseTimer::timeout);
    QTest::qWait(kInterval * 3);
    QCOMPARE(spy.count(), 0);
}

QTEST_GUILESS_MAIN(TestPhaseTimer)
#include "tst_phase_timer.moc"
