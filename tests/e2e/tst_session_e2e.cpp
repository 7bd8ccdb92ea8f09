// An operator's whole session, through the real window: start, pause in the
// move time, resume, fewer questions while running, the end, reset, new
// times, exit; then a second start finds what was saved.
#include "click_points.h"
#include "e2e_support.h"
#include "require.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace at = tavrin::testing::at;

namespace {
const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlack(0, 0, 0);
// The move time, number of questions and total boxes (the first one may show
// a blinking cursor).
const QRect kBoxes(472, 32, 214, 19);

QByteArray firstLine(const QString &dir)
{
    QFile f(QDir(dir).filePath(QStringLiteral("Tavrin.cfg")));
    return f.open(QIODevice::ReadOnly) ? f.readLine() : QByteArray();
}
} // namespace

class TestSessionE2E : public QObject {
    Q_OBJECT
private slots:
    void wholeSession();
};

void TestSessionE2E::wholeSession()
{
    TAVRIN_NEED("TAVRIN_REQUIRE_DISPLAY", e2e::missingDisplay());
    QTemporaryDir dir;
    QImage boxes;
    e2e::copyCues(dir.path());
    e2e::writeSettings(dir.path(), {u"3,3,5"_qs, u"Tavrin-Jihou1.wav"_qs, u"Tavrin-Jihou2.wav"_qs,
                                    u"Tavrin-Jihou3.wav"_qs, u"移動してください"_qs, u"試験終了"_qs});
    {
        e2e::Program program(dir.path());
        QVERIFY(program.start());
        program.click(at::command1);

        // Pause while the move banner is up: it stays, and so does the picture.
        QVERIFY(program.waitFor([](const QImage &img) { return e2e::near(img.pixelColor(at::bannerMiddle), kGreen); }, 6000));
        program.click(at::command2);
        const QImage paused = program.shot();
        QThread::msleep(2200);
        QCOMPARE(program.shot(), paused);
        QVERIFY(e2e::near(paused.pixelColor(at::bannerMiddle), kGreen));

        // Resume, then lower the number of questions to 2 with Enter.
        program.click(at::command2);
        program.click(at::text3);
        program.type(QStringLiteral("2"));
        program.key(QStringLiteral("Return"));

        // Question 2 ends the examination now, well before the 30 s of five.
        QVERIFY(program.waitFor([](const QImage &img) { return e2e::near(img.pixelColor(at::bannerMiddle), kRed); }, 12000));
        // Exit does nothing before a reset.
        program.click(at::command4);
        QThread::msleep(300);
        QVERIFY(program.running());

        program.click(at::command1);
        QVERIFY(program.waitFor([](const QImage &img) { return e2e::near(img.pixelColor(at::bannerMiddle), kBlack); }, 3000));

        // New answering time, then exit through the exit button.
        program.click(at::text1);
        program.type(QStringLiteral("7"));
        program.key(QStringLiteral("Return"));
        QThread::msleep(200);
        boxes = program.shot().copy(kBoxes);
        program.click(at::command4);
        QVERIFY(program.waitForExit(5000));
        QCOMPARE(firstLine(dir.path()), QByteArray("7,3,2\r\n"));
    }

    // A second start shows the saved values: the boxes look as they did when
    // the first session left them, and exit writes the values back unchanged.
    e2e::Program again(dir.path());
    QVERIFY(again.start());
    QCOMPARE(again.shot().copy(kBoxes), boxes);
    again.key(QStringLiteral("Return")); // the window opens with the focus in the first box
    QThread::msleep(200);
    again.click(at::command4);
    QVERIFY(again.waitForExit(5000));
    QCOMPARE(firstLine(dir.path()), QByteArray("7,3,2\r\n"));
}

QTEST_GUILESS_MAIN(TestSessionE2E)
#include "tst_session_e2e.moc"
