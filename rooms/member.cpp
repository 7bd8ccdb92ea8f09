#include "member.h"

#include "cue_report.h"
#include "mqtt_client.h"
#include "phase_timer.h"
#include "texts.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
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

struct Member::Intake {
    Kind kind;
    bool controller; // the controller takes it
    bool room;       // a room takes it
    int qos;
    int burst = 0;   // messages a sending room may send at once (0: no budget)
    double perSecond = 0;
};

// What each role takes, and how it subscribes for it: the one list.
// Subscribed to in this order: a retained presence comes before the state,
// so that a room knows whom it follows when the state comes.
std::span<const Member::Intake> Member::intakes()
{
    static constexpr Intake kIntakes[] = {
        {Kind::Presence, true, true, 1},
        {Kind::State, true, true, 1},
        {Kind::ClockAsk, true, false, 0},
        {Kind::ClockReply, false, true, 0},
        {Kind::Status, true, true, 1, kStatusBurst, kStatusPerSecond},
        {Kind::CueReport, true, false, 1, kReportBurst, kReportPerSecond},
    };
    return kIntakes;
}

Member::Member(const QString &exam, const QString &room, const BrokerSettings &broker, MemberSeams seams,
               PhaseTimer &timer, QObject *parent)
    : QObject(parent), exam_(exam), room_(room), topics_(exam), id_(newMemberId(room.isEmpty())), broker_(broker),
      examKey_(seams.examKey), examPublicKey_(seams.examPublicKey), roomKey_(seams.roomKey),
      timer_(timer), clock_(timer.clock()),
      link_(seams.link ? std::move(seams.link) : std::make_unique<MqttClient>(QStringLiteral("tavrin-") + id_)),
      client_(*link_), refusals_([this](const QString &t) { emit note(t); }), cueWait_(clock_)
{
    client_.setBroker(broker);
    for (const Intake &in : intakes()) {
        if (!(room_.isEmpty() ? in.controller : in.room))
            continue;
        QString filter;
        switch (in.kind) {
        case Kind::Presence: filter = topics_.controller(); break;
        case Kind::State: filter = topics_.state(); break;
        case Kind::ClockAsk: filter = topics_.clock(); break;
        case Kind::ClockReply: filter = topics_.roomClock(room_); break;
        case Kind::Status: filter = topics_.allRoomStatus(); break;
        case Kind::CueReport: filter = topics_.allRoomCues(); break;
        }
        // Nobody reads back what it said itself.
        const bool own = room_.isEmpty() ? in.kind == Kind::Presence || in.kind == Kind::State : in.kind == Kind::Status;
        client_.addSubscription(filter, in.qos, own);
    }
    connect(&client_, &MqttLink::connectionChanged, this, &Member::onConnection);
    connect(&client_, &MqttLink::received, this, &Member::received);
    cueWait_.setSingleShot(true);
    connect(&cueWait_, &ClockTimer::timeout, this, &Member::cuesOverdue);
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
    // A tick is handled up to the clock's lead before its second, for a
    // speaker slower than its sink: its cue is still due on that second.
    const qint64 since = now - dueWallMs;
    const qint64 due = since > -PhaseTimer::kMaxLeadMs - 1 && since < kPeriodMs ? dueWallMs : now;
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

RunSnapshot Member::onGridOf(const RunSnapshot &run, qint64 dueMs)
{
    timer_.alignTo(dueMs);
    const qint64 ahead = timer_.nextDueWallMs() - dueMs;
    return advanced(run, ahead <= kPeriodMs ? 0 : (ahead + kPeriodMs / 2) / kPeriodMs - 1);
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
    refusals_.refused(m.topic, why, detail, senderOf(m), nowMs());
    emit changed();
}

std::optional<QByteArray> Member::opened(const Incoming &m, const QString &room)
{
    if (m.size > kMaxPayload) {
        recordRefusal(m, Refusal::TooLarge, QStringLiteral("%1 bytes").arg(m.size));
        return std::nullopt;
    }
    if (examPublicKey_.isEmpty())
        return m.payload;
    // The controller's kinds by the examination's key; a room's by its own,
    // which it names in the payload (checked against the approved one below).
    QByteArray key = examPublicKey_;
    if (!room.isEmpty())
        key = keyNamedIn(m.payload).value_or(QByteArray());
    QByteArray body;
    const SigCheck check = key.isEmpty() ? SigCheck::Missing : openPayload(key, m.topic, m.correlation, m.payload, &body);
    if (check == SigCheck::Good) {
        if (!room.isEmpty() && !roomKeyTaken(room, key)) {
            recordRefusal(m, Refusal::OtherKey, fingerprint(key));
            return std::nullopt;
        }
        return body;
    }
    // A member of another version signs otherwise: said as such, so that
    // the operator knows what to mend.
    const QJsonValue v = QJsonDocument::fromJson(m.payload).object().value(QLatin1String("v"));
    if (v.isDouble() && v.toDouble() != kVersion)
        recordRefusal(m, Refusal::OtherVersion, QStringLiteral("v %1").arg(v.toDouble()));
    else
        recordRefusal(m, Refusal::Unsigned, check == SigCheck::Missing ? QStringLiteral("no sig") : QStringLiteral("sig"));
    return std::nullopt;
}

std::optional<QByteArray> Member::keyNamedIn(QByteArrayView payload)
{
    const QJsonObject o = QJsonDocument::fromJson(payload.toByteArray()).object();
    return decodeKey(o.value(QLatin1String("key")).toString().toLatin1(), kPublicKeyBytes);
}

bool Member::roomKeyTaken(const QString &room, const QByteArray &key)
{
    const auto approved = approvedKeys_.constFind(room);
    if (approved != approvedKeys_.cend())
        return *approved == key;
    if (!seenKeys_.contains(room) && seenKeys_.size() >= 2 * kMaxRooms)
        seenKeys_.erase(seenKeys_.begin());
    seenKeys_[room] = key; // the latest key heard under that name, until approved
    return true;
}

void Member::setApprovedKeys(const QHash<QString, QByteArray> &keys)
{
    approvedKeys_ = keys;
    emit changed();
}

QByteArray Member::keyOf(const QString &room) const
{
    return approvedKeys_.value(room, seenKeys_.value(room));
}

bool Member::approved(const QString &room) const
{
    return approvedKeys_.contains(room);
}

QString Member::examFingerprint() const
{
    return examPublicKey_.isEmpty() ? QString() : fingerprint(examPublicKey_);
}

Outgoing Member::sealed(Outgoing o) const
{
    if (examPublicKey_.isEmpty())
        return o;
    if (!room_.isEmpty()) {
        if (roomKey_.isNull())
            return o;
        // The room's public key goes with what it signs: the controller
        // learns it at first sight and holds it to it once approved.
        o.payload.chop(1);
        o.payload += ",\"key\":\"" + encodeKey(roomKey_.publicKey()) + "\"}";
        o.payload = sealPayload(roomKey_, o.topic, o.correlation, o.payload);
    } else if (!examKey_.isNull()) {
        o.payload = sealPayload(examKey_, o.topic, o.correlation, o.payload);
    }
    return o;
}

Outgoing Member::retained(const QString &topic, const QByteArray &payload) const
{
    Outgoing o;
    o.topic = topic;
    o.payload = payload;
    o.qos = 1;
    o.retain = true;
    o = sealed(o);
    if (room_.isEmpty())
        lastSent_[topic] = o.payload;
    return o;
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
    if (const std::optional<QByteArray> body = opened(m, {}))
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

const Member::Intake *Member::intakeOf(const QString &topic, QString *room) const
{
    Kind kind = Kind::Presence;
    if (topic == topics_.controller()) {
        kind = Kind::Presence;
    } else if (topic == topics_.state()) {
        kind = Kind::State;
    } else if (topic == topics_.clock()) {
        kind = Kind::ClockAsk;
    } else {
        const std::pair<Topics::Leaf, Kind> leaves[] = {{Topics::Leaf::Status, Kind::Status},
                                                        {Topics::Leaf::Clock, Kind::ClockReply},
                                                        {Topics::Leaf::Cues, Kind::CueReport}};
        const auto leaf = std::find_if(std::begin(leaves), std::end(leaves), [&](const auto &l) {
            *room = topics_.roomOf(topic, l.first).value_or(QString());
            return !room->isEmpty();
        });
        // A room listens for the answers to its own questions only.
        if (leaf == std::end(leaves) || (leaf->second == Kind::ClockReply && *room != room_))
            return nullptr;
        kind = leaf->second;
    }
    for (const Intake &in : intakes())
        if (in.kind == kind && (room_.isEmpty() ? in.controller : in.room))
            return &in;
    return nullptr;
}

// Every message of the broker's comes here first: the checks that every
// kind goes through, then the handler of its kind.
void Member::received(const Incoming &m)
{
    if (takeExtra(m))
        return;
    QString room;
    const Intake *in = intakeOf(m.topic, &room);
    if (!in)
        return;
    if (in->kind == Kind::Status && m.payload.isEmpty() && m.size == 0) {
        // A cleared retained status: the room is gone for good. Unsigned,
        // it would let anybody strike a room off the list.
        if (!examPublicKey_.isEmpty()) {
            recordRefusal(m, Refusal::Unsigned, QStringLiteral("empty"));
            return;
        }
        rooms_.remove(room);
        emit changed();
        return;
    }
    const bool roomKind = in->kind == Kind::Status || in->kind == Kind::CueReport || in->kind == Kind::ClockAsk;
    QString sender = room;
    if (in->kind == Kind::ClockAsk)
        sender = QJsonDocument::fromJson(m.payload).object().value(QLatin1String("room")).toString();
    if (roomKind && !validName(sender)) {
        recordRefusal(m, Refusal::Malformed, QStringLiteral("room"));
        return;
    }
    const std::optional<QByteArray> body = opened(m, roomKind ? sender : QString());
    if (!body)
        return;
    // A sender gets so many at once and so many a second; the rest are
    // refused before anything is read or written.
    if (in->burst > 0) {
        QHash<QString, Bucket> &budgets = budgets_[std::size_t(in->kind)];
        if (!spend(budgets[room], in->burst, in->perSecond)) {
            recordRefusal(m, Refusal::TooMany, room);
            return;
        }
        while (budgets.size() > 2 * kMaxRooms) // the budgets of rooms never listed
            budgets.erase(budgets.begin());
    }
    const auto take = [&](const auto &reading, const auto &handler) {
        if (reading.ok())
            handler(*reading.message);
        else
            recordRefusal(m, reading.refusal, reading.detail);
    };
    switch (in->kind) {
    case Kind::Presence:
        take(readPresence(*body, exam_), [&](const PresenceMessage &p) {
            if (!ownName(m, p.from) && fresh(m, p))
                takePresence(m, p);
        });
        break;
    case Kind::State:
        take(readState(*body, exam_), [&](const StateMessage &s) {
            if (!ownName(m, s.from))
                takeState(m, s);
        });
        break;
    case Kind::ClockAsk:
        take(readClockAsk(*body, exam_), [&](const QString &asker) { takeClockAsk(m, asker); });
        break;
    case Kind::ClockReply:
        take(readClockReply(*body, exam_), [&](const ClockReply &r) { takeClockReply(m, r); });
        break;
    case Kind::Status:
        take(readStatus(*body, exam_, room), [&](const RoomStatus &s) { takeStatus(m, room, s); });
        break;
    case Kind::CueReport:
        take(readCueReport(*body, exam_, room, nowMs()), [&](const CueReport &r) { takeCueReport(m, r); });
        break;
    }
}

bool Member::ownName(const Incoming &m, const QString &from)
{
    if (!room_.isEmpty() || from != id_)
        return false;
    // Nothing of its own comes back but what the broker kept of it.
    if (m.retained && lastSent_.value(m.topic) == m.payload)
        return false;
    recordRefusal(m, Refusal::OwnName, m.topic.section(u'/', -1));
    const qint64 now = nowMs();
    const bool first = ownNameSeenMs_ == 0;
    if (first || now - ownNameNotedMs_ >= RefusalLog::kEntryGapMs || now < ownNameNotedMs_) {
        ownNameNotedMs_ = now;
        emit note(str(texts::roomsOwnNameForged));
    }
    ownNameSeenMs_ = now;
    ownNameForged();
    emit changed();
    return true;
}

// A presence is a controller's word only while it is new: one that says it
// leads is said again every kPresenceEveryMs, so an old one is a replay, and
// so is one older than the last heard from the same controller.
bool Member::fresh(const Incoming &m, const PresenceMessage &p)
{
    const qint64 now = nowMs();
    if (p.sinceMs > now + kClockBoundMs || p.atMs > now + kClockBoundMs) {
        recordRefusal(m, Refusal::BadValue, p.sinceMs > now + kClockBoundMs ? QStringLiteral("since") : QStringLiteral("at"));
        return false;
    }
    if (!p.online || !p.leading)
        return true; // a will is written before it is sent: it carries no time
    if (p.atMs < now - kPresenceFreshMs - kClockBoundMs) {
        recordRefusal(m, Refusal::Replayed, QStringLiteral("at"));
        return false;
    }
    qint64 &last = presenceAtMs_[p.from];
    if (p.atMs < last) {
        recordRefusal(m, Refusal::Replayed, QStringLiteral("at"));
        return false;
    }
    last = p.atMs;
    if (presenceAtMs_.size() > 64)
        presenceAtMs_.erase(presenceAtMs_.begin());
    return true;
}

void Member::ownNameForged() {}

// Reached only for the kinds a role lists.
void Member::takeClockAsk(const Incoming &, const QString &) {}
void Member::takeClockReply(const Incoming &, const ClockReply &) {}
void Member::takeCueReport(const Incoming &, const CueReport &) {}

void Member::takeStatus(const Incoming &m, const QString &room, const RoomStatus &s)
{
    if (!rooms_.contains(room) && rooms_.size() >= kMaxRooms) {
        recordRefusal(m, Refusal::TooMany, room);
        return;
    }
    // Each status newer than the last of the same start of the room, and
    // one that says the room is there, new: a replay shows no dead room alive.
    const qint64 now = nowMs();
    const auto had = rooms_.constFind(room);
    if (s.atMs > now + kClockBoundMs || (s.online && s.atMs < now - kStatusFreshMs - kClockBoundMs) ||
        (had != rooms_.cend() && had->status.from == s.from && s.atMs != 0 && s.atMs < had->status.atMs)) {
        recordRefusal(m, s.atMs > now + kClockBoundMs ? Refusal::BadValue : Refusal::Replayed, QStringLiteral("at"));
        return;
    }
    RoomView &v = rooms_[room];
    const bool wasOnline = v.status.online;
    const bool known = v.heardMs != 0;
    v.heardMs = nowMs();
    if (!known || wasOnline != s.online) {
        v.changedMs = s.online && s.sinceMs > 0 ? s.sinceMs : v.heardMs;
        if (!m.retained)
            emit note(str(s.online ? texts::roomsRoomJoined : texts::roomsRoomLeft).arg(room));
    }
    if (s.online && (!known || v.status.cues != s.cues)) {
        if (const QString notOwn = cuesNotOwn(s.cues); !notOwn.isEmpty())
            emit note(str(texts::roomsRoomBuiltinCues).arg(room, notOwn));
    }
    v.status = s;
    emit changed();
}

} // namespace tavrin::rooms
