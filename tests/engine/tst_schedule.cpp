#include "schedule.h"

#include <QDateTime>
#include <QTest>

using namespace tavrin::schedule;

namespace {
// Tokyo (no change of the clocks) and Berlin (one) as the machine's zone.
const QTimeZone kTokyo(QByteArrayLiteral("Asia/Tokyo"));
const QTimeZone kBerlin(QByteArrayLiteral("Europe/Berlin"));

qint64 at(const char *iso, const QTimeZone &zone)
{
    return QDateTime(QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate).date(),
                     QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate).time(), zone)
        .toMSecsSinceEpoch();
}
} // namespace

class TestSchedule : public QObject {
    Q_OBJECT
private slots:
    void plan_data();
    void plan();
    void restart_data();
    void restart();
    void countdownText();
};

void TestSchedule::plan_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("now");
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QString>("start"); // empty: refused
    auto row = [](const char *name, const char *text, const char *now, const char *zone, const char *start) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromLatin1(now) << QString::fromLatin1(zone)
                            << QString::fromLatin1(start);
    };
    row("HH:MM", "09:00", "2026-12-08T08:58:00.500", "tokyo", "2026-12-08T09:00:00");
    row("HH:MM:SS", "9:00:30", "2026-12-08T08:58:00", "tokyo", "2026-12-08T09:00:30");
    row("full-width", "０９：０５", "2026-12-08T08:58:00", "tokyo", "2026-12-08T09:05:00");
    row("passed today", "08:00", "2026-12-08T08:58:00", "tokyo", "");
    row("this very second", "08:58:00", "2026-12-08T08:58:00.200", "tokyo", "");
    row("under the lead", "08:58:02", "2026-12-08T08:58:00.500", "tokyo", "");
    row("at the lead", "08:58:03", "2026-12-08T08:58:00.900", "tokyo", "2026-12-08T08:58:03");
    row("after midnight is not today", "00:01", "2026-12-08T23:59:00", "tokyo", "");
    row("just before midnight", "23:59:59", "2026-12-08T23:50:00", "tokyo", "2026-12-08T23:59:59");
    row("just after midnight", "00:00:30", "2026-12-09T00:00:05", "tokyo", "2026-12-09T00:00:30");
    row("skipped by the clocks", "02:30", "2026-03-29T00:10:00", "berlin", "");
    row("after the change", "03:30", "2026-03-29T00:10:00", "berlin", "2026-03-29T03:30:00");
    row("hour 24", "24:00", "2026-12-08T08:00:00", "tokyo", "");
    row("minute 60", "09:60", "2026-12-08T08:00:00", "tokyo", "");
    row("seconds only", "0900", "2026-12-08T08:00:00", "tokyo", "");
    row("empty", "", "2026-12-08T08:00:00", "tokyo", "");
    row("trailing junk", "09:00x", "2026-12-08T08:00:00", "tokyo", "");
}

void TestSchedule::plan()
{
    QFETCH(QString, text);
    QFETCH(QString, now);
    QFETCH(QString, zone);
    QFETCH(QString, start);
    const QTimeZone &z = zone == u"berlin"_qs ? kBerlin : kTokyo;
    const Plan p = planToday(text, at(now.toLatin1().constData(), z), z);
    if (start.isEmpty()) {
        QVERIFY(!p.ok());
        QVERIFY(!p.refusal.isEmpty());
    } else {
        QVERIFY2(p.ok(), qPrintable(p.refusal));
        QCOMPARE(p.startMs, at(start.toLatin1().constData(), z));
        QCOMPARE(p.startMs % 1000, 0);
    }
}

void TestSchedule::restart_data()
{
    QTest::addColumn<qint64>("sinceStartMs"); // now minus the start
    QTest::addColumn<qint64>("runMs");
    QTest::addColumn<int>("expected");
    const qint64 run = 35 * 40 * 1000;
    const qint64 day = kMaxAheadMs;
    QTest::newRow("well before") << qint64(-600000) << run << int(OnRestart::Keep);
    QTest::newRow("a moment before") << qint64(-1) << run << int(OnRestart::Keep);
    QTest::newRow("at the second") << qint64(0) << run << int(OnRestart::CarryOn);
    QTest::newRow("during the run") << qint64(90000) << run << int(OnRestart::CarryOn);
    QTest::newRow("at its end") << run << run << int(OnRestart::Drop);
    QTest::newRow("a day ahead") << -day << run << int(OnRestart::Keep);
    QTest::newRow("beyond a day ahead") << -day - 1 << run << int(OnRestart::Drop);
    QTest::newRow("yesterday, long run") << day + 1 << day * 2 << int(OnRestart::Drop);
}

void TestSchedule::restart()
{
    QFETCH(qint64, sinceStartMs);
    QFETCH(qint64, runMs);
    QFETCH(int, expected);
    // Across midnight: the journal holds the instant, so the date plays no part.
    const qint64 start = at("2026-12-08T23:59:50", kTokyo);
    QCOMPARE(int(onRestart(start, start + sinceStartMs, runMs)), expected);
}

void TestSchedule::countdownText()
{
    const qint64 start = at("2026-12-09T00:00:10", kTokyo);
    QCOMPARE(secondsLeft(start, start - 20), 1);
    QCOMPARE(secondsLeft(start, start - 1000), 1);
    QCOMPARE(secondsLeft(start, start - 1001), 2);
    QCOMPARE(secondsLeft(start, start), 0);
    QCOMPARE(secondsLeft(start, start + 5), 0);
    QCOMPARE(countdown(59), u"00:59"_qs);
    QCOMPARE(countdown(3599), u"59:59"_qs);
    QCOMPARE(countdown(3723), u"1:02:03"_qs);
    QCOMPARE(clockText(start, kTokyo), u"00:00:10"_qs);
}

QTEST_GUILESS_MAIN(TestSchedule)
#include "tst_schedule.moc"
