// The main window as it is created and as the engine drives it, on the
// offscreen platform.
#include "engine.h"
#include "form1.h"
#include "phase_timer.h"
#include "texts.h"
#include "window_rig.h"

#include <QComboBox>
#include <QFontInfo>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QMessageBox>
#include <QTimer>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace tavrin;

namespace {
using testing::WindowRig;

// The colour of a button's face as it is painted, inside its border.
QColor faceColour(QPushButton *b)
{
    return b->grab().toImage().pixelColor(3, 3);
}

// The texts of the notices on the screen.
QStringList noticesShown()
{
    QStringList texts;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
            texts << box->text();
    return texts;
}

// Dot n of the default grid (10 a row) on a 1000-pixel-wide window.
QPoint dotCentre(int n)
{
    return {50 + 100 * ((n - 1) % 10), 120 + 100 * ((n - 1) / 10)};
}
} // namespace

class TestForm1 : public QObject {
    Q_OBJECT
private slots:
    void controls_data();
    void controls();
    void windowItself();
    void focusOrder();
    void japaneseFontsInstalled();
    void afterLoad();
    void redrawKeepsDotsUpToT();
    void tickPaintsOnlyItsDot();
    void narrowWindowSurvives();
    void helpButtonReportsMissingFile();
    void closingDuringARunAsksFirst_data();
    void closingDuringARunAsksFirst();
    void fullScreenKeys();
    void noticesWaitDuringARun_data();
    void noticesWaitDuringARun();
    void failedSaveAsks();
};

void TestForm1::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry"); // pixels, relative to the parent
    QTest::addColumn<bool>("inFrame");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<QColor>("foreground"); // invalid: not checked
    QTest::addColumn<int>("fontPixels");

    const QColor yellow(255, 255, 0), orange(255, 192, 128), black(0, 0, 0), none;
    auto row = [](const char *name, const QString &caption, QRect g, bool inFrame, bool visible, QColor fg, int px) {
        QTest::newRow(name) << QString::fromLatin1(name) << caption << g << inFrame << visible << fg << px;
    };
    // twips / 15, rounded
    row("Command1", u"開始"_qs, {196, 24, 57, 35}, false, true, none, 16);
    row("Command2", u"中断"_qs, {260, 24, 41, 35}, false, true, none, 16);
    row("Command3", u"?"_qs, {307, 24, 22, 35}, false, true, none, 21);
    row("Command4", u"終了"_qs, {336, 24, 41, 35}, false, true, none, 16);
    row("Frame1", QString(), {376, 16, 310, 52}, false, true, none, 0);
    row("Label1", u"１問あたり"_qs, {24, 0, 49, 17}, true, true, yellow, 10);
    row("Label2", u"移動時間"_qs, {96, 0, 49, 17}, true, true, yellow, 10);
    row("Label3", u"問題数"_qs, {168, 0, 33, 17}, true, true, yellow, 10);
    row("Label7", u"合計"_qs, {232, 0, 25, 17}, true, true, yellow, 10);
    row("Label9", u"（"_qs, {16, 16, 9, 17}, true, true, yellow, 16);
    row("Text1", QString(), {32, 16, 33, 18}, true, true, none, 0);
    row("Label10", u"＋"_qs, {72, 16, 17, 17}, true, true, yellow, 16);
    row("Text2", QString(), {96, 16, 33, 18}, true, true, none, 0);
    row("Label13", u"）"_qs, {136, 16, 9, 17}, true, true, yellow, 16);
    row("Label11", u"×"_qs, {144, 16, 17, 17}, true, true, yellow, 16);
    row("Text3", QString(), {168, 16, 33, 18}, true, true, none, 0);
    row("Label12", u"＝"_qs, {208, 16, 17, 17}, true, true, yellow, 16);
    row("Text4", QString(), {232, 16, 57, 18}, true, true, none, 0);
    row("Label4", u"秒"_qs, {48, 40, 17, 17}, true, true, yellow, 0);
    row("Label5", u"秒"_qs, {112, 40, 17, 17}, true, true, yellow, 0);
    row("Label6", u"問"_qs, {192, 40, 17, 17}, true, true, yellow, 0);
    row("Label8", u"秒"_qs, {280, 40, 17, 17}, true, true, yellow, 0);
    row("Label14", u"0"_qs, {16, 8, 71, 61}, false, true, yellow, 64);
    row("Label16", u"問目"_qs, {93, 19, 101, 53}, false, true, yellow, 48);
    row("Label18", u"フォント係数"_qs, {687, 16, 58, 17}, false, true, orange, 10);
    row("Combo1", QString(), {684, 32, 57, 20}, false, true, none, 0);
    row("Label17", u"移動してください"_qs, {16, 184, 537, 65}, false, false, black, 64);
    row("Label15", u"試験終了"_qs, {16, 79, 385, 97}, false, false, black, 96);
}

