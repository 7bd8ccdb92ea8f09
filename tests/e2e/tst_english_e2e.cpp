// A run in English (--language en), as a stranger who reads no Japanese
// meets it: the window's title, a notice and the record's window speak
// English; the banners are what the settings file says, and the file's
// Shift-JIS bytes come back unchanged.
#include "click_points.h"
#include "e2e_support.h"
#include "require.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

namespace at = tavrin::testing::at;

class TestEnglishE2E : public QObject {
    Q_OBJECT
private slots:
    void englishRun();
};

namespace {

// The end banner as it is painted, in a run of 1 + 1 s and 1 question.
QImage endBanner(e2e::Program &program)
{
    program.click(at::command1);
    if (!program.waitFor([](const QImage &img) { return e2e::near(img.pixelColor(at::bannerMiddle), QColor(255, 0, 0)); },
                         8000))
        return {};
    // Once it stands still: two shots alike.
    const QRect area(at::bannerMiddle - QPoint(300, 50), QSize(600, 100));
    QImage last, now = program.shot().copy(area);
    for (int i = 0; i < 20 && now != last; ++i) {
        QTest::qWait(150);
        last = std::exchange(now, program.shot().copy(area));
    }
    return now;
}

} // namespace

void TestEnglishE2E::englishRun()
{
    TAVRIN_NEED("TAVRIN_REQUIRE_DISPLAY", e2e::missingDisplay());
    QTemporaryDir dir;
    e2e::copyCues(dir.path());
    e2e::writeSettings(dir.path(), {u"1,1,1"_qs, u"Tavrin-Jihou1.wav"_qs, u"Tavrin-Jihou2.wav"_qs,
                                    u"Tavrin-Jihou3.wav"_qs, u"移動してください"_qs, u"おわり"_qs, u"10"_qs, u"0"_qs});
    QFile cfg(QDir(dir.path()).filePath(u"Tavrin.cfg"_qs));
    QVERIFY(cfg.open(QIODevice::ReadOnly));
    const QByteArray bytes = cfg.readAll();
    cfg.close();

    QImage japanese;
    {
        e2e::Program program(dir.path());
        QVERIFY(program.start());
        japanese = endBanner(program);
        program.process().kill();
        program.waitForExit(5000);
    }
    QFile::remove(QDir(dir.path()).filePath(u"Tavrin-record.sqlite"_qs));

    e2e::Program program(dir.path());
    program.setArguments({u"--language"_qs, u"en"_qs});
    QVERIFY(program.start());
    QVERIFY2(program.caption().startsWith(u"Vornel's Repeating Timer\u3000Tavrin ver. "_qs), qPrintable(program.caption()));
    // The settings file's banner, not the English default.
    const QImage english = endBanner(program);
    QVERIFY(!english.isNull() && english == japanese);

    // A notice: a value out of range, refused.
    program.click(at::command1); // Reset
    program.click(at::text1);
    program.type(u"99999"_qs);
    program.key(u"Return"_qs);
    const QString box = program.waitForWindow(u"^Tavrin$"_qs, 5000);
    QVERIFY(!box.isEmpty());
    program.keyTo(box, u"Return"_qs);
    program.press(u"F7"_qs);
    const QString record = program.waitForWindow(u"^Examination record - Tavrin$"_qs, 5000);
    QVERIFY(!record.isEmpty());
    // Out of the main window's way (no window manager here to close it).
    e2e::run(u"xdotool"_qs, {u"windowmove"_qs, record, u"0"_qs, u"600"_qs});
    program.click(at::command4); // Exit, which saves the settings
    QVERIFY(program.waitForExit(10000));

    QVERIFY(cfg.open(QIODevice::ReadOnly));
    QCOMPARE(cfg.readAll(), bytes);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"record"_qs);
        db.setDatabaseName(QDir(dir.path()).filePath(u"Tavrin-record.sqlite"_qs));
        QVERIFY(db.open());
        QSqlQuery q(u"SELECT detail FROM events WHERE kind = 'notice'"_qs, db);
        QVERIFY(q.next());
        QVERIFY2(q.value(0).toString().contains(u"is out of range"_qs), qPrintable(q.value(0).toString()));
    }
    QSqlDatabase::removeDatabase(u"record"_qs);
}

QTEST_MAIN(TestEnglishE2E)
#include "tst_english_e2e.moc"
