// Where the cue mixer puts a voice on the stream, on a made-up clock: the
// periods are asked for on time (or late, which must not move the estimate).
#include "cue_mixer.h"

#include <QTest>

using namespace tavrin;

namespace {
constexpr int rate = 1000; // one frame a millisecond: positions read as ms
constexpr int period = 20;
constexpr std::int64_t ms = 1'000'000;

struct Rig {
    std::vector<CueMixer::News> events;
    CueMixer mixer{rate, [this](const CueMixer::News &n) { events.push_back(n); }};
    std::vector<std::int16_t> out;
    // Renders periods asked for at start + k × period ms (+ late of each).
    void render(int periods, std::int64_t startMs, int lateEvery = 0)
    {
        for (int k = 0; k < periods; ++k) {
            std::vector<std::int16_t> buf(period);
            const std::int64_t late = lateEvery && k % lateEvery == 1 ? 7 : 0;
            mixer.render(buf.data(), period, (startMs + std::int64_t(out.size()) + late) * ms);
            out.insert(out.end(), buf.begin(), buf.end());
        }
    }
    std::ptrdiff_t firstSound() const
    {
        for (std::size_t i = 0; i < out.size(); ++i)
            if (out[i] != 0)
                return std::ptrdiff_t(i);
        return -1;
    }
};
} // namespace

class TestCueMixer : public QObject {
    Q_OBJECT
private slots:
    void startsAtTheSampleOfItsTime_data();
    void startsAtTheSampleOfItsTime();
    void aVoiceTooLateIsDropped_data();
    void aVoiceTooLateIsDropped();
    void clockLearntAnew_data();
    void clockLearntAnew();
};

void TestCueMixer::startsAtTheSampleOfItsTime_data()
{
    QTest::addColumn<std::int64_t>("atMs");      // on the clock where frame 0 is asked for at 1000 ms
    QTest::addColumn<std::int64_t>("latencyMs");
    QTest::addColumn<int>("lateEvery");
    QTest::addColumn<int>("expectedFrame");
    QTest::addColumn<int>("lateMs"); // as told: how much after its time it starts
    QTest::newRow("inside a period") << std::int64_t(1127) << std::int64_t(0) << 0 << 127 << 0;
    QTest::newRow("on a period's start") << std::int64_t(1140) << std::int64_t(0) << 0 << 140 << 0;
    QTest::newRow("latency earlier on the stream") << std::int64_t(1127) << std::int64_t(30) << 0 << 97 << 0;
    QTest::newRow("late requests do not move it") << std::int64_t(1127) << std::int64_t(0) << 3 << 127 << 0;
    QTest::newRow("time passed: at once, late") << std::int64_t(900) << std::int64_t(0) << 0 << 60 << 160;
    QTest::newRow("asap") << CueMixer::asap << std::int64_t(0) << 0 << 60 << 0;
}

void TestCueMixer::startsAtTheSampleOfItsTime()
{
    QFETCH(std::int64_t, atMs);
    QFETCH(std::int64_t, latencyMs);
    QFETCH(int, lateEvery);
    QFETCH(int, expectedFrame);
    QFETCH(int, lateMs);
    Rig rig;
    rig.mixer.setLatencyNs(latencyMs * ms);
    rig.render(3, 1000, lateEvery);
    auto pcm = std::make_shared<const Pcm>(30, std::int16_t(1000));
    rig.mixer.play(0, pcm, 1, atMs == CueMixer::asap ? atMs : atMs * ms, 1055 * ms);
    rig.render(10, 1000, lateEvery);
    QCOMPARE(rig.firstSound(), std::ptrdiff_t(expectedFrame));
    QCOMPARE(std::count(rig.out.begin(), rig.out.end(), std::int16_t(1000)), 30);
    QCOMPARE(rig.events.size(), std::size_t(2));
    QCOMPARE(rig.events[0].event, CueMixer::Event::Started);
    QCOMPARE(rig.events[0].atNs, (1000 + expectedFrame + latencyMs) * ms); // when it is heard
    QCOMPARE(rig.events[0].lateNs, lateMs * ms);
    QCOMPARE(rig.events[1].event, CueMixer::Event::Finished);
}

// Asked for (at 80 ms) while the output was starting: one that ran within
// the grace plays late; one seconds later, or a stream that ran all along
// and then stalled, drops it.
void TestCueMixer::aVoiceTooLateIsDropped_data()
{
    QTest::addColumn<std::int64_t>("firstMs"); // the first period asked for
    QTest::addColumn<std::int64_t>("stallMs"); // from 0: one period, then nothing until here
    QTest::addColumn<bool>("dropped");
    QTest::newRow("output 1.8 s later") << std::int64_t(1800) << std::int64_t(0) << false;
    QTest::newRow("held just after its start") << std::int64_t(0) << std::int64_t(1800) << false;
    QTest::newRow("output 3 s later") << std::int64_t(3000) << std::int64_t(0) << true;
    QTest::newRow("running, then held") << std::int64_t(-5000) << std::int64_t(1800) << true;
}

void TestCueMixer::aVoiceTooLateIsDropped()
{
    QFETCH(std::int64_t, firstMs);
    QFETCH(std::int64_t, stallMs);
    QFETCH(bool, dropped);
    Rig rig;
    if (firstMs < 0)
        rig.render(-firstMs / period, firstMs);
    else if (stallMs > 0)
        rig.render(1, firstMs);
    rig.mixer.play(0, std::make_shared<const Pcm>(30, std::int16_t(1000)), 1, 80 * ms, 0);
    rig.render(3, stallMs > 0 ? stallMs - std::int64_t(rig.out.size()) : firstMs);
    QCOMPARE(rig.events.empty() ? CueMixer::Event::Finished : rig.events[0].event,
             dropped ? CueMixer::Event::Dropped : CueMixer::Event::Started);
}

// A stream that starts again, woken or after a stall the mixer sees itself,
// is placed on its own steady periods: neither the old stream's nor its
// first ones, asked for early as its buffer fills.
void TestCueMixer::clockLearntAnew_data()
{
    QTest::addColumn<bool>("woken");
    QTest::addColumn<int>("earlyMs");
    QTest::newRow("a stall") << false << 0;
    QTest::newRow("a stall, its first periods early") << false << 15;
    QTest::newRow("woken, its first periods early") << true << 15;
}

void TestCueMixer::clockLearntAnew()
{
    QFETCH(bool, woken);
    QFETCH(int, earlyMs);
    Rig rig;
    rig.render(10, 1000);
    if (woken) {
        rig.mixer.restartClock();
        rig.out.clear();
    }
    // Half a second later the stream runs again: frame f is asked for at 1500 + f ms.
    rig.render(3, 1500 - earlyMs);
    rig.render(12, 1500);
    rig.mixer.play(0, std::make_shared<const Pcm>(30, std::int16_t(1000)), 1, 2027 * ms, 2000 * ms);
    rig.render(15, 1500);
    QCOMPARE(rig.firstSound(), std::ptrdiff_t(527));
    QCOMPARE(rig.events.size(), std::size_t(2));
    QCOMPARE(rig.events[0].atNs, 2027 * ms);
    QCOMPARE(rig.events[0].lateNs, 0);
}

QTEST_GUILESS_MAIN(TestCueMixer)
#include "tst_cue_mixer.moc"
