// The clock offset from made-up exchanges: a room clock set off by a known
// amount, a network with a fixed delay either way and queues that hold some
// messages up, in one direction or both.
#include "clock_offset.h"
#include "clock_source.h"

#include <QRandomGenerator>
#include <QTest>

using tavrin::rooms::ClockSample;
using tavrin::rooms::OffsetEstimator;
using namespace tavrin::rooms;

namespace {

// One exchange that leaves the room at roomUs; the controller's clock reads
// offsetUs less than the room's.
ClockSample exchange(qint64 roomUs, qint64 offsetUs, qint64 thereUs, qint64 backUs, qint64 answerUs = 50)
{
    const qint64 arrives = roomUs + thereUs - offsetUs;
    return {roomUs, arrives, arrives + answerUs, roomUs + thereUs + answerUs + backUs};
}

} // namespace

class TestClockOffset : public QObject {
    Q_OBJECT
private slots:
    void shortestTripWins_data()
    {
        QTest::addColumn<qint64>("offsetUs");
        QTest::addColumn<int>("queuedThere"); // at most this long, in ms
        QTest::addColumn<int>("queuedBack");
        QTest::newRow("same clock, quiet network") << qint64(0) << 0 << 0;
        QTest::newRow("5 s ahead, busy both ways") << qint64(5'000'000) << 40 << 40;
        QTest::newRow("3.2 s behind, busy one way") << qint64(-3'200'000) << 0 << 80;
        QTest::newRow("1 ms ahead, very busy") << qint64(1'000) << 300 << 300;
    }
    void shortestTripWins()
    {
        QFETCH(qint64, offsetUs);
        QFETCH(int, queuedThere);
        QFETCH(int, queuedBack);
        QRandomGenerator random(42);
        OffsetEstimator e;
        qint64 now = 1'700'000'000'000'000;
        qint64 shortest = std::numeric_limits<qint64>::max();
        for (int i = 0; i < 12; ++i, now += 5'000'000) {
            // One exchange in four goes through unqueued.
            const bool lucky = i % 4 == 3;
            const qint64 there = 300 + (lucky ? 0 : random.bounded(queuedThere * 1000 + 1));
            const qint64 back = 300 + (lucky ? 0 : random.bounded(queuedBack * 1000 + 1));
            const ClockSample s = exchange(now, offsetUs, there, back);
            shortest = std::min(shortest, s.roundTrip());
            QVERIFY(e.add(s));
        }
        const auto estimate = e.estimate();
        QVERIFY(estimate);
        QCOMPARE(estimate->roundTripUs, shortest);
        QCOMPARE(estimate->offsetUs, double(offsetUs)); // the unqueued trips are symmetric
    }

    // A lopsided trip is wrong by half the difference, never by more.
    void asymmetryHalfTheDifference()
    {
        OffsetEstimator e;
        QVERIFY(e.add(exchange(1'000'000, 250'000, 2'000, 600)));
        QCOMPARE(e.estimate()->offsetUs, 250'000 - (2'000 - 600) / 2.0); // a slow way there looks like a room behind
    }