void TestForm1::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);
    QFETCH(bool, inFrame);
    QFETCH(bool, visible);
    QFETCH(QColor, foreground);
    QFETCH(int, fontPixels);

    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *w = form.findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->geometry(), geometry);
    QCOMPARE(w->parentWidget(), inFrame ? static_cast<QWidget *>(testing::control<QFrame>(form, "Frame1")) : static_cast<QWidget *>(&form));
    QCOMPARE(w->isVisible(), visible);
    if (auto *b = qobject_cast<QPushButton *>(w))
        QCOMPARE(b->text(), caption);
    if (auto *l = qobject_cast<QLabel *>(w)) {
        QCOMPARE(l->text(), caption);
        QCOMPARE(l->palette().color(QPalette::WindowText), foreground);
    }
    if (auto *t = qobject_cast<QLineEdit *>(w))
        QVERIFY(t->text().isEmpty());
    if (fontPixels)
        QCOMPARE(w->font().pixelSize(), fontPixels);
}

void TestForm1::windowItself()
{
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.windowTitle(), u"Vornelの繰り返しタイマー\u3000Tavrin ver. 1.70"_qs);
    QCOMPARE(form.size(), QSize(771, 414));
    QCOMPARE(form.palette().color(QPalette::Window), QColor(0, 0, 0));
    QVERIFY(!form.windowIcon().isNull());
    QCOMPARE(form.windowIcon().availableSizes().value(0), QSize(32, 32));
    // Creation colours: the first three light cyan, the exit button light grey.
    QCOMPARE(faceColour(testing::control<QPushButton>(form, "Command1")), QColor(0x80, 0xFF, 0xFF));
    QCOMPARE(faceColour(testing::control<QPushButton>(form, "Command3")), QColor(0x80, 0xFF, 0xFF));
    QCOMPARE(faceColour(testing::control<QPushButton>(form, "Command4")), QColor(0xE0, 0xE0, 0xE0));
    QCOMPARE(testing::control<QComboBox>(form, "Combo1")->currentIndex(), -1);
    QCOMPARE(testing::control<QComboBox>(form, "Combo1")->placeholderText(), u"Combo1"_qs);
    QCOMPARE(testing::control<QComboBox>(form, "Combo1")->count(), 3);
    QCOMPARE(testing::control<QComboBox>(form, "Combo1")->itemText(2), u"1.50"_qs);
    // The unit labels reach below the frame and are cut at its edge.
    QVERIFY(testing::control<QLabel>(form, "Label4")->geometry().bottom() > testing::control<QFrame>(form, "Frame1")->height() - 1);
}

void TestForm1::focusOrder()
{
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QList<QWidget *> expected{testing::control<QLineEdit>(form, "Text1"), testing::control<QLineEdit>(form, "Text2"), testing::control<QLineEdit>(form, "Text3"), testing::control<QLineEdit>(form, "Text4"), testing::control<QPushButton>(form, "Command3"),
                                    testing::control<QPushButton>(form, "Command4"), testing::control<QPushButton>(form, "Command2"), testing::control<QPushButton>(form, "Command1"), testing::control<QComboBox>(form, "Combo1")};
    for (int i = 0; i + 1 < expected.size(); ++i)
        QCOMPARE(expected[i]->nextInFocusChain(), expected[i + 1]);
}

void TestForm1::japaneseFontsInstalled()
{
    // Every caption must come out in a face that has Japanese glyphs.
    Form1 form;
    for (QWidget *w : {static_cast<QWidget *>(testing::control<QPushButton>(form, "Command1")), static_cast<QWidget *>(testing::control<QLabel>(form, "Label16")),
                       static_cast<QWidget *>(testing::control<QLabel>(form, "Label17")), static_cast<QWidget *>(testing::control<QLabel>(form, "Label1"))}) {
        const QString family = QFontInfo(w->font()).family();
        QVERIFY2(family.contains(u"IPA"_qs) || family.contains(u"Gothic"_qs) || family.contains(u"ゴシック"_qs),
                 qPrintable(family));
    }
    QVERIFY(QFontMetrics(testing::control<QPushButton>(form, "Command1")->font()).inFont(QChar(u'開')));
}

