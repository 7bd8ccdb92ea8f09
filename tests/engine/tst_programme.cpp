// A programme's run on the engine's own tick: where each second falls, the
// cues on their seconds, no second between parts, and a run taken over in
// the middle of any kind of part going on exactly as the original.

#include "engine.h"
#include "fakes.h"
#include "programme_position.h"
#include "run_snapshot.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;
Q_DECLARE_METATYPE(tavrin::Programme)

namespace {

Part block(int questions, int answer, int move, int reading = 0, bool cue = false)
{
    Part p;
    p.questions = questions;
    p.answer = answer;
    p.move = move;
    p.reading = reading;
    p.readingCue = cue;
    return p;
}
Part pause(int seconds)
{
    Part p;
    p.kind = Part::Kind::Break;
    p.seconds = seconds;
    p.banner = QStringLiteral("休憩中");
    return p;
}
// 3 questions at 3 + 1 s, a break of 5 s, 2 questions at 4 + 2 s: 29 s.
const Programme kDay{{block(3, 3, 1), pause(5), block(2, 4, 2)}};
// Reading time with its chime, then a break at the very end.
const Programme kRead{{block(2, 2, 1, 3, true), pause(2)}};

struct Run {
    QTemporaryDir work;
    FakeWindow win;
    FakePlayers mm;
    Engine eng{win, mm};
    int ticks = 0;
    Run() { eng.Form_Load(QStringLiteral("/opt"), work.path()); }
    // "tick:player" for each cue of the next n ticks.
    QString tick(int n)
    {
        QStringList cues;
        for (int i = 0; i < n; ++i) {
            mm.log.clear();
            ++ticks;
            eng.Timer1_Timer();
            for (const QString &l : std::as_const(mm.log))
                if (l.endsWith(u" Play"))
                    cues << QStringLiteral("%1:%2").arg(ticks).arg(l.mid(2, 1));
        }
        return cues.join(u' ');
    }
};

} // namespace

class TestProgramme : public QObject {
    Q_OBJECT
private slots:
    void position_data()
    {
        QTest::addColumn<Programme>("plan");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("at"); // part question phase(RAMBE) second left
        QTest::newRow("first") << kDay << 1 << "0 1 A 1 3";
        QTest::newRow("move") << kDay << 4 << "0 1 M 1 1";
        QTest::newRow("q3 last") << kDay << 12 << "0 3 M 1 1";
        QTest::newRow("break in") << kDay << 13 << "1 0 B 1 5";
        QTest::newRow("break out") << kDay << 17 << "1 0 B 5 1";
        QTest::newRow("block 2") << kDay << 18 << "2 1 A 1 4";
        QTest::newRow("last") << kDay << 29 << "2 2 M 2 1";
        QTest::newRow("over") << kDay << 30 << "3 0 E 0 0";
        QTest::newRow("reading") << kRead << 7 << "0 2 R 1 3";
        QTest::newRow("after reading") << kRead << 10 << "0 2 A 1 2";
        QTest::newRow("none yet") << kRead << 0 << "2 0 E 0 0";
    }
    void position()
    {
        QFETCH(Programme, plan);
        QFETCH(int, n);
        const ProgrammePosition p = positionAt(plan, n);
        const QString at = QStringLiteral("%1 %2 %3 %4 %5")
                               .arg(p.part)
                               .arg(p.question)
                               .arg(QChar(u"RAMBE"[int(p.phase)]))
                               .arg(p.second)
                               .arg(p.left);
        QTEST(at, "at");
    }

    // Every cue on its second; the end only after the last part, on the
    // programme's last second, and nothing after it.
    void cues_data()
    {
        QTest::addColumn<Programme>("plan");
        QTest::addColumn<QString>("cues");
        QTest::newRow("day") << kDay
                             << "1:1 2:1 3:2 5:1 6:1 7:2 9:1 10:1 11:2 18:1 19:1 20:1 21:2 24:1 25:1 26:1 27:2 29:3";
        QTest::newRow("reading") << kRead << "3:4 4:1 5:2 9:4 10:1 11:2 14:3";
        QTest::newRow("break first") << Programme{{pause(3), block(1, 2, 0)}} << "4:1 5:2 5:3";
    }
    void cues()
    {
        QFETCH(Programme, plan);
        Run r;
        QVERIFY(r.eng.setProgramme(plan));
        r.eng.Command1_Click();
        QTEST(r.tick(int(plan.total()) + 3), "cues");
        QCOMPARE(r.eng.runState(), RunState::Finished);
    }

    // Taken over after k ticks (a restart, a room joining late), by the
    // snapshot or by working it out from the start: the same cues follow.
    void takeOver_data()
    {
        QTest::addColumn<Programme>("plan");
        QTest::addColumn<int>("k");
        QTest::newRow("answering") << kDay << 2;
        QTest::newRow("moving") << kDay << 8;
        QTest::newRow("break") << kDay << 14;
        QTest::newRow("break's last") << kDay << 17;
        QTest::newRow("second block") << kDay << 22;
        QTest::newRow("reading") << kRead << 7;
        QTest::newRow("reading's last") << kRead << 9;
        QTest::newRow("closing break") << kRead << 13;
    }
    void takeOver()
    {
        QFETCH(Programme, plan);
        QFETCH(int, k);
        Run a;
        QVERIFY(a.eng.setProgramme(plan));
        a.eng.Command1_Click();
        const RunSnapshot start = a.eng.snapshot();
        a.tick(k);
        const RunSnapshot there = a.eng.snapshot();
        QCOMPARE(advanced(start, k), there);

        Run b;
        QVERIFY(b.eng.adopt(there));
        b.ticks = k;
        QCOMPARE(b.tick(40), a.tick(40));
        QCOMPARE(b.eng.part(), 0);
    }

