// One room held while its controller's run goes on, and brought back on the
// circuit's second: where it rejoins, that it plays nothing meanwhile, and
// that only a fresh ask of the controller followed holds it.
#include "hold.h"
#include "identity.h"
#include "member_rig.h"

#include <QSignalSpy>
#include <QTest>

using namespace tavrin;
using namespace tavrin::rooms;
using namespace tavrin::testing;

namespace {

// A run of 3 + 1 s x 3 questions, just started: tick n (from 1) shows
// question (n - 1) / 4 + 1, and tick 12 ends the run. As a programme, a
// break of 5 s follows (ticks 13-17), then `later` questions of 2 s reading
// and 4 + 2 s (reading on ticks 18, 26, 34), ending on tick 33 (of 2).
RunSnapshot started(bool programme = false, int later = 2)
{
    SilentWindow w;
    SilentPlayers p;
    Engine e(w, p);
    if (programme) {
        Programme plan = Programme::oneBlock(3, 1, 3);
        plan.parts.resize(3, Programme::oneBlock(4, 2, later).parts[0]);
        plan.parts[1] = Part();
        plan.parts[1].kind = Part::Kind::Break;
        plan.parts[1].seconds = 5;
        plan.parts[2].reading = 2;
        e.setProgramme(plan);
        e.Command1_Click();
    } else {
        startRun(e, 3, 1, 3);
    }
    return e.snapshot();
}

struct HoldRig : RoomRig {
    qint64 due0 = 0;
    qint64 asks = 0;
    RunSnapshot run;
    // later: as started(); 0, no programme. Without the state, the
    // controller's run is not heard yet (a room just started again).
    explicit HoldRig(int later = 0, bool withState = true) : run(started(later > 0, later))
    {
        engine.addObserver(room.get()); // as the program's window does
        deliver(topics.controller(), presence(kCtl, clock.wallMs() - 60'000));
        answerFirst(kCtl);
        due0 = timer.dueWallMs();
        if (withState)
            sendState();
    }
    void sendState() { deliver(topics.state(), state(1, due0, key(), topics.state(), kCtl, StateEvent::Start, run)); }
    void ask(bool hold, qint64 atMs, const QString &from = kCtl, const SigningKey &k = key())
    {
        const QString topic = topics.roomHold(u"A"_qs);
        deliver(topic, sealPayload(k, topic, {}, writeHoldAsk(kExam, {from, u"A"_qs, hold, atMs})));
    }
    void until(qint64 msAfterStart) { clock.advance(due0 + msAfterStart - clock.wallMs()); }
    // Put in place on the tick before at the latest, without its cue, and
    // on the circuit's run from the rejoin tick on, with its cue if it has one.
    bool rejoinsOn(int tick, int plays)
    {
        until(tick * 1000 - 10);
        if (players.plays != plays)
            return false;
        until(tick * 1000 + 10);
        const RunSnapshot before = advanced(run, tick - 1);
        return !room->holdView().held && engine.snapshot() == advanced(before, 1) &&
               players.plays == plays + (ticksToNextCue(before, 1) == 1 ? 1 : 0);
    }
};

} // namespace

class TestHold : public QObject {
    Q_OBJECT
private slots:
    void rejoinPoint_data()
    {
        QTest::addColumn<int>("ticks");   // of the run before its snapshot
        QTest::addColumn<int>("nowMs");   // after that snapshot's tick
        QTest::addColumn<int>("rejoin");  // ticks after it; 0: none
        QTest::addColumn<bool>("atEnd");
        QTest::addColumn<bool>("programme");
        QTest::newRow("in question 2: the start of 3") << 5 << 100 << 4 << false << false;
        QTest::newRow("next tick starts 3, time enough") << 8 << 500 << 1 << false << false;
        QTest::newRow("next tick starts 3, too late: the end") << 8 << 700 << 4 << true << false;
        QTest::newRow("in the last question: the end") << 9 << 100 << 3 << true << false;
        QTest::newRow("not running") << 12 << 100 << 0 << false << false;
        QTest::newRow("programme: in 2 of block 1: 3") << 5 << 100 << 4 << false << true;
        QTest::newRow("programme: in 3: past the break") << 10 << 100 << 8 << false << true;
        QTest::newRow("programme: in the break: the reading") << 14 << 100 << 4 << false << true;
        QTest::newRow("programme: in reading: the next reading") << 18 << 100 << 8 << false << true;
        QTest::newRow("programme: in the last question: the end") << 27 << 100 << 6 << true << true;
    }
    void rejoinPoint()
    {
        QFETCH(int, ticks);
        QFETCH(int, nowMs);
        QFETCH(int, rejoin);
        QFETCH(bool, atEnd);
        QFETCH(bool, programme);
        const RunSnapshot run = advanced(started(programme), ticks);
        const std::optional<Rejoin> r = rooms::rejoinPoint(run, 0, nowMs, kRejoinLeadMs);
        QCOMPARE(r.has_value(), rejoin > 0);
        if (!r)
            return;
        QCOMPARE(r->dueMs, rejoin * 1000);
        QCOMPARE(r->before, advanced(run, rejoin - 1));
        QCOMPARE(advanced(r->before, 1).state() == RunState::Finished, atEnd);
    }

