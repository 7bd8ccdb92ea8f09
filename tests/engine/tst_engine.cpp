// The window's procedures, driven through the recording window and players.
//
// Scenarios are written as scripts of steps ("C1 x3 C2 tick"), and what a
// step does to the window and the players is condensed into a trace:
//   -M/+M, -E/+E   move/end banner hidden/shown
//   #N             question number label set to N
//   d<n><g|y|r>    dot n drawn green/yellow/red
//   clr            drawing cleared
//   play<n>, stop<n>, prev<n>, close<n>   a player command
//   F1, open, notify, end
//   =ck,t          the counters after a tick
// A scenario then checks the run state with the buttons' captions and colours
// ("look") and what the window shows ("display").

#include "engine.h"
#include "fakes.h"
#include "geometry.h"
#include "locked_folder.h"
#include "texts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace tavrin;
using namespace tavrin::test;

namespace {

QString str(const char *s)
{
    return tavrin::texts::str(s);
}

const QString kExeDir = QStringLiteral("/opt/tavrin");

struct Rig {
    QTemporaryDir work;
    QStringList journal;
    FakeWindow win{&journal};
    FakePlayers mm{&journal};
    Engine eng{win, mm};

    explicit Rig(float width = 1000, bool load = true, const QString &exeDir = kExeDir)
    {
        win.width = width;
        if (load)
            eng.Form_Load(exeDir, work.path());
        journal.clear();
        mm.log.clear();
    }

    ExamState &st() { return eng.state(); }

    void enterTimes(const QString &t1, const QString &t2, const QString &t3, TextBox box = TextBox::Text1)
    {
        win.boxTexts[1] = t1;
        win.boxTexts[2] = t2;
        win.boxTexts[3] = t3;
        eng.Text_KeyPress(box, 13);
    }

    // The dot a logged circle stands for, from the current grid.
    QString dotToken(const QString &line) const
    {
        const QStringList parts = line.split(u' ');
        const QStringList xy = parts[1].split(u',');
        const ExamState &s = eng.state();
        const double pitch = s.sukima.value();
        if (pitch <= 0) // every dot at one place: no telling them apart
            return QStringLiteral("d?") + parts[3];
        const double col = (xy[0].toDouble() - pitch / 2) / pitch;
        const double row = (xy[1].toDouble() - 80.0 * s.fk - s.hankei.value()) / pitch;
        const long n = std::lround(row) * s.tamasu.value() + std::lround(col) + 1;
        return QStringLiteral("d%1%2").arg(n).arg(parts[3]);
    }

    QString token(const QString &line) const
    {
        static const QMap<QString, QString> fixed{
            {"hide Move", "-M"}, {"show Move", "+M"}, {"hide End", "-E"}, {"show End", "+E"},
            {"clear", "clr"},    {"F1", "F1"},        {"notify", "notify"}, {"end", "end"},
            {"ask", "ask"}};
        if (fixed.contains(line))
            return fixed.value(line);
        if (line.startsWith(u"label14 "))
            return u'#' + line.mid(8);
        if (line.startsWith(u"circle "))
            return dotToken(line);
        if (line.startsWith(u"open "))
            return QStringLiteral("open");
        if (line.startsWith(u"ev "))
            return line.mid(3);
        if (line.startsWith(u"mm")) {
            const QStringList p = line.split(u' '); // "mm3 Play"
            if (p.size() == 2)
                return p[1].toLower() + p[0].mid(2);
        }
        return {};
    }

    QString takeTrace()
    {
        QStringList tokens;
        for (const QString &line : std::as_const(journal)) {
            const QString t = token(line);
            if (!t.isEmpty())
                tokens << t;
        }
        journal.clear();
        return tokens.join(u' ');
    }

    void tick() { eng.Timer1_Timer(); }

    // Runs a script; returns the trace of each step, joined by " | ".
    QString run(const QString &script)
    {
        journal.clear();
        QStringList steps;
        for (const QString &step : script.split(u' ', Qt::SkipEmptyParts)) {
            if (step == u"C1")
                eng.Command1_Click();
            else if (step == u"C2")
                eng.Command2_Click();
            else if (step == u"C3")
                eng.Command3_Click();
            else if (step == u"C4")
                eng.Command4_Click();
            else if (step == u"resize")
                eng.Form_Resize();
            else if (step == u"tick")
                tick();
            else if (step.startsWith(u'x')) {
                for (int i = step.mid(1).toInt(); i > 0; --i)
                    tick();
            } else if (step.startsWith(u"T:")) {
                const QStringList v = step.mid(2).split(u',');
                enterTimes(v[0], v[1], v[2]);
            } else if (step.contains(u'=')) {
                const QString field = step.section(u'=', 0, 0);
                const Integer value = step.section(u'=', 1).toInt();
                if (field == u"t")
                    st().t = value;
                else if (field == u"ck")
                    st().ck = value;
                else if (field == u"cycle")
                    st().cycle = value;
                else if (field == u"time2")
                    st().time2 = value;
                else
                    qFatal("unknown field in script: %s", qPrintable(step));
            } else {
                qFatal("unknown script step: %s", qPrintable(step));
            }
            QString trace = takeTrace();
            if (step == u"tick")
                trace = (trace + QStringLiteral(" =%1,%2").arg(st().ck.value()).arg(st().t.value())).trimmed();
            steps << trace;
        }
        return steps.join(QStringLiteral(" | "));
    }

    QString look() const
    {
        static const char *const names[] = {"Idle", "Running", "Paused", "Finished"};
        const ExamState &s = eng.state();
        auto face = [this](Button b) {
            return win.captions.value(b) + u'/' + colourName(win.buttonColours.value(b));
        };
        return QStringLiteral("%1 %2,%3,%4 %5 %6 %7")
            .arg(QLatin1String(names[int(eng.runState())]))
            .arg(s.sw.value())
            .arg(s.ck.value())
            .arg(s.t.value())
            .arg(face(Button::Command1), face(Button::Command2),
                 colourName(win.buttonColours.value(Button::Command4)));
    }

