// What a room does with the controller's latest state, tick by tick: wait,
// stay, replay the operator's action, or take the controller's run over.
#include "follow.h"

#include <QTest>

using namespace tavrin;
using namespace tavrin::rooms;

Q_DECLARE_METATYPE(tavrin::rooms::FollowStep)
Q_DECLARE_METATYPE(tavrin::rooms::StateEvent)

namespace {

// Question 2 of 5 s + 2 s x 4, second 1 shown, running.
RunSnapshot running()
{
    RunSnapshot s;
    s.time1 = 5;
    s.time2 = 2;
    s.cycle = 4;
    s.fkc = 0;
    s.sw = 1;
    s.ck = 2;
    s.t = 2;
    s.resetCaption = true;
    s.question = u"2"_qs;
    return s;
}

RunSnapshot paused()
{
    RunSnapshot s = running();
    s.sw = 0;
    s.resumeCaption = true;
    return s;
}

} // namespace

class TestFollow : public QObject {
    Q_OBJECT
private slots:
    void decision_data()
    {
        QTest::addColumn<StateEvent>("event");
        QTest::addColumn<RunSnapshot>("controller");
        QTest::addColumn<RunSnapshot>("room");
        QTest::addColumn<int>("roomNextTick"); // ms after the state's tick
        QTest::addColumn<FollowStep>("step");

        QTest::newRow("the room's tick of that state still to come") << StateEvent::Tick << running() << running() << 0 << FollowStep::Wait;
        QTest::newRow("a tick, the room in step") << StateEvent::Tick << running() << running() << 1000 << FollowStep::InStep;
        QTest::newRow("a pause, done again in the room") << StateEvent::Pause << paused() << running() << 1000 << FollowStep::Replay;
        QTest::newRow("the same pause delivered again") << StateEvent::Pause << paused() << paused() << 1000 << FollowStep::InStep;
        // The controller redrew its grid on Enter though nothing changed;
        // the room redraws it too, or its dots differ.
        QTest::newRow("a time entry that changed nothing") << StateEvent::TimeEntry << running() << running() << 1000 << FollowStep::Replay;
        QTest::newRow("a time entry, a tick late") << StateEvent::TimeEntry << running() << advanced(running(), 1) << 2000 << FollowStep::InStep;
        QTest::newRow("the room two ticks behind") << StateEvent::Tick << running() << running() << 3000 << FollowStep::Adopt;
    }
    void decision()
    {
        QFETCH(StateEvent, event);
        QFETCH(RunSnapshot, controller);
        QFETCH(RunSnapshot, room);
        QFETCH(int, roomNextTick);
        QFETCH(FollowStep, step);
        StateMessage m;
        m.event = event;
        m.dueMs = 1'000'000;
        m.run = controller;
        const FollowDecision d = decide(m, double(m.dueMs + roomNextTick), room);
        QCOMPARE(d.step, step);
        if (step != FollowStep::Wait)
            QCOMPARE(d.target, advanced(controller, roomNextTick / 1000 - 1));
    }
};

QTEST_GUILESS_MAIN(TestFollow)
#include "tst_follow.moc"
