// When the one-second clock's ticks are due, on a clock the test sets: a late
// tick is delivered once, the seconds a stall swallowed are lost, and the
// ticks come back on their grid. Real-time behaviour is left to the
// end-to-end examination test, which hears the cues a second apart.
#include "fake_clock.h"
#include "phase_timer.h"

#include <QSignalSpy>
#include <QTest>

using tavrin::PhaseTimer;
using tavrin::TickGrid;
using tavrin::testing::FakeClock;

namespace {
constexpr qint64 kSecond = 1'000'000'000;
constexpr qint64 kMs = 1'000'000;

// Fires the grid at each of the given times (ms) and lists, in ms, the due
// time of every tick delivered.
QList<qint64> deliver(TickGrid &grid, const QList<qint64> &wakeMs)
{
    QList<qint64> out;
    for (qint64 at : wakeMs)
        if (grid.fire(at * kMs))
            out << grid.lastDelivered() / kMs;
    return out;
}
} // namespace

class TestPhaseTimer : public QObject {
    Q_OBJECT
private slots:
    void ticks_data();
    void ticks();
    void alignment_data();
    void alignment();
    void onTheWallClocksGrid();
};

void TestPhaseTimer::ticks_data()
{
    QTest::addColumn<QList<qint64>>("wake");
    QTest::addColumn<QList<qint64>>("delivered");
    QTest::addColumn<qint64>("nextDue");
    QTest::newRow("on time") << QList<qint64>{1000, 2000, 3000} << QList<qint64>{1000, 2000, 3000} << qint64(4000);
    QTest::newRow("a little late, back on the grid")
        << QList<qint64>{1003, 2001, 3040} << QList<qint64>{1000, 2000, 3000} << qint64(4000);
    QTest::newRow("woken early: nothing") << QList<qint64>{999, 1000} << QList<qint64>{1000} << qint64(2000);
    QTest::newRow("a stall loses its seconds, no burst")
        << QList<qint64>{1000, 4500, 5000, 6000} << QList<qint64>{1000, 2000, 5000, 6000} << qint64(7000);
    QTest::newRow("woken twice for one tick")
        << QList<qint64>{1000, 1000, 1500} << QList<qint64>{1000} << qint64(2000);
}

void TestPhaseTimer::ticks()
{
    QFETCH(QList<qint64>, wake);
    QFETCH(QList<qint64>, delivered);
    QFETCH(qint64, nextDue);
    TickGrid grid;
    grid.start(kSecond, 0);
    QCOMPARE(grid.nextDue(), kSecond);
    QCOMPARE(deliver(grid, wake), delivered);
    QCOMPARE(grid.nextDue() / kMs, nextDue);
}

void TestPhaseTimer::alignment_data()
{
    QTest::addColumn<qint64>("lastMs");   // last tick delivered (-1: none yet)
    QTest::addColumn<qint64>("anchorMs"); // the grid to move to
    QTest::addColumn<qint64>("nowMs");
    QTest::addColumn<qint64>("nextMs");
    QTest::newRow("fresh clock onto a grid") << qint64(-1) << qint64(250) << qint64(100) << qint64(250);
    QTest::newRow("anchor long past") << qint64(-1) << qint64(-86'400'000 + 730) << qint64(100) << qint64(730);
    QTest::newRow("anchor in the future") << qint64(-1) << qint64(5'400) << qint64(100) << qint64(400);
    QTest::newRow("small shift later") << qint64(1000) << qint64(1040) << qint64(1010) << qint64(2040);
    QTest::newRow("small shift earlier") << qint64(1000) << qint64(960) << qint64(1010) << qint64(1960);
    // A grid just after the tick delivered would tick twice in one second.
    QTest::newRow("no second tick at once") << qint64(1000) << qint64(1100) << qint64(1010) << qint64(2100);
    // The tick due at 2000, moved 2 ms back at 1999, must not be lost.
    QTest::newRow("tick moved just behind now") << qint64(1000) << qint64(1998) << qint64(1999) << qint64(1998);
    QTest::newRow("fresh tick moved just behind now") << qint64(-1) << qint64(998) << qint64(999) << qint64(998);
    QTest::newRow("half a second on") << qint64(1000) << qint64(1500) << qint64(1010) << qint64(1500);
}

void TestPhaseTimer::alignment()
{
    QFETCH(qint64, lastMs);
    QFETCH(qint64, anchorMs);
    QFETCH(qint64, nowMs);
    QFETCH(qint64, nextMs);
    TickGrid grid;
    grid.start(kSecond, 0);
    if (lastMs >= 0)
        QVERIFY(grid.fire(lastMs * kMs));
    grid.align(anchorMs * kMs, nowMs * kMs);
    QCOMPARE(grid.nextDue() / kMs, nextMs);
    // From there on the ticks stay on the new grid.
    QVERIFY(grid.fire(nextMs * kMs + 7 * kMs));
    QCOMPARE(grid.nextDue() / kMs, nextMs + 1000);
}

// The timer on its clock: ticks fall on the wall-clock grid it was aligned
// to, each reported due where it fell; a wall clock set meanwhile moves
// neither the ticks nor the grid until it is aligned again.
void TestPhaseTimer::onTheWallClocksGrid()
{
    FakeClock clock;
    PhaseTimer timer(clock);
    QList<qint64> due;
    QObject::connect(&timer, &PhaseTimer::timeout, [&] { due << timer.dueWallMs() - FakeClock::kStartUs / 1000; });
    timer.setInterval(1000);
    timer.alignTo(FakeClock::kStartUs / 1000 + 250);
    clock.advance(2300);
    QCOMPARE(due, (QList<qint64>{250, 1250, 2250}));
    clock.setWallUs(clock.wallUs() + 600'000);
    clock.advance(1000);
    QCOMPARE(due.last() - due[2], 1600); // the same tick later, on the clock as set
    QCOMPARE(timer.nextDueWallMs() - timer.dueWallMs(), 1000);
}

QTEST_GUILESS_MAIN(TestPhaseTimer)
#include "tst_phase_timer.moc"