    QString display() const
    {
        return QStringLiteral("L14=%1 dots=%2 M%3 E%4")
            .arg(win.questionNumber)
            .arg(win.circles.size())
            .arg(QChar(win.banners[Banner::Move].visible ? u'+' : u'-'))
            .arg(QChar(win.banners[Banner::End].visible ? u'+' : u'-'));
    }
};

// Common setups.
const char *const kRunning = "C1 x3";        // question 1, dots 1..3 on view
const char *const kPaused = "C1 x3 C2";
const char *const kFinished = "T:2,1,1 C1 x3"; // a one-question run to its end

const char *const kIdleLook = "Idle 0,0,0 開始/cyan 中断/grey cyan";
const char *const kRunningLook = "Running 1,1,4 リセット/grey 中断/cyan grey";
const char *const kPausedLook = "Paused 0,1,4 リセット/cyan 再開/cyan grey";
const char *const kFinishedLook = "Finished 0,0,0 リセット/cyan 中断/grey grey";
const char *const kEmpty = "L14=0 dots=0 M- E-";
const char *const kQ1Dots3 = "L14=1 dots=3 M- E-";
const char *const kEnded1 = "L14=1 dots=0 M- E+";
const char *const kEnd = "clr -M +E play3 =0,0"; // DrawEnd's trace in a tick

} // namespace

class TestEngine : public QObject {
    Q_OBJECT

    static void scenarioColumns()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("trace");
        QTest::addColumn<QString>("look");
        QTest::addColumn<QString>("display");
    }
    static void scenario(const char *name, const QString &setup, const QString &action, const QString &trace,
                         const QString &look, const QString &display)
    {
        QTest::newRow(name) << setup << action << trace << look << display;
    }
    static void runScenario()
    {
        QFETCH(QString, setup);
        QFETCH(QString, action);
        QFETCH(QString, trace);
        QFETCH(QString, look);
        QFETCH(QString, display);
        Rig rig;
        rig.run(setup);
        QCOMPARE(rig.run(action), trace);
        QCOMPARE(rig.look(), look);
        QCOMPARE(rig.display(), display);
        QVERIFY(rig.win.notices.isEmpty());
    }

