#include "member_rig.h"

#include "signing.h"

#include <QTest>

#include <algorithm>

namespace tavrin::testing {

using namespace tavrin::rooms;

void startRun(Engine &e, int time1, int time2, int cycle)
{
    RunSnapshot run;
    run.time1 = time1;
    run.time2 = time2;
    run.cycle = cycle;
    e.adopt(run);
    e.Command1_Click();
}

const QByteArray &MemberRig::key()
{
    static const QByteArray k = deriveExamKey(QStringLiteral("correct horse"), kExam);
    return k;
}

MemberRig::MemberRig()
{
    timer.setInterval(1000);
    QObject::connect(&timer, &PhaseTimer::timeout, [this] { engine.Timer1_Timer(); });
}

MemberSeams MemberRig::seams(bool sign)
{
    auto l = std::make_unique<FakeLink>();
    link = l.get();
    return MemberSeams{sign ? key() : QByteArray(), std::move(l)};
}

void MemberRig::deliver(const QString &topic, const QByteArray &payload, const QByteArray &correlation, bool retained)
{
    Incoming in;
    in.retained = retained;
    in.topic = topic;
    in.payload = payload;
    in.size = payload.size();
    in.correlation = correlation;
    in.receivedUs = clock.wallUs();
    emit link->received(in);
}

QByteArray MemberRig::presence(const QString &from, qint64 sinceMs, const QString &over, bool leads,
                               const QByteArray &k) const
{
    return signPayload(k.isEmpty() ? key() : k, topics.controller(), {},
                       writePresence(kExam, {from, leads, leads ? sinceMs : 0, leads, u"h"_qs, over}));
}

QByteArray MemberRig::state(qint64 seq, qint64 dueMs, const QByteArray &k, const QString &topic, const QString &from,
                            StateEvent event, const RunSnapshot &run) const
{
    return signPayload(k, topic, {}, writeState(kExam, {from, seq, event, dueMs, run}));
}

std::vector<Outgoing> MemberRig::sentOn(const QString &topic) const
{
    std::vector<Outgoing> out;
    std::copy_if(link->sent.begin(), link->sent.end(), std::back_inserter(out),
                 [&](const Outgoing &o) { return o.topic == topic; });
    return out;
}

namespace {
// The last payload published on topic as written, its MAC left off.
QByteArray lastOn(const MemberRig &r, const QString &topic)
{
    const std::vector<Outgoing> s = r.sentOn(topic);
    QByteArray body = s.empty() ? QByteArray() : s.back().payload;
    if (!s.empty())
        checkPayload(MemberRig::key(), topic, {}, s.back().payload, &body);
    return body;
}
} // namespace

std::optional<StateMessage> MemberRig::lastState() const
{
    return readState(lastOn(*this, topics.state()), kExam).message;
}

std::optional<PresenceMessage> MemberRig::lastPresence() const
{
    return readPresence(lastOn(*this, topics.controller()), kExam).message;
}

RoomRig::RoomRig()
{
    room = std::make_unique<Room>(kExam, u"A"_qs, BrokerSettings{}, engine, window, timer, nullptr, seams());
    room->start();
}

void RoomRig::answerFirst(const QString &from, qint64 behindUs, const ClockKeeping &keeping)
{
    const std::vector<Outgoing> asks = sentOn(topics.clock());
    QVERIFY(!asks.empty());
    const QString topic = topics.roomClock(u"A"_qs);
    const qint64 now = clock.wallUs() - behindUs;
    deliver(topic, signPayload(key(), topic, asks.front().correlation, writeClockReply(kExam, {from, now, now, keeping})),
            asks.front().correlation);
}

ControllerRig::ControllerRig(bool brokerFallback, bool sign)
{
    controller = std::make_unique<Controller>(kExam, BrokerSettings{}, engine, timer, seams(sign));
    controller->setBrokerFallback(brokerFallback);
    engine.addObserver(controller.get());
    controller->start();
}

} // namespace tavrin::testing
