// A whole short examination run from the real window, as an operator runs it:
// 3 seconds to answer, 2 to move, 2 questions.
#include "click_points.h"
#include "e2e_support.h"
#include "require.h"
#include "sound_probe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace at = tavrin::testing::at;

namespace {
const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlack(0, 0, 0);
} // namespace

class TestExamE2E : public QObject {
    Q_OBJECT
private slots:
    void wholeExamination();
};

void TestExamE2E::wholeExamination()
{
    TAVRIN_NEED("TAVRIN_REQUIRE_DISPLAY", e2e::missingDisplay());

    QTemporaryDir dir;
    e2e::copyCues(dir.path());
    e2e::writeSettings(dir.path(), {u"3,2,2"_qs, u"Tavrin-Jihou1.wav"_qs, u"Tavrin-Jihou2.wav"_qs,
                                    u"Tavrin-Jihou3.wav"_qs, u"移動してください"_qs, u"試験終了"_qs, u"10"_qs,
                                    u"0"_qs});
    e2e::Program program(dir.path());
    QVERIFY(program.start());

    tavrin::probe::Recorder recorder(e2e::sinkMonitor());
    QString noSound = e2e::missingSound();
    if (noSound.isEmpty())
        noSound = recorder.start();
    // Without sound the pictures are still checked, except under the test command.
    if (!noSound.isEmpty() && tavrin::testing::required("TAVRIN_REQUIRE_SOUND"))
        QFAIL(qPrintable(noSound));
    const bool listening = noSound.isEmpty();
    program.click(at::command1);

    // The answering time: three red dots.
    QVERIFY(program.waitFor(
        [](const QImage &img) {
            for (const QPoint &p : at::dots)
                if (!e2e::near(img.pixelColor(p), kRed))
                    return false;
            return true;
        },
        6000));
    program.shot().save(QStringLiteral("exam-dots.png"));

    // The move time: the green banner, dots still on view.
    QVERIFY(program.waitFor([](const QImage &img) { return e2e::near(img.pixelColor(at::bannerMiddle), kGreen); }, 3000));
    program.shot().save(QStringLiteral("exam-move.png"));

    // Ten seconds after the start: the red end banner and no dots.
    QVERIFY(program.waitFor(
        [](const QImage &img) {
            return e2e::near(img.pixelColor(at::bannerMiddle), kRed) && e2e::near(img.pixelColor(at::dots[0]), kBlack);
        },
        9000));
    program.shot().save(QStringLiteral("exam-end.png"));

    if (listening) {
        // Until the end sound has played out (the checks below say what was heard).
        (void)QTest::qWaitFor([&] { return tavrin::probe::soundsEnded(recorder, 0, 7, 200); }, 5000);
        recorder.stop();
        const std::vector<e2e::Burst> heard = e2e::bursts(recorder.samples());
        // Warning, warning, end of answering; again; then the end of the examination.
        QCOMPARE(heard.size(), size_t(7));
        const double one = heard[0].start;
        const double expectedAt[] = {0, 1, 2, 5, 6, 7, 9};
        for (size_t i = 0; i < 7; ++i)
            QVERIFY2(std::abs(heard[i].start - one - expectedAt[i]) < 0.15,
                     qPrintable(QStringLiteral("cue %1 at %2 s").arg(i + 1).arg(heard[i].start - one)));
        // The warning tick is the shortest, the end of the examination the longest.
        QVERIFY(heard[0].length < heard[2].length);
        QVERIFY(heard[3].length < heard[5].length);
        QVERIFY(heard[6].length > heard[2].length);
    } else {
        qWarning("not listening: %s", qPrintable(noSound));
    }

    // Reset, then exit through the exit button: the settings are written.
    program.click(at::command1);
    QVERIFY(program.waitFor([](const QImage &img) { return e2e::near(img.pixelColor(at::bannerMiddle), kBlack); }, 3000));
    QFile::remove(QDir(dir.path()).filePath(u"Tavrin.cfg"_qs));
    program.click(at::command4);
    QVERIFY(program.waitForExit(5000));
    QFile saved(QDir(dir.path()).filePath(u"Tavrin.cfg"_qs));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readLine(), QByteArray("3,2,2\r\n"));
}

QTEST_GUILESS_MAIN(TestExamE2E)
#include "tst_exam_e2e.moc"
