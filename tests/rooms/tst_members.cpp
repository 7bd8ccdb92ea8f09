// A room and a controller against a fake broker connection, on fake time:
// the forgeries a stranger on the exam network tries, each refused and
// counted, and what a room must take.
#include "follow.h"
#include "member_rig.h"
#include "identity.h"

#include <QSignalSpy>
#include <QTest>

using namespace tavrin;
using namespace tavrin::rooms;
using namespace tavrin::testing;

using Rig = RoomRig;

class TestMembers : public QObject {
    Q_OBJECT
private slots:
    // Each kind the controller sends, signed with a key that is not the
    // examination's: a stranger's, or a room's own (a stolen room PC).
    void controllerKindsNeedTheExamKey_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("key"); // 0: a stranger's, 1: the room's own
        for (const char *kind : {"presence", "state", "clock", "schedule", "soundcheck"})
            for (int key : {0, 1})
                QTest::newRow(qPrintable(u"%1, %2"_qs.arg(QLatin1String(kind), key ? u"room key"_qs : u"wrong key"_qs)))
                    << QString::fromLatin1(kind) << key;
    }
    void controllerKindsNeedTheExamKey()
    {
        QFETCH(QString, kind);
        QFETCH(int, key);
        Rig r;
        const qint64 now = r.clock.wallMs();
        r.deliver(r.topics.controller(), r.presence(kCtl, now - 60'000));
        r.deliver(r.topics.state(), r.state(5, now - 300, r.key(), r.topics.state()));
        r.room->subscribeExtra(r.topics.schedule());
        r.room->subscribeExtra(r.topics.soundCheck());
        QSignalSpy extras(r.room.get(), &Member::extraReceived);
        const SigningKey wrong = key ? MemberRig::roomKey(0) : SigningKey::fromSeed(QByteArray(kSeedBytes, 'w'));
        const QString t = kind == "presence" ? r.topics.controller()
                          : kind == "state"  ? r.topics.state()
                          : kind == "clock"  ? r.topics.roomClock(u"A"_qs)
                          : kind == "schedule" ? r.topics.schedule()
                                               : r.topics.soundCheck();
        QByteArray body = kind == "presence" ? writePresence(kExam, {kOther, true, now + 1, true, u"h"_qs, kCtl, now})
                          : kind == "state"  ? writeState(kExam, {kCtl, 6, StateEvent::Pause, now, RunSnapshot{}})
                          : kind == "clock"  ? writeClockReply(kExam, {kCtl, 1, 2, {}})
                                             : writeSoundCheckAsk(kExam, {kCtl, now});
        const QByteArray correlation = kind == "clock" ? r.sentOn(r.topics.clock()).back().correlation : QByteArray();
        r.deliver(t, key ? MemberRig::roomSealed(wrong, t, body, correlation) : sealPayload(wrong, t, correlation, body),
                  correlation);
        QCOMPARE(r.room->refusals().forgeries(), 1);
        QCOMPARE(r.room->followed(), kCtl);
        QCOMPARE(extras.size(), 0);
    }

    // A room's kinds at the controller: its own key before approval and
    // after, another room's key after approval; status and cue report alike.
    void roomKindsHeldToTheApprovedKey_data()
    {
        QTest::addColumn<bool>("cues");
        QTest::addColumn<bool>("approved");
        QTest::addColumn<int>("key"); // the room key it is signed with
        QTest::addColumn<bool>("refused");
        for (bool cues : {false, true}) {
            const char *k = cues ? "cue report" : "status";
            QTest::newRow(qPrintable(u"%1, first sight"_qs.arg(QLatin1String(k)))) << cues << false << 1 << false;
            QTest::newRow(qPrintable(u"%1, approved key"_qs.arg(QLatin1String(k)))) << cues << true << 0 << false;
            QTest::newRow(qPrintable(u"%1, another room's key"_qs.arg(QLatin1String(k)))) << cues << true << 1 << true;
        }
    }
    void roomKindsHeldToTheApprovedKey()
    {
        QFETCH(bool, cues);
        QFETCH(bool, approved);
        QFETCH(int, key);
        QFETCH(bool, refused);
        ControllerRig r;
        if (approved)
            r.controller->setApprovedKeys({{u"A"_qs, MemberRig::roomKey(0).publicKey()}});
        const qint64 now = r.clock.wallMs();
        RoomStatus st;
        st.room = u"A"_qs;
        st.from = u"r-00000000000000a1"_qs;
        st.online = true;
        st.atMs = now;
        PlayedCue cue;
        cue.room = u"A"_qs;
        cue.dueMs = now;
        cue.player = 1;
        cue.startedMs = now;
        cue.source = CueSource::OwnFile;
        const QString t = cues ? r.topics.roomCues(u"A"_qs) : r.topics.roomStatus(u"A"_qs);
        r.deliver(t, MemberRig::roomSealed(MemberRig::roomKey(key), t,
                                           cues ? writeCueReport(kExam, {st.from, cue}) : writeStatus(kExam, st)));
        QCOMPARE(r.controller->refusals().count(Refusal::OtherKey), refused ? 1 : 0);
        QCOMPARE(r.controller->rooms().contains(u"A"_qs), !refused && !cues);
        if (!approved)
            QCOMPARE(r.controller->keyOf(u"A"_qs), MemberRig::roomKey(key).publicKey());
    }

    // What makes an old message of each kind known: a presence or status
    // older than its window (a replay after the sender's restart), older
    // than the last one taken (before), a since ahead of every clock.
    void replaysRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint64>("atAgoMs");
        QTest::addColumn<qint64>("sinceAheadMs");
        QTest::addColumn<bool>("refused");
        QTest::newRow("presence, fresh") << "presence" << qint64(1000) << qint64(0) << false;
        QTest::newRow("presence, after a restart") << "presence" << qint64(600'000) << qint64(0) << true;
        QTest::newRow("presence, before the last") << "presence" << qint64(20'000) << qint64(0) << true;
        QTest::newRow("presence, since in the future") << "presence" << qint64(1000) << qint64(3'600'000) << true;
        QTest::newRow("status, fresh") << "status" << qint64(1000) << qint64(0) << false;
        QTest::newRow("status, a dead room's") << "status" << qint64(600'000) << qint64(0) << true;
        QTest::newRow("status, before the last") << "status" << qint64(8000) << qint64(0) << true;
    }
    void replaysRefused()
    {
        QFETCH(QString, kind);
        QFETCH(qint64, atAgoMs);
        QFETCH(qint64, sinceAheadMs);
        QFETCH(bool, refused);
        ControllerRig r;
        const qint64 now = r.clock.wallMs();
        if (kind == "presence") {
            const auto presence = [&](qint64 at, qint64 since) {
                return sealPayload(r.key(), r.topics.controller(), {},
                                   writePresence(kExam, {kOther, true, since, true, u"h"_qs, {}, at}));
            };
            r.deliver(r.topics.controller(), presence(now - 5000, now - 60'000));
            r.deliver(r.topics.controller(), presence(now - atAgoMs, sinceAheadMs > 0 ? now + sinceAheadMs : now - 60'000));
            QCOMPARE(r.controller->refusals().count(Refusal::Replayed) + r.controller->refusals().count(Refusal::BadValue),
                     refused ? 1 : 0);
            return;
        }
        RoomStatus st;
        st.room = u"A"_qs;
        st.from = u"r-00000000000000a1"_qs;
        st.online = true;
        const QString t = r.topics.roomStatus(u"A"_qs);
        st.atMs = now - 4000;
        r.deliver(t, MemberRig::roomSealed(MemberRig::roomKey(0), t, writeStatus(kExam, st)));
        st.atMs = now - atAgoMs;
        st.question = 7;
        r.deliver(t, MemberRig::roomSealed(MemberRig::roomKey(0), t, writeStatus(kExam, st)));
        QCOMPARE(r.controller->refusals().count(Refusal::Replayed), refused ? 1 : 0);
        QCOMPARE(r.controller->rooms().value(u"A"_qs).status.question, refused ? 0 : 7);
    }

    // A state in the controller's own name that it did not send: refused,
    // told, and its own state sent again.
    void ownNameForgeryAlarms()
    {
        ControllerRig r(true);
        r.controller->operatorDecided();
        r.clock.advance(3000);
        QCoreApplication::processEvents();
        QVERIFY(r.controller->leading());
        const auto before = r.sentOn(r.topics.controller()).size();
        QSignalSpy notes(r.controller.get(), &Member::note);
        for (int i = 0; i < 3; ++i)
            r.deliver(r.topics.state(), r.state(250 + i, r.clock.wallMs(), r.key(), r.topics.state(), r.controller->id()));
        QCoreApplication::processEvents();
        QCOMPARE(r.controller->refusals().count(Refusal::OwnName), 3);
        QVERIFY(r.controller->ownNameSeenMs() > 0);
        QVERIFY(r.sentOn(r.topics.controller()).size() > before);
        QCOMPARE(notes.size(), 2); // the alarm and the refusal, once each
    }

    void forgeriesRefused_data()
    {
        QTest::addColumn<QString>("forgery");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("followsOther");
        QTest::newRow("the next state, signed") << "good" << false << false;
        QTest::newRow("a higher seq, unsigned") << "unsigned" << true << false;
        QTest::newRow("signed with another key") << "other key" << true << false;
        QTest::newRow("signed for another topic") << "other topic" << true << false;
        QTest::newRow("seq 2^53-1") << "huge seq" << true << false;
        QTest::newRow("an older seq replayed") << "old seq" << true << false;
        QTest::newRow("due two days ago") << "old due" << true << false;
        QTest::newRow("a second controller announces itself") << "second" << true << false;
        QTest::newRow("an older run's presence") << "older run" << true << false;
        QTest::newRow("a clock answer to no question") << "clock" << true << false;
        QTest::newRow("a second controller takes over on purpose") << "takeover" << false << true;
    }
    void forgeriesRefused()
    {
        QFETCH(QString, forgery);
        QFETCH(bool, refused);
        QFETCH(bool, followsOther);
        Rig r;
        const qint64 since = r.clock.wallMs() - 60'000;
        const qint64 due = r.clock.wallMs() - 300;
        r.deliver(r.topics.controller(), r.presence(kCtl, since));
        r.deliver(r.topics.state(), r.state(5, due, r.key(), r.topics.state()));
        r.deliver(r.topics.state(), r.state(6, due, r.key(), r.topics.state()));
        QCOMPARE(r.room->followed(), kCtl);
        QCOMPARE(r.room->refusals().total(), 0);
        const SigningKey wrong = SigningKey::fromSeed(QByteArray(kSeedBytes, 'w'));
        const QString t = r.topics.state();
        if (forgery == "good")
            r.deliver(t, r.state(7, due + 1000, r.key(), t));
        else if (forgery == "unsigned")
            r.deliver(t, writeState(kExam, {kCtl, 99, StateEvent::End, due, RunSnapshot{}}));
        else if (forgery == "other key")
            r.deliver(t, r.state(7, due, wrong, t));
        else if (forgery == "other topic")
            r.deliver(t, r.state(7, due, r.key(), r.topics.controller()));
        else if (forgery == "huge seq")
            r.deliver(t, r.state(9007199254740991, due, r.key(), t));
        else if (forgery == "old seq")
            r.deliver(t, r.state(5, due, r.key(), t));
        else if (forgery == "old due")
            r.deliver(t, r.state(7, due - 2 * 86'400'000, r.key(), t));
        else if (forgery == "second")
            r.deliver(r.topics.controller(), r.presence(kOther, since + 1000));
        else if (forgery == "older run")
            r.deliver(r.topics.controller(), r.presence(kOther, since - 1000, kCtl));
        else if (forgery == "clock")
            r.deliver(r.topics.roomClock(u"A"_qs),
                      sealPayload(r.key(), r.topics.roomClock(u"A"_qs), "guessed", writeClockReply(kExam, {kCtl, 1, 2, {}})),
                      "guessed");
        else if (forgery == "takeover")
            r.deliver(r.topics.controller(), r.presence(kOther, since + 1000, kCtl));
        QCOMPARE(r.room->refusals().total(), refused ? 1 : 0);
        QCOMPARE(r.room->followed(), followsOther ? kOther : kCtl);
        // Refused again, still one record entry: counted, not written again.
        if (refused && forgery != "second") {
            QSignalSpy notes(r.room.get(), &Member::note);
            r.deliver(t, writeState(kExam, {kCtl, 100, StateEvent::End, due, RunSnapshot{}}));
            r.deliver(t, writeState(kExam, {kCtl, 101, StateEvent::End, due, RunSnapshot{}}));
            QVERIFY(notes.size() <= 1);
        }
    }

    // A room moves its grid onto the controller's only by more than the
    // offset is known to: one poor exchange after a change of controller,
    // 21 ms out, put its tick before the state that resumed the run, and
    // the room lost that second's cue.
    void gridMovedOnlyBeyondTheOffsetKnown_data()
    {
        QTest::addColumn<double>("offsetMs");
        QTest::addColumn<double>("roundTripMs");
        QTest::addColumn<bool>("moved");
        QTest::newRow("poor exchange, 21 ms") << -20.9 << 48.8 << false;
        QTest::newRow("good exchange, 21 ms") << -20.9 << 1.0 << true;
        QTest::newRow("good exchange, 1 ms") << -1.0 << 0.5 << false;
        QTest::newRow("poor exchange, 300 ms") << 300.0 << 400.0 << true;
    }
    void gridMovedOnlyBeyondTheOffsetKnown()
    {
        QFETCH(double, offsetMs);
        QFETCH(double, roundTripMs);
        QFETCH(bool, moved);
        Rig r;
        r.deliver(r.topics.controller(), r.presence(kCtl, r.clock.wallMs() - 60'000));
        const Outgoing ask = r.sentOn(r.topics.clock()).back();
        const qint64 t0 = r.clock.wallUs();
        // The answer comes a round trip after the question left.
        r.clock.advanceUs(qint64(roundTripMs * 1000));
        const qint64 before = r.timer.nextDueWallMs();
        r.deliver(r.topics.state(), r.state(1, before - 1000, r.key(), r.topics.state()));
        const qint64 at = (t0 + r.clock.wallUs()) / 2 - qint64(offsetMs * 1000);
        const QString topic = r.topics.roomClock(u"A"_qs);
        r.deliver(topic, sealPayload(r.key(), topic, ask.correlation, writeClockReply(kExam, {kCtl, at, at, {}})),
                  ask.correlation);
        QCOMPARE(r.room->refusals().total(), 0);
        const double shift = std::remainder(double(r.timer.nextDueWallMs() - before), 1000.0);
        QVERIFY2(std::abs(shift - (moved ? offsetMs : 0.0)) <= 2.0, qPrintable(QString::number(shift)));
    }

    // A room asks the time as soon as it is connected, before the retained
    // presence says whom it follows: that answer is used, not refused as a
    // replay (the operator saw a warning of a forgery at every start).
    void firstQuestionAnswered()
    {
        Rig r;
        r.deliver(r.topics.controller(), r.presence(kCtl, r.clock.wallMs() - 60'000), {}, true);
        r.answerFirst(kCtl);
        QCOMPARE(r.room->refusals().total(), 0);
        QVERIFY(r.room->offset());
    }

    // The system clock is kept only where both ends' keepers say it is good
    // and the exchange agrees; the status says which and why not.
    void systemClockKeptOnlyWhenBothAgree_data()
    {
        QTest::addColumn<bool>("roomSynced");
        QTest::addColumn<qint64>("behindUs");
        QTest::addColumn<bool>("system");
        QTest::addColumn<int>("why");
        QTest::newRow("both kept, agreeing") << true << qint64(300) << true << int(Distrust::None);
        QTest::newRow("the room's clock not kept") << false << qint64(300) << false << int(Distrust::None);
        QTest::newRow("kept, yet 40 ms apart") << true << qint64(40'000) << false << int(Distrust::Disagrees);
    }
    void systemClockKeptOnlyWhenBothAgree()
    {
        QFETCH(bool, roomSynced);
        QFETCH(qint64, behindUs);
        QFETCH(bool, system);
        QFETCH(int, why);
        Rig r;
        r.room->setSystemClock([roomSynced] { return SystemClock{roomSynced, 0.05, u"chrony"_qs}; });
        r.deliver(r.topics.controller(), r.presence(kCtl, r.clock.wallMs() - 60'000), {}, true);
        r.answerFirst(kCtl, behindUs, {true, true, 0.04, u"chrony"_qs, false, 0});
        QVERIFY(r.room->offset());
        QCOMPARE(r.room->clockChoice().system, system);
        QCOMPARE(int(r.room->clockChoice().why), why);
        QCOMPARE(r.room->offset()->offsetUs, system ? 0.0 : double(behindUs));
    }

    // After a takeover the new controller's state may come before its first
    // answer. The room follows it on the offset it had: waiting for the
    // answer let the next tick pass on the old place and lost its cue.
    void takeoverFollowedOnTheOffsetItHad()
    {
        Rig r;
        const qint64 since = r.clock.wallMs() - 60'000;
        r.deliver(r.topics.controller(), r.presence(kCtl, since));
        r.answerFirst(kCtl);
        r.deliver(r.topics.controller(), r.presence(kOther, since + 1000, kCtl));
        QCOMPARE(r.room->followed(), kOther);
        QVERIFY(!r.room->offset());
        const qint64 before = r.timer.nextDueWallMs();
        r.deliver(r.topics.state(), r.state(1, before - 700, r.key(), r.topics.state(), kOther));
        QCOMPARE(r.room->refusals().total(), 0);
        const double shift = std::remainder(double(r.timer.nextDueWallMs() - before), 1000.0);
        QVERIFY2(std::abs(shift - 300.0) <= 2.0, qPrintable(QString::number(shift)));
    }

    // The controller's operator resumes at the turn of a second: the resume
    // and that second's tick reach the room just after its own tick went by
    // paused. The room still plays that tick's cue (it adopted the run
    // across the tick, right but silent).
    void resumeJustAfterTheTickKeepsItsCue()
    {
        SilentWindow w;
        CountingPlayers p;
        Engine e(w, p);
        startRun(e, 3, 2, 2);
        RunSnapshot beforeCue;
        for (int i = 0; i < 20 && p.plays == 0; ++i) {
            beforeCue = e.snapshot();
            e.Timer1_Timer();
        }
        QVERIFY(p.plays > 0);
        e.adopt(beforeCue);
        e.Command2_Click();
        const RunSnapshot paused = e.snapshot();
        e.Command2_Click();
        const RunSnapshot resumed = e.snapshot();

        Rig r;
        r.deliver(r.topics.controller(), r.presence(kCtl, r.clock.wallMs() - 60'000));
        r.answerFirst(kCtl);
        const qint64 tick = r.timer.nextDueWallMs();
        r.deliver(r.topics.state(), r.state(1, tick - 1000, r.key(), r.topics.state(), kCtl, StateEvent::Sync, paused));
        QCOMPARE(r.engine.snapshot(), paused);
        QSignalSpy ticked(&r.timer, &PhaseTimer::timeout);
        r.clock.advance(tick - r.clock.wallMs() + 5); // the resume comes 5 ms after the tick
        QCOMPARE(ticked.count(), 1);
        r.deliver(r.topics.state(), r.state(2, tick - 1000, r.key(), r.topics.state(), kCtl, StateEvent::Resume, resumed));
        QCOMPARE(r.room->refusals().total(), 0);
        QCOMPARE(r.engine.snapshot(), advanced(resumed, 1));
        QCOMPARE(r.players.plays, 1);
    }

    // When the controller followed goes, the room follows one that leads.
    void otherFollowedWhenOneGoes()
    {
        Rig r;
        const qint64 since = r.clock.wallMs() - 60'000;
        r.deliver(r.topics.controller(), r.presence(kCtl, since));
        r.deliver(r.topics.controller(), r.presence(kOther, since + 5000));
        QCOMPARE(r.room->followed(), kCtl);
        r.deliver(r.topics.controller(), sealPayload(r.key(), r.topics.controller(), {},
                                                     writePresence(kExam, {kCtl, false, 0, false, u"h"_qs, {}})));
        QCOMPARE(r.room->followed(), kOther);
    }

    // A controller that takes the lead from a kept run says the tick its run
    // stands after on the grid it took, not the last one of its old grid: a
    // room that got the old one stepped over the cue of that second.
    void takeOverSendsTheTakenGrid()
    {
        ControllerRig r(true, false);
        startRun(r.engine, 5, 2, 4);
        const qint64 due = r.clock.wallMs() - 2400; // 400 ms off the timer's own grid
        StateMessage kept{kOther, 3, StateEvent::Tick, due, r.engine.snapshot()};
        r.controller->takeOver(kept);
        r.clock.advance(0);
        const std::optional<StateMessage> s = r.lastState();
        QVERIFY(s);
        const qint64 ticks = (s->dueMs - due + 500) / 1000;
        QVERIFY2(std::abs(s->dueMs - due - ticks * 1000) <= 1, "not on the grid taken"); // the clock read to a ms
        QCOMPARE(s->run, advanced(kept.run, ticks));
    }
    // The controller takes each report once, however often it comes; a room
    // keeps its cues until the controller is heard on its connection.
    void cueReportsTakenOnce()
    {
        Rig r;
        QSignalSpy kept(r.room.get(), &Member::cuePlayed);
        r.room->keepReports({{u"A"_qs, r.clock.wallMs() - 3000, 1, 1, 2, r.clock.wallMs() - 2920, 0, CueSource::OwnFile}});
        QCOMPARE(r.room->reportsWaiting(), 1);
        // What the broker kept says nothing of whether the controller is
        // back: a report sent then was lost after a broker restart.
        const QByteArray presence = r.presence(kCtl, r.clock.wallMs() - 60'000);
        r.deliver(r.topics.controller(), presence, {}, true);
        r.deliver(r.topics.state(), r.state(5, r.clock.wallMs() - 300, r.key(), r.topics.state()), {}, true);
        QCOMPARE(r.room->reportsWaiting(), 1);
        r.deliver(r.topics.controller(), presence);
        QCOMPARE(r.room->reportsWaiting(), 0);
        const auto report = std::find_if(r.link->sent.begin(), r.link->sent.end(),
                                         [&](const Outgoing &o) { return o.topic == r.topics.roomCues(u"A"_qs); });
        QVERIFY(report != r.link->sent.end());
        QCOMPARE(kept.count(), 1); // marked sent

        ControllerRig ctl;
        Controller &c = *ctl.controller;
        QSignalSpy taken(&c, &Member::cuePlayed);
        Incoming in;
        in.topic = report->topic;
        in.payload = report->payload;
        in.size = in.payload.size();
        for (int i = 0; i < 3; ++i)
            emit ctl.link->received(in);
        QCOMPARE(taken.count(), 1);
        QCOMPARE(c.refusals().total(), 0);
        in.payload.replace("\"player\":1", "\"player\":2"); // no longer the MAC's
        emit ctl.link->received(in);
        QCOMPARE(taken.count(), 1);
        QCOMPARE(c.refusals().forgeries(), 1);
    }

    // The controller's operator closed its window during the run: a room
    // running that run records it aborted before it stops it; a room with
    // no run under way has nothing to record.
    void abortEndsTheRun_data()
    {
        QTest::addColumn<int>("pressed"); // start, pause: the room's run
        QTest::addColumn<bool>("recorded");
        QTest::newRow("running") << 1 << true;
        QTest::newRow("paused") << 2 << true;
        QTest::newRow("idle") << 0 << false;
    }
    void abortEndsTheRun()
    {
        QFETCH(int, pressed);
        QFETCH(bool, recorded);
        Rig r;
        r.deliver(r.topics.controller(), r.presence(kCtl, r.clock.wallMs() - 60'000));
        r.answerFirst(kCtl);
        startRun(r.engine, 5, 2, 4);
        r.clock.advance(1500);
        if (pressed == 0)
            r.engine.adopt(RunSnapshot{});
        if (pressed == 2)
            r.engine.Command2_Click();
        const RunSnapshot abortedAt = r.engine.snapshot();
        QList<RunState> atRecord;
        connect(r.room.get(), &Room::runAborted, [&] { atRecord << r.engine.runState(); });
        r.deliver(r.topics.state(), r.state(1, r.timer.dueWallMs(), r.key(), r.topics.state(), kCtl, StateEvent::Abort,
                                            stopped(abortedAt)));
        QCOMPARE(atRecord, recorded ? QList<RunState>{abortedAt.state()} : QList<RunState>{});
        QCOMPARE(r.engine.snapshot(), stopped(abortedAt));
        QCOMPARE(r.room->refusals().total(), 0);
    }
};

QTEST_GUILESS_MAIN(TestMembers)
#include "tst_members.moc"
