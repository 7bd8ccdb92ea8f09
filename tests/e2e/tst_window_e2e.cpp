// The real program in a real window: what the operator sees after start-up.
#include "e2e_support.h"
#include "require.h"

#include <QTemporaryDir>
#include <QTest>

class TestWindowE2E : public QObject {
    Q_OBJECT
private slots:
    void startsWithItsWindow();
};

void TestWindowE2E::startsWithItsWindow()
{
    TAVRIN_NEED("TAVRIN_REQUIRE_DISPLAY", e2e::missingDisplay());
    QTemporaryDir dir;
    e2e::copyCues(dir.path());
    e2e::Program program(dir.path());
    QVERIFY(program.start());
    QCOMPARE(program.caption(), u"Vornelの繰り返しタイマー\u3000Tavrin ver. 1.70"_qs);

    const QImage img = program.shot();
    QVERIFY(!img.isNull());
    QCOMPARE(img.size(), QSize(771, 414));
    const QColor black(0, 0, 0), cyan(0x80, 0xFF, 0xFF), grey(0xE0, 0xE0, 0xE0), yellow(0xFF, 0xFF, 0);
    QVERIFY(e2e::near(img.pixelColor(400, 300), black, 0));        // the empty grid
    QVERIFY(e2e::near(img.pixelColor(200, 27), cyan, 4));          // 開始, near its left edge
    QVERIFY(e2e::near(img.pixelColor(263, 27), grey, 4));          // 中断
    QVERIFY(e2e::near(img.pixelColor(339, 27), cyan, 4));          // 終了
    // Some of the question number's "0" is yellow.
    int yellowPixels = 0;
    for (int y = 8; y < 69; ++y)
        for (int x = 16; x < 87; ++x)
            yellowPixels += e2e::near(img.pixelColor(x, y), yellow, 40);
    QVERIFY2(yellowPixels > 50, qPrintable(QString::number(yellowPixels)));
    img.save(QStringLiteral("tst_window_e2e.png"));
}

QTEST_GUILESS_MAIN(TestWindowE2E)
#include "tst_window_e2e.moc"
