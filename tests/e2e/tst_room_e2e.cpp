// The real program on an X server of its own with a laptop's and a projector's
// screen: the room display on the projector, the controls on the laptop.
#include "click_points.h"
#include "e2e_support.h"

#include <QTemporaryDir>
#include <QTest>

namespace at = tavrin::testing::at;

namespace {
const QColor kRed(255, 0, 0), kBlack(0, 0, 0), kWhite(255, 255, 255);
const QColor kCyan(0x80, 0xFF, 0xFF), kGrey(0xE0, 0xE0, 0xE0);
// At 1920 pixels and 10 dots a row: pitch 192, radius 77, first row at 80 + 77.
const QPoint kRoomDots[] = {{96, 157}, {288, 157}, {480, 157}};

bool covered(const QImage &img)
{
    return !img.isNull() && img.size() == QSize(1920, 1080) && e2e::near(img.pixelColor(0, 0), kBlack, 0) &&
           e2e::near(img.pixelColor(1919, 1079), kBlack, 0);
}
} // namespace

class TestRoomE2E : public QObject {
    Q_OBJECT
private slots:
    void roomDisplayOnTheProjector();
};

void TestRoomE2E::roomDisplayOnTheProjector()
{
    e2e::Xvfb x({u"1280x1024"_qs, u"1920x1080"_qs});
    QVERIFY2(x.error().isEmpty(), qPrintable(x.error()));
    QTemporaryDir dir;
    e2e::copyCues(dir.path());
    e2e::writeSettings(dir.path(), {u"3,2,1"_qs, u"Tavrin-Jihou1.wav"_qs, u"Tavrin-Jihou2.wav"_qs,
                                    u"Tavrin-Jihou3.wav"_qs, u"移動してください"_qs, u"試験終了"_qs, u"10"_qs,
                                    u"0"_qs});
    e2e::Program program(dir.path());
    QVERIFY(program.start());

    program.press(u"F5"_qs);
    QVERIFY(QTest::qWaitFor([&] { return covered(x.screenShot(1)); }, 5000));
    program.click(at::command1);
    QImage room;
    QVERIFY(QTest::qWaitFor(
        [&] {
            room = x.screenShot(1);
            for (const QPoint &p : kRoomDots)
                if (!e2e::near(room.pixelColor(p), kRed))
                    return false;
            return true;
        },
        6000));
    const QImage main = program.shot();
    room.save(u"room-e2e-projector.png"_qs);
    main.save(u"room-e2e-main.png"_qs);

    QVERIFY(covered(room));
    // Where the main window has its controls, the room display is black.
    for (const QPoint &p : {at::command1, at::command2, at::command4, at::text1, at::text3, at::combo1})
        QVERIFY2(e2e::near(room.pixelColor(p), kBlack, 0), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));

    // The main window still shows the run, with its controls.
    for (const QPoint &p : at::dots)
        QVERIFY(e2e::near(main.pixelColor(p), kRed));
    QVERIFY(e2e::near(main.pixelColor(200, 27), kGrey, 4)); // リセット
    QVERIFY(e2e::near(main.pixelColor(263, 27), kCyan, 4)); // 中断

    // Closed again: the projector is bare, and the run goes on to its end.
    program.press(u"F5"_qs);
    QVERIFY(QTest::qWaitFor([&] { return e2e::near(x.screenShot(1).pixelColor(0, 0), kWhite, 0); }, 5000));
    QVERIFY(program.waitFor([](const QImage &img) { return e2e::near(img.pixelColor(at::bannerMiddle), kRed); }, 8000));
}

QTEST_GUILESS_MAIN(TestRoomE2E)
#include "tst_room_e2e.moc"
