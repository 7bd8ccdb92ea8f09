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

Q_DECLARE_METATYPE(tavrin::rooms::Refusal)

class TestMembers : public QObject {
    Q_OBJECT
private slots:
    // Each kind the controller sends, signed with a key that is not the
    // examination's: a stranger's, or a room's own (a stolen room PC).
    // Each kind the controller sends, signed with a stranger's key or a
    // room's own (a stolen room PC): refused, and nothing taken.
    void controllerKindsNeedTheExamKey_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("roomKey");
        for (const char *kind : {"controller", "state", "clock", "schedule", "soundcheck"})
            for (bool roomKey : {false, true})
                QTest::newRow(qPrintable(QLatin1String(kind) + (roomKey ? u", room key"_qs : u", wrong key"_qs)))
                    << QString::fromLatin1(kind) << roomKey;
    }
    void controllerKindsNeedTheExamKey()
    {
        QFETCH(QString, kind);
        QFETCH(bool, roomKey);
        Rig r;
        const qint64 now = r.clock.wallMs();
        r.deliver(r.topics.controller(), r.presence(kCtl, now - 60'000));
        r.room->subscribeExtra(r.topics.schedule());
        r.room->subscribeExtra(r.topics.soundCheck());
        QSignalSpy extras(r.room.get(), &Member::extraReceived);
        const QString t = kind == "clock" ? r.topics.roomClock(u"A"_qs) : u"tavrin/E/"_qs + kind;
        const QByteArray body = kind == "controller" ? writePresence(kExam, {kOther, true, now, true, u"h"_qs, kCtl, now})
                                : kind == "state"    ? writeState(kExam, {kCtl, 6, StateEvent::Pause, now, {}})
                                                     : writeSoundCheckAsk(kExam, {kCtl, now});
        const QByteArray corr = kind == "clock" ? r.sentOn(r.topics.clock()).back().correlation : QByteArray();
        const SigningKey wrong = SigningKey::fromSeed(QByteArray(kSeedBytes, 'w'));
        r.deliver(t, roomKey ? MemberRig::roomSealed(MemberRig::roomKey(0), t, body, corr) : sealPayload(wrong, t, corr, body),
                  corr);
        QCOMPARE(r.room->refusals().forgeries(), 1);
        QCOMPARE(r.room->followed(), kCtl);
        QCOMPARE(extras.size(), 0);
    }

    // A room's status or cue report at the controller: any key at first
    // sight, then only the approved one; another room's key is refused.
    // And what makes a replay known: a status older than its window (the
    // room restarted since) or than the last one taken.
    void roomKindsHeldToTheirKeyAndTime_data()
    {
        QTest::addColumn<bool>("cues");
        QTest::addColumn<bool>("approved");
        QTest::addColumn<int>("key");
        QTest::addColumn<qint64>("agoMs");
        QTest::addColumn<Refusal>("refusal"); // TooLarge: none
        for (bool cues : {false, true}) {
            const QString k = cues ? u"cues, "_qs : u"status, "_qs;
            QTest::newRow(qPrintable(k + u"first sight"_qs)) << cues << false << 1 << qint64(0) << Refusal::TooLarge;
            QTest::newRow(qPrintable(k + u"approved key"_qs)) << cues << true << 0 << qint64(0) << Refusal::TooLarge;
            QTest::newRow(qPrintable(k + u"another room's key"_qs)) << cues << true << 1 << qint64(0) << Refusal::OtherKey;
        }
        QTest::newRow("status of a dead room") << false << false << 0 << qint64(600'000) << Refusal::Replayed;
        QTest::newRow("status before the last") << false << false << 0 << qint64(8000) << Refusal::Replayed;
        QTest::newRow("status from the future") << false << false << 0 << qint64(-3'600'000) << Refusal::BadValue;
    }
    void roomKindsHeldToTheirKeyAndTime()
    {
        QFETCH(bool, cues);
        QFETCH(bool, approved);
        QFETCH(int, key);
        QFETCH(qint64, agoMs);
        QFETCH(Refusal, refusal);
        ControllerRig r;
        if (approved)
            r.controller->setApprovedKeys({{u"A"_qs, MemberRig::roomKey(0).publicKey()}});
        const qint64 now = r.clock.wallMs();
        RoomStatus st;
        st.room = u"A"_qs;
        st.from = u"r-00000000000000a1"_qs;
        st.online = true;
        const QString t = cues ? r.topics.roomCues(u"A"_qs) : r.topics.roomStatus(u"A"_qs);
        const auto send = [&](qint64 at, int question) {
            st.atMs = at;
            st.question = question;
            PlayedCue cue;
            cue.room = u"A"_qs;
            cue.dueMs = cue.startedMs = now;
            cue.player = 1;
            cue.source = CueSource::OwnFile;
            r.deliver(t, MemberRig::roomSealed(MemberRig::roomKey(key), t,
                                               cues ? writeCueReport(kExam, {st.from, cue}) : writeStatus(kExam, st)));
        };
        if (agoMs != 0)
            send(now - 4000, 1);
        send(now - agoMs, 7);
        QCOMPARE(r.controller->refusals().count(refusal), refusal == Refusal::TooLarge ? 0 : 1);
        QCOMPARE(r.controller->rooms().value(u"A"_qs).status.question, cues || refusal == Refusal::OtherKey ? 0 : agoMs ? 1 : 7);
        QCOMPARE(r.controller->keyOf(u"A"_qs), MemberRig::roomKey(approved ? 0 : key).publicKey());
    }

    // Another controller's presence: taken when fresh; refused when older
    // than its window (replayed after a restart), older than the last one,
    // or with a since ahead of every clock.
    void presenceReplaysRefused_data()
    {
        QTest::addColumn<qint64>("agoMs");
        QTest::addColumn<qint64>("sinceAheadMs");
        QTest::addColumn<bool>("refused");
        QTest::newRow("fresh") << qint64(1000) << qint64(0) << false;
        QTest::newRow("after a restart") << qint64(600'000) << qint64(0) << true;
        QTest::newRow("before the last") << qint64(20'000) << qint64(0) << true;
        QTest::newRow("since in the future") << qint64(1000) << qint64(3'600'000) << true;
    }
    void presenceReplaysRefused()
    {
        QFETCH(qint64, agoMs);
        QFETCH(qint64, sinceAheadMs);
        QFETCH(bool, refused);
        ControllerRig r;
        const qint64 now = r.clock.wallMs();
        for (const auto &[at, since] : {std::pair{now - 5000, now - 60'000}, {now - agoMs, now + sinceAheadMs - 60'000 * !sinceAheadMs}})
            r.deliver(r.topics.controller(),
                      sealPayload(r.key(), r.topics.controller(), {}, writePresence(kExam, {kOther, true, since, true, u"h"_qs, {}, at})));
        QCOMPARE(r.controller->refusals().total(), refused ? 1 : 0);
    }

    // A state in the controller's own name that it did not send: refused,
    // and its own presence and state sent again.
    void ownNameForgeryAlarms()
    {
        ControllerRig r(true);
        r.controller->operatorDecided();
        r.clock.advance(3000);
        QVERIFY(r.controller->leading());
        const auto before = r.sentOn(r.topics.controller()).size();
        for (int i = 0; i < 3; ++i)
            r.deliver(r.topics.state(), r.state(250 + i, r.clock.wallMs(), r.key(), r.topics.state(), r.controller->id()));
        QCOMPARE(r.controller->refusals().count(Refusal::OwnName), 3);
        QVERIFY(r.controller->ownNameSeenMs() > 0);
        QVERIFY(r.sentOn(r.topics.controller()).size() > before);
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

    // A bridge that drops the clock's answers is named on the line, and
    // forgotten at the first answer.
    void unansweredClockNamed()
    {
        Rig r;
        r.deliver(r.topics.controller(), r.presence(kCtl, r.clock.wallMs() - 60'000), {}, true);
        for (int i = 0; i < 30 && !r.room->clockUnanswered(); ++i)
            r.clock.advance(1000);
        QVERIFY(r.room->clockUnanswered());
        r.answerFirst(kCtl);
        QVERIFY(!r.room->clockUnanswered());
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
