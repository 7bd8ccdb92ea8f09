#include "member.h"

#include "cue_report.h"
#include "mqtt_client.h"
#include "signing.h"
#include "texts.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <utility>

namespace tavrin::rooms {

namespace {

using texts::str;

// A cue whose start the output has not told within this is taken as unheard
// (the mixer itself drops one a second late).
constexpr int kCueStartWaitMs = 2000;

// Who sent a refused message, as far as it says: its "from", else the topic.
QString senderOf(const Incoming &m)
{
    const QJsonObject o = QJsonDocument::fromJson(m.payload).object();
    const QString from = o.value(QLatin1String("from")).toString().left(24);
    return from.isEmpty() ? m.topic.left(120) : from;
}

} // namespace

Member::Member(const QString &exam, const BrokerSettings &broker, bool controller, MemberSeams seams, QObject *parent)
    : QObject(parent), exam_(exam), topics_(exam), id_(newMemberId(controller)), broker_(broker),
      key_(std::move(seams.key)), wallUs_(seams.wallUs ? std::move(seams.wallUs) : std::function<qint64()>(&MqttClient::nowUs)),
      link_(seams.link ? std::move(seams.link) : std::make_unique<MqttClient>(QStringLiteral("tavrin-") + id_)),
      client_(*link_), refusals_([this](const QString &t) { emit note(t); })
{
    client_.setBroker(broker);
    connect(&client_, &MqttLink::connectionChanged, this, &Member::onConnection);
    cueWait_.setSingleShot(true);
    connect(&cueWait_, &QTimer::timeout, this, &Member::cuesOverdue);
}

bool Member::spend(Bucket &b, double burst, double perSecond)
{
    const qint64 now = nowUs();
    b.tokens = b.atUs == 0 ? burst : qMin<double>(burst, b.tokens + double(now - b.atUs) * perSecond / 1e6);
    b.atUs = now;
    if (b.tokens < 1)
        return false;
    b.tokens -= 1;
    return true;
}

void Member::cueAsked(const QString &room, int player, qint64 dueWallMs, double offsetMs, const RunSnapshot &run)
{
    if (player < 1 || player > 4)
        return;
    std::optional<AskedCue> &slot = askedCues_[std::size_t(player - 1)];
    if (slot) // asked again before the output said anything of the last
        cueDone(std::exchange(slot, std::nullopt)->cue);
    const qint64 now = nowMs();
    AskedCue a;
    a.askedMs = now;
    a.offsetMs = offsetMs;
    a.cue.room = room;
    // A cue outside a tick (none is, in a run) is due when it is asked for.
    const qint64 due = now - dueWallMs >= 0 && now - dueWallMs < kPeriodMs ? dueWallMs : now;
    a.cue.dueMs = due - std::llround(offsetMs);
    a.cue.player = player;
    a.cue.question = qBound(0, run.question.toInt(), int(Integer::kMax));
    a.cue.second = qMax(0, run.t.value());
    a.cue.offsetMs = std::round(offsetMs * 10) / 10;
    a.cue.source = cues_ ? cues_(player) : CueSource::NotOpen;
    if (a.cue.source == CueSource::NotOpen)
        a.cue.source = CueSource::Silent;
    if (a.cue.source == CueSource::Silent) {
        cueDone(a.cue); // nothing will start
        return;
    }
    slot = a;
    if (!cueWait_.isActive())
        cueWait_.start(kCueStartWaitMs);
}

void Member::cueStarted(int player, qint64 wallMs)
{
    if (player < 1 || player > 4 || !askedCues_[std::size_t(player - 1)])
        return;
    AskedCue a = *std::exchange(askedCues_[std::size_t(player - 1)], std::nullopt);
    a.cue.startedMs = wallMs - std::llround(a.offsetMs);
    cueDone(a.cue);
}

void Member::cuesOverdue()
{
    const qint64 now = nowMs();
    qint64 next = -1;
    for (std::optional<AskedCue> &slot : askedCues_) {
        if (!slot)
            continue;
        if (now - slot->askedMs >= kCueStartWaitMs) {
            // Never started: the output was not there, or came too late.
            PlayedCue cue = std::exchange(slot, std::nullopt)->cue;
            cue.source = CueSource::Silent;
            cueDone(cue);
        } else {
            const qint64 left = kCueStartWaitMs - (now - slot->askedMs);
            next = next < 0 ? left : qMin(next, left);
        }
    }
    if (next >= 0)
        cueWait_.start(int(next));
}

void Member::recordRefusal(const Incoming &m, Refusal why, const QString &detail)
{
    refusals_.refused(m.topic, why, detail, senderOf(m));
    emit changed();
}

std::optional<QByteArray> Member::opened(const Incoming &m)
{
    if (m.size > kMaxPayload) {
        recordRefusal(m, Refusal::TooLarge, QStringLiteral("%1 bytes").arg(m.size));
        return std::nullopt;
    }
    if (key_.isEmpty())
        return m.payload;
    QByteArray body;
    switch (checkPayload(key_, m.topic, m.correlation, m.payload, &body)) {
    case Seal::Good: return body;
    case Seal::Missing: recordRefusal(m, Refusal::Unsigned, QStringLiteral("no mac")); break;
    case Seal::Wrong: recordRefusal(m, Refusal::Unsigned, QStringLiteral("mac")); break;
    }
    return std::nullopt;
}

Outgoing Member::sealed(Outgoing o) const
{
    o.payload = signPayload(key_, o.topic, o.correlation, o.payload);
    return o;
}

Outgoing Member::retained(const QString &topic, const QByteArray &payload) const
{
    Outgoing o;
    o.topic = topic;
    o.payload = payload;
    o.qos = 1;
    o.retain = true;
    return sealed(o);
}

bool Member::publishExtra(const QString &topic, const QByteArray &payload, bool retain)
{
    Outgoing o;
    o.topic = topic;
    o.payload = payload;
    o.qos = 1;
    o.retain = retain;
    return client_.publish(sealed(o));
}

void Member::subscribeExtra(const QString &topic)
{
    if (!extraTopics_.contains(topic))
        extraTopics_ += topic;
    client_.addSubscription(topic, 1, true);
}

bool Member::takeExtra(const Incoming &m)
{
    if (!extraTopics_.contains(m.topic))
        return false;
    if (m.payload.isEmpty() && m.size == 0 && m.retained)
        return true; // nothing kept on that topic
    if (const std::optional<QByteArray> body = opened(m))
        emit extraReceived(m.topic, *body, m.retained);
    return true;
}

QString Member::brokerName() const
{
    return QStringLiteral("%1:%2").arg(broker_.host).arg(broker_.port);
}

void Member::onConnection(bool connected, const QString &reason)
{
    connectionChangedMs_ = nowMs();
    connectionProblem_ = reason;
    if (connected) {
        emit note(str(texts::roomsConnected).arg(brokerName()));
        connectedNow();
    } else {
        emit note(str(texts::roomsDisconnected).arg(brokerName(), reason));
    }
    emit changed();
}

bool Member::takeStatus(const Incoming &m)
{
    const std::optional<QString> room = topics_.roomOf(m.topic);
    if (!room)
        return false;
    if (m.payload.isEmpty() && m.size == 0) { // a cleared retained status: the room is gone for good
        if (!key_.isEmpty()) {
            recordRefusal(m, Refusal::Unsigned, QStringLiteral("empty"));
            return true;
        }
        rooms_.remove(*room);
        emit changed();
        return true;
    }
    const std::optional<QByteArray> body = opened(m);
    if (!body)
        return true;
    // A sender gets so many statuses at once and so many a second; the rest
    // are refused before anything is read or written.
    if (!spend(statusBudget_[*room], kStatusBurst, kStatusPerSecond)) {
        recordRefusal(m, Refusal::TooMany, *room);
        return true;
    }
    const Reading<RoomStatus> r = readStatus(*body, exam_, *room);
    if (!r.ok()) {
        recordRefusal(m, r.refusal, r.detail);
        return true;
    }
    if (!rooms_.contains(*room) && rooms_.size() >= kMaxRooms) {
        recordRefusal(m, Refusal::TooMany, *room);
        return true;
    }
    while (statusBudget_.size() > 2 * kMaxRooms) // the budgets of rooms never listed
        statusBudget_.erase(statusBudget_.begin());
    RoomView &v = rooms_[*room];
    const bool wasOnline = v.status.online;
    const bool known = v.heardMs != 0;
    v.heardMs = nowMs();
    if (!known || wasOnline != r.message->online) {
        v.changedMs = r.message->online && r.message->sinceMs > 0 ? r.message->sinceMs : v.heardMs;
        if (!m.retained)
            emit note(str(r.message->online ? texts::roomsRoomJoined : texts::roomsRoomLeft).arg(*room));
    }
    if (r.message->online && (!known || v.status.cues != r.message->cues)) {
        if (const QString notOwn = cuesNotOwn(r.message->cues); !notOwn.isEmpty())
            emit note(str(texts::roomsRoomBuiltinCues).arg(*room, notOwn));
    }
    v.status = *r.message;
    emit changed();
    return true;
}

} // namespace tavrin::rooms
