// The room display as the program wires it, told by the main window, on an
// offscreen desktop of a laptop and a projector whose screens come and go.
#include "engine.h"
#include "form1.h"
#include "geometry.h"
#include "offscreen_screens.h"
#include "room_display.h"
#include "texts.h"
#include "window_rig.h"

#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace tavrin;
using testing::dotAt;
using testing::FakeScreen;

namespace {
const FakeScreen laptop{u"laptop"_qs, {0, 0, 1280, 800}};
const FakeScreen projector{u"projector"_qs, {1280, 0, 1920, 1080}};

// A point of the banner's own colour: above its text, beside it.
QPoint bannerAt(const ExamState &st, int width, Banner b)
{
    const float w = float(width);
    const float size = geometry::bannerFontSize(w, st.fk);
    const qint32 length = qint32((b == Banner::Move ? st.message1 : st.message2).size());
    const float bw = geometry::bannerWidth(length, size, st.fk);
    const float top = geometry::bannerTop(st.tamasu, st.time1, geometry::grid(w, st.tamasu).sukima, st.fk);
    return QPoint(qRound(geometry::bannerLeft(w, bw)) + 2, qRound(top) + 2);
}

QImage picture(QWidget &w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The main window with times 3 + 2 and 2 questions, and the room display
// told by it.
struct Room {
    testing::WindowRig rig;
    QTemporaryDir options;
    RoomDisplay room{rig.engine.state(), rig.form, options.filePath(QLatin1String(texts::optionsFile))};
    Room()
    {
        rig.form.setMirror(&room);
        rig.engine.addObserver(&room);
        testing::control<QLineEdit>(rig.form, "Text1")->setText(u"3"_qs);
        testing::control<QLineEdit>(rig.form, "Text2")->setText(u"2"_qs);
        testing::control<QLineEdit>(rig.form, "Text3")->setText(u"2"_qs);
        rig.engine.TimeCal();
    }
    ~Room() { rig.form.setMirror(nullptr); }
    const ExamState &st() const { return rig.engine.state(); }
    QColor roomPixel(QPoint p) { return picture(room).pixelColor(p); }
};
} // namespace

class TestRoomDisplay : public QObject {
    Q_OBJECT
private slots:
    void init();
    void followsTheMainWindowOnEveryTick();
    void screensComeAndGoDuringARun();
    void optionsAreRemembered();
};

void TestRoomDisplay::init()
{
    QVERIFY(testing::setScreens({laptop, projector}));
}

void TestRoomDisplay::followsTheMainWindowOnEveryTick()
{
    Room r;
    Form1 &form = r.rig.form;
    r.room.setSecondsLeftShown(true);
    r.room.setOpen(true);
    // By default on the largest screen the main window is not on, covering it.
    QCOMPARE(r.room.screen()->name(), projector.name);
    QCOMPARE(r.room.geometry(), projector.geometry);
    QVERIFY(r.room.findChildren<QWidget *>().isEmpty()); // no control at all
    QCOMPARE(r.room.secondsLeft(), QString());

    // Seconds left after each tick: the answering time counts down, the move
    // time shows none left, the end shows nothing.
    const QStringList secondsLeft{u"残り2秒"_qs, u"残り1秒"_qs, u"残り0秒"_qs, u"残り0秒"_qs, u"残り0秒"_qs,
                                  u"残り2秒"_qs, u"残り1秒"_qs, u"残り0秒"_qs, u"残り0秒"_qs, QString()};
    r.rig.engine.Command1_Click();
    QCOMPARE(r.room.secondsLeft(), u"残り3秒"_qs);
    for (int tick = 0; tick < secondsLeft.size(); ++tick) {
        r.rig.engine.Timer1_Timer();
        const QImage main = picture(form), room = picture(r.room);
        const QByteArray at = "tick " + QByteArray::number(tick + 1);
        for (qint32 n = 1; n <= r.st().time1.value(); ++n)
            QVERIFY2(main.pixelColor(dotAt(r.st(), form.width(), n)) == room.pixelColor(dotAt(r.st(), 1920, n)),
                     at + ", dot " + QByteArray::number(n));
        for (Banner b : {Banner::Move, Banner::End})
            QVERIFY2(main.pixelColor(bannerAt(r.st(), form.width(), b)) == room.pixelColor(bannerAt(r.st(), 1920, b)), at);
        for (Form1::Caption label : {Form1::Caption::Question, Form1::Caption::Suffix}) {
            const QRect box = form.look(label).box;
            QVERIFY2(main.copy(box) == room.copy(box), at + ", caption " + QByteArray::number(int(label)));
        }
        QCOMPARE(r.room.secondsLeft(), secondsLeft[tick]);
        if (tick == 2) // the last dot of the answering time, red, laid out for 1920 pixels
            QCOMPARE(room.pixelColor(dotAt(r.st(), 1920, 3)), QColor(255, 0, 0));
    }
    QCOMPARE(r.rig.engine.runState(), RunState::Finished);
    QCOMPARE(r.roomPixel(bannerAt(r.st(), 1920, Banner::End)), QColor(255, 0, 0));
}

void TestRoomDisplay::screensComeAndGoDuringARun()
{
    Room r;
    r.room.choose(RoomDisplay::choiceOf(QGuiApplication::screens().at(1)));
    r.room.setOpen(true);
    QCOMPARE(r.room.geometry(), projector.geometry);
    r.rig.engine.Command1_Click();
    r.rig.engine.Timer1_Timer();

    // Unplugged: the display goes to the remaining screen, laid out for it,
    // and the run goes on.
    QVERIFY(testing::setScreens({laptop}));
    QTRY_COMPARE(r.room.geometry(), laptop.geometry);
    QCOMPARE(r.room.screen()->name(), laptop.name);
    r.rig.engine.Timer1_Timer();
    QCOMPARE(r.rig.engine.runState(), RunState::Running);
    QCOMPARE(r.st().t.value(), 3);
    QCOMPARE(r.roomPixel(dotAt(r.st(), 1280, 2)), QColor(255, 0, 0));

    // Plugged in again: back to the chosen screen.
    QVERIFY(testing::setScreens({laptop, projector}));
    QTRY_COMPARE(r.room.geometry(), projector.geometry);
    QCOMPARE(r.room.screen()->name(), projector.name);
    QCOMPARE(r.roomPixel(dotAt(r.st(), 1920, 2)), QColor(255, 0, 0));

    // Another resolution: still the chosen screen, laid out again.
    const QRect smaller(1280, 0, 1280, 720);
    QVERIFY(testing::setScreens({laptop, {projector.name, smaller}}));
    QTRY_COMPARE(r.room.geometry(), smaller);
    QCOMPARE(r.roomPixel(dotAt(r.st(), 1280, 2)), QColor(255, 0, 0));
}

void TestRoomDisplay::optionsAreRemembered()
{
    Room r;
    const ScreenChoice chosen = RoomDisplay::choiceOf(QGuiApplication::screens().at(1));
    r.room.choose(chosen);
    r.room.setSecondsLeftShown(true);
    {
        RoomDisplay again(r.st(), r.rig.form, r.options.filePath(QLatin1String(texts::optionsFile)));
        QCOMPARE(again.choice(), chosen);
        QVERIFY(again.secondsLeftShown());
    }
    // In a file of its own; Tavrin.cfg is not touched.
    QCOMPARE(QDir(r.options.path()).entryList(QDir::Files), QStringList{QLatin1String(texts::optionsFile)});
    QVERIFY(!QFile::exists(r.rig.dir.filePath(u"Tavrin.cfg"_qs)));

    // Not saved: the operator is told, in the main window; the choice holds.
    RoomDisplay unsaved(r.st(), r.rig.form, r.options.path()); // a folder
    unsaved.setOpen(true);
    unsaved.setSecondsLeftShown(true);
    QTRY_VERIFY(r.rig.form.findChild<QMessageBox *>());
    QVERIFY(r.rig.form.findChild<QMessageBox *>()->text().contains(u"保存できませんでした"_qs));
    QVERIFY(unsaved.secondsLeftShown());
}

QTEST_MAIN(TestRoomDisplay)
#include "tst_room_display.moc"
