// The controller's lead on fake time: it holds back until the operator has
// decided or the broker has shown what it holds, never overwriting a run
// that the rooms still follow; it carries on a kept run or leads afresh as
// the operator answers; it leads or stands by beside another controller;
// and closing its window mid-run ends the run for its rooms.
#include "follow.h"
#include "member_rig.h"

#include <QSignalSpy>
#include <QTest>

using namespace tavrin;
using namespace tavrin::rooms;
using namespace tavrin::testing;

namespace {

constexpr int kPastTheWait = 1600; // the broker's retained messages have had their time

RunSnapshot underWay()
{
    SilentWindow w;
    SilentPlayers p;
    Engine e(w, p);
    startRun(e, 5, 2, 4);
    return advanced(e.snapshot(), 2);
}

// What the broker holds of kOther's as the controller starts.
void brokerHolds(ControllerRig &r, const QString &what)
{
    const qint64 now = r.clock.wallMs();
    const auto kept = [&](qint64 seq, qint64 due, StateEvent e, const RunSnapshot &run) {
        r.deliver(r.topics.state(), r.state(seq, due, r.key(), r.topics.state(), kOther, e, run), {}, true);
    };
    if (what == "other leads")
        r.deliver(r.topics.controller(), r.presence(kOther, now - 60'000), {}, true);
    if (what == "idle run")
        kept(4, now - 400, StateEvent::Sync, {});
    if (what == "aborted run")
        kept(10, now - 400, StateEvent::Abort, stopped(underWay()));
    if (what == "run under way" || what == "other leads")
        kept(9, now - 1400, StateEvent::Tick, underWay());
}

} // namespace

class TestController : public QObject {
    Q_OBJECT
private slots:
    void holdsBack_data()
    {
        QTest::addColumn<bool>("journal"); // the journal asks the operator (no broker fallback)
        QTest::addColumn<QString>("broker");
        QTest::addColumn<QString>("act");  // "answer" (the journal's question), "start", or nothing
        QTest::addColumn<bool>("atOnce");  // leads before the wait is over
        QTest::addColumn<bool>("leads");   // leads after it
        QTest::addColumn<int>("offered");  // interruptedRunFound
        QTest::addColumn<int>("others");   // otherLeads
        QTest::newRow("broker holds nothing") << false << "" << "" << false << true << 0 << 0;
        QTest::newRow("an idle run kept") << false << "idle run" << "" << true << true << 0 << 0;
        QTest::newRow("a run under way kept") << false << "run under way" << "" << false << false << 1 << 0;
        QTest::newRow("the kept run was aborted") << false << "aborted run" << "" << true << true << 0 << 0;
        QTest::newRow("another leads") << false << "other leads" << "" << false << false << 0 << 1;
        // A start before the broker answered decided: the kept run is not offered.
        QTest::newRow("the operator starts meanwhile") << false << "run under way" << "start" << false << true << 0 << 0;
        QTest::newRow("journal, not yet answered") << true << "" << "" << false << false << 0 << 0;
        QTest::newRow("journal answered") << true << "" << "answer" << false << true << 0 << 0;
        QTest::newRow("journal answered, a run kept") << true << "run under way" << "answer" << false << true << 0 << 0;
        QTest::newRow("journal answered, another leads") << true << "other leads" << "answer" << false << false << 0 << 1;
    }
    void holdsBack()
    {
        QFETCH(bool, journal);
        QFETCH(QString, broker);
        QFETCH(QString, act);
        QFETCH(bool, atOnce);
        QFETCH(bool, leads);
        ControllerRig r(!journal);
        QSignalSpy offers(r.controller.get(), &Controller::interruptedRunFound);
        QSignalSpy others(r.controller.get(), &Controller::otherLeads);
        if (act == "answer")
            r.controller->operatorDecided();
        else if (act == "start")
            r.engine.Command1_Click();
        brokerHolds(r, broker);
        r.clock.advance(1400);
        // Nothing of this controller's run on the broker before it leads.
        QCOMPARE(r.lastState().has_value(), atOnce);
        r.clock.advance(kPastTheWait - 1400);
        QCOMPARE(r.controller->leading(), leads);
        QTEST(int(offers.count()), "offered");
        QTEST(int(others.count()), "others");
        QCOMPARE(r.lastState().has_value(), leads);
        if (leads)
            QCOMPARE(r.lastState()->run, r.engine.snapshot());
    }

    // The operator's answers: the run kept carried on where its ticks have
    // taken it since, on its own grid (no tick counted twice), or this
    // program's own run led.
    void answered_data()
    {
        QTest::addColumn<QString>("broker");
        QTest::addColumn<QString>("answer");
        QTest::newRow("carry on with the kept run") << "run under way" << "take over";
        QTest::newRow("lead afresh") << "run under way" << "lead afresh";
        QTest::newRow("take over from the other") << "other leads" << "take over from other";
        // Its rooms follow whoever is left: they go on where they are.
        QTest::newRow("the other leader goes") << "other leads" << "";
    }
    void answered()
    {
        QFETCH(QString, broker);
        QFETCH(QString, answer);
        ControllerRig r;
        Controller &c = *r.controller;
        std::optional<StateMessage> kept;
        connect(&c, &Controller::interruptedRunFound, [&](const StateMessage &m) { kept = m; });
        brokerHolds(r, broker);
        r.clock.advance(kPastTheWait);
        QVERIFY(!c.leading());
        const qint64 keptDue = r.clock.wallMs() - kPastTheWait - 1400;
        if (answer == "take over")
            c.takeOver(*kept);
        else if (answer == "lead afresh")
            c.leadAfresh();
        else if (answer == "take over from other")
            c.takeOverFromOther();
        else
            r.deliver(r.topics.controller(), r.presence(kOther, 0, {}, false));
        r.clock.advance(0);
        QVERIFY(c.leading());
        const bool carried = answer != "lead afresh";
        QCOMPARE(r.lastPresence()->over, carried ? kOther : QString());
        const RunSnapshot expected = carried ? advanced(underWay(), (r.clock.wallMs() - keptDue) / 1000) : RunSnapshot{};
        QCOMPARE(r.engine.snapshot().t, expected.t);
        QCOMPARE(r.lastState()->run, r.engine.snapshot());
        if (carried)
            QCOMPARE((r.lastState()->dueMs - keptDue) % 1000, 0);
    }

    // Another controller that leads while this one does takes the lead only
    // when it names this one as the one it took over from.
    void anotherLeads_data()
    {
        QTest::addColumn<bool>("overMe");
        QTest::newRow("took over on purpose") << true;
        QTest::newRow("leads beside it") << false;
    }
    void anotherLeads()
    {
        QFETCH(bool, overMe);
        ControllerRig r;
        Controller &c = *r.controller;
        r.clock.advance(kPastTheWait);
        QSignalSpy taken(&c, &Controller::leadTaken);
        r.deliver(r.topics.controller(), r.presence(kOther, r.clock.wallMs(), overMe ? c.id() : QString()));
        QCOMPARE(taken.count(), overMe ? 1 : 0);
        QCOMPARE(c.leading(), !overMe);
        // Its states are refused only while this one leads.
        r.deliver(r.topics.state(), r.state(1, r.clock.wallMs(), r.key(), r.topics.state(), kOther));
        QCOMPARE(c.refusals().total(), overMe ? 0 : 1);
    }

    // Closing the window during the run ends it in every room: told at
    // once, kept by the broker, and nothing published after it.
    void abortTold()
    {
        ControllerRig r;
        r.clock.advance(kPastTheWait);
        r.engine.Command1_Click();
        r.clock.advance(2500);
        const RunSnapshot running = r.engine.snapshot();
        r.controller->abortRun();
        const std::optional<StateMessage> s = r.lastState();
        QCOMPARE(s->event, StateEvent::Abort);
        QCOMPARE(s->run, stopped(running));
        QCOMPARE(s->run.state(), RunState::Idle);
        QVERIFY(r.sentOn(r.topics.state()).back().retain);
        r.clock.advance(3000);
        QCOMPARE(r.lastState(), s);
    }

    // A slow speaker's ticks are handled early: each cue is still recorded
    // as due on its tick's second, not at the moment it was handled.
    void cueDueOnItsSecondWhenHandledEarly()
    {
        ControllerRig r;
        r.clock.advance(kPastTheWait);
        r.timer.setLeadMs(120);
        std::vector<qint64> early; // due minus the clock when told
        connect(r.controller.get(), &Member::cuePlayed, this,
                [&](const PlayedCue &cue) { early.push_back(cue.dueMs - r.clock.wallMs()); });
        startRun(r.engine, 3, 2, 1);
        r.clock.advance(6000);
        QVERIFY(!early.empty());
        for (qint64 e : early)
            QVERIFY2(std::abs(e - 120) <= 1, qPrintable(QString::number(e)));
    }
};

QTEST_GUILESS_MAIN(TestController)
#include "tst_controller.moc"
