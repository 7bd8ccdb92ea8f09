#include "programme_file.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tavrin;

class TestProgrammeFile : public QObject {
    Q_OBJECT
private slots:
    void good_data();
    void good();
    void refused_data();
    void refused();
    void writtenReadsBack();
};

const QByteArray kTwoCircuits = "# two circuits\n[block]\nquestions = 20\nanswer = 60\nmove = 15\n\n"
                                "[break]\nseconds = 600\nbanner = 休憩 #1\n\n"
                                "[BLOCK]\r\nQuestions=20\r\nanswer = 90\r\nmove = 15\r\n";

void TestProgrammeFile::good_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("parts");
    QTest::addColumn<qint64>("total");
    QTest::newRow("two circuits, CR LF, any case") << kTwoCircuits << 3 << qint64(20 * 75 + 600 + 20 * 105);
    QTest::newRow("BOM, reading, cue") << QByteArray("\xEF\xBB\xBF[block]\nquestions=2\nanswer=3\nmove=1\nreading=4\n"
                                                     "reading_banner = 読んで\nreading cue = yes")
                                       << 1 << qint64(16);
    QTest::newRow("a block of 32767 s") << QByteArray("[block]\nquestions=1\nanswer=32766\nmove=1\n") << 1 << qint64(32767);
    QTest::newRow("exactly 24 h") << QByteArray("[break]\nseconds=32767\n[break]\nseconds=32767\n[break]\nseconds=20866\n")
                                  << 3 << qint64(86400);
}

void TestProgrammeFile::good()
{
    QFETCH(QByteArray, text);
    QFETCH(int, parts);
    QFETCH(qint64, total);
    const ProgrammeRead r = parseProgramme(text);
    QVERIFY2(r.ok(), qPrintable(r.describe()));
    QCOMPARE(int(r.programme->parts.size()), parts);
    QCOMPARE(r.programme->total(), total);
    QVERIFY(checkProgramme(*r.programme).isEmpty());
}

void TestProgrammeFile::refused_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("told");
    const QByteArray block = "[block]\nquestions=2\nanswer=3\nmove=1\n";
    QByteArray many;
    for (int i = 0; i < 101; ++i)
        many += "[break]\nseconds=1\n";
    QTest::newRow("unknown key") << block + "colour = red\n" << 5 << "colour";
    QTest::newRow("a block's key in a break") << QByteArray("[break]\nseconds=5\nanswer=3\n") << 3 << "answer";
    QTest::newRow("unknown section") << QByteArray("# x\n[lunch]\n") << 2 << "[lunch]";
    QTest::newRow("key before a section") << QByteArray("answer=3\n") << 1 << "[block]";
    QTest::newRow("no equals sign") << block + "move 3\n" << 5 << "move 3";
    QTest::newRow("twice the same key") << block + "MOVE = 2\n" << 5 << "2 度";
    QTest::newRow("zero") << QByteArray("[block]\nquestions=2\nanswer=0\n") << 3 << "0 以下";
    QTest::newRow("negative") << QByteArray("[break]\nseconds = -5\n") << 2 << "0 以下";
    QTest::newRow("16 bits exceeded") << QByteArray("[break]\nseconds = 32768\n") << 2 << "大きすぎ";
    QTest::newRow("huge digits") << QByteArray("[break]\nseconds = 99999999999999999999\n") << 2 << "大きすぎ";
    QTest::newRow("not a number") << QByteArray("[break]\nseconds = 1.5\n") << 2 << "整数";
    QTest::newRow("full-width digits") << QByteArray("[break]\nseconds = ６０\n") << 2 << "整数";
    QTest::newRow("cue neither yes nor no") << block + "reading cue = maybe\n" << 5 << "yes か no";
    QTest::newRow("a block beyond 32767 s")
        << QByteArray("[block]\nquestions=2\nanswer=16000\nmove=384\n[break]\nseconds=1\n") << 1 << "32768 秒";
    QTest::newRow("the day beyond 24 h")
        << QByteArray("[break]\nseconds=32767\n[break]\nseconds=32767\n[break]\nseconds=20867\n") << 5 << "24 時間";
    QTest::newRow("missing key, at the section") << QByteArray("[block]\nquestions=2\n\n[break]\nseconds=1\n") << 1
                                                 << "answer」「move";
    QTest::newRow("no part at all") << QByteArray("# only a comment\n\n") << 0 << "1 つもありません";
    QTest::newRow("101 parts") << many << 201 << "100 部まで";
    QTest::newRow("not UTF-8") << QByteArray("[break]\nseconds=1\nbanner=\x82\xa0\n") << 3 << "UTF-8";
    QTest::newRow("overlong UTF-8") << QByteArray("[break]\nbanner=\xc0\xaf\n") << 2 << "UTF-8";
    QTest::newRow("banner too long") << "[break]\nseconds=1\nbanner=" + QByteArray(201, 'x') << 3 << "201 文字";
    QTest::newRow("control character") << QByteArray("[break]\nseconds=1\nbanner=a\x07z\n") << 3 << "制御文字";
    QTest::newRow("file too large") << QByteArray(programme_limits::kMaxFileBytes + 1, '#') << 0 << "大きすぎ";
}

// Each refusal names its line and what may stand there; nothing is half loaded.
void TestProgrammeFile::refused()
{
    QFETCH(QByteArray, text);
    QFETCH(int, line);
    QFETCH(QString, told);
    const ProgrammeRead r = parseProgramme(text);
    QVERIFY(!r.ok());
    QCOMPARE(r.line, line);
    QVERIFY2(r.error.contains(told), qPrintable(r.error));
}

// What the program writes is read back to the same programme, and the
// editor's check refuses what the reader refuses.
void TestProgrammeFile::writtenReadsBack()
{
    Programme p = *parseProgramme(kTwoCircuits).programme;
    p.parts[0].reading = 10;
    p.parts[0].readingBanner = "読む # 時間";
    p.parts[0].readingCue = true;
    QTemporaryDir dir;
    const QString path = dir.filePath("day.tavrin");
    QVERIFY(writeProgrammeFile(path, p).isEmpty());
    const ProgrammeRead back = readProgrammeFile(path);
    QVERIFY2(back.ok(), qPrintable(back.describe()));
    QCOMPARE(*back.programme, p);
    QVERIFY(!writeProgrammeFile(dir.filePath("no/such/folder/x"), p).isEmpty());
    QVERIFY(!readProgrammeFile(dir.path()).ok() && !readProgrammeFile(dir.filePath("none")).ok());
    p.parts[2].move = 0;
    QVERIFY(checkProgramme(p).startsWith("3 番目の部"));
}

QTEST_GUILESS_MAIN(TestProgrammeFile)
#include "tst_programme_file.moc"