    // A pause in a break holds its countdown; the run still lasts its total
    // in running seconds.
    void pauseInBreak()
    {
        Run r;
        QVERIFY(r.eng.setProgramme(kDay));
        r.eng.Command1_Click();
        r.tick(14);
        r.eng.Command2_Click();
        QCOMPARE(r.tick(3), QString());
        const QString caption = r.win.banners[Banner::Move].caption;
        QVERIFY2(caption.contains(u"休憩中") && caption.endsWith(u"0:04"), qPrintable(caption));
        r.eng.Command2_Click();
        r.ticks -= 3;
        QCOMPARE(r.tick(15), "18:1 19:1 20:1 21:2 24:1 25:1 26:1 27:2 29:3");
    }

    // The boxes stay the operator's: time entry is refused, and exit saves
    // the boxes' times, not the programme's; the total box shows its total.
    void boxesKept_data()
    {
        QTest::addColumn<bool>("beforeStartUp"); // chosen before the settings file is read
        QTest::newRow("chosen after start-up") << false;
        QTest::newRow("chosen before start-up") << true;
    }
    void boxesKept()
    {
        QFETCH(bool, beforeStartUp);
        Run r;
        r.win.boxTexts[1] = "20";
        r.win.boxTexts[2] = "10";
        r.win.boxTexts[3] = "3";
        r.eng.Text_KeyPress(TextBox::Text1, 13);
        if (beforeStartUp) {
            r.eng.Command4_Click(); // Tavrin.cfg holds 20,10,3
            FakeWindow w;
            FakePlayers p;
            Engine next(w, p);
            QVERIFY(next.setProgramme(kDay));
            next.Form_Load(QStringLiteral("/opt"), r.work.path());
            QCOMPARE(w.boxTexts[4], "29");
            next.Command4_Click();
            QFile f(r.work.filePath("Tavrin.cfg"));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY(f.readAll().startsWith("20,10,3\r\n"));
            return;
        }
        QVERIFY(r.eng.setProgramme(kDay));
        QCOMPARE(r.win.boxTexts[4], "29");
        r.win.boxTexts[1] = "99";
        r.eng.Text_KeyPress(TextBox::Text1, 13);
        QCOMPARE(r.win.notices.size(), 1);
        QCOMPARE(r.win.boxTexts[1], "20");
        r.eng.Command1_Click();
        QVERIFY(!r.eng.setProgramme(std::nullopt)); // not while under way
        r.tick(40);
        r.eng.Command1_Click();
        QVERIFY(r.eng.setProgramme(Programme{{block(2, 16000, 0), block(2, 16000, 0)}}));
        QCOMPARE(r.win.boxTexts[4], "64000");
        QVERIFY(r.eng.setProgramme(std::nullopt));
        QCOMPARE(r.win.boxTexts[4], "90");
        r.eng.Command4_Click();
        QFile f(r.work.filePath("Tavrin.cfg"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().startsWith("20,10,3\r\n"));
    }

    // A snapshot from elsewhere is checked whole before anything changes.
    void refused_data()
    {
        QTest::addColumn<Programme>("plan");
        QTest::addColumn<int>("part");
        QTest::addColumn<int>("lead");
        QTest::newRow("no such part") << kDay << 3 << 0;
        QTest::newRow("beyond the break") << kDay << 1 << 6;
        QTest::newRow("beyond reading") << kRead << 0 << 4;
        QTest::newRow("position, no plan") << Programme{} << 1 << 0;
        QTest::newRow("too long") << Programme{{pause(24 * 3600), pause(1)}} << 0 << 0;
        QTest::newRow("too many") << Programme{std::vector<Part>(101, pause(1))} << 0 << 0;
        QTest::newRow("block beyond 16 bits") << Programme{{block(2, 16384, 0)}} << 0 << 0;
        QTest::newRow("no questions") << Programme{{block(0, 5, 1)}} << 0 << 0;
    }
    void refused()
    {
        QFETCH(Programme, plan);
        Run r;
        RunSnapshot s = r.eng.snapshot();
        s.plan = plan;
        QFETCH(int, part);
        QFETCH(int, lead);
        s.part = part;
        s.lead = lead;
        const RunSnapshot before = r.eng.snapshot();
        QVERIFY(!r.eng.adopt(s));
        QCOMPARE(r.eng.snapshot(), before);
        if (!plan.parts.empty() && part == 0 && lead == 0)
            QVERIFY(!r.eng.setProgramme(plan));
    }
};

QTEST_GUILESS_MAIN(TestProgramme)
#include "tst_programme.moc"
