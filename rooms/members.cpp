#include "members.h"

#include "cue_report.h"
#include "engine.h"
#include "follow.h"
#include "phase_timer.h"
#include "texts.h"

#include <QDateTime>

#include <cmath>
#include <exception>

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

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// The same clock to a microsecond, for lining up ticks.
double nowMsExact()
{
    return double(MqttClient::nowUs()) / 1000.0;
}

const char16_t *refusalText(Refusal r)
{
    switch (r) {
    case Refusal::TooLarge: return texts::roomsTooLarge;
    case Refusal::Malformed: return texts::roomsMalformed;
    case Refusal::OtherVersion: return texts::roomsOtherVersion;
    case Refusal::OtherExam: return texts::roomsOtherExam;
    case Refusal::NotFromController: return texts::roomsNotFromController;
    case Refusal::BadValue: return texts::roomsBadValue;
    }
    return texts::roomsMalformed;
}

Outgoing retained(const QString &topic, const QByteArray &payload)
{
    Outgoing o;
    o.topic = topic;
    o.payload = payload;
    o.qos = 1;
    o.retain = true;
    return o;
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

void RefusalLog::refused(const QString &topic, Refusal why, const QString &detail)
{
    Kind &k = kinds_[static_cast<int>(why)];
    const qint64 now = nowMs();
    if (k.lastMs >= 0 && now - k.lastMs < 10000) {
        ++k.suppressed;
        return;
    }
    QString text = str(texts::roomsRefused).arg(topic, str(refusalText(why)), detail);
    if (k.suppressed > 0)
        text += str(texts::roomsRefusedMore).arg(k.suppressed);
    k.lastMs = now;
    k.suppressed = 0;
    note_(text);
}

// ---- Member -------------------------------------------------------------------

Member::Member(const QString &exam, const BrokerSettings &broker, bool controller, QObject *parent)
    : QObject(parent), exam_(exam), topics_(exam), id_(newMemberId(controller)), broker_(broker),
      client_(QStringLiteral("tavrin-") + id_), refusals_([this](const QString &t) { emit note(t); })
{
    client_.setBroker(broker);
    connect(&client_, &MqttClient::connectionChanged, this, &Member::onConnection);
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
    if (m.payload.isEmpty()) { // a cleared retained status: the room is gone for good
        rooms_.remove(*room);
        emit changed();
        return true;
    }
    const Reading<RoomStatus> r = readStatus(m.payload, exam_, *room);
    if (!r.ok()) {
        recordRefusal(m, r.refusal, r.detail);
        return true;
    }
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
                       QObject *parent)
    : Member(exam, broker, true, parent), engine_(engine), timer_(timer)
{
    // Whoever drops off without a word is told of as gone.
    client_.setWill(retained(topics_.controller(), writePresence(exam_, {id_, false, 0})));
    client_.addSubscription(topics_.controller(), 1, true);
    client_.addSubscription(topics_.state(), 1, true);
    client_.addSubscription(topics_.clock(), 0);
    client_.addSubscription(topics_.allRoomStatus(), 1);
    // Answered on the network thread, so that the times in the answer are
    // not held up by whatever the window is doing.
    const Topics topics = topics_;
    const QString examName = exam_;
    const QString me = id_;
    client_.setResponder([topics, examName, me](const Incoming &m) -> std::optional<Outgoing> {
        if (m.topic != topics.clock())
            return std::nullopt;
        const Reading<QString> ask = readClockAsk(m.payload, examName);
        // Answers go only where this examination's rooms listen.
        if (!ask.ok() || m.responseTopic != topics.roomClock(*ask.message) || m.correlation.size() > 16)
            return std::nullopt;
        Outgoing o;
        o.topic = m.responseTopic;
        o.correlation = m.correlation;
        o.expirySeconds = 2;
        o.payload = writeClockReply(examName, {me, m.receivedUs, MqttClient::nowUs()});
        return o;
    });
    connect(&client_, &MqttClient::received, this, &Controller::received);
    retainedWait_.setSingleShot(true);
    connect(&retainedWait_, &QTimer::timeout, this, [this] {
        if (!leading_ && brokerFallback_ && !asked_)
            operatorDecided();
    });
}

// Leaving, on purpose or not, the broker tells the others through the will.
Controller::~Controller() = default;

QString Controller::start()
{
    return client_.start();
}

void Controller::operatorDecided()
{
    retainedWait_.stop();
    if (leading_)
        return;
    leading_ = true;
    sinceMs_ = nowMs();
    emit leadingNow();
    if (client_.isConnected()) {
        publishPresence(true);
        pending_.clear();
        schedulePublish(StateEvent::Sync);
    }
    emit changed();
}

void Controller::takeOver(const StateMessage &kept)
{
    // The controller's clock is the time line: the run stands where its
    // ticks have taken it since, and this clock ticks on the same grid.
    const qint64 now = nowMs();
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
    operatorDecided();
}

void Controller::connectedNow()
{
    if (leading_) {
        publishPresence(true);
        schedulePublish(StateEvent::Sync);
    } else if (brokerFallback_ && !asked_) {
        retainedWait_.start(kRetainedWaitMs);
    }
}

void Controller::received(const Incoming &m)
{
    if (takeStatus(m))
        return;
    if (m.topic == topics_.clock()) {
        // Not answered on the network thread: something was wrong with it.
        const Reading<QString> ask = readClockAsk(m.payload, exam_);
        recordRefusal(m, ask.ok() ? Refusal::OtherExam : ask.refusal, ask.ok() ? m.responseTopic : ask.detail);
        return;
    }
    if (m.topic == topics_.controller()) {
        const Reading<PresenceMessage> p = readPresence(m.payload, exam_);
        if (!p.ok())
            recordRefusal(m, p.refusal, p.detail);
        else if (p.message->online && p.message->from != id_ && leading_)
            emit note(str(texts::roomsOtherController).arg(exam_));
        return;
    }
    if (m.topic != topics_.state() || leading_ || !brokerFallback_ || asked_)
        return;
    const Reading<StateMessage> s = readState(m.payload, exam_);
    if (!s.ok()) {
        recordRefusal(m, s.refusal, s.detail);
        return;
    }
    const RunState kept = s.message->run.state();
    const bool underWay = kept == RunState::Running || kept == RunState::Paused;
    if (underWay && engine_.runState() == RunState::Idle) {
        asked_ = true;
        retainedWait_.stop();
        emit interruptedRunFound(*s.message);
    } else {
        operatorDecided();
    }
}

void Controller::runEvent(const RunEvent &event, const ExamState &)
{
    switch (event.kind) {
    case RunEventKind::ProgramStart:
    case RunEventKind::Question:
    case RunEventKind::Cue:
    case RunEventKind::Exit:
    case RunEventKind::TickHandled:
        return;
    case RunEventKind::Tick:
    case RunEventKind::End:
        break;
    default:
        // What the operator does here decides: this program leads now, and
        // sends its whole state as it leads.
        if (!leading_ && event.kind != RunEventKind::Adopted) {
            operatorDecided();
            return;
        }
        break;
    }
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
    m.dueMs = timer_.dueWallMs();
    m.run = engine_.snapshot();
    client_.publish(retained(topics_.state(), writeState(exam_, m)));
}

void Controller::publishPresence(bool online)
{
    client_.publish(retained(topics_.controller(), writePresence(exam_, {id_, online, sinceMs_})));
}

// ---- Room ---------------------------------------------------------------------

Room::Room(const QString &exam, const QString &room, const BrokerSettings &broker, Engine &engine,
           WindowPort &window, PhaseTimer &timer, CueSourceOf cues, QObject *parent)
    : Member(exam, broker, false, parent), room_(room), engine_(engine), window_(window), timer_(timer),
      cues_(std::move(cues))
{
    client_.setWill(retained(topics_.roomStatus(room_), writeStatus(exam_, status(false))));
    client_.addSubscription(topics_.controller(), 1);
    client_.addSubscription(topics_.state(), 1);
    client_.addSubscription(topics_.roomClock(room_), 0);
    client_.addSubscription(topics_.allRoomStatus(), 1, true);
    connect(&client_, &MqttClient::received, this, &Room::received);

    connect(&clockTimer_, &QTimer::timeout, this, &Room::askTime);
    heartbeat_.setInterval(kHeartbeatMs);
    connect(&heartbeat_, &QTimer::timeout, this, &Room::scheduleStatus);
    noOffset_.setSingleShot(true);
    connect(&noOffset_, &QTimer::timeout, this, [this] {
        if (!estimator_.estimate() && latest_) {
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

void Room::connectedNow()
{
    scheduleStatus();
    burstLeft_ = kBurst;
    askTime();
}

void Room::askTime()
{
    if (!client_.isConnected())
        return;
    const quint64 n = ++nextAsk_;
    QByteArray correlation(8, '\0');
    for (int i = 0; i < 8; ++i)
        correlation[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    Outgoing o;
    o.topic = topics_.clock();
    o.payload = writeClockAsk(exam_, room_);
    o.responseTopic = topics_.roomClock(room_);
    o.correlation = correlation;
    o.expirySeconds = 2;
    const qint64 t0 = MqttClient::nowUs();
    if (client_.publish(o)) {
        asked_.insert(n, t0);
        while (asked_.size() > 32)
            asked_.erase(asked_.begin());
    }
    if (burstLeft_ > 0)
        --burstLeft_;
    clockTimer_.start(burstLeft_ > 0 ? kBurstGapMs : kAskEveryMs);
}

void Room::takeClock(const Incoming &m)
{
    const Reading<ClockReply> r = readClockReply(m.payload, exam_);
    if (!r.ok()) {
        recordRefusal(m, r.refusal, r.detail);
        return;
    }
    if (!controllerId_.isEmpty() && r.message->from != controllerId_)
        return; // another controller's time: not the time line this room follows
    quint64 n = 0;
    for (int i = 0; i < qMin<qsizetype>(8, m.correlation.size()); ++i)
        n |= quint64(static_cast<unsigned char>(m.correlation[i])) << (8 * i);
    const auto it = asked_.find(n);
    if (m.correlation.size() != 8 || it == asked_.end())
        return; // an answer to a question that was not asked, or asked twice
    const ClockSample sample{it.value(), r.message->receivedUs, r.message->sentUs, m.receivedUs};
    asked_.erase(it);
    const std::optional<OffsetEstimate> before = estimator_.estimate();
    if (!estimator_.add(sample))
        return;
    const std::optional<OffsetEstimate> after = estimator_.estimate();
    assumedZero_ = false;
    if (!before || std::abs(before->offsetUs - after->offsetUs) >= 100) {
        follow();
        scheduleStatus();
        emit changed();
    }
}

void Room::received(const Incoming &m)
{
    if (takeStatus(m))
        return;
    if (m.topic == topics_.roomClock(room_)) {
        takeClock(m);
        return;
    }
    if (m.topic == topics_.controller()) {
        const Reading<PresenceMessage> p = readPresence(m.payload, exam_);
        if (!p.ok()) {
            recordRefusal(m, p.refusal, p.detail);
            return;
        }
        if (p.message->from != controllerId_) {
            if (!controllerId_.isEmpty())
                emit note(str(texts::roomsControllerChanged));
            // Another controller keeps another clock, and counts anew.
            controllerId_ = p.message->from;
            estimator_.clear();
            asked_.clear();
            if (latest_ && latest_->from != controllerId_)
                latest_.reset();
            burstLeft_ = kBurst;
            askTime();
        }
        controllerOnline_ = p.message->online;
        if (unverified_) {
            const StateMessage s = *unverified_;
            unverified_.reset();
            takeState(s);
        }
        scheduleStatus();
        emit changed();
        return;
    }
    if (m.topic == topics_.state()) {
        const Reading<StateMessage> s = readState(m.payload, exam_);
        if (!s.ok()) {
            recordRefusal(m, s.refusal, s.detail);
            return;
        }
        if (controllerId_.isEmpty()) {
            unverified_ = *s.message; // until the controller has made itself known
            return;
        }
        if (s.message->from != controllerId_) {
            recordRefusal(m, Refusal::NotFromController, s.message->from);
            return;
        }
        takeState(*s.message);
    }
}

void Room::takeState(const StateMessage &m)
{
    if (m.from != controllerId_) {
        refusals_.refused(topics_.state(), Refusal::NotFromController, m.from);
        return;
    }
    // Sent twice, or overtaken: the newer one is already in hand.
    if (latest_ && latest_->from == m.from && m.seq <= latest_->seq)
        return;
    latest_ = m;
    if (!estimator_.estimate() && !assumedZero_ && !noOffset_.isActive())
        noOffset_.start(kNoOffsetMs);
    follow();
}

double Room::offsetMs() const
{
    const std::optional<OffsetEstimate> e = estimator_.estimate();
    return e ? e->offsetUs / 1000.0 : 0.0;
}

void Room::follow()
{
    waitingForOwnTick_ = false;
    if (!latest_ || (!estimator_.estimate() && !assumedZero_))
        return;
    // A tick of this room that is due but not yet delivered comes first: a
    // new alignment would step over it, and with it over its dot and cue.
    if (timer_.nextDueNs() <= timer_.elapsedNs()) {
        waitingForOwnTick_ = true;
        return;
    }
    const double offset = offsetMs();
    // The controller's grid in this room's clock; the timer is moved only
    // when it is off by more than the clocks can be read to.
    const double anchor = double(latest_->dueMs) + offset;
    double untilNextMs = double(timer_.nextDueNs() - timer_.elapsedNs()) / 1e6;
    const double phase = std::remainder(nowMsExact() + untilNextMs - anchor, double(kPeriodMs));
    if (std::abs(phase) >= 2.0) {
        timer_.alignTo(std::llround(anchor));
        untilNextMs = double(timer_.nextDueNs() - timer_.elapsedNs()) / 1e6;
    }
    const double nextTick = nowMsExact() + untilNextMs - offset;
    const FollowDecision d = decide(*latest_, nextTick, engine_.snapshot());
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
        replayedFrom_ = latest_->from;
        replayedSeq_ = latest_->seq;
        change([&] {
            replay(engine_, window_, latest_->event, d.target);
            if (engine_.snapshot() != d.target)
                engine_.adopt(d.target);
        });
        return;
    case FollowStep::Adopt:
        change([&] { engine_.adopt(d.target); });
        emit note(str(texts::roomsAdopted).arg(d.target.question).arg(qMax(0, d.target.t.value() - 1)));
        return;
    }
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
    return s;
}

} // namespace tavrin::rooms
