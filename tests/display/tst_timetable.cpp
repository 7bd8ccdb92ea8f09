#include "programme_file.h"
#include "timetable.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace tavrin;

class TestTimetable : public QObject {
    Q_OBJECT
private slots:
    void rows_data();
    void rows();
    void pdf();
};

// 2026-12-10 09:00:00 UTC
constexpr qint64 kNine = 1796893200000;

void TestTimetable::rows_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<qint64>("start"); // -1: none set
    QTest::addColumn<QString>("csv");  // its rows after the header
    const QByteArray circuits = "[block]\nquestions=20\nanswer=60\nmove=15\n[break]\nseconds=600\nbanner=昼, \"休\"\n"
                                "[block]\nquestions=20\nanswer=90\nmove=15\n";
    QTest::newRow("two circuits at nine")
        << circuits << kNine
        << "1,ブロック 1　第 1 問,09:00:00,09:01:15\r\n1,ブロック 1　第 20 問（最後）,09:23:45,09:25:00\r\n"
           "2,\"休憩（昼, \"\"休\"\"）\",09:25:00,09:35:00\r\n3,ブロック 2　第 1 問,09:35:00,09:36:45\r\n"
           "3,ブロック 2　第 20 問（最後）,10:08:15,10:10:00\r\n,終了,10:10:00,\r\n";
    QTest::newRow("reading first, one question, no start")
        << QByteArray("[block]\nquestions=1\nanswer=3000\nmove=600\nreading=60\n") << qint64(-1)
        << "1,ブロック 1　第 1 問,+0:00:00,+1:01:00\r\n,終了,+1:01:00,\r\n";
    QTest::newRow("short parts")
        << QByteArray("[block]\nquestions=3\nanswer=3\nmove=1\n[break]\nseconds=5\n[block]\nquestions=2\nanswer=4\nmove=2\n")
        << qint64(-1)
        << "1,ブロック 1　第 1 問,+0:00:00,+0:00:04\r\n1,ブロック 1　第 3 問（最後）,+0:00:08,+0:00:12\r\n"
           "2,休憩,+0:00:12,+0:00:17\r\n3,ブロック 2　第 1 問,+0:00:17,+0:00:23\r\n"
           "3,ブロック 2　第 2 問（最後）,+0:00:23,+0:00:29\r\n,終了,+0:00:29,\r\n";
}

void TestTimetable::rows()
{
    QFETCH(QByteArray, file);
    QFETCH(qint64, start);
    QFETCH(QString, csv);
    const ProgrammeRead r = parseProgramme(file);
    QVERIFY2(r.ok(), qPrintable(r.describe()));
    const QByteArray bytes = timetableCsv(*r.programme, start < 0 ? std::nullopt : std::optional(start), QTimeZone::utc());
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF部,内容,開始,終わり\r\n"));
    QCOMPARE(QString::fromUtf8(bytes.mid(bytes.indexOf('\n') + 1)), csv);
}

void TestTimetable::pdf()
{
    QTemporaryDir dir;
    const Programme p = Programme::oneBlock(60, 15, 20);
    QVERIFY(writeTimetablePdf(dir.filePath("t.pdf"), p, kNine, QTimeZone::utc()).isEmpty());
    QFile f(dir.filePath("t.pdf"));
    QVERIFY(f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-");
    QVERIFY(!writeTimetablePdf(dir.filePath("none/t.pdf"), p, kNine, QTimeZone::utc()).isEmpty());
}

QTEST_MAIN(TestTimetable)
#include "tst_timetable.moc"
