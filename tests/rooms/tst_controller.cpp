// The controller's lead on fake time: it holds back until the operator has
// decided or the broker has shown what it holds, never overwriting a run
// that the rooms still follow; it carries on a kept run or leads afresh as
// the operator answers; and it leads or stands by beside another controller.
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

// What the broker holds as the controller starts: a state of kOther's
// (idle, under way), kOther's presence as leader, or nothing.
void brokerHolds(ControllerRig &r, const QString &what)
{
    const qint64 now = r.clock.wallMs();
    if (what == "other leads")
        r.deliver(r.topics.controller(), r.presence(kOther, now - 60'000), {}, true);
    if (what == "idle run")
        r.deliver(r.topics.state(), r.state(4, now - 400, r.key(), r.topics.state(), kOther), {}, true);
    if (what == "aborted run")
        r.deliver(r.topics.state(),
                  r.state(10, now - 400, r.key(), r.topics.state(), kOther, StateEvent::Abort, stopped(underWay())), {},
                  true);
    if (what == "run under way" || what == "other leads")
        r.deliver(r.topics.state(),
                  r.state(9, now - 1400, r.key(), r.topics.state(), kOther, StateEvent::Tick, underWay()), {}, true);
}

} // namespace

class TestController : public QObject {
    Q_OBJECT
private slots:
    void holdsBack_data()
    {
        QTest::addColumn<bool>("journal");     // the journal asks the operator (no broker fallback)
        QTest::addColumn<QString>("broker");
        QTest::addColumn<QString>("act");      // "answer" (the journal's question), "start", or nothing
        QTest::addColumn<bool>("atOnce");      // leads before the wait is over
        QTest::addColumn<bool>("leads");       // leads after it
        QTest::addColumn<int>("offered");      // interruptedRunFound
        QTest::addColumn<int>("others");       // otherLeads

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
        QFETCH(int, offered);
        QFETCH(int, others);
        ControllerRig r(!journal);
        Controller &c = *r.controller;
        QSignalSpy offers(&c, &Controller::interruptedRunFound);
        QSignalSpy otherLeads(&c, &Controller::otherLeads);
        if (act == "answer")
            c.operatorDecided();
        else if (act == "start")
            r.engine.Command1_Click();
        brokerHolds(r, broker);
        r.clock.advance(1400);
        QCOMPARE(c.leading(), atOnce);
        // Nothing of this controller's run on the broker before it leads.
        QCOMPARE(r.lastState().has_value(), atOnce);
        r.clock.advance(kPastTheWait - 1400);
        QCOMPARE(c.leading(), leads);
        QCOMPARE(offers.count(), offered);
        QCOMPARE(otherLeads.count(), others);
        if (leads) {
            QCOMPARE(r.lastPresence()->from, c.id());
            QCOMPARE(r.lastState()->run, r.engine.snapshot());
        } else {
            QVERIFY(!r.lastState());
        }
    }

    // The operator's answers: the run kept carried on where its ticks have
    // taken it since, on its own grid, or this program's own run led.
    void answered_data()
    {
        QTest::addColumn<QString>("broker");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("carried");
        QTest::newRow("carry on with the kept run") << "run under way" << "take over" << true;
        QTest::newRow("lead afresh") << "run under way" << "lead afresh" << false;
        QTest::newRow("take over from the other") << "other leads" << "take over from other" << true;
        // Its rooms follow whoever is left: they go on where they are.
        QTest::newRow("the other leader goes") << "other leads" << "" << true;
    }
    void answered()
    {
        QFETCH(QString, broker);
        QFETCH(QString, answer);
        QFETCH(bool, carried);
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
        QCOMPARE(r.lastPresence()->over, answer == "lead afresh" ? QString() : kOther);
        const RunSnapshot expected = carried ? advanced(underWay(), (r.clock.wallMs() - keptDue) / 1000) : RunSnapshot{};
        QCOMPARE(r.engine.snapshot().ck, expected.ck);
        QCOMPARE(r.engine.snapshot().t, expected.t);
        QCOMPARE(r.lastState()->run, r.engine.snapshot());
        if (carried) // the ticks go on on the kept run's grid
            QCOMPARE((r.lastState()->dueMs - keptDue) % 1000, 0);
    }

    // Another controller that leads while this one does: taken from this one
    // only when it names it as the one it took over from.
    void anotherLeads_data()
    {
        QTest::addColumn<QString>("over");
        QTest::addColumn<bool>("taken");
        QTest::newRow("took over on purpose") << "me" << true;
        QTest::newRow("leads beside it") << "" << false;
    }
    void anotherLeads()
    {
        QFETCH(QString, over);
        QFETCH(bool, taken);
        ControllerRig r;
        Controller &c = *r.controller;
        r.clock.advance(kPastTheWait);
        QVERIFY(c.leading());
        QSignalSpy leadTaken(&c, &Controller::leadTaken);
        r.deliver(r.topics.controller(), r.presence(kOther, r.clock.wallMs(), over == "me" ? c.id() : QString()));
        QCOMPARE(leadTaken.count(), taken ? 1 : 0);
        QCOMPARE(c.leading(), !taken);
        QCOMPARE(c.otherLeader().has_value(), taken);
        // Its states are this one's to refuse only while this one leads.
        r.deliver(r.topics.state(), r.state(1, r.clock.wallMs(), r.key(), r.topics.state(), kOther));
        QCOMPARE(c.refusals().total(), taken ? 0 : 1);
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
        QCOMPARE(s->run.state(), RunState::Idle);
        QCOMPARE(s->run, stopped(running));
        QVERIFY(r.sentOn(r.topics.state()).back().retain);
        r.clock.advance(3000);
        QCOMPARE(r.lastState(), s);
    }
};

QTEST_GUILESS_MAIN(TestController)
#include "tst_controller.moc"
