#include "members.h"

#include "cue_report.h"
#include "engine.h"
#include "follow.h"
#include "mqtt_client.h"
#include "phase_timer.h"
#include "signing.h"
#include "texts.h"

#include <QDateTime>
#include <QHostInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

namespace tavrin::rooms {

namespace {

using texts::str;

constexpr int kRetainedWaitMs = 1500; // what a broker's retained messages need to arrive
constexpr int kBurst = 8;             // questions for the time right after connecting
constexpr int kBurstGapMs = 150;
constexpr int kAskEveryMs = 5000;
constexpr int kHeartbeatMs = 5000;
constexpr int kNoOffsetMs = 3000;     // then follow with the clocks taken as equal
constexpr int kKeptRunMs = 3000;
constexpr qint64 kDayMs = 86'400'000;
// How far a controller's seq may move ahead of the last one taken: a state
// a second (the ticks) and the operator's actions, generously, for the time
// between the two; more is a forged or mangled number.
constexpr qint64 kSeqSlack = 256;
constexpr qint64 kSeqPerSecond = 4;
constexpr int kCorrelationBytes = 16; // a question's number nobody can guess
constexpr int kMaxControllers = 8;    // other controllers a room keeps in mind
// A cue whose start the output has not told within this is taken as unheard
// (the mixer itself drops one a second late).
constexpr int kCueStartWaitMs = 2000;
// A tick is done again for a state that came after it only this long before
// its cue is due: time for the tick and for a period to reach the device.
constexpr int kRetickLeadMs = 25;
// A room sends its reports a few at a time, well below what the controller
// takes from it, so that a backlog after a broker outage is never refused.
constexpr int kReportPaceMs = 250;
constexpr int kReportsPerPace = 2;
// A report sent this shortly before the connection (or the controller) was
// seen lost may have been lost with it: it is sent again (taken once).
constexpr qint64 kResendWindowMs = 20000;
constexpr std::size_t kOutboxMax = 5000;

const char16_t *refusalText(Refusal r)
{
    switch (r) {
    case Refusal::TooLarge: return texts::roomsTooLarge;
    case Refusal::Malformed: return texts::roomsMalformed;
    case Refusal::OtherVersion: return texts::roomsOtherVersion;
    case Refusal::OtherExam: return texts::roomsOtherExam;
    case Refusal::NotFromController: return texts::roomsNotFromController;
    case Refusal::BadValue: return texts::roomsBadValue;
    case Refusal::Unsigned: return texts::roomsUnsigned;
    case Refusal::Replayed: return texts::roomsReplayed;
    case Refusal::TooMany: return texts::roomsTooMany;
    case Refusal::OtherController: return texts::roomsNotFollowed;
    }
    return texts::roomsMalformed;
}

// Who sent a refused message, as far as it says: its "from", else the topic.
QString senderOf(const Incoming &m)
{
    const QJsonObject o = QJsonDocument::fromJson(m.payload).object();
    const QString from = o.value(QLatin1String("from")).toString().left(24);
    return from.isEmpty() ? m.topic.left(120) : from;
}

QString localHost()
{
    const QString h = QHostInfo::localHostName().left(kMaxNameLength);
    return validName(h) ? h : QString();
}

StateEvent eventOf(RunEventKind k)
{
    switch (k) {
    case RunEventKind::Start: return StateEvent::Start;
    case RunEventKind::Pause: return StateEvent::Pause;
    case RunEventKind::Resume: return StateEvent::Resume;
    case RunEventKind::Reset: return StateEvent::Reset;
    case RunEventKind::Tick: return StateEvent::Tick;
    case RunEventKind::End: return StateEvent::End;
    case RunEventKind::TimeEntry: return StateEvent::TimeEntry;
    case RunEventKind::FontFactor: return StateEvent::FontFactor;
    case RunEventKind::Adopted: return StateEvent::Adopted;
    default: return StateEvent::Sync;
    }
}

} // namespace

// ---- RefusalLog ---------------------------------------------------------------

void RefusalLog::refused(const QString &topic, Refusal why, const QString &detail, const QString &sender)
{
    ++total_;
    if (why == Refusal::Unsigned)
        ++forgeries_;
    QString key = QString::number(static_cast<int>(why)) + u' ' + sender;
    if (!counts_.contains(key) && counts_.size() >= kMaxSenders)
        key = QString::number(static_cast<int>(why));
    if (counts_[key]++ > 0)
        return;
    note_(str(texts::roomsRefusedFrom).arg(topic.left(120), str(refusalText(why)), detail, sender));
}

// ---- Member -------------------------------------------------------------------

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

// ---- Controller ---------------------------------------------------------------

Controller::Controller(const QString &exam, const BrokerSettings &broker, Engine &engine, PhaseTimer &timer,
                       MemberSeams seams, QObject *parent)
    : Member(exam, broker, true, std::move(seams), parent), engine_(engine), timer_(timer), host_(localHost())
{
    // Whoever drops off without a word is told of as gone. Signed before
    // connecting, like everything else.
    client_.setWill(retained(topics_.controller(), writePresence(exam_, {id_, false, 0, false, host_, {}})));
    client_.addSubscription(topics_.controller(), 1, true);
    client_.addSubscription(topics_.state(), 1, true);
    client_.addSubscription(topics_.clock(), 0);
    client_.addSubscription(topics_.allRoomStatus(), 1);
    client_.addSubscription(topics_.allRoomCues(), 1);
    // Answered on the network thread, so that the times in the answer are
    // not held up by whatever the window is doing. Only a signed question
    // is answered, and the answer is signed over the question's correlation
    // data: it answers that question and no other.
    const Topics topics = topics_;
    const QString examName = exam_;
    const QString me = id_;
    const QByteArray key = key_;
    const std::function<qint64()> clock = wallUs_;
    client_.setResponder([topics, examName, me, key, clock](const Incoming &m) -> std::optional<Outgoing> {
        if (m.topic != topics.clock() || m.size > kMaxPayload)
            return std::nullopt;
        QByteArray body = m.payload;
        if (!key.isEmpty() && checkPayload(key, m.topic, m.correlation, m.payload, &body) != Seal::Good)
            return std::nullopt;
        const Reading<QString> ask = readClockAsk(body, examName);
        // Answers go only where this examination's rooms listen.
        if (!ask.ok() || m.responseTopic != topics.roomClock(*ask.message) || m.correlation.size() > 16)
            return std::nullopt;
        Outgoing o;
        o.topic = m.responseTopic;
        o.correlation = m.correlation;
        o.expirySeconds = 2;
        o.payload = signPayload(key, o.topic, o.correlation, writeClockReply(examName, {me, m.receivedUs, clock()}));
        return o;
    });
    connect(&client_, &MqttLink::received, this, &Controller::received);
    retainedWait_.setSingleShot(true);
    connect(&retainedWait_, &QTimer::timeout, this, &Controller::checked);
}

// Leaving, on purpose or not, the broker tells the others through the will.
Controller::~Controller() = default;

QString Controller::start()
{
    return client_.start();
}

// What the broker holds has come in: lead now if the operator has decided
// (or need not) and nobody else leads.
void Controller::checked()
{
    if (checked_)
        return;
    checked_ = true;
    if (leading_)
        return;
    if (otherLeader_) {
        emit otherLeads(*otherLeader_);
        return;
    }
    if (decided_ || (brokerFallback_ && !asked_))
        lead(over_);
}

void Controller::operatorDecided()
{
    decided_ = true;
    if (leading_ || !checked_)
        return; // leads once the broker's retained messages have been seen
    if (otherLeader_) {
        emit otherLeads(*otherLeader_);
        return;
    }
    lead(over_);
}

void Controller::lead(const QString &over)
{
    retainedWait_.stop();
    decided_ = true;
    if (leading_)
        return;
    leading_ = true;
    over_ = over;
    sinceMs_ = nowMs();
    emit leadingNow();
    if (client_.isConnected()) {
        publishPresence(true);
        pending_.clear();
        schedulePublish(StateEvent::Sync);
    }
    emit changed();
}

void Controller::adoptKept(const StateMessage &kept)
{
    // The controller's clock is the time line: the run stands where its
    // ticks have taken it since, and this clock ticks on the same grid.
    const qint64 now = nowMs();
    if (std::abs(kept.dueMs - now) > kDayMs)
        return; // a run of another day is no run to carry on
    const qint64 ticks = now > kept.dueMs ? (now - kept.dueMs) / kPeriodMs : 0;
    const RunSnapshot run = advanced(kept.run, ticks);
    try {
        if (engine_.adopt(run)) {
            timer_.alignTo(kept.dueMs);
            emit note(str(texts::roomsTookOver).arg(run.question).arg(qMax(0, run.t.value() - 1)));
        }
    } catch (const std::exception &) {
        // The engine refused it; this controller leads with what it shows.
    }
}

void Controller::takeOver(const StateMessage &kept)
{
    adoptKept(kept);
    lead(kept.from);
}

void Controller::takeOverFromOther()
{
    if (leading_)
        return;
    const QString other = otherLeader_ ? otherLeader_->from : QString();
    if (otherState_ && otherState_->from == other)
        adoptKept(*otherState_);
    lead(other);
}

void Controller::connectedNow()
{
    if (leading_) {
        publishPresence(true);
        schedulePublish(StateEvent::Sync);
    } else if (!checked_) {
        retainedWait_.start(kRetainedWaitMs);
    }
}

void Controller::takePresence(const PresenceMessage &p)
{
    if (p.from == id_)
        return;
    const bool leads = p.online && p.leading;
    if (leads) {
        if (leading_ && p.over == id_) {
            // Its operator took over on purpose: the rooms follow it now.
            leading_ = false;
            decided_ = false;
            otherLeader_ = p;
            emit leadTaken(p);
            emit note(str(texts::roomsLeadTaken).arg(p.host, QDateTime::fromMSecsSinceEpoch(p.sinceMs).toString(u"HH:mm:ss")));
        } else if (leading_) {
            emit note(str(texts::roomsOtherController).arg(exam_));
        } else {
            const bool news = !otherLeader_ || otherLeader_->from != p.from;
            otherLeader_ = p;
            if (news && checked_)
                emit otherLeads(p);
        }
        emit changed();
        return;
    }
    if (otherLeader_ && otherLeader_->from == p.from) {
        // The one that led has gone: this one carries its run on, so that
        // the rooms, which follow whoever is left, go on where they are.
        otherLeader_.reset();
        if (!leading_ && checked_) {
            if (otherState_ && otherState_->from == p.from) {
                adoptKept(*otherState_);
                const RunSnapshot run = engine_.snapshot();
                emit note(str(texts::roomsLeaderGone).arg(run.question).arg(qMax(0, run.t.value() - 1)));
            }
            lead(p.from);
        }
        emit changed();
        return;
    }
    // Another's will took the place of this one's presence on the broker.
    if (leading_ && !p.online)
        publishPresence(true);
}

void Controller::received(const Incoming &m)
{
    if (takeStatus(m) || takeExtra(m))
        return;
    if (const std::optional<QString> room = topics_.roomOf(m.topic, Topics::Leaf::Cues)) {
        takeCueReport(m, *room);
        return;
    }
    if (m.topic == topics_.clock()) {
        // Not answered on the network thread: something was wrong with it.
        const std::optional<QByteArray> body = opened(m);
        if (!body)
            return;
        const Reading<QString> ask = readClockAsk(*body, exam_);
        recordRefusal(m, ask.ok() ? Refusal::OtherExam : ask.refusal, ask.ok() ? m.responseTopic : ask.detail);
        return;
    }
    if (m.topic != topics_.controller() && m.topic != topics_.state())
        return;
    const std::optional<QByteArray> body = opened(m);
    if (!body)
        return;
    if (m.topic == topics_.controller()) {
        const Reading<PresenceMessage> p = readPresence(*body, exam_);
        if (!p.ok())
            recordRefusal(m, p.refusal, p.detail);
        else
            takePresence(*p.message);
        return;
    }
    const Reading<StateMessage> s = readState(*body, exam_);
    if (!s.ok()) {
        recordRefusal(m, s.refusal, s.detail);
        return;
    }
    if (s.message->from == id_)
        return;
    if (leading_) {
        // Another state while this one leads: a forgery, or a second
        // controller that did not take over; the operator sees it counted.
        recordRefusal(m, Refusal::OtherController, s.message->from);
        return;
    }
    if (!otherState_ || otherState_->from != s.message->from || s.message->seq > otherState_->seq)
        otherState_ = *s.message;
    if (leading_ || asked_ || otherLeader_ || !brokerFallback_ || decided_)
        return;
    if (underWay(s.message->run.state()) && engine_.runState() == RunState::Idle) {
        asked_ = true;
        retainedWait_.stop();
        checked_ = true;
        emit interruptedRunFound(*s.message);
    } else {
        checked();
    }
}

void Controller::takeCueReport(const Incoming &m, const QString &room)
{
    const std::optional<QByteArray> body = opened(m);
    if (!body)
        return;
    if (!spend(reportBudget_[room], kReportBurst, kReportPerSecond)) {
        recordRefusal(m, Refusal::TooMany, room);
        return;
    }
    while (reportBudget_.size() > 2 * kMaxRooms)
        reportBudget_.erase(reportBudget_.begin());
    const Reading<CueReport> r = readCueReport(*body, exam_, room, nowMs());
    if (!r.ok()) {
        recordRefusal(m, r.refusal, r.detail);
        return;
    }
    // A room sends again what it is not sure arrived: the copy is dropped.
    const PlayedCue &cue = r.message->cue;
    const QString key = QStringLiteral("%1\n%2\n%3").arg(room).arg(cue.dueMs).arg(cue.player);
    if (taken_.contains(key))
        return;
    taken_.insert(key);
    takenOrder_.push_back(key);
    if (takenOrder_.size() > std::size_t(kReportsKept)) {
        taken_.remove(takenOrder_.front());
        takenOrder_.pop_front();
    }
    emit cuePlayed(cue, CueProof::Taken);
}

void Controller::cueDone(const PlayedCue &cue)
{
    emit cuePlayed(cue, CueProof::Taken);
}

void Controller::runEvent(const RunEvent &event, const ExamState &)
{
    switch (event.kind) {
    case RunEventKind::Cue:
        cueAsked({}, event.player, timer_.dueWallMs(), 0, engine_.snapshot());
        return;
    case RunEventKind::ProgramStart:
    case RunEventKind::Question:
    case RunEventKind::Exit:
    case RunEventKind::TickHandled:
        return;
    case RunEventKind::Tick:
    case RunEventKind::End:
        break;
    default:
        // What the operator does here decides: this program leads now, and
        // sends its whole state as it leads. Not while another leads: the
        // operator is asked again.
        if (!leading_ && event.kind != RunEventKind::Adopted) {
            if (otherLeader_ && checked_)
                emit otherLeads(*otherLeader_);
            else
                operatorDecided();
            return;
        }
        break;
    }
    if (leading_)
        schedulePublish(eventOf(event.kind));
}

void Controller::schedulePublish(StateEvent e)
{
    pending_.push_back(e);
    if (publishQueued_)
        return;
    publishQueued_ = true;
    // After the handler has finished: only a whole state is sent, never one
    // from the middle of a tick.
    QMetaObject::invokeMethod(this, &Controller::publishState, Qt::QueuedConnection);
}

void Controller::publishState()
{
    publishQueued_ = false;
    std::vector<StateEvent> events;
    events.swap(pending_);
    if (!leading_ || !client_.isConnected())
        return;
    StateEvent e = events.empty() ? StateEvent::Sync : events.front();
    // A tick that ended the examination is the end; anything else together
    // is only the state it led to.
    if (events.size() == 2 && events[0] == StateEvent::Tick && events[1] == StateEvent::End)
        e = StateEvent::End;
    else if (events.size() > 1)
        e = StateEvent::Sync;
    StateMessage m;
    m.from = id_;
    m.seq = ++seq_;
    m.event = e;
    // The tick the snapshot stands after is the one before the next: right
    // after a takeover's alignment no tick has yet been delivered on the
    // new grid, and the last one delivered lies on the old one.
    m.dueMs = timer_.nextDueWallMs() - kPeriodMs;
    m.run = engine_.snapshot();
    client_.publish(retained(topics_.state(), writeState(exam_, m)));
}

void Controller::publishPresence(bool online)
{
    client_.publish(retained(topics_.controller(), writePresence(exam_, {id_, online, sinceMs_, online, host_, over_})));
}
// ---- Room ---------------------------------------------------------------------

Room::Room(const QString &exam, const QString &room, const BrokerSettings &broker, Engine &engine,
           WindowPort &window, PhaseTimer &timer, CueSourceOf cues, MemberSeams seams, QObject *parent)
    : Member(exam, broker, false, std::move(seams), parent), room_(room), engine_(engine), window_(window),
      timer_(timer)
{
    cues_ = std::move(cues);
    reportPace_.setSingleShot(true);
    connect(&reportPace_, &QTimer::timeout, this, &Room::sendReports);
    // Until the controller is heard again on the new connection, a report
    // would reach nobody.
    connect(&client_, &MqttLink::connectionChanged, this, [this](bool up) {
        if (!up) {
            controllerHeard_ = false;
            resendRecent();
        }
    });
    client_.setWill(retained(topics_.roomStatus(room_), writeStatus(exam_, status(false))));
    client_.addSubscription(topics_.controller(), 1);
    client_.addSubscription(topics_.state(), 1);
    client_.addSubscription(topics_.roomClock(room_), 0);
    client_.addSubscription(topics_.allRoomStatus(), 1, true);
    connect(&client_, &MqttLink::received, this, &Room::received);

    connect(&clockTimer_, &QTimer::timeout, this, &Room::askTime);
    heartbeat_.setInterval(kHeartbeatMs);
    connect(&heartbeat_, &QTimer::timeout, this, &Room::scheduleStatus);
    noOffset_.setSingleShot(true);
    connect(&noOffset_, &QTimer::timeout, this, [this] {
        if (!offsetInUse() && latest_) {
            assumedZero_ = true;
            emit note(str(texts::roomsNoOffset));
            follow();
        }
    });
}

Room::~Room() = default;

QString Room::start()
{
    sinceStart_.start();
    heartbeat_.start();
    if (keptRun_) {
        QTimer::singleShot(kKeptRunMs, this, [this] {
            if (latest_ || !keptRun_)
                return;
            const std::optional<KeptRun> kept = keptRun_();
            if (!kept)
                return;
            const qint64 now = nowMs();
            const RunSnapshot run = advanced(kept->run, now > kept->dueMs ? (now - kept->dueMs) / kPeriodMs : 0);
            change([&] {
                if (engine_.adopt(run))
                    timer_.alignTo(kept->dueMs);
            });
            emit note(str(texts::roomsKeptRun));
        });
    }
    return client_.start();
}

void Room::keepReports(const QList<PlayedCue> &unsent)
{
    for (const PlayedCue &c : unsent)
        if (outbox_.size() < kOutboxMax)
            outbox_.push_back(c);
    sendReports();
}

void Room::cueDone(const PlayedCue &cue)
{
    emit cuePlayed(cue, CueProof::Kept);
    // The journal keeps every one; here only so many wait, the oldest go.
    if (outbox_.size() >= kOutboxMax)
        outbox_.pop_front();
    outbox_.push_back(cue);
    sendReports();
}

void Room::sendReports()
{
    const qint64 now = nowMs();
    while (!sent_.empty() && now - sent_.front().second > kResendWindowMs)
        sent_.pop_front();
    if (!client_.isConnected() || !controllerHeard_ || reportPace_.isActive())
        return;
    for (int i = 0; i < kReportsPerPace && !outbox_.empty(); ++i) {
        const PlayedCue cue = outbox_.front();
        Outgoing o;
        o.topic = topics_.roomCues(room_);
        o.payload = writeCueReport(exam_, {id_, cue});
        o.qos = 1;
        if (!client_.publish(sealed(o)))
            return;
        outbox_.pop_front();
        sent_.emplace_back(cue, now);
        emit cuePlayed(cue, CueProof::Sent);
    }
    if (!outbox_.empty())
        reportPace_.start(kReportPaceMs);
}

// What went out just before a loss may not have arrived: out again, in the
// order it was played.
void Room::resendRecent()
{
    // The journal too holds them as unsent again: a room killed before
    // they went out once more sends them when it is started again.
    while (!sent_.empty()) {
        outbox_.push_front(sent_.back().first);
        emit cuePlayed(sent_.back().first, CueProof::Resent);
        sent_.pop_back();
    }
}

void Room::connectedNow()
{
    scheduleStatus();
    sendReports();
    burstLeft_ = kBurst;
    askTime();
}

void Room::askTime()
{
    if (!client_.isConnected())
        return;
    // A question nobody can guess: only its answer carries its number.
    QByteArray correlation(kCorrelationBytes, '\0');
    QRandomGenerator::system()->generate(reinterpret_cast<quint32 *>(correlation.data()),
                                         reinterpret_cast<quint32 *>(correlation.data() + kCorrelationBytes));
    Outgoing o;
    o.topic = topics_.clock();
    o.payload = writeClockAsk(exam_, room_);
    o.responseTopic = topics_.roomClock(room_);
    o.correlation = correlation;
    o.expirySeconds = 2;
    o = sealed(o);
    const qint64 t0 = nowUs();
    if (client_.publish(o)) {
        asked_.insert(correlation, t0);
        while (asked_.size() > 32)
            asked_.erase(asked_.begin());
    }
    if (burstLeft_ > 0)
        --burstLeft_;
    clockTimer_.start(burstLeft_ > 0 ? kBurstGapMs : kAskEveryMs);
}

void Room::takeClock(const Incoming &m)
{
    const std::optional<QByteArray> body = opened(m);
    if (!body)
        return;
    const Reading<ClockReply> r = readClockReply(*body, exam_);
    if (!r.ok()) {
        recordRefusal(m, r.refusal, r.detail);
        return;
    }
    const auto it = asked_.find(m.correlation);
    if (it == asked_.end()) {
        recordRefusal(m, Refusal::Replayed, QStringLiteral("clock")); // a question not asked, or answered before
        return;
    }
    // Only the time line this room follows. A question of this room's own
    // that a controller it no longer follows (or not yet: the first one
    // leaves before the controller is known) answered is no forgery.
    if (controllerId_.isEmpty() || r.message->from != controllerId_) {
        asked_.erase(it);
        return;
    }
    const ClockSample sample{it.value(), r.message->receivedUs, r.message->sentUs, m.receivedUs};
    asked_.erase(it);
    heard(true); // an answer is never retained
    const std::optional<OffsetEstimate> before = estimator_.estimate();
    if (!estimator_.add(sample)) {
        recordRefusal(m, Refusal::BadValue, QStringLiteral("offset"));
        return;
    }
    const std::optional<OffsetEstimate> after = estimator_.estimate();
    assumedZero_ = false;
    previous_.reset();
    if (!before || std::abs(before->offsetUs - after->offsetUs) >= 100) {
        follow();
        scheduleStatus();
        emit changed();
    }
}

void Room::received(const Incoming &m)
{
    if (takeStatus(m) || takeExtra(m))
        return;
    if (m.topic == topics_.roomClock(room_)) {
        takeClock(m);
        return;
    }
    if (m.topic != topics_.controller() && m.topic != topics_.state())
        return;
    const std::optional<QByteArray> body = opened(m);
    if (!body)
        return;
    if (m.topic == topics_.controller()) {
        const Reading<PresenceMessage> p = readPresence(*body, exam_);
        if (!p.ok())
            recordRefusal(m, p.refusal, p.detail);
        else
            takePresence(m, *p.message);
        return;
    }
    const Reading<StateMessage> s = readState(*body, exam_);
    if (!s.ok()) {
        recordRefusal(m, s.refusal, s.detail);
        return;
    }
    if (controllerId_.isEmpty()) {
        unverified_ = *s.message; // until the controller has made itself known
        return;
    }
    if (s.message->from != controllerId_) {
        recordRefusal(m, Refusal::OtherController, s.message->from);
        return;
    }
    if (!stateRefused(m, *s.message))
        takeState(*s.message, !m.retained);
}

// One controller at a time: the room stays with the one it follows while
// that one leads, and goes over to another only when that one took over on
// purpose, or when the one followed has gone. A run older than the one
// followed is never gone back to.
void Room::takePresence(const Incoming &in, const PresenceMessage &p)
{
    if (p.from == controllerId_) {
        controllerOnline_ = p.online && p.leading;
        if (controllerOnline_)
            heard(!in.retained);
        else
            controllerHeard_ = false;
        if (!controllerOnline_) {
            resendRecent();
            // Whoever else leads now takes its place.
            for (const PresenceMessage &o : std::as_const(controllers_))
                if (o.online && o.leading && o.sinceMs >= followedSinceMs_) {
                    const PresenceMessage next = o; // followController() drops it from the list
                    followController(next, false);
                    break;
                }
        }
    } else if (p.online && p.leading) {
        if (!controllerId_.isEmpty() && p.sinceMs < followedSinceMs_) {
            recordRefusal(in, Refusal::Replayed, QStringLiteral("since"));
            return;
        }
        if (controllerId_.isEmpty() || !controllerOnline_ || p.over == controllerId_) {
            followController(p, !in.retained);
        } else {
            recordRefusal(in, Refusal::OtherController, p.from);
            if (controllers_.size() < kMaxControllers || controllers_.contains(p.from))
                controllers_.insert(p.from, p);
            return;
        }
    } else {
        controllers_.remove(p.from);
        return;
    }
    if (unverified_) {
        const StateMessage s = *unverified_;
        unverified_.reset();
        if (s.from == controllerId_ && !stateRefused(in, s))
            takeState(s, false);
    }
    scheduleStatus();
    emit changed();
    sendReports();
}

void Room::followController(const PresenceMessage &p, bool live)
{
    controllers_.remove(p.from);
    if (p.from != controllerId_) {
        if (!controllerId_.isEmpty())
            emit note(str(texts::roomsControllerChanged));
        // Another controller keeps another clock, and counts anew.
        controllerId_ = p.from;
        if (const std::optional<OffsetEstimate> e = estimator_.estimate())
            previous_ = e;
        estimator_.clear();
        if (latest_ && latest_->from != controllerId_)
            latest_.reset();
        burstLeft_ = kBurst;
        askTime();
    }
    followedSinceMs_ = p.sinceMs;
    controllerOnline_ = true;
    heard(live);
}

// A report reaches the controller only once it is subscribed. A retained
// message (its presence, its last state) comes from the broker even while
// the controller itself is not back yet after the broker's restart; a
// report sent on it was lost. Only a message the controller sent while this
// connection was up says it is there.
void Room::heard(bool live)
{
    if (!live || controllerHeard_)
        return;
    controllerHeard_ = true;
    sendReports();
}

// The replay rules and the bounds of a state from the controller followed.
bool Room::stateRefused(const Incoming &in, const StateMessage &m)
{
    const qint64 now = nowUs();
    if (latest_ && latest_->from == m.from) {
        if (m.seq == latest_->seq)
            return true; // the same state again (a retained one, after a reconnect)
        if (m.seq < latest_->seq) {
            recordRefusal(in, Refusal::Replayed, QStringLiteral("seq"));
            return true;
        }
        if (m.seq - latest_->seq > kSeqSlack + kSeqPerSecond * qMax<qint64>(0, now - latestAtUs_) / 1'000'000) {
            recordRefusal(in, Refusal::Replayed, QStringLiteral("seq +%1").arg(m.seq - latest_->seq));
            return true;
        }
    } else if (followedSinceMs_ > 0 &&
               m.seq > kSeqSlack + kSeqPerSecond * qMax<qint64>(0, now / 1000 - followedSinceMs_) / 1000) {
        recordRefusal(in, Refusal::Replayed, QStringLiteral("seq %1").arg(m.seq));
        return true;
    }
    // On the controller's time line, a due time within a day of now.
    if (std::abs(double(m.dueMs) - (double(now) / 1000.0 - offsetMs())) > double(kDayMs)) {
        recordRefusal(in, Refusal::BadValue, QStringLiteral("due"));
        return true;
    }
    return false;
}

void Room::takeState(const StateMessage &m, bool live)
{
    latest_ = m;
    latestAtUs_ = nowUs();
    controllerOnline_ = true;
    heard(live);
    if (!offsetInUse() && !assumedZero_ && !noOffset_.isActive())
        noOffset_.start(kNoOffsetMs);
    follow();
}

std::optional<OffsetEstimate> Room::offsetInUse() const
{
    const std::optional<OffsetEstimate> e = estimator_.estimate();
    return e ? e : previous_;
}

double Room::offsetMs() const
{
    const std::optional<OffsetEstimate> e = offsetInUse();
    return e ? e->offsetUs / 1000.0 : 0.0;
}

void Room::follow()
{
    waitingForOwnTick_ = false;
    const std::optional<OffsetEstimate> e = offsetInUse();
    if (!latest_ || (!e && !assumedZero_))
        return;
    const double offset = offsetMs();
    // The controller's grid in this room's clock. The timer is moved only
    // when it is off by more than the offset is known to: right after a
    // change of controller the first exchanges can be tens of ms out, and
    // a grid moved on one of them puts the tick about to come on the wrong
    // side of a state that has just come, and loses its cue.
    // A grid far off is moved even on a poor offset: it is nearer then.
    const double readable = std::clamp(e ? double(e->roundTripUs) / 2000.0 : 0.0, 2.0, 100.0);
    const double anchor = double(latest_->dueMs) + offset;
    // Not more than zero: a tick due but not yet delivered. Its place
    // against the state decides which comes first; the grid is not moved
    // under it, which would step over it and its cue.
    const bool tickDue = timer_.nextDueNs() <= timer_.elapsedNs();
    double untilNextMs = double(timer_.nextDueNs() - timer_.elapsedNs()) / 1e6;
    const double phase = std::remainder((double(nowUs()) / 1000.0) + untilNextMs - anchor, double(kPeriodMs));
    if (std::abs(phase) >= readable && !tickDue) {
        timer_.alignTo(std::llround(anchor));
        // The move may have put the tick about to come just behind now: it
        // is due at once, and placed against the state like any other.
        untilNextMs = double(timer_.nextDueNs() - timer_.elapsedNs()) / 1e6;
    }
    // After that tick this runs again: the grid is moved then if need be.
    waitingForOwnTick_ = tickDue;
    const double nextTick = (double(nowUs()) / 1000.0) + untilNextMs - offset;
    const FollowDecision d = decide(*latest_, nextTick, engine_.snapshot());
    if (!tickDue && d.step == FollowStep::Adopt && retick(nextTick - kPeriodMs, d.target))
        return;
    switch (d.step) {
    case FollowStep::Wait:
        waitingForOwnTick_ = true;
        return;
    case FollowStep::InStep:
        return;
    case FollowStep::Replay:
        // Once per state: follow() runs again on the same state when the
        // clock offset moves, and an action must not be done twice.
        if (replayedFrom_ == latest_->from && replayedSeq_ == latest_->seq)
            return;
        change([&] { reach(d); });
        return;
    case FollowStep::Adopt:
        change([&] { engine_.adopt(d.target); });
        emit note(str(texts::roomsAdopted).arg(d.target.question).arg(qMax(0, d.target.t.value() - 1)));
        return;
    }
}

// The operator's action done once more (a Replay), then what it left apart
// from the target adopted.
void Room::reach(const FollowDecision &d)
{
    if (d.step == FollowStep::Replay) {
        replayedFrom_ = latest_->from;
        replayedSeq_ = latest_->seq;
        replay(engine_, window_, latest_->event, d.target);
    }
    if (engine_.snapshot() != d.target)
        engine_.adopt(d.target);
}

// A state that comes just after the room's own tick, from before it, while
// that tick's cue has yet to sound (an operator's resume handled on the
// controller at the turn of a second): taken across the tick, the run would
// be right but the cue lost. It is taken as of before the tick instead, and
// the tick done again on it; its cue still sounds on its second, as the
// sound bank places a cue by the tick's due time.
bool Room::retick(double lastTickMs, const RunSnapshot &after)
{
    const double nowMs = double(nowUs()) / 1000.0 - offsetMs();
    if (double(latest_->dueMs) > lastTickMs - kPeriodMs / 2 || nowMs > lastTickMs + kCueDelayMs - kRetickLeadMs)
        return false;
    const FollowDecision before = decide(*latest_, lastTickMs, engine_.snapshot());
    if (before.step != FollowStep::Replay && before.step != FollowStep::Adopt)
        return false;
    change([&] {
        reach(before);
        engine_.Timer1_Timer();
        if (engine_.snapshot() != after)
            engine_.adopt(after);
    });
    return true;
}

void Room::change(const std::function<void()> &action)
{
    try {
        action();
    } catch (const std::exception &e) {
        emit note(str(texts::internalError).arg(QString::fromLocal8Bit(e.what())));
    }
    scheduleStatus();
}

void Room::afterOwnTick()
{
    if (waitingForOwnTick_)
        follow();
}

void Room::runEvent(const RunEvent &event, const ExamState &)
{
    switch (event.kind) {
    case RunEventKind::TickHandled:
        afterOwnTick();
        return;
    case RunEventKind::Cue:
        cueAsked(room_, event.player, timer_.dueWallMs(), offsetMs(), engine_.snapshot());
        return;
    case RunEventKind::Question:
    case RunEventKind::ProgramStart:
        return;
    default:
        scheduleStatus();
    }
}

void Room::scheduleStatus()
{
    if (statusQueued_)
        return;
    statusQueued_ = true;
    QMetaObject::invokeMethod(this, &Room::publishStatus, Qt::QueuedConnection);
}

void Room::publishStatus()
{
    statusQueued_ = false;
    client_.publish(retained(topics_.roomStatus(room_), writeStatus(exam_, status(true))));
}

RoomStatus Room::status(bool online) const
{
    RoomStatus s;
    s.room = room_;
    s.from = id_;
    s.online = online;
    s.follows = controllerId_;
    const std::optional<OffsetEstimate> e = estimator_.estimate();
    s.offsetKnown = e.has_value();
    s.offsetMs = e ? e->offsetUs / 1000.0 : 0.0;
    s.rttMs = e ? double(e->roundTripUs) / 1000.0 : 0.0;
    // When it connected, on the controller's time line where that is known.
    if (online && connectionChangedMs_ > 0)
        s.sinceMs = qMax<qint64>(0, connectionChangedMs_ - std::llround(s.offsetMs));
    const RunSnapshot run = engine_.snapshot();
    s.state = run.state();
    s.question = run.question.toInt();
    s.second = run.ck != 0 ? qMax(0, run.t.value() - 1) : 0;
    for (int n = 1; n <= 4; ++n)
        s.cues[std::size_t(n - 1)] = cues_ ? cues_(n) : CueSource::NotOpen;
    if (readiness_) {
        s.ready = readiness_();
        s.ready.known = true;
        if (s.ready.checkMs > 0) // on the controller's time line
            s.ready.checkMs = qMax<qint64>(0, s.ready.checkMs - std::llround(s.offsetMs));
    }
    return s;
}

} // namespace tavrin::rooms
