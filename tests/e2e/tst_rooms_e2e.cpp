// One examination in four rooms on this machine: a controller and three
// rooms as real programs, one room's clock 5 s ahead, one room without its
// cue files. First an examination with a pause, a resume and a time entry;
// then the faults: the broker stops and comes back, a room is killed and
// started again, the controller is killed and started again. Throughout,
// every room shows the controller's question and second, and the cues of
// all rooms begin together.
#include "click_points.h"
#include "engine.h"
#include "programme_file.h"
#include "rooms_rig.h"
#include "silent_ports.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QScopeGuard>
#include <QSettings>
#include <QTest>
#include <QThread>

namespace at = tavrin::testing::at;
using e2e::Member;
using e2e::Shown;

namespace {

QString stateTopic(const e2e::RoomsRig &rig)
{
    return QStringLiteral("tavrin/%1/state").arg(rig.exam);
}

QString statusTopic(const e2e::RoomsRig &rig, const QString &room)
{
    return QStringLiteral("tavrin/%1/rooms/%2/status").arg(rig.exam, room);
}

// Waits for the controller to publish that it shows `shown`.
bool controllerShows(e2e::RoomsRig &rig, Shown shown, int timeoutMs)
{
    return rig.log.waitFor(
        [&](const e2e::BrokerLog::Entry &e) { return e.topic == stateTopic(rig) && e2e::shownByController(e.payload) == shown; },
        timeoutMs, e2e::wallSeconds() - 0.5);
}

bool roomsShow(e2e::RoomsRig &rig, const QStringList &rooms, const QString &state, double since, int timeoutMs)
{
    for (const QString &r : rooms)
        if (!rig.log.waitFor(
                [&](const e2e::BrokerLog::Entry &e) {
                    const auto s = e2e::shownByRoom(e.payload);
                    return e.topic == statusTopic(rig, r) && s && s->state == state;
                },
                timeoutMs, since))
            return false;
    return true;
}

// Every state the controller published between from and to was shown by
// each of the rooms, by its own report, within a moment of it. A state that
// the next one followed within a few milliseconds (a start just before a
// tick of the running second) may reach a room in the same turn of its
// event loop, and the room then reports only the later one.
QString followed(e2e::RoomsRig &rig, const QStringList &rooms, double from, double to)
{
    const auto &log = rig.log.entries();
    const auto isState = [&](const e2e::BrokerLog::Entry &e) { return e.topic == stateTopic(rig); };
    int states = 0;
    for (auto it = log.begin(); it != log.end(); ++it) {
        const auto &c = *it;
        const auto shown = e2e::shownByController(c.payload);
        if (!isState(c) || c.at < from || c.at > to || !shown)
            continue;
        const auto next = std::find_if(it + 1, log.end(), isState);
        if (next != log.end() && next->at - c.at < 0.05)
            continue;
        ++states;
        for (const QString &r : rooms) {
            const bool seen = std::any_of(log.begin(), log.end(), [&](const e2e::BrokerLog::Entry &e) {
                return e.topic == statusTopic(rig, r) && std::abs(e.at - c.at) < 0.6 && e2e::shownByRoom(e.payload) == shown;
            });
            if (!seen)
                return QStringLiteral("room %1 did not show question %2, second %3 (%4) at %5")
                    .arg(r).arg(shown->question).arg(shown->second).arg(shown->state).arg(c.at, 0, 'f', 3);
        }
    }
    return states > 0 ? QString() : QStringLiteral("the controller published nothing");
}

bool sameViews(e2e::RoomsRig &rig, const std::vector<Member *> &who, const QString &png)
{
    QImage grab;
    const bool same = QTest::qWaitFor([&] { return rig.sameViews(who, &grab); }, 600);
    grab.save(png);
    return same;
}

void enterTimes(Member &c, const QStringList &values)
{
    const QPoint boxes[] = {at::text1, at::text2, at::text3};
    for (int i = 0; i < 3; ++i) {
        c.program->click(boxes[i]);
        c.program->type(values[i]);
    }
    c.program->key(QStringLiteral("Return"));
}

// Every cue a room was heard to play between from and to (outside the
// spans when it was down) is in the controller's journal as that room's,
// started when it was heard; waits for the late ones.
QString everyCueProved(e2e::RoomsRig &rig, const QStringList &rooms, double from, double to,
                       const QList<QPair<double, double>> &downA)
{
    QString missing;
    const bool allProved = QTest::qWaitFor([&] {
        const auto proofs = rig.proofs();
        missing.clear();
        for (const QString &r : rooms)
            for (double o : rig.onsets(*rig.room(r))) {
                const bool down = r == u"A"_qs && std::any_of(downA.begin(), downA.end(), [o](const auto &d) {
                                      return o > d.first && o < d.second;
                                  });
                if (o < from || o > to || down)
                    continue;
                const bool proved = std::any_of(proofs.begin(), proofs.end(), [&](const auto &p) {
                    return p.room == r && std::abs(p.started - o) < 0.1;
                });
                if (!proved)
                    missing += QStringLiteral(" %1@%2").arg(r).arg(o, 0, 'f', 3);
            }
        return missing.isEmpty();
    }, 10000);
    return allProved ? QString() : u"cues heard but not in the controller's journal:"_qs + missing;
}

QString controllerIdOf(e2e::RoomsRig &rig)
{
    QString id;
    for (const auto &e : rig.log.entries())
        if (e.topic == u"tavrin/e2e/schedule"_qs)
            id = e2e::json(e.payload).value(u"from"_qs).toString();
    return id;
}

void waitUntil(double wall)
{
    while (e2e::wallSeconds() < wall)
        QThread::msleep(20);
}

// The controller's record has B held by it from after start + 5.4 s, in
// question 2, until tick 9 starts question 3.
bool heldFrom2To3(const e2e::RoomsRig &rig, double start)
{
    return QTest::qWaitFor([&] {
        const auto holds = rig.holds();
        return std::any_of(holds.begin(), holds.end(), [&](const auto &h) {
            return h.room == u"B"_qs && h.by == u"controller"_qs && h.firstLost == 2 && h.lastLost == 2 &&
                   std::abs(h.to - start - 9) < 0.05 && h.from > start + 5.4;
        });
    }, 5000);
}

// The ticks of a run of plan that play a cue, as its engine plays them:
// tick n is due n seconds after the start.
std::vector<int> cueTicks(const tavrin::Programme &plan)
{
    tavrin::SilentWindow w;
    tavrin::SilentPlayers p;
    tavrin::Engine e(w, p);
    e.setProgramme(plan);
    e.Command1_Click();
    std::vector<int> ticks;
    tavrin::RunSnapshot s = e.snapshot();
    for (int next; (next = tavrin::ticksToNextCue(s, 3600)) > 0; s = tavrin::advanced(s, next))
        ticks.push_back((ticks.empty() ? 0 : ticks.back()) + next);
    return ticks;
}

// Each cue m played from start on began on one of ticks (80 ms after its
// second, as every member plays) but those in skipped, and each of the
// others was heard once: empty, or what was not so.
QString onTicks(const e2e::RoomsRig &rig, const Member &m, double start, const std::vector<int> &ticks,
                const std::function<bool(int)> &skipped = {})
{
    std::vector<double> heard;
    for (double o : rig.onsets(m))
        if (o > start + 0.5)
            heard.push_back(o);
    QString wrong;
    for (int t : ticks) {
        if (skipped && skipped(t))
            continue;
        const auto at = std::find_if(heard.begin(), heard.end(), [&](double o) {
            return std::abs(o - start - t - 0.08) < e2e::RoomsRig::kSameCue;
        });
        if (at != heard.end())
            heard.erase(at);
        else
            wrong += QStringLiteral(" tick %1 not heard;").arg(t);
    }
    for (double o : heard)
        wrong += QStringLiteral(" a cue %1 s after the start;").arg(o - start, 0, 'f', 3);
    return wrong.isEmpty() ? QString() : m.name + wrong;
}

} // namespace