void TestForm1::afterLoad()
{
    WindowRig rig{};
    Form1 &form = rig.form;
    Engine &engine = rig.engine;
    QCOMPARE(testing::control<QLineEdit>(form, "Text1")->text(), u"30"_qs);
    QCOMPARE(testing::control<QLineEdit>(form, "Text4")->text(), u"1400"_qs);
    QCOMPARE(testing::control<QComboBox>(form, "Combo1")->currentText(), u"1.00"_qs);
    QCOMPARE(faceColour(testing::control<QPushButton>(form, "Command2")), QColor(0xE0, 0xE0, 0xE0));
    QCOMPARE(faceColour(testing::control<QPushButton>(form, "Command4")), QColor(0x80, 0xFF, 0xFF));
    QVERIFY(!testing::control<QLineEdit>(form, "Text1")->testAttribute(Qt::WA_InputMethodEnabled));
    QCOMPARE(rig.clock.interval(), 1000);
    // Banners laid out for 771 pixels: 51 points (68 pixels), top 3 rows down.
    QCOMPARE(engine.state().sukima.value(), 77);
    QCOMPARE(testing::control<QLabel>(form, "Label17")->font().pixelSize(), 68);
    QCOMPARE(testing::control<QLabel>(form, "Label17")->y(), 3 * 77 + 120);
}

void TestForm1::redrawKeepsDotsUpToT()
{
    WindowRig rig{QSize(1000, 600)};
    Form1 &form = rig.form;
    Engine &engine = rig.engine;
    const QColor green(0, 255, 0), red(255, 0, 0), black(0, 0, 0);
    // In a run: only a run under way has dots to redraw.
    engine.Command1_Click();
    engine.state().t = 13;
    form.resize(1000, 601); // any change of size redraws
    QImage shot = form.grab().toImage();
    QCOMPARE(shot.pixelColor(dotCentre(1)), green);
    QCOMPARE(shot.pixelColor(100, 120), black); // the gap
    QCOMPARE(shot.pixelColor(dotCentre(13)), green);
    QCOMPARE(shot.pixelColor(dotCentre(14)), black);

    engine.state().t = 33;
    engine.Form_Resize();
    shot = form.grab().toImage();
    for (int n = 31; n <= 33; ++n)
        QCOMPARE(shot.pixelColor(dotCentre(n)), red); // the fourth row
    QCOMPARE(shot.pixelColor(dotCentre(34)), black);
}

void TestForm1::tickPaintsOnlyItsDot()
{
    WindowRig rig{QSize(1000, 600)};
    Form1 &form = rig.form;
    Engine &engine = rig.engine;
    engine.Command1_Click();
    for (int i = 0; i < 12; ++i)
        engine.Timer1_Timer();
    QCOMPARE(testing::control<QLabel>(form, "Label14")->text(), u"1"_qs);
    const QImage shot = form.grab().toImage();
    QCOMPARE(shot.pixelColor(dotCentre(12)), QColor(0, 255, 0)); // column 1, row 1
    QCOMPARE(shot.pixelColor(dotCentre(13)), QColor(0, 0, 0));
}

void TestForm1::narrowWindowSurvives()
{
    WindowRig rig{};
    Form1 &form = rig.form;
    Engine &engine = rig.engine;
    const QRect before = testing::control<QLabel>(form, "Label17")->geometry();
    engine.state().t = 5;
    form.resize(8, 300);
    QCOMPARE(engine.state().sukima.value(), 0);
    QCOMPARE(testing::control<QLabel>(form, "Label17")->geometry(), before); // layout skipped, nothing divided by 0
    QCoreApplication::processEvents(); // a notice would be shown now
    QVERIFY(noticesShown().isEmpty());
}

void TestForm1::helpButtonReportsMissingFile()
{
    QTemporaryDir exeDir, workDir;
    Form1 form;
    SilentPlayers players;
    Engine engine(form, players);
    form.attach(&engine, nullptr);
    engine.Form_Load(exeDir.path(), workDir.path());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    testing::control<QPushButton>(form, "Command3")->click();
    // The help key is posted, not handled inside the click.
    QVERIFY(noticesShown().isEmpty());
    QTRY_COMPARE(noticesShown().size(), 1);
    QVERIFY(noticesShown().first().contains(exeDir.filePath(u"Tavrin.chm"_qs)));
}

void TestForm1::closingDuringARunAsksFirst_data()
{
    QTest::addColumn<int>("clicksOnStart");  // 0: Idle, 1: Running
    QTest::addColumn<bool>("pause");         // Paused when running
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("asked");
    QTest::newRow("idle closes at once") << 0 << false << false << true << false;
    QTest::newRow("running, no") << 1 << false << false << false << true;
    QTest::newRow("running, yes") << 1 << false << true << true << true;
    QTest::newRow("paused, no") << 1 << true << false << false << true;
}