private slots:
    // ---- Start-up ---------------------------------------------------------

    void startupWithoutSettingsFile()
    {
        Rig rig;
        const ExamState &s = rig.st();
        QCOMPARE(s.time1.value(), 30);
        QCOMPARE(s.time2.value(), 5);
        QCOMPARE(s.cycle.value(), 40);
        QCOMPARE(s.timesum.value(), 1400);
        QCOMPARE(s.message1, str(texts::defaultMessage1));
        QCOMPARE(s.message2, str(texts::defaultMessage2));
        QCOMPARE(s.tamasu.value(), 10);
        QCOMPARE(s.fkc.value(), 0);
        QCOMPARE(s.fk, 1.0f);
        QCOMPARE(s.sukima.value(), 100);
        QCOMPARE(s.hankei.value(), 40);
        const QStringList cues{"", "Tavrin-Jihou1.wav", "Tavrin-Jihou2.wav", "Tavrin-Jihou3.wav", "Tavrin-chime.wav"};
        for (int k = 1; k <= 4; ++k)
            QCOMPARE(s.c[k], cues[k]);
        QCOMPARE(rig.look(), QString(kIdleLook));
        QCOMPARE(rig.display(), QString(kEmpty));
        QCOMPARE(rig.win.boxTexts[1], "30");
        QCOMPARE(rig.win.boxTexts[2], "5");
        QCOMPARE(rig.win.boxTexts[3], "40");
        QCOMPARE(rig.win.boxTexts[4], "1400");
        QCOMPARE(rig.win.combo, 0);
        QCOMPARE(rig.win.banners[Banner::Move].caption, s.message1);
        QCOMPARE(rig.win.banners[Banner::End].caption, s.message2);
        QCOMPARE(rig.win.timerInterval, 1000);
        QVERIFY(rig.win.notices.isEmpty());
        QVERIFY(!QFile::exists(rig.work.filePath("Tavrin.cfg"))); // read only
    }

    void startupOrder()
    {
        Rig rig(1000, false);
        rig.eng.Form_Load(kExeDir, rig.work.path());
        QStringList expected{"helpFile /opt/tavrin/Tavrin.chm", "pixelScale", "combo 0",
                             "font Move 66", "font End 66", "clear",
                             "text1 30", "text2 5", "text3 40", "ime1 3", "ime2 3", "ime3 3",
                             "text4 1400", "timer 1000"};
        const QStringList files{"Tavrin-Jihou1.wav", "Tavrin-Jihou2.wav", "Tavrin-Jihou3.wav", "Tavrin-chime.wav"};
        for (int n = 1; n <= 4; ++n)
            for (const QString &what : {QStringLiteral("notify true"), "file " + files[n - 1],
                                        QStringLiteral("Open")})
                expected << QStringLiteral("mm%1 ").arg(n) + what;
        expected << "caption Move " + str(texts::defaultMessage1) << "caption End " + str(texts::defaultMessage2)
                 << "colour Command1 cyan" << "colour Command2 grey" << "colour Command4 cyan"
                 << "font Move 66" << "font End 66" << "clear";
        QCOMPARE(rig.journal, expected);
        QCOMPARE(rig.win.imeModes[4], 0);
    }

    void helpFileBesideExecutable_data()
    {
        QTest::addColumn<QString>("exeDir");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/opt/tavrin" << "/opt/tavrin/Tavrin.chm";
        QTest::newRow("ends in separator") << "/opt/tavrin/" << "/opt/tavrin/Tavrin.chm";
        QTest::newRow("root") << "/" << "/Tavrin.chm";
    }
    void helpFileBesideExecutable()
    {
        QFETCH(QString, exeDir);
        QFETCH(QString, path);
        Rig rig(1000, true, exeDir);
        QCOMPARE(rig.win.helpFilePath, path);
    }

    void startupReadsWorkDirectory()
    {
        Rig rig(1000, false);
        QFile f(rig.work.filePath("Tavrin.cfg"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("20,10,3\r\na.wav\r\nb.wav\r\nc.wav\r\nmove\r\nend\r\n7\r\n2\r\n");
        f.close();
        rig.eng.Form_Load(kExeDir, rig.work.path());
        QCOMPARE(rig.win.boxTexts[4], "90");
        QCOMPARE(rig.st().fk, 1.5f);
        QCOMPARE(rig.st().tamasu.value(), 7);
        QVERIFY(rig.mm.log.contains("mm1 file a.wav"));
        QCOMPARE(rig.win.banners[Banner::Move].caption, "move");
        QVERIFY(rig.win.notices.isEmpty());
    }

    void startupTotalOverflowUsesDefaults()
    {
        Rig rig(1000, false);
        QFile f(rig.work.filePath("Tavrin.cfg"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("20000,20000,3\r\na.wav\r\nb.wav\r\nc.wav\r\nmove\r\nend\r\n10\r\n0\r\n");
        f.close();
        rig.eng.Form_Load(kExeDir, rig.work.path());
        QCOMPARE(rig.st().time1.value(), 30);
        QCOMPARE(rig.st().time2.value(), 5);
        QCOMPARE(rig.st().cycle.value(), 40);
        QCOMPARE(rig.st().timesum.value(), 1400);
        for (int box = 1; box <= 4; ++box)
            QCOMPARE(rig.win.boxTexts[box], QStringList({"", "30", "5", "40", "1400"})[box]);
        QCOMPARE(rig.win.notices.size(), 1);
        QVERIFY(rig.win.notices[0].text.contains("20000"));
        QCOMPARE(rig.look(), QString(kIdleLook));
    }

    // ---- A whole examination with the default times ------------------------

    void timeline_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("tFirst");
        // %1: t shown by the tick, %2: t after it.
        QTest::addColumn<QString>("pattern");
        auto row = [](int first, int last, int t, const char *pattern) {
            QTest::addRow("%d-%d", first, last) << first << last << t << QString::fromUtf8(pattern);
        };
        row(1, 1, 1, "-M #1 d1g =1,2");
        row(2, 20, 2, "d%1g =1,%2");
        row(21, 26, 21, "d%1y =1,%2");
        row(27, 29, 27, "d%1r play1 =1,%2");
        row(30, 30, 30, "d30r play2 =1,31");
        row(31, 34, 31, "+M =1,%2");
        row(35, 35, 35, "+M clr =2,1");
        row(36, 36, 1, "-M #2 d1g =2,2");
        row(37, 55, 2, "d%1g =2,%2");
        row(1366, 1366, 1, "-M #40 d1g =40,2");
        row(1392, 1394, 27, "d%1r play1 =40,%2");
        row(1395, 1395, 30, "d30r play2 =40,31");
        row(1396, 1399, 31, "+M =40,%2");
        row(1400, 1400, 35, "+M clr clr -M +E play3 =0,0");
        row(1401, 1405, 0, "=0,0");
    }
    void timeline()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, tFirst);
        QFETCH(QString, pattern);
        Rig rig;
        rig.run("C1");
        if (first > 1)
            rig.run(QStringLiteral("x%1").arg(first - 1));
        for (int n = first; n <= last; ++n) {
            const int t = tFirst + (n - first);
            const QString expected =
                QString(pattern).replace("%1", QString::number(t)).replace("%2", QString::number(t + 1));
            QCOMPARE(rig.run("tick"), expected);
        }
        if (last >= 1400) {
            QCOMPARE(rig.look(), QString(kFinishedLook));
            QCOMPARE(rig.display(), QString("L14=40 dots=0 M- E+"));
        }
    }

    // Every question repeats the first one, and the surface always holds
    // exactly the dots of the question so far.
    void everyQuestionLikeTheFirst()
    {
        Rig rig;
        rig.run("C1");
        QStringList first(36);
        for (int n = 1; n < 1400; ++n) {
            const int q = (n - 1) / 35 + 1;
            const int s = (n - 1) % 35 + 1;
            QString trace = rig.run("tick");
            if (q == 1)
                first[s] = trace;
            QString expected = s == 35 ? QStringLiteral("+M clr =%1,1").arg(q + 1)
                                       : QString(first[s])
                                             .replace("#1 ", QStringLiteral("#%1 ").arg(q))
                                             .replace("=1,", QStringLiteral("=%1,").arg(q));
            QCOMPARE(trace, expected);
            QCOMPARE(rig.win.circles.size(), s == 35 ? 0 : qMin(s, 30));
            QCOMPARE(rig.win.questionNumber, QString::number(q));
        }
        QCOMPARE(rig.run("tick"), QString("+M clr clr -M +E play3 =0,0"));
    }

    void dotDrawnBeforeItsCue()
    {
        Rig rig;
        rig.run("C1 x26");
        rig.tick();
        QCOMPARE(rig.journal.size(), 2);
        QVERIFY(rig.journal[0].startsWith("circle "));
        QCOMPARE(rig.journal[1], "mm1 Play");
    }

    void endOfExaminationOrder()
    {
        Rig rig;
        rig.run("T:1,0,1 C1");
        rig.tick();
        QCOMPARE(rig.journal.mid(4), QStringList({"clear", "clear", "hide Move", "show End", "mm3 Play",
                                                  "colour Command1 cyan", "colour Command2 grey"}));
    }

    // ---- Clock edge cases -------------------------------------------------

    void clockEdges_data()
    {
        scenarioColumns();
        scenario("time2 0: last dot, cue and clear in one tick", "T:3,0,2 C1", "tick tick tick tick",
                 "-M #1 d1r play1 =1,2 | d2r play1 =1,3 | d3r play2 clr =2,1 | -M #2 d1r play1 =2,2",
                 "Running 1,2,2 リセット/grey 中断/cyan grey", "L14=2 dots=1 M- E-");
        scenario("time1 0: no dots, banner hidden and shown", "T:0,2,2 C1", "tick tick tick",
                 "-M #1 +M =1,2 | +M clr =2,1 | -M #2 +M =2,2",
                 "Running 1,2,2 リセット/grey 中断/cyan grey", "L14=2 dots=0 M+ E-");
        scenario("period 0: every tick a question", "T:0,0,2 C1", "tick tick",
                 QString("-M #1 +M clr =2,1 | -M #2 +M clr ") + kEnd, kFinishedLook, "L14=2 dots=0 M- E+");
        scenario("period below 0", "T:2,-3,2 C1", "tick tick",
                 QString("-M #1 d1r play1 clr =2,1 | -M #2 d1r play1 clr ") + kEnd, kFinishedLook,
                 "L14=2 dots=0 M- E+");
        scenario("cycle 0: one second then the end", "T:3,1,0 C1", "tick",
                 QString("-M #1 d1r play1 ") + kEnd, kFinishedLook, kEnded1);
        scenario("time1 1: player 2 alone", "T:1,1,1 C1", "tick tick",
                 QString("-M #1 d1r play2 =1,2 | +M clr ") + kEnd, kFinishedLook, kEnded1);
        scenario("time1 4: three warnings, then the last", "T:4,0,1 C1", "tick tick tick tick",
                 QString("-M #1 d1r play1 =1,2 | d2r play1 =1,3 | d3r play1 =1,4 | d4r play2 clr ") + kEnd,
                 kFinishedLook, kEnded1);
        scenario("period shortened below t while running", "C1 x10 T:5,5,40", "tick tick",
                 "+M clr =2,1 | -M #2 d1y =2,2", "Running 1,2,2 リセット/grey 中断/cyan grey",
                 "L14=2 dots=1 M- E-");
        scenario("cycle lowered while running: the second, then the end", "C1 x36 T:30,5,1", "tick",
                 QString("d2g ") + kEnd, kFinishedLook, "L14=2 dots=0 M- E+");
        scenario("cycle lowered while paused: the end alone", "C1 x36 C2 T:30,5,1", "tick", kEnd,
                 "Finished 0,0,0 リセット/cyan 再開/grey grey", "L14=2 dots=0 M- E+");
        scenario("negative cycle in Idle: the end every tick", "T:30,5,-1", "tick tick",
                 QString(kEnd) + " | " + kEnd, kIdleLook, "L14=0 dots=0 M- E+");
        scenario("negative cycle when finished", QString(kFinished) + " T:30,5,-1", "tick", kEnd, kFinishedLook,
                 kEnded1);
        scenario("cycle back to 0 stops the end", "T:30,5,-1 tick T:30,5,0", "tick", "=0,0", kIdleLook,
                 "L14=0 dots=0 M- E+");
        scenario("tick in Paused changes nothing", kPaused, "tick tick", "=1,4 | =1,4", kPausedLook, kQ1Dots3);
        scenario("tick in Idle changes nothing", "", "tick", "=0,0", kIdleLook, kEmpty);
        scenario("tick when finished changes nothing", kFinished, "tick", "=0,0", kFinishedLook, kEnded1);
        scenario("resume continues the very second", QString(kPaused) + " tick tick C2", "tick", "d4g =1,5",
                 "Running 1,1,5 リセット/grey 中断/cyan grey", "L14=1 dots=4 M- E-");
        // A second or a question number beyond 32767 cannot be counted.
        scenario("second 32767 ends the question", "T:16000,16767,1 C1 t=32767 time2=20000 cycle=5", "tick",
                 "+M clr =2,1",
                 "Running 1,2,1 リセット/grey 中断/cyan grey", "L14=0 dots=0 M+ E-");
        scenario("second 32767 of the last question ends the run", "T:32767,0,1 C1 t=32767", "tick",
                 QString("d32767r play2 clr ") + kEnd, kFinishedLook, "L14=0 dots=0 M- E+");
        scenario("question 32767 ends the run", "T:1,0,32767 C1 ck=32767", "tick",
                 QString("-M #32767 d1r play2 clr ") + kEnd, kFinishedLook, "L14=32767 dots=0 M- E+");
    }
    void clockEdges() { runScenario(); }

    // ---- Run control ------------------------------------------------------

    void runControl_data()
    {
        scenarioColumns();
        const QString reset = "#0 -E -M clr";
        scenario("Idle: start", "", "C1", "", "Running 1,1,1 リセット/grey 中断/cyan grey", kEmpty);
        scenario("Running: Command1 ignored", kRunning, "C1", "", kRunningLook, kQ1Dots3);
        scenario("Paused: reset keeps t", kPaused, "C1", reset, "Idle 0,0,4 開始/cyan 中断/grey cyan", kEmpty);
        scenario("Finished: reset", kFinished, "C1", reset, kIdleLook, kEmpty);
        scenario("Running: pause", kRunning, "C2", "", kPausedLook, kQ1Dots3);
        scenario("Paused: resume", kPaused, "C2", "", kRunningLook, kQ1Dots3);
        scenario("Idle: Command2 ignored", "", "C2", "", kIdleLook, kEmpty);
        scenario("Finished: Command2 ignored", kFinished, "C2", "", kFinishedLook, kEnded1);
        scenario("Idle: exit", "", "C4", "close1 close2 close3 close4 end", kIdleLook, kEmpty);
        scenario("Running: Command4 ignored", kRunning, "C4", "", kRunningLook, kQ1Dots3);
        scenario("Paused: Command4 ignored", kPaused, "C4", "", kPausedLook, kQ1Dots3);
        scenario("Finished: Command4 ignored", kFinished, "C4", "", kFinishedLook, kEnded1);
        scenario("Idle: help", "", "C3", "F1", kIdleLook, kEmpty);
        scenario("Running: help", kRunning, "C3", "F1", kRunningLook, kQ1Dots3);
        scenario("Paused: help", kPaused, "C3", "F1", kPausedLook, kQ1Dots3);
        scenario("Finished: help", kFinished, "C3", "F1", kFinishedLook, kEnded1);
        scenario("Running: tick", kRunning, "tick", "d4g =1,5", "Running 1,1,5 リセット/grey 中断/cyan grey",
                 "L14=1 dots=4 M- E-");
        scenario("Running: last tick", "T:2,1,1 C1 x2", "tick", QString("+M clr ") + kEnd, kFinishedLook, kEnded1);
        scenario("reset in the move time hides the move banner", "C1 x32 C2", "C1", reset,
                 "Idle 0,0,33 開始/cyan 中断/grey cyan", kEmpty);
        scenario("end while paused keeps 再開 until the reset", "C1 x36 C2 T:30,5,1 tick", "C1", reset,
                 kIdleLook, kEmpty);
        scenario("start neither clears nor hides", "T:30,5,-1 tick T:30,5,40", "C1", "",
                 "Running 1,1,1 リセット/grey 中断/cyan grey", "L14=0 dots=0 M- E+");
        // A reset keeps t, but no dot of the run that was reset comes back,
        // nor stands over the next run's.
        scenario("reset from Paused keeps t, a redraw no dot", "C1 x2 C2 C1", "resize", "clr",
                 "Idle 0,0,3 開始/cyan 中断/grey cyan", kEmpty);
        scenario("a trial's dots stay out of the next run", "C1 x8 C2 C1 T:30,5,30", "C1 tick", " | -M #1 d1g =1,2",
                 "Running 1,1,2 リセット/grey 中断/cyan grey", "L14=1 dots=1 M- E-");
        scenario("reset from Finished: nothing to redraw", QString(kFinished) + " C1", "resize", "clr", kIdleLook,
                 kEmpty);
        // Enter takes the times in every state and chimes each time.
        scenario("Idle: Enter twice", "", "T:20,10,3 T:20,10,3", "play4 clr | play4 clr", kIdleLook, kEmpty);
        scenario("Running: Enter", kRunning, "T:20,10,3", "play4 clr d1g d2g d3g d4g", kRunningLook,
                 "L14=1 dots=4 M- E-");
        scenario("Paused: Enter", kPaused, "T:20,10,3", "play4 clr d1g d2g d3g d4g", kPausedLook,
                 "L14=1 dots=4 M- E-");
        scenario("Finished: Enter", kFinished, "T:20,10,3", "play4 clr", kFinishedLook, kEnded1);
        scenario("exit only after a reset", QString(kFinished) + " C4", "C1 C4", reset + " | close1 close2 close3 close4 end",
                 kIdleLook, kEmpty);
    }
    void runControl() { runScenario(); }

    void exitSavesSettings()
    {
        Rig rig;
        rig.run("T:20,10,3 C4");
        QFile f(rig.work.filePath("Tavrin.cfg"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().startsWith("20,10,3\r\n"));
        QVERIFY(rig.win.ended);
    }

    // Exit in a folder that takes no new file writes Tavrin.cfg in place; a
    // save that fails asks whether to try again, close without saving or go
    // back to the window. A damaged file's copy that cannot be made there
    // is asked about once, and the file may be written over without it.
    void exitSaves_data()
    {
        QTest::addColumn<QString>("folder");  // locked (damaged: its file incomplete); missing; appears or a run starts while asked
        QTest::addColumn<QString>("answers"); // R: try again, C: close without saving, B: back, W: write without the copy
        QTest::addColumn<QString>("trace");
        const QString close = "close1 close2 close3 close4 end";
        QTest::newRow("locked folder, writable file") << "locked" << "" << close;
        QTest::newRow("close without saving") << "missing" << "C" << "ask " + close;
        QTest::newRow("again, again, close") << "missing" << "RRC" << "ask ask ask " + close;
        QTest::newRow("again, once the folder is there") << "appears" << "R" << "ask " + close;
        QTest::newRow("a run started meanwhile") << "started" << "C" << "ask";
        QTest::newRow("back to the window") << "missing" << "B" << "ask";
        QTest::newRow("no copy possible: write over") << "damaged" << "W" << "ask " + close;
        QTest::newRow("no copy possible: back") << "damaged" << "B" << "ask";
    }
    void exitSaves()
    {
        QFETCH(QString, folder);
        QFETCH(QString, answers);
        QFETCH(QString, trace);
        testing::LockedFolder locked;
        const bool damaged = folder == "damaged";
        locked.put("Tavrin.cfg", damaged ? "30,5,40\r\na.wav\r\n"
                                         : "30,5,40\r\na.wav\r\nb.wav\r\nc.wav\r\nmove\r\nend\r\n10\r\n0\r\n");
        if (damaged)
            folder = "locked";
        if (folder == "locked") {
            locked.lock();
            QVERIFY(locked.holds());
        }
        Rig rig(1000, false);
        const QString dir = folder == "locked" ? locked.path() : rig.work.filePath("missing");
        rig.eng.Form_Load(kExeDir, dir);
        for (QChar a : answers)
            rig.win.saveAnswers << (a == u'R'   ? FailedSaveChoice::Retry
                                    : a == u'B' ? FailedSaveChoice::BackToWindow
                                    : a == u'W' ? FailedSaveChoice::OverwriteWithoutCopy
                                                : FailedSaveChoice::CloseWithoutSaving);
        rig.win.whileAsking = [&] {
            if (folder == "appears")
                QDir().mkpath(dir);
            if (folder == "started")
                rig.eng.Command1_Click();
        };
        QCOMPARE(rig.run("T:20,10,3 C4"), "play4 clr | " + trace);
        const bool written = answers != "B" && (folder == "locked" || folder == "appears");
        QCOMPARE(rig.win.ended, folder != "started" && !answers.endsWith(u'B'));
        QFile f(dir + "/Tavrin.cfg");
        QCOMPARE(f.open(QIODevice::ReadOnly) && f.readLine() == "20,10,3\r\n", written);
        QCOMPARE(rig.win.noCopyAsked, QList<bool>(answers.size(), damaged));
        for (const QString &q : std::as_const(rig.win.questions))
            QVERIFY(q.contains(QDir::toNativeSeparators(dir + "/Tavrin.cfg")));
    }

    // Whoever acts after a tick sees it whole: its end is told once, after
    // its dot, its cue and the examination's end, and also when idle.
    void tickHandledLast()
    {
        Rig rig;
        struct Told : RunObserver {
            QStringList *log = nullptr;
            void runEvent(const RunEvent &e, const ExamState &) override
            {
                if (e.kind == RunEventKind::TickHandled)
                    *log << "ev handled";
                else if (e.kind == RunEventKind::Cue || e.kind == RunEventKind::End)
                    *log << (e.kind == RunEventKind::Cue ? "ev cue" : "ev end");
            }
        } told;
        told.log = &rig.journal;
        rig.eng.addObserver(&told);
        QCOMPARE(rig.run("T:1,0,1 tick C1 tick tick"),
                 "play4 cue clr | handled =0,0 |  | -M #1 d1r play2 cue clr clr -M +E play3 cue end handled =0,0"
                 " | handled =0,0");
    }

    // Only a tick's cues are timed on its second: the chime of a time entry
    // (a run going on or not) is not, or it would count as late.
    void cuesKnowTheirTick()
    {
        Rig rig;
        struct Told : RunObserver {
            Engine *eng = nullptr;
            QStringList cues;
            void runEvent(const RunEvent &e, const ExamState &) override
            {
                if (e.kind == RunEventKind::Cue)
                    cues << QStringLiteral("%1%2").arg(e.player).arg(eng->ticking() ? " tick" : "");
            }
        } told;
        told.eng = &rig.eng;
        rig.eng.addObserver(&told);
        rig.run("T:3,0,1 C1 tick T:3,0,1 tick tick");
        QCOMPARE(told.cues, QStringList({"4", "1 tick", "4", "1 tick", "2 tick", "3 tick"}));
        QVERIFY(!rig.eng.ticking());
    }

    void helpKey_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("trace");
        QTest::addColumn<QString>("message");
        QTest::newRow("present") << true << true << "open" << QString();
        QTest::newRow("present, no handler") << true << false << "open notify" << str(texts::helpNotOpened);
        QTest::newRow("missing") << false << true << "notify" << str(texts::helpMissing);
    }
    void helpKey()
    {
        QFETCH(bool, exists);
        QFETCH(bool, opens);
        QFETCH(QString, trace);
        QFETCH(QString, message);
        QTemporaryDir exe;
        const QString path = exe.filePath("Tavrin.chm");
        if (exists) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        Rig rig(1000, true, exe.path());
        rig.win.openSucceeds = opens;
        rig.eng.helpKey();
        QCOMPARE(rig.takeTrace(), trace);
        if (!message.isEmpty())
            QCOMPARE(rig.win.notices[0].text, message.arg(QDir::toNativeSeparators(path)));
        if (exists)
            QCOMPARE(rig.win.opened, QStringList{path});
    }

    // ---- Time entry -------------------------------------------------------

    void timeCal_data()
    {
        QTest::addColumn<QString>("t1");
        QTest::addColumn<QString>("t2");
        QTest::addColumn<QString>("t3");
        QTest::addColumn<QString>("result"); // time1,time2,cycle,timesum
        QTest::addColumn<QString>("notice"); // part of the notice, none if empty
        const QString keep = "20,10,3,90"; // what was entered before
        auto ok = [](const char *name, const char *a, const char *b, const char *c, const char *r) {
            QTest::newRow(name) << a << b << c << r << QString();
        };
        auto refused = [&](const char *name, const char *a, const char *b, const char *c, const QString &why) {
            QTest::newRow(name) << a << b << c << keep << why;
        };
        ok("defaults", "30", "5", "40", "30,5,40,1400");
        ok("emptied box reads 0", "", "5", "40", "0,5,40,200");
        ok("2.5 to even", "2.5", "5", "40", "2,5,40,280");
        ok("3.5 to even", "3.5", "5", "40", "4,5,40,360");
        ok("12.7", "12.7", "5", "40", "13,5,40,720");
        ok("12abc", "12abc", "5", "40", "12,5,40,680");
        ok("abc", "abc", "5", "40", "0,5,40,200");
        ok("1e3", "1e3", "5", "40", "1,5,40,240");
        ok("leading blank", " 7", "5", "40", "7,5,40,480");
        ok("negative accepted", "30", "-5", "40", "30,-5,40,1000");
        ok("no questions", "30", "5", "0", "30,5,0,0");
        ok("936 questions", "30", "5", "936", "30,5,936,32760");
        ok("negative total at the limit", "30", "5", "-936", "30,5,-936,-32760");
        refused("Text1 too large", "32768", "5", "40", str(texts::label1) + QStringLiteral("の値「32768」"));
        refused("Text2 too small", "30", "-32769", "40", str(texts::label2) + QStringLiteral("の値「-32769」"));
        refused("Text3 too large, Text1 not taken", "10", "5", "99999", str(texts::label3) + QStringLiteral("の値「99999」"));
        refused("937 questions", "30", "5", "937", "32767");
        refused("sum overflows with no questions", "20000", "20000", "0", "32767");
        refused("negative product overflows", "30", "5", "-937", "32767");
    }
    void timeCal()
    {
        QFETCH(QString, t1);
        QFETCH(QString, t2);
        QFETCH(QString, t3);
        QFETCH(QString, result);
        QFETCH(QString, notice);
        Rig rig;
        rig.enterTimes("20", "10", "3");
        rig.journal.clear();
        rig.enterTimes(t1, t2, t3, TextBox::Text2);
        const ExamState &s = rig.st();
        QCOMPARE(QStringLiteral("%1,%2,%3,%4").arg(s.time1.value()).arg(s.time2.value()).arg(s.cycle.value())
                     .arg(s.timesum.value()),
                 result);
        QCOMPARE(rig.win.boxTexts[4], result.section(u',', 3));
        QCOMPARE(rig.journal.first(), "mm4 Play");
        QCOMPARE(rig.win.boxTexts[1], t1); // the boxes keep what was typed
        QCOMPARE(rig.journal.contains("clear"), notice.isEmpty());
        if (notice.isEmpty()) {
            QVERIFY(rig.win.notices.isEmpty());
        } else {
            QCOMPARE(rig.win.notices.size(), 1);
            QVERIFY2(rig.win.notices[0].text.contains(notice), qPrintable(rig.win.notices[0].text));
        }
    }

    void timeCalOrder()
    {
        Rig rig;
        rig.run(kRunning);
        rig.journal.clear();
        rig.enterTimes("30", "5", "40");
        QCOMPARE(rig.journal.mid(0, 10),
                 QStringList({"mm4 Play", "read text1", "read text2", "read text3", "text4 1400", "font Move 66",
                              "font End 66", "clear", "circle 50,120 40 g", "circle 150,120 40 g"}));
        QCOMPARE(rig.journal.size(), 12); // dots 1..4, no cue
    }

    void timeCalDuringRunRecolours()
    {
        Rig rig;
        rig.run("C1 x10"); // dots 1..10, t = 11
        rig.enterTimes("12", "5", "40");
        QString colours;
        for (const Circle &c : std::as_const(rig.win.circles))
            colours += colourName(c.colour);
        QCOMPARE(colours, "ggyyyyyyrrr"); // dots 1..11 for an answering time of 12
        QCOMPARE(rig.win.banners[Banner::Move].top, 320.f);
        QCOMPARE(rig.run("tick tick"), QString("d11r play1 =1,12 | d12r play2 =1,13"));
    }

    void textClick_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<bool>("emptied");
        QTest::newRow("Text1") << 1 << true;
        QTest::newRow("Text2") << 2 << true;
        QTest::newRow("Text3") << 3 << true;
        QTest::newRow("Text4 never reacts") << 4 << false;
    }
    void textClick()
    {
        QFETCH(int, box);
        QFETCH(bool, emptied);
        Rig rig;
        rig.eng.Text_Click(TextBox(box));
        QCOMPARE(rig.win.boxTexts[box].isEmpty(), emptied);
        QCOMPARE(rig.st().timesum.value(), 1400); // nothing taken yet
    }

    void keyPress_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("takes");
        for (int box = 1; box <= 3; ++box)
            QTest::addRow("Enter in Text%d", box) << box << 13 << true;
        QTest::newRow("Enter in Text4") << 4 << 13 << false;
        QTest::newRow("line feed") << 1 << 10 << false;
        QTest::newRow("digit") << 2 << int('5') << false;
        QTest::newRow("Escape") << 3 << 27 << false;
    }
    void keyPress()
    {
        QFETCH(int, box);
        QFETCH(int, code);
        QFETCH(bool, takes);
        Rig rig;
        rig.win.boxTexts[1] = "12";
        rig.eng.Text_KeyPress(TextBox(box), code);
        QCOMPARE(rig.st().time1.value(), takes ? 12 : 30);
        QCOMPARE(rig.mm.log.contains("mm4 Play"), takes);
    }

    // ---- Display ----------------------------------------------------------

    void resizeRedraws_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<float>("width");
        QTest::addColumn<int>("dots");
        QTest::addColumn<QString>("colours");
        QTest::newRow("t 13, wider window") << "C1 x12" << 1024.f << 13 << "ggggggggggggg";
        QTest::newRow("move time, t 33") << "C1 x32" << 1000.f << 33
                                         << QString(20, u'g') + QString(6, u'y') + QString(7, u'r');
        QTest::newRow("Idle after start-up") << "" << 1000.f << 0 << "";
    }
    void resizeRedraws()
    {
        QFETCH(QString, script);
        QFETCH(float, width);
        QFETCH(int, dots);
        QFETCH(QString, colours);
        Rig rig;
        rig.run(script);
        rig.win.width = width;
        rig.mm.log.clear();
        rig.eng.Form_Resize();
        const ExamState &s = rig.st();
        QCOMPARE(rig.win.circles.size(), dots);
        QString seen;
        for (int n = 1; n <= dots; ++n) {
            const Circle &c = rig.win.circles[n - 1];
            const geometry::Dot d = geometry::dot(n, s.tamasu, s.sukima, s.hankei, s.fk, s.time1);
            QCOMPARE(c.x, d.x);
            QCOMPARE(c.y, d.y);
            QCOMPARE(c.radius, d.radius);
            seen += colourName(c.colour);
        }
        QCOMPARE(seen, colours);
        QVERIFY(rig.mm.log.isEmpty()); // a redraw is silent
    }

    void bannerFollowsTheLabel_data()
    {
        QTest::addColumn<float>("fontDelta");
        QTest::addColumn<float>("widthDelta");
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("height");
        QTest::addColumn<float>("left");
        QTest::newRow("label takes what it is given") << 0.f << 0.f << 739.2f << 92.4f << 130.4f;
        QTest::newRow("label settles on a smaller font") << -2.f << 0.f << 716.8f << 89.6f << 141.6f;
        QTest::newRow("label reports another width") << 0.f << 10.4f << 749.6f << 92.4f << 125.2f;
    }
    void bannerFollowsTheLabel()
    {
        QFETCH(float, fontDelta);
        QFETCH(float, widthDelta);
        QFETCH(float, width);
        QFETCH(float, height);
        QFETCH(float, left);
        Rig rig;
        rig.win.fontSizeAdjust = [=](float s) { return s + fontDelta; };
        rig.win.widthAdjust = [=](float w) { return w + widthDelta; };
        rig.eng.Form_Resize();
        const BannerProps &move = rig.win.banners[Banner::Move];
        QCOMPARE(move.width, width);
        QCOMPARE(move.height, height);
        QCOMPARE(move.top, 420.f);
        QCOMPARE(move.left, left);
        const BannerProps &end = rig.win.banners[Banner::End];
        QCOMPARE(end.top, 420.f);
        QCOMPARE(end.height, height);
    }

    void fontFactorChoice_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<float>("fk");
        QTest::addColumn<float>("fontSize");
        QTest::newRow("1.00") << 0 << 1.0f << 66.f;
        QTest::newRow("1.25") << 1 << 1.25f << 66.f;
        QTest::newRow("1.50") << 2 << 1.5f << 33.f;
        QTest::newRow("nothing selected keeps fk") << -1 << 1.25f << 66.f;
        QTest::newRow("unknown entry keeps fk") << 3 << 1.25f << 66.f;
    }
    void fontFactorChoice()
    {
        QFETCH(int, index);
        QFETCH(float, fk);
        QFETCH(float, fontSize);
        Rig rig;
        rig.run("C1 x3");
        rig.win.combo = 1;
        rig.eng.Combo1_Click();
        rig.win.combo = index;
        rig.journal.clear();
        rig.eng.Combo1_Click();
        QCOMPARE(rig.st().fkc.value(), index);
        QCOMPARE(rig.st().fk, fk);
        QCOMPARE(rig.win.banners[Banner::Move].fontSize, fontSize);
        QCOMPARE(rig.takeTrace(), QString("clr d1g d2g d3g d4g"));
    }

    void narrowWindow_data()
    {
        QTest::addColumn<float>("width");
        QTest::addColumn<int>("combo");
        QTest::addColumn<bool>("laidOut");
        QTest::newRow("10 px") << 10.f << 0 << false;
        QTest::newRow("14 px") << 14.f << 0 << false;
        QTest::newRow("minimised, 0 px") << 0.f << 0 << false;
        QTest::newRow("15 px") << 15.f << 0 << true;
        QTest::newRow("20 px, factor 1.5") << 20.f << 2 << false;
        QTest::newRow("30 px, factor 1.5") << 30.f << 2 << true;
    }
    void narrowWindow()
    {
        QFETCH(float, width);
        QFETCH(int, combo);
        QFETCH(bool, laidOut);
        Rig rig(width);
        rig.win.combo = combo;
        rig.run("C1 x5 C2");
        rig.win.banners[Banner::Move].layouts = rig.win.banners[Banner::End].layouts = 0;
        rig.eng.Combo1_Click();
        for (Banner b : {Banner::Move, Banner::End})
            QCOMPARE(rig.win.banners[b].layouts > 0, laidOut);
        QCOMPARE(rig.win.circles.size(), 6);
        QVERIFY(rig.win.notices.isEmpty());
    }

    // ---- Where a run stands now ---------------------------------------------

    // A run is interrupted after `script`; `ticks` seconds later it would
    // stand where the same engine stands after that many more ticks.
    void whereItStandsNow_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("expected"); // state ck,t question
        QTest::newRow("answering time") << "T:30,5,40 C1 x12" << 7 << "Running 1,20 1";
        QTest::newRow("into the move time") << "T:30,5,40 C1 x25" << 8 << "Running 1,34 1";
        QTest::newRow("across questions") << "T:30,5,40 C1 x3" << 70 << "Running 3,4 3";
        QTest::newRow("question just ended") << "T:30,5,40 C1 x34" << 1 << "Running 2,1 1";
        QTest::newRow("last second of the last question") << "T:3,2,2 C1 x9" << 1 << "Finished 0,0 2";
        QTest::newRow("paused") << "T:30,5,40 C1 x12 C2" << 500 << "Paused 1,13 1";
        QTest::newRow("times changed while running") << "T:30,5,40 C1 x40 T:10,2,3" << 10 << "Running 3,4 3";
        QTest::newRow("questions lowered while paused") << "T:30,5,40 C1 x40 C2 T:30,5,1" << 3 << "Finished 0,0 2";
        QTest::newRow("long after the end") << "T:3,2,2 C1 x2" << 86400 << "Finished 0,0 2";
        QTest::newRow("idle") << "" << 100 << "Idle 0,0 0";
        QTest::newRow("finished, reset") << "T:3,2,1 C1 x5 C1" << 10 << "Idle 0,0 0";
    }
    void whereItStandsNow()
    {
        QFETCH(QString, script);
        QFETCH(int, ticks);
        QFETCH(QString, expected);
        Rig truth;
        truth.run(script);
        const RunSnapshot before = truth.eng.snapshot();
        const RunSnapshot now = advanced(before, ticks);
        truth.run(QStringLiteral("x%1").arg(ticks));
        QCOMPARE(now, truth.eng.snapshot());
        static const char *const names[] = {"Idle", "Running", "Paused", "Finished"};
        QCOMPARE(QStringLiteral("%1 %2,%3 %4")
                     .arg(QLatin1String(names[int(now.state())]), now.ck.toString(), now.t.toString(), now.question),
                 expected);

        // Another window put there shows what the first one shows.
        Rig resumed;
        QVERIFY(resumed.eng.adopt(now));
        QCOMPARE(resumed.eng.snapshot(), now);
        QCOMPARE(resumed.win.captions, truth.win.captions);
        QCOMPARE(resumed.win.buttonColours, truth.win.buttonColours);
        QCOMPARE(resumed.win.questionNumber, truth.win.questionNumber);
        for (Banner b : {Banner::Move, Banner::End})
            QCOMPARE(resumed.win.banners[b].visible, truth.win.banners[b].visible);
        QCOMPARE(resumed.win.boxTexts[4], truth.eng.state().timesum.toString());
        QCOMPARE(resumed.win.circles.size(), truth.win.circles.size());
        for (qsizetype i = 0; i < truth.win.circles.size(); ++i)
            QCOMPARE(resumed.win.circles[i].colour, truth.win.circles[i].colour);
        QCOMPARE(resumed.eng.state().timesum, truth.eng.state().timesum);
    }

    // When the next cue sounds, as the tick plays it.
    void nextCue_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("horizon");
        QTest::addColumn<int>("ticks");
        QTest::newRow("far from the cues") << "T:30,5,40 C1 x10" << 3 << 0;
        QTest::newRow("warning in three") << "T:30,5,40 C1 x24" << 3 << 3;
        QTest::newRow("warning next") << "T:30,5,40 C1 x26" << 3 << 1;
        QTest::newRow("move time, next question's cues far") << "T:30,5,40 C1 x31" << 3 << 0;
        QTest::newRow("short answers: next question's warning") << "T:3,2,5 C1 x3" << 3 << 3;
        QTest::newRow("end of the examination") << "T:10,5,1 C1 x12" << 3 << 3;
        QTest::newRow("paused") << "T:30,5,40 C1 x26 C2" << 3 << 0;
        QTest::newRow("idle") << "" << 3 << 0;
    }
    void nextCue()
    {
        QFETCH(QString, script);
        QFETCH(int, horizon);
        QFETCH(int, ticks);
        Rig rig;
        rig.run(script);
        QCOMPARE(ticksToNextCue(rig.eng.snapshot(), horizon), ticks);
    }

    void adoptRefusesWhatCannotBe_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("value");
        QTest::newRow("total beyond 16 bits") << "cycle" << 32000;
        QTest::newRow("font factor 3") << "fkc" << 3;
        QTest::newRow("no font factor") << "fkc" << -1;
        QTest::newRow("sw 2") << "sw" << 2;
        QTest::newRow("running without a question") << "ck" << 0;
        QTest::newRow("negative second") << "t" << -1;
    }
    void adoptRefusesWhatCannotBe()
    {
        QFETCH(QString, field);
        QFETCH(int, value);
        Rig rig;
        rig.run("C1 x3");
        RunSnapshot s = rig.eng.snapshot();
        Integer *target = field == "cycle" ? &s.cycle : field == "fkc" ? &s.fkc : field == "sw" ? &s.sw
                        : field == "ck"    ? &s.ck    : &s.t;
        *target = value;
        const RunSnapshot before = rig.eng.snapshot();
        rig.journal.clear();
        QVERIFY(!rig.eng.adopt(s));
        QCOMPARE(rig.eng.snapshot(), before);
        QVERIFY(rig.journal.isEmpty());
    }

    // ---- Sound completion -------------------------------------------------

    void playerDone_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("trace");
        for (int n = 1; n <= 4; ++n)
            QTest::addRow("player %d", n) << n << QStringLiteral("stop%1 prev%1").arg(n);
        for (int n : {0, 5, -1, 32767})
            QTest::addRow("index %d ignored", n) << n << QString();
    }
    void playerDone()
    {
        QFETCH(int, index);
        QFETCH(QString, trace);
        Rig rig;
        rig.eng.MMControl_done(index);
        QCOMPARE(rig.takeTrace(), trace);
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