    void heldAndBroughtBack_data()
    {
        QTest::addColumn<int>("holdMs");    // after the start
        QTest::addColumn<int>("releaseMs");
        QTest::addColumn<int>("rejoinTick");
        QTest::addColumn<int>("lastLost");
        QTest::addColumn<QString>("lost");
        QTest::addColumn<int>("later"); // questions of the programme's second block; 0: none
        QTest::newRow("held in 2, back mid-question") << 5500 << 6500 << 9 << 2 << "0:2-2" << 0;
        QTest::newRow("released just in time for 3") << 5500 << 8500 << 9 << 2 << "0:2-2" << 0;
        QTest::newRow("released too late for 3: at the end") << 5500 << 8700 << 12 << 3 << "0:2-3" << 0;
        QTest::newRow("held in the last question") << 9500 << 10500 << 12 << 3 << "0:3-3" << 0;
        QTest::newRow("programme: back in the break") << 9500 << 14500 << 18 << 3 << "1:3-3" << 2;
        QTest::newRow("programme: back in reading") << 18500 << 19500 << 26 << 1 << "3:1-1" << 2;
        QTest::newRow("programme: held in the break") << 14500 << 27500 << 34 << 0 << "3:1-2" << 3;
        QTest::newRow("programme: back in 3 of the next block") << 5500 << 27500 << 34 << 3 << "1:2-3 3:1-2" << 3;
        QTest::newRow("programme: back at its end") << 5500 << 34500 << 41 << 3 << "1:2-3 3:1-3" << 3;
    }
    void heldAndBroughtBack()
    {
        QFETCH(int, holdMs);
        QFETCH(int, releaseMs);
        QFETCH(int, rejoinTick);
        QFETCH(int, lastLost);
        QFETCH(QString, lost);
        QFETCH(int, later);
        HoldRig r(later);
        QSignalSpy ended(r.room.get(), &Room::holdEnded);
        r.until(holdMs);
        r.ask(true, r.clock.wallMs());
        QVERIFY(r.room->holdView().held);
        QCOMPARE(r.engine.state().sw, 0);
        const int plays = r.players.plays;
        r.until(releaseMs);
        QCOMPARE(r.players.plays, plays); // nothing played while held
        r.ask(false, r.clock.wallMs());
        QVERIFY(r.rejoinsOn(rejoinTick, plays));
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ended.front().at(0).value<HoldView>().lastLost, lastLost);
        QCOMPARE(lostKey(ended.front().at(0).value<HoldView>().lost), lost);
        QCOMPARE(ended.front().at(1).toLongLong(), r.due0 + rejoinTick * 1000);
        QCOMPARE(r.room->refusals().total(), 0);
    }

    // Started again while held (the journal's hold): held as before, whatever
    // the controller's state says, until released; then back only on the
    // start of a question, whichever came first, the release or the state.
    void keptHoldStays_data()
    {
        QTest::addColumn<bool>("released"); // before the restart
        QTest::addColumn<bool>("askFirst"); // the release came before the controller's state
        QTest::newRow("still held") << false << false;
        QTest::newRow("released before the restart") << true << false;
        QTest::newRow("released before the state came") << false << true;
    }
    void keptHoldStays()
    {
        QFETCH(bool, released);
        QFETCH(bool, askFirst);
        HoldRig r(0, false);
        QSignalSpy ended(r.room.get(), &Room::holdEnded);
        const qint64 since = r.clock.wallMs() - 20'000;
        r.room->keepHold({{true, HoldBy::Room, since, 2, released, 0, 0, {}}, 0});
        r.ask(false, since - 1); // sent before the hold began, and captured: refused
        QCOMPARE(r.room->refusals().count(Refusal::Replayed), 1);
        r.until(5500);
        if (askFirst)
            r.ask(false, r.clock.wallMs());
        r.sendState();
        QVERIFY(r.room->holdView().held);
        QCOMPARE(r.engine.state().sw, 0);
        r.until(6500);
        if (!released && !askFirst)
            r.ask(false, r.clock.wallMs());
        QVERIFY(r.rejoinsOn(9, r.players.plays));
        QCOMPARE(ended.count(), 1);
        const HoldView was = ended.front().at(0).value<HoldView>();
        QCOMPARE((std::tuple{was.by, was.sinceMs, lostKey(was.lost)}), (std::tuple{HoldBy::Room, since, u"0:2-2"_qs}));
    }

    void onlyFreshAsksOfTheControllerTaken_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("ageMs");
        QTest::addColumn<bool>("roomKey");
        QTest::addColumn<bool>("held");
        QTest::newRow("the controller's") << kCtl << 0 << false << true;
        QTest::newRow("another controller's") << kOther << 0 << false << false;
        QTest::newRow("signed by a room") << kCtl << 0 << true << false;
        QTest::newRow("stale") << kCtl << 31'000 << false << false;
    }
    void onlyFreshAsksOfTheControllerTaken()
    {
        QFETCH(QString, from);
        QFETCH(int, ageMs);
        QFETCH(bool, roomKey);
        QFETCH(bool, held);
        HoldRig r;
        r.until(1500);
        r.ask(true, r.clock.wallMs() - ageMs, from, roomKey ? MemberRig::roomKey(0) : MemberRig::key());
        QCOMPARE(r.room->holdView().held, held);
        QCOMPARE(r.room->refusals().total(), held ? 0 : 1);
        if (!held)
            return;
        // The release captured and sent again after a new hold: refused.
        const qint64 at = r.clock.wallMs() + 100;
        r.ask(false, at);
        r.until(6000);
        QVERIFY(!r.room->holdView().held);
        r.ask(true, at + 2000);
        r.ask(false, at);
        QVERIFY(r.room->holdView().held && !r.room->holdView().released);
        QCOMPARE(r.room->refusals().count(Refusal::Replayed), 1);
    }
};

QTEST_GUILESS_MAIN(TestHold)
#include "tst_hold.moc"