    void unusableExchangesRefused()
    {
        OffsetEstimator e;
        QVERIFY(!e.add({1000, 500, 400, 2000}));         // answered before it was asked
        QVERIFY(!e.add({1000, 0, 0, 900}));              // came back before it left
        QVERIFY(!e.add(exchange(0, 0, 1'500'000, 600'000))); // 2.1 s on the way
        QVERIFY(!e.estimate());
    }

    // A clock set forward by 2 s: the estimate follows once three exchanges
    // in a row agree on it, and not on one stray answer.
    void clockStepFollowed()
    {
        OffsetEstimator e;
        qint64 now = 1'000'000'000;
        for (int i = 0; i < 10; ++i, now += 1'000'000)
            e.add(exchange(now, 0, 300, 300));
        e.add(exchange(now, 0, 300, 40'000)); // held up on the way back, not a step
        QCOMPARE(e.estimate()->offsetUs, 0.0);
        for (int i = 0; i < 3; ++i, now += 1'000'000) {
            QCOMPARE(e.estimate()->offsetUs, 0.0);
            e.add(exchange(now, 2'000'000, 500, 500));
        }
        QCOMPARE(e.estimate()->offsetUs, 2'000'000.0);
        QCOMPARE(e.size(), 3);
    }

    // A clock that gains or loses: the estimate keeps up with it through a
    // jittery network, and nothing believes a drift no crystal has.
    void driftFollowed_data()
    {
        QTest::addColumn<double>("ppm");
        QTest::addColumn<double>("expectedPpm");
        QTest::newRow("steady") << 0.0 << 0.0;
        QTest::newRow("100 ppm fast") << 100.0 << 100.0;
        QTest::newRow("80 ppm slow") << -80.0 << -80.0;
        QTest::newRow("a clock running away (steps, no drift believed)") << 3000.0 << -1.0;
    }
    void driftFollowed()
    {
        QFETCH(double, ppm);
        QFETCH(double, expectedPpm);
        QRandomGenerator random(7);
        OffsetEstimator e;
        const qint64 start = 1'000'000'000;
        qint64 now = start;
        const auto offsetAt = [&](qint64 t) { return 2'500'000 + qint64(ppm * 1e-6 * double(t - start)); };
        for (int i = 0; i < 60; ++i, now += 5'000'000)
            QVERIFY(e.add(exchange(now, offsetAt(now), 1000 + random.bounded(4001), 1000 + random.bounded(4001))) ||
                    expectedPpm < 0);
        const auto estimate = e.estimate();
        QVERIFY(estimate);
        QVERIFY(std::abs(estimate->driftPpm) <= OffsetEstimator::kMaxDriftPpm);
        if (expectedPpm >= 0) { // within the best trips' own asymmetry
            QVERIFY2(std::abs(estimate->driftPpm - expectedPpm) < 10, qPrintable(QString::number(estimate->driftPpm)));
            QVERIFY2(std::abs(estimate->offsetUs - double(offsetAt(now - 5'000'000))) < 600,
                     qPrintable(QString::number(estimate->offsetUs - double(offsetAt(now - 5'000'000)))));
        }
    }

    // The system clock only when both ends keep it well and the exchange
    // through the broker sees them agree.
    void systemClockChosen_data()
    {
        QTest::addColumn<bool>("roomSynced");
        QTest::addColumn<double>("roomError");
        QTest::addColumn<double>("measuredMs"); // the exchange's offset, round trip 2 ms
        QTest::addColumn<bool>("system");
        QTest::addColumn<int>("why");
        QTest::newRow("both synchronised, agreeing") << true << 0.05 << 0.8 << true << int(Distrust::None);
        QTest::newRow("room not synchronised") << false << 0.05 << 0.0 << false << int(Distrust::None);
        QTest::newRow("a large stated error") << true << 4.0 << 0.0 << false << int(Distrust::LargeError);
        QTest::newRow("says synchronised, 40 ms off") << true << 0.05 << 40.0 << false << int(Distrust::Disagrees);
    }
    void systemClockChosen()
    {
        QFETCH(bool, roomSynced);
        QFETCH(double, roomError);
        QFETCH(double, measuredMs);
        QFETCH(bool, system);
        QFETCH(int, why);
        const SystemClock controller{true, 0.05, QStringLiteral("chrony")};
        const ClockChoice c = chooseClock({roomSynced, roomError, {}}, controller,
                                          OffsetEstimate{measuredMs * 1000, 2000, 5, 0});
        QCOMPARE(c.system, system);
        QCOMPARE(int(c.why), why);
    }

    // The best exchange of long ago gives way to the recent ones.
    void oldExchangesForgotten()
    {
        OffsetEstimator e;
        e.add(exchange(0, 7'000, 100, 100));
        qint64 now = 0;
        for (int i = 0; i < 8; ++i)
            e.add(exchange(now += 60'000'000, 7'200, 900, 900)); // a slowly drifting clock, a slower network
        QCOMPARE(e.estimate()->offsetUs, 7'200.0);
        QCOMPARE(e.size(), OffsetEstimator::kMaxAgeUs / 60'000'000 + 1);
    }
};

QTEST_GUILESS_MAIN(TestClockOffset)
#include "tst_clock_offset.moc"
