#include "member_rig.h"

#include "identity.h"

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

const SigningKey &MemberRig::key()
{
    static const SigningKey k = SigningKey::fromSeed(QByteArray(kSeedBytes, 'e'));
    return k;
}

const SigningKey &MemberRig::roomKey(int n)
{
    static const SigningKey keys[] = {SigningKey::fromSeed(QByteArray(kSeedBytes, 'a')), SigningKey::fromSeed(QByteArray(kSeedBytes, 'b'))};
    return keys[n % 2];
}

QByteArray MemberRig::roomSealed(const SigningKey &k, const QString &topic, const QByteArray &payload,
                                 const QByteArray &correlation)
{
    return sealPayload(k, topic, correlation, payload.chopped(1) + ",\"key\":\"" + encodeKey(k.publicKey()) + "\"}");
}

MemberRig::MemberRig()
{
    timer.setInterval(1000);
    QObject::connect(&timer, &PhaseTimer::timeout, [this] { engine.Timer1_Timer(); });
}

MemberSeams MemberRig::seams(bool sign, bool controller)
{
    auto l = std::make_unique<FakeLink>();
    link = l.get();
    MemberSeams s;
    s.examPublicKey = sign ? key().publicKey() : QByteArray();
    (controller ? s.examKey : s.roomKey) = !sign ? SigningKey() : controller ? key() : roomKey(0);
    s.link = std::move(l);
    return s;
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
                               const SigningKey *k) const
{
    return sealPayload(k ? *k : key(), topics.controller(), {},
                       writePresence(kExam, {from, leads, leads ? sinceMs : 0, leads, u"h"_qs, over, clock.wallMs()}));
}

QByteArray MemberRig::state(qint64 seq, qint64 dueMs, const SigningKey &k, const QString &topic, const QString &from,
                            StateEvent event, const RunSnapshot &run) const
{
    return sealPayload(k, topic, {}, writeState(kExam, {from, seq, event, dueMs, run}));
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
        openPayload(MemberRig::key().publicKey(), topic, {}, s.back().payload, &body);
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
    room = std::make_unique<Room>(kExam, u"A"_qs, BrokerSettings{}, engine, window, timer, nullptr, seams(true, false));
    room->start();
}

void RoomRig::answerFirst(const QString &from, qint64 behindUs, const ClockKeeping &keeping)
{
    const std::vector<Outgoing> asks = sentOn(topics.clock());
    QVERIFY(!asks.empty());
    const QString topic = topics.roomClock(u"A"_qs);
    const qint64 now = clock.wallUs() - behindUs;
    deliver(topic, sealPayload(key(), topic, asks.front().correlation, writeClockReply(kExam, {from, now, now, keeping})),
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