void TestForm1::closingDuringARunAsksFirst()
{
    QFETCH(int, clicksOnStart);
    QFETCH(bool, pause);
    QFETCH(bool, answerYes);
    QFETCH(bool, closes);
    QFETCH(bool, asked);

    WindowRig rig{};
    Form1 &form = rig.form;
    Engine &engine = rig.engine;
    for (int i = 0; i < clicksOnStart; ++i)
        testing::control<QPushButton>(form, "Command1")->click();
    if (pause)
        testing::control<QPushButton>(form, "Command2")->click();
    const RunState before = engine.runState();

    bool sawQuestion = false;
    QTimer::singleShot(200, &form, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            sawQuestion = box->text().startsWith(u"試験を中止します"_qs);
            box->button(answerYes ? QMessageBox::Yes : QMessageBox::No)->click();
        }
    });
    QSignalSpy aborted(&form, &Form1::runAborted);
    const bool closed = form.close();
    QCOMPARE(closed, closes);
    QCOMPARE(sawQuestion, asked);
    // Only a confirmed close aborts the run (and the journal closes it).
    QCOMPARE(aborted.count(), asked && answerYes ? 1 : 0);
    QCOMPARE(engine.runState(), before);
    // Closing this way never writes the settings.
    QVERIFY(!QFile::exists(rig.dir.filePath(u"Tavrin.cfg"_qs)));
}

void TestForm1::fullScreenKeys()
{
    WindowRig rig{};
    Form1 &form = rig.form;
    QTest::keyClick(&form, Qt::Key_F11);
    QVERIFY(form.windowState() & Qt::WindowFullScreen);
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(!(form.windowState() & Qt::WindowFullScreen));
}

void TestForm1::noticesWaitDuringARun_data()
{
    QTest::addColumn<QString>("when");
    QTest::addColumn<bool>("waits"); // in the control strip, until the pause
    QTest::newRow("idle: at once") << "idle" << false;
    QTest::newRow("running: in the strip") << "running" << true;
    QTest::newRow("running, candidates on a screen of their own") << "apart" << false;
    QTest::newRow("still open as the run starts") << "before" << true;
}

void TestForm1::noticesWaitDuringARun()
{
    QFETCH(QString, when);
    QFETCH(bool, waits);
    WindowRig rig{};
    const QString text = u"お知らせの本文"_qs;
    rig.form.setCandidatesApart(when == u"apart"_qs);
    if (when == u"before"_qs) {
        rig.form.notify(text);
        QTRY_COMPARE(noticesShown(), QStringList{text});
    }
    if (when != u"idle"_qs)
        rig.engine.Command1_Click();
    if (when != u"before"_qs)
        rig.form.notify(text);
    QCoreApplication::processEvents();
    const auto *line = testing::control<QLabel>(rig.form, "statusLine");
    QCOMPARE(noticesShown().isEmpty(), waits);
    QCOMPARE(line->isVisible(), waits);
    QCOMPARE(line->text().endsWith(text), waits);
    // Paused: every notice that waited is shown, and the strip is clear.
    rig.engine.Command2_Click(); // ignored when idle
    QTRY_COMPARE(noticesShown(), QStringList{text});
    QVERIFY(!line->isVisible());
}

// Exit where Tavrin.cfg cannot be written asks, modally, until the operator
// goes back to the window or leaves without saving. (Once the program has
// ended, Qt runs no further modal loop in this process: one scenario only,
// and the last.)
void TestForm1::failedSaveAsks()
{
    WindowRig rig{};
    QVERIFY(QDir(rig.dir.path()).mkdir(u"Tavrin.cfg"_qs)); // a folder where the file goes
    QStringList answers{u"もう一度保存"_qs, u"ウィンドウに戻る"_qs, u"保存せずに終了"_qs};
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            for (QAbstractButton *b : box->buttons())
                if (!answers.isEmpty() && b->text() == answers.first()) {
                    answers.removeFirst();
                    b->click();
                    return;
                }
    });
    answer.start(50);
    testing::control<QPushButton>(rig.form, "Command4")->click();
    QCOMPARE(answers.size(), 1);
    QVERIFY(rig.form.isVisible());
    testing::control<QPushButton>(rig.form, "Command4")->click();
    QVERIFY(answers.isEmpty());
    QVERIFY(!rig.form.isVisible());
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