class TestRoomsE2E : public QObject {
    Q_OBJECT
private slots:
    void examinationInFourRooms();
    void scheduledStartAndSoundCheck();
    void heldRoomRejoinsOnTheNextQuestion();
    void programmeWithARoomHeld();
};

void TestRoomsE2E::examinationInFourRooms()
{
    if (const QString why = e2e::missingDisplay(); !why.isEmpty())
        QFAIL(qPrintable(why));
    e2e::RoomsRig rig;
    const QString started = rig.start(u"3,2,3"_qs, {u"A"_qs, u"B"_qs, u"C"_qs}, {0, 5, 0}, {true, true, false});
    QVERIFY2(started.isEmpty(), qPrintable(started));
    // On a failure, everything the broker carried is kept beside the screen grabs.
    const auto keepLog = qScopeGuard([&] {
        QFile f(u"rooms-broker-log.txt"_qs);
        if (QTest::currentTestFailed() && f.open(QIODevice::WriteOnly))
            for (const auto &e : rig.log.entries())
                f.write(QByteArray::number(e.at, 'f', 3) + ' ' + e.topic.toUtf8() + ' ' + e.payload + '\n');
    });
    Member &ctl = rig.controller();
    Member &a = *rig.room(u"A"_qs);
    Member &b = *rig.room(u"B"_qs);
    Member &c = *rig.room(u"C"_qs);
    const QStringList rooms{u"A"_qs, u"B"_qs, u"C"_qs};
    const std::vector<Member *> all{&ctl, &a, &b, &c};
    QThread::msleep(2500); // the null sinks settle, as in the one-room test
    e2e::closeNotices();
    const auto &log = rig.log.entries();
    const auto lastStatus = [&](const QString &room) {
        for (auto it = log.rbegin(); it != log.rend(); ++it)
            if (it->topic == statusTopic(rig, room))
                return e2e::json(it->payload);
        return QJsonObject();
    };
    // The room 5 s ahead measured it; the room without cue files says so.
    QVERIFY(std::abs(lastStatus(u"B"_qs).value(u"offset"_qs).toDouble() - 5000) < 50);
    QCOMPARE(lastStatus(u"C"_qs).value(u"cues"_qs).toArray().first().toString(), u"builtin"_qs);
    QCOMPARE(lastStatus(u"A"_qs).value(u"cues"_qs).toArray().first().toString(), u"own"_qs);

    // ---- An examination: start, pause in the move time, resume, fewer
    // questions with Enter, the end.
    const double run1 = e2e::wallSeconds();
    ctl.program->click(at::command1);
    QVERIFY(controllerShows(rig, {1, 4, u"running"_qs}, 5000));
    const double paused = e2e::wallSeconds();
    ctl.program->click(at::command2);
    QVERIFY(roomsShow(rig, rooms, u"paused"_qs, paused, 2000));
    QVERIFY2(sameViews(rig, all, u"rooms-paused.png"_qs), "the rooms do not show what the controller shows");
    QThread::msleep(1200);
    ctl.program->click(at::command2);
    QVERIFY(controllerShows(rig, {2, 1, u"running"_qs}, 4000));
    enterTimes(ctl, {u"3"_qs, u"2"_qs, u"2"_qs});
    QVERIFY(controllerShows(rig, {2, 0, u"finished"_qs}, 8000));
    const double finished1 = e2e::wallSeconds();
    QVERIFY(roomsShow(rig, rooms, u"finished"_qs, finished1 - 1, 2000));
    QVERIFY2(QTest::qWaitFor([&] { return rig.heardSince(all, finished1 - 0.5); }, 3000), "not every end cue heard");
    const double end1 = e2e::wallSeconds();
    QString problem = followed(rig, rooms, run1, end1);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    problem = rig.together(all, run1, end1);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    // ---- The faults, in a second examination of 28 s.
    ctl.program->click(at::command1); // reset
    QVERIFY(roomsShow(rig, rooms, u"idle"_qs, end1, 2000));
    const double entered = e2e::wallSeconds();
    enterTimes(ctl, {u"5"_qs, u"2"_qs, u"4"_qs});
    QVERIFY(rig.log.waitFor([&](const e2e::BrokerLog::Entry &e) {
        return e.topic == stateTopic(rig) && e2e::json(e.payload).value(u"event"_qs).toString() == u"time"_qs;
    }, 3000, entered));
    const double run2 = e2e::wallSeconds();
    ctl.program->click(at::command1);
    QVERIFY(controllerShows(rig, {1, 2, u"running"_qs}, 4000));

    // The broker stops for three seconds: every member goes on by itself.
    const double brokerDown = e2e::wallSeconds();
    rig.broker.stop();
    QThread::msleep(3000);
    QVERIFY(rig.broker.start().isEmpty());
    QVERIFY(rig.log.start(rig.broker, u"tavrin/e2e/#"_qs).isEmpty());
    const double brokerBack = e2e::wallSeconds();
    QVERIFY2(rig.roomsReport(8000, brokerBack), "the rooms did not come back to the broker");
    // A reset that this examination's controller did not send changes nothing.
    const QString forged = QStringLiteral(
        R"({"v":2,"kind":"state","exam":"e2e","from":"c-0000000000000000","seq":99,"event":"reset","due":%1,)"
        R"("period":1000,"run":{"time1":5,"time2":2,"cycle":4,"fkc":0,"sw":0,"ck":0,"t":0,"reset":false,)"
        R"("resume":false,"question":"0","move":false,"end":false}})").arg(qint64(e2e::wallSeconds() * 1000));
    e2e::run(u"mosquitto_pub"_qs, {u"-p"_qs, QString::number(rig.broker.port()), u"-t"_qs, stateTopic(rig), u"-m"_qs, forged});

    // A room is killed and started again: it rejoins at the right second.
    const double killedA = e2e::wallSeconds();
    rig.kill(a);
    QThread::msleep(1000);
    const double relaunched = e2e::wallSeconds();
    QVERIFY(rig.launch(a).isEmpty());
    QVERIFY2(rig.roomsReport(5000, relaunched), "the restarted room did not report itself");
    const double rejoined = e2e::wallSeconds();
    QThread::msleep(1500);
    e2e::closeNotices();

    // The controller is killed; the rooms go on. Started again, it asks from
    // its journal whether to carry on, the operator does, and it leads again.
    const double killed = e2e::wallSeconds();
    rig.kill(ctl);
    QThread::msleep(2000);
    const double restarted = e2e::wallSeconds();
    QVERIFY(rig.launch(ctl, u"前の試験が途中で止まっています"_qs).isEmpty());
    const double resumed = e2e::wallSeconds();
    QVERIFY(rig.log.waitFor([&](const e2e::BrokerLog::Entry &e) { return e.topic == stateTopic(rig); }, 3000, restarted));
    const double leading = e2e::wallSeconds();
    QThread::msleep(1500);
    e2e::closeNotices();
    ctl.program->click(at::command2);
    QVERIFY(roomsShow(rig, rooms, u"paused"_qs, leading, 2000));
    // The notices of the restart (the resume, the rooms' cue sounds) come one
    // after another; they are answered through the keyboard.
    for (QString box; !(box = ctl.program->waitForWindow(u"^Tavrin$"_qs, 500)).isEmpty();)
        ctl.program->keyTo(box, u"Return"_qs);
    // A room may tell of a late cue meanwhile (a loaded machine); its notice
    // would cover the view compared here.
    e2e::closeNotices();
    QVERIFY2(sameViews(rig, all, u"rooms-paused-after-faults.png"_qs), "the rooms do not show what the controller shows");
    ctl.program->click(at::command2);
    QVERIFY(controllerShows(rig, {4, 0, u"finished"_qs}, 30000));
    const double finished2 = e2e::wallSeconds();
    QVERIFY2(QTest::qWaitFor([&] { return rig.heardSince(all, finished2 - 0.5); }, 3000), "not every end cue heard");
    const double end2 = e2e::wallSeconds();

    // Before, during and after each fault, the rooms are on the same second.
    // The rooms' reports of the last second before the stop reach the
    // broker only when it is back, so that second is not asked for here.
    problem = followed(rig, rooms, run2, brokerDown - 0.6);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    problem = rig.together(all, run2, relaunched - 1.2);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    problem = rig.together(all, rejoined + 0.5, killed);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    problem = rig.together({&a, &b, &c}, killed + 0.3, restarted);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    problem = followed(rig, rooms, leading + 0.5, end2);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    // Every cue of every member from the takeover on, the second on which
    // the controller takes the lead included: the rooms used to leave it out.
    problem = rig.together(all, resumed, end2);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    // The proof: every cue of every room, those sent late after the broker's
    // stop and the controller's restart included. Room A's last report
    // before its kill may have died with it.
    problem = everyCueProved(rig, rooms, run1, end2, {{killedA - 0.5, relaunched}});
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

QTEST_GUILESS_MAIN(TestRoomsE2E)
#include "tst_rooms_e2e.moc"

// A start 22 s ahead: every member's first cue one second after it;
// before it, a sound check asked of every room fills in the ready board.
void TestRoomsE2E::scheduledStartAndSoundCheck()
{
    if (const QString why = e2e::missingDisplay(); !why.isEmpty())
        QFAIL(qPrintable(why));
    e2e::RoomsRig rig;
    const qint64 startMs = (QDateTime::currentMSecsSinceEpoch() / 1000 + 22) * 1000;
    rig.controllerArgs = {u"--start-at"_qs, QDateTime::fromMSecsSinceEpoch(startMs).toString(u"HH:mm:ss"_qs)};
    const QString started = rig.start(u"3,2,2"_qs, {u"A"_qs, u"B"_qs}, {0, 3}, {true, false});
    QVERIFY2(started.isEmpty(), qPrintable(started));
    e2e::closeNotices();
    const auto &log = rig.log.entries();
    QString controllerId;
    for (const auto &e : log)
        if (e.topic == u"tavrin/e2e/schedule"_qs)
            controllerId = e2e::json(e.payload).value(u"from"_qs).toString();
    QVERIFY2(!controllerId.isEmpty(), "the controller did not publish its start");

    // The controller's request, as its button sends it (nothing is signed on this broker).
    const double asked = e2e::wallSeconds();
    const QByteArray ask = QStringLiteral(R"({"v":2,"kind":"soundcheck?","exam":"e2e","from":"%1","at":%2})")
                               .arg(controllerId).arg(QDateTime::currentMSecsSinceEpoch()).toUtf8();
    e2e::run(u"mosquitto_pub"_qs, {u"-p"_qs, QString::number(rig.broker.port()), u"-t"_qs, u"tavrin/e2e/soundcheck"_qs,
                                  u"-m"_qs, QString::fromUtf8(ask)});
    for (const QString &r : {u"A"_qs, u"B"_qs}) {
        const bool checked = rig.log.waitFor(
            [&](const e2e::BrokerLog::Entry &e) {
                const QJsonObject ready = e2e::json(e.payload).value(u"ready"_qs).toObject();
                return e.topic == statusTopic(rig, r) && ready.value(u"check"_qs).toDouble() > 0 &&
                       !ready.value(u"checking"_qs).toBool();
            },
            15000, asked);
        QVERIFY2(checked, qPrintable(u"room %1 did not report a sound check"_qs.arg(r)));
    }
    QJsonObject readyB;
    for (const auto &e : log)
        if (e.topic == statusTopic(rig, u"B"_qs))
            readyB = e2e::json(e.payload).value(u"ready"_qs).toObject();
    QCOMPARE(readyB.value(u"heard"_qs).toArray().first().toString(), u"builtin"_qs);
    QVERIFY(readyB.value(u"journal"_qs).toBool());
    // The board as the operator sees it (F8 on the controller), kept for a look.
    QVERIFY(e2e::keyToWindow(u".*の操作卓"_qs, u"F8"_qs));
    QVERIFY(!rig.controller().program->waitForWindow(u"^部屋の状態$"_qs, 3000).isEmpty());
    e2e::screen().save(u"rooms-ready-board.png"_qs);

    // The run starts at the start second and its first tick (second 1 of
    // question 1, with 3 s to answer a cue of its own) comes one second
    // later. Any cue from half a second before the start on is the first.
    const double start = double(startMs) / 1000;
    const double due = start + 1;
    while (e2e::wallSeconds() < due + 2)
        QThread::msleep(200);
    for (const auto &m : rig.members) {
        double first = 0;
        for (double t : rig.onsets(*m))
            if (t > start - 0.5) {
                first = t;
                break;
            }
        // Every cue sounds 80 ms after its second, on every member alike.
        qInfo("%s: first cue %.1f ms after its due second", qPrintable(m->name), (first - due) * 1000);
        QVERIFY2(std::abs(first - due - 0.08) < e2e::RoomsRig::kSameCue, qPrintable(u"%1 did not start on the second"_qs.arg(m->name)));
    }
}

// Room B is held during question 2 of four at 3 + 1 s and brought back:
// it plays nothing until the start of question 3, then every cue with the
// others; A and the controller miss none, and the record has B's hold.
void TestRoomsE2E::heldRoomRejoinsOnTheNextQuestion()
{
    if (const QString why = e2e::missingDisplay(); !why.isEmpty())
        QFAIL(qPrintable(why));
    e2e::RoomsRig rig;
    const qint64 startMs = (QDateTime::currentMSecsSinceEpoch() / 1000 + 22) * 1000;
    rig.controllerArgs = {u"--start-at"_qs, QDateTime::fromMSecsSinceEpoch(startMs).toString(u"HH:mm:ss"_qs)};
    const QString started = rig.start(u"3,1,4"_qs, {u"A"_qs, u"B"_qs}, {0, 3}, {true, true});
    QVERIFY2(started.isEmpty(), qPrintable(started));
    e2e::closeNotices();
    const QString controllerId = controllerIdOf(rig);
    QVERIFY(!controllerId.isEmpty());
    // Tick n is due at start + n s; question q starts on tick 4q - 3.
    const double start = double(startMs) / 1000;
    waitUntil(start + 5.5);
    rig.askHold(u"B"_qs, true, controllerId, QDateTime::currentMSecsSinceEpoch());
    QVERIFY(rig.log.waitFor([&](const e2e::BrokerLog::Entry &e) {
        return e.topic == statusTopic(rig, u"B"_qs) && e2e::json(e.payload).contains(u"hold"_qs);
    }, 2000, start + 5.5));
    e2e::screen().save(u"rooms-held-room.png"_qs);
    QVERIFY(e2e::keyToWindow(u".*の操作卓"_qs, u"F8"_qs));
    QVERIFY(!rig.controller().program->waitForWindow(u"^部屋の状態$"_qs, 3000).isEmpty());
    waitUntil(start + 6.5);
    e2e::screen().save(u"rooms-status-hold.png"_qs);
    rig.askHold(u"B"_qs, false, controllerId, QDateTime::currentMSecsSinceEpoch());
    waitUntil(start + 18);
    Member &ctl = rig.controller();
    Member &a = *rig.room(u"A"_qs);
    Member &b = *rig.room(u"B"_qs);
    QString problem = rig.together({&ctl, &a}, start + 0.5, start + 16.5);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    problem = rig.together({&ctl, &b}, start + 0.5, start + 5.5);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    problem = rig.together({&ctl, &b}, start + 8.8, start + 16.5);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    for (double t : rig.onsets(b))
        QVERIFY2(t < start + 5.6 || t > start + 8.9, qPrintable(u"B played at %1 while held"_qs.arg(t - start)));
    QVERIFY2(heldFrom2To3(rig, start), "the controller's record has no hold of B from question 2 to 3");
    // After the run, B's speaker correction set from the board: its status
    // shows it and its options file keeps it.
    const double asked = e2e::wallSeconds();
    rig.askSpeaker(u"B"_qs, 120, controllerId, QDateTime::currentMSecsSinceEpoch());
    QVERIFY2(rig.log.waitFor([&](const e2e::BrokerLog::Entry &e) {
        return e.topic == statusTopic(rig, u"B"_qs) &&
               e2e::json(e.payload)[u"ready"_qs].toObject()[u"speakerDelay"_qs].toInt() == 120;
    }, 3000, asked), "B did not report the correction set from the board");
    QVERIFY2(QTest::qWaitFor([&] {
        return QSettings(b.dir.filePath(u"Tavrin-options.ini"_qs), QSettings::IniFormat)
                   .value(u"sound/speakerDelayMs"_qs).toInt() == 120;
    }, 3000), "B did not keep the correction in its options file");
    e2e::screen().save(u"rooms-speaker-set.png"_qs);
}

// A programme of 3 questions at 3 + 1 s, a break of 5 s and 2 questions at
// 4 + 2 s, given to the controller, in two rooms: every cue of every member
// on the programme's seconds; B held in question 2 and brought back on the
// start of question 3 (tick 9) with A missing nothing; the record has it.
void TestRoomsE2E::programmeWithARoomHeld()
{
    if (const QString why = e2e::missingDisplay(); !why.isEmpty())
        QFAIL(qPrintable(why));
    const QByteArray text = "[block]\nquestions = 3\nanswer = 3\nmove = 1\n[break]\nseconds = 5\n"
                            "[block]\nquestions = 2\nanswer = 4\nmove = 2\n";
    const tavrin::ProgrammeRead plan = tavrin::parseProgramme(text);
    QVERIFY2(plan.ok(), qPrintable(plan.describe()));
    QTemporaryDir dir;
    QFile file(dir.filePath(u"day.txt"_qs));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();
    e2e::RoomsRig rig;
    const qint64 startMs = (QDateTime::currentMSecsSinceEpoch() / 1000 + 22) * 1000;
    rig.controllerArgs = {u"--programme"_qs, file.fileName(), u"--start-at"_qs,
                          QDateTime::fromMSecsSinceEpoch(startMs).toString(u"HH:mm:ss"_qs)};
    const QString started = rig.start(u"3,1,3"_qs, {u"A"_qs, u"B"_qs}, {0, 3}, {true, true});
    QVERIFY2(started.isEmpty(), qPrintable(started));
    e2e::closeNotices();
    const QString controllerId = controllerIdOf(rig);
    QVERIFY(!controllerId.isEmpty());
    const double start = double(startMs) / 1000;
    waitUntil(start + 5.5);
    rig.askHold(u"B"_qs, true, controllerId, QDateTime::currentMSecsSinceEpoch());
    waitUntil(start + 6.5);
    rig.askHold(u"B"_qs, false, controllerId, QDateTime::currentMSecsSinceEpoch());
    waitUntil(start + plan.programme->total() + 2);
    const std::vector<int> ticks = cueTicks(*plan.programme);
    QVERIFY(!ticks.empty());
    QString list;
    for (int t : ticks)
        list += u' ' + QString::number(t);
    qInfo("cues on ticks%s", qPrintable(list));
    for (Member *m : {&rig.controller(), rig.room(u"A"_qs)}) {
        const QString wrong = onTicks(rig, *m, start, ticks);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    }
    const QString wrong = onTicks(rig, *rig.room(u"B"_qs), start, ticks, [](int t) { return t > 5 && t < 9; });
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    QVERIFY2(heldFrom2To3(rig, start), "the controller's record has no hold of B from question 2 to 3");
}
