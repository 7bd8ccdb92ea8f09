// The cues of a real run as the speaker plays them: the first cue right
// after the start, and a speaker that delays more than its sink reports.
#include "click_points.h"
#include "cue_synth.h"
#include "e2e_support.h"
#include "require.h"
#include "sound_bank.h"
#include "sound_probe.h"
#include "texts.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <optional>

namespace at = tavrin::testing::at;
using Clock = tavrin::probe::Clock;

class TestSpeakerE2E : public QObject {
    Q_OBJECT
private slots:
    void firstCueAfterStartIsHeard();
    void slowSpeakerIsCorrected();
};

namespace {

double msBetween(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

double tickLeadIn()
{
    using namespace tavrin;
    return probe::milliseconds(probe::extent(cues::synthesize(cues::Cue::Tick)).begin);
}

} // namespace

// A speaker slower than its sink says: the sink's monitor looped into a
// second sink 120 ms later, heard there. The gap between the two monitors,
// set as the correction, puts each cue back on its time at the second one.
void TestSpeakerE2E::slowSpeakerIsCorrected()
{
    using namespace tavrin;
    TAVRIN_NEED("TAVRIN_REQUIRE_SOUND", e2e::missingSound());
    probe::PulseSink speaker(u"slow"_qs);
    QCOMPARE(speaker.start(), QString());
    probe::PulseSink sink(u"near"_qs); // the last one started is the one played into
    QCOMPARE(sink.start(), QString());
    QCOMPARE(sink.loopInto(speaker, 120), QString());
    probe::Recorder nearRec(sink.monitor()), farRec(speaker.monitor());
    QCOMPARE(nearRec.start(), QString());
    QCOMPARE(farRec.start(), QString());

    SoundBank bank;
    bank.setFileName(1, QStringLiteral(TAVRIN_CUE_DIR "/") + QLatin1String(texts::defaultCue1));
    bank.command(1, PlayerCommand::Open);
    QVERIFY(QTest::qWaitFor([&] { return bank.outputOpen(); }, 3000));
    QTest::qWait(500); // the loopback settles on its latency
    qint64 dueWall = 0;
    bank.setDueClock([&] { return dueWall; });
    // A tick's cue, the tick handled leadMs() early as the clock then does:
    // how far from due + 80 ms each monitor heard it.
    const auto cue = [&](double *nearDev, double *farDev) {
        const int lead = bank.leadMs();
        const Clock::time_point asked = Clock::now();
        dueWall = QDateTime::currentMSecsSinceEpoch() + lead;
        const Clock::time_point due = asked + std::chrono::milliseconds(lead + SoundBank::cueDelayMs);
        bank.command(1, PlayerCommand::Play);
        QTest::qWait(450);
        bank.command(1, PlayerCommand::Prev);
        const auto n = probe::onsetAfter(nearRec, asked, 400, tickLeadIn()),
                   f = probe::onsetAfter(farRec, asked, 400, tickLeadIn());
        if (!n || !f)
            return false;
        *nearDev = msBetween(due, *n);
        *farDev = msBetween(due, *f);
        return true;
    };
    std::vector<double> gaps;
    for (int i = 0; i < 5; ++i) {
        double n = 0, f = 0;
        QVERIFY(cue(&n, &f));
        gaps.push_back(f - n);
    }
    std::sort(gaps.begin(), gaps.end());
    const double gap = gaps[gaps.size() / 2];
    qInfo("the second sink hears each cue %.1f ms after the first (%.1f..%.1f)", gap, gaps.front(), gaps.back());
    QVERIFY2(gap > 100 && gap < 200, qPrintable(QString::number(gap)));

    bank.setSpeakerDelayMs(int(std::lround(gap)));
    std::vector<double> devs, misses;
    for (int i = 0; i < 10; ++i) {
        double n = 0, f = 0;
        QVERIFY(cue(&n, &f));
        devs.push_back(f);
        misses.push_back(f - n - bank.speakerDelayMs());
    }
    std::sort(devs.begin(), devs.end(), [](double a, double b) { return std::abs(a) < std::abs(b); });
    QStringList shown;
    for (double d : devs)
        shown << QString::number(d, 'f', 1);
    qInfo("corrected by %d ms: onset - (due + 80 ms) %s ms", bank.speakerDelayMs(), qPrintable(shown.join(u' ')));
    // On a busy machine the output itself may start a few cues in a row
    // up to a period late, at both sinks alike (its estimate of the stream,
    // not the speaker): none a whole period off, and each one exactly as
    // late at the slow sink as at the first.
    QVERIFY2(std::abs(devs[devs.size() / 2]) < 10, qPrintable(shown.join(u' ')));
    for (double m : misses)
        QVERIFY2(std::abs(m) < 3, qPrintable(QString::number(m)));
    bank.command(1, PlayerCommand::Close);
}

// The built-in sounds (no cue files), and the first cue a second after the
// start: 3 s to answer, 1 to move, one question.
void TestSpeakerE2E::firstCueAfterStartIsHeard()
{
    TAVRIN_NEED("TAVRIN_REQUIRE_DISPLAY", e2e::missingDisplay());
    TAVRIN_NEED("TAVRIN_REQUIRE_SOUND", e2e::missingSound());
    QTemporaryDir dir;
    e2e::writeSettings(dir.path(), {u"3,1,1"_qs, u"Tavrin-Jihou1.wav"_qs, u"Tavrin-Jihou2.wav"_qs,
                                    u"Tavrin-Jihou3.wav"_qs, u"移動してください"_qs, u"試験終了"_qs, u"10"_qs,
                                    u"0"_qs});
    e2e::Program program(dir.path());
    QVERIFY(program.start());
    tavrin::probe::Recorder rec(e2e::sinkMonitor());
    QCOMPARE(rec.start(), QString());
    const Clock::time_point clicked = Clock::now();
    program.click(at::command1);
    e2e::closeNotices(); // the missing files, told at start-up
    (void)QTest::qWaitFor([&] { return tavrin::probe::soundsEnded(rec, rec.indexAt(clicked), 4, 300); }, 7000);
    rec.stop();
    const std::vector<std::int16_t> all = rec.samples();
    const std::size_t from = rec.indexAt(clicked);
    const std::vector<e2e::Burst> heard = e2e::bursts(std::vector<qint16>(all.begin() + qsizetype(from), all.end()));
    QStringList at;
    for (const e2e::Burst &b : heard)
        at << QString::number(b.start, 'f', 2) + u'+' + QString::number(b.length, 'f', 2);
    const QByteArray shown = (u"cues at "_qs + at.join(u", "_qs) + u" s"_qs).toUtf8();
    qInfo("%s", shown.constData());
    // Two warnings, the end of the answering time, the end of the examination.
    QVERIFY2(heard.size() == 4, shown);
    QVERIFY2(heard[0].start < 1.2, shown);
    for (std::size_t i = 1; i < heard.size(); ++i)
        QVERIFY2(std::abs(heard[i].start - heard[0].start - double(i)) < 0.05, shown);
}

QTEST_GUILESS_MAIN(TestSpeakerE2E)
#include "tst_speaker_e2e.moc"
