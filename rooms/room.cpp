#include "room.h"

#include "engine.h"
#include "follow.h"
#include "phase_timer.h"
#include "texts.h"

#include <QDateTime>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <utility>

namespace tavrin::rooms {

namespace {

using texts::str;

constexpr int kBurst = 8;             // questions for the time right after connecting
constexpr int kBurstGapMs = 150;
// Questions in a row that the controller followed left unanswered: then
// something on the way drops the clock's topic or its MQTT 5 properties.
constexpr int kUnansweredAlarm = 10;
constexpr int kAskEveryMs = 5000;
constexpr int kHeartbeatMs = 5000;
constexpr int kNoOffsetMs = 3000;     // then follow with the clocks taken as equal
constexpr int kKeptRunMs = 3000;
// How far a controller's seq may move ahead of the last one taken: a state
// a second (the ticks) and the operator's actions, generously, for the time
// between the two; more is a forged or mangled number.
constexpr qint64 kSeqSlack = 256;
constexpr qint64 kSeqPerSecond = 4;
constexpr int kCorrelationBytes = 16; // a question's number nobody can guess
constexpr int kMaxControllers = 8;    // other controllers a room keeps in mind
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

} // namespace

Room::Room(const QString &exam, const QString &room, const BrokerSettings &broker, Engine &engine,
           WindowPort &window, PhaseTimer &timer, CueSourceOf cues, MemberSeams seams, QObject *parent)
    : Member(exam, room, broker, std::move(seams), timer, parent), engine_(engine), window_(window),
      keptWait_(timer.clock()), clockTimer_(timer.clock()), heartbeat_(timer.clock()),
      noOffset_(timer.clock()), reportPace_(timer.clock())
{
    cues_ = std::move(cues);
    reportPace_.setSingleShot(true);
    connect(&reportPace_, &ClockTimer::timeout, this, &Room::sendReports);
    // Until the controller is heard again on the new connection, a report
    // would reach nobody.
    connect(&client_, &MqttLink::connectionChanged, this, [this](bool up) {
        if (!up) {
            controllerHeard_ = false;
            resendRecent();
        }
    });
    client_.setWill(retained(topics_.roomStatus(room_), writeStatus(exam_, status(false))));

    connect(&clockTimer_, &ClockTimer::timeout, this, &Room::askTime);
    heartbeat_.setInterval(kHeartbeatMs);
    connect(&heartbeat_, &ClockTimer::timeout, this, &Room::scheduleStatus);
    keptWait_.setSingleShot(true);
    connect(&keptWait_, &ClockTimer::timeout, this, &Room::carryOnKept);
    subscribeExtra(topics_.roomHold(room_));
    connect(this, &Member::extraReceived, this, &Room::takeHoldAsk);
    subscribeExtra(topics_.roomSpeaker(room_));
    connect(this, &Member::extraReceived, this, &Room::takeSpeakerAsk);
    noOffset_.setSingleShot(true);
    connect(&noOffset_, &ClockTimer::timeout, this, [this] {
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
    heartbeat_.start();
    if (keptRun_)
        keptWait_.start(kKeptRunMs);
    return client_.start();
}

// Nothing to follow a few seconds after the start: the room's own run, if
// it kept one, on that run's grid.
void Room::carryOnKept()
{
    if (latest_ || !keptRun_ || hold_.held)
        return;
    const std::optional<KeptRun> kept = keptRun_();
    if (!kept)
        return;
    change([&] { engine_.adopt(onGridOf(kept->run, kept->dueMs)); });
    emit note(str(texts::roomsKeptRun));
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

bool Room::clockUnanswered() const
{
    return unanswered_ >= kUnansweredAlarm;
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
    if (controllerOnline_ && !controllerId_.isEmpty() && unanswered_ < kUnansweredAlarm) {
        if (++unanswered_ == kUnansweredAlarm) {
            emit note(str(texts::roomsClockUnanswered));
            emit changed();
        }
    }
    if (client_.publish(o)) {
        asked_.insert(correlation, t0);
        while (asked_.size() > 32)
            asked_.erase(asked_.begin());
    }
    if (burstLeft_ > 0)
        --burstLeft_;
    clockTimer_.start(burstLeft_ > 0 ? kBurstGapMs : kAskEveryMs);
}

void Room::takeClockReply(const Incoming &m, const ClockReply &r)
{
    const auto it = asked_.find(m.correlation);
    if (it == asked_.end()) {
        recordRefusal(m, Refusal::Replayed, QStringLiteral("clock")); // a question not asked, or answered before
        return;
    }
    // Only the time line this room follows. A question of this room's own
    // that a controller it no longer follows (or not yet: the first one
    // leaves before the controller is known) answered is no forgery.
    if (controllerId_.isEmpty() || r.from != controllerId_) {
        asked_.erase(it);
        return;
    }
    const ClockSample sample{it.value(), r.receivedUs, r.sentUs, m.receivedUs};
    asked_.erase(it);
    unanswered_ = 0;
    heard(true); // an answer is never retained
    const std::optional<OffsetEstimate> before = kept(estimator_.estimate());
    if (!estimator_.add(sample)) {
        recordRefusal(m, Refusal::BadValue, QStringLiteral("offset"));
        return;
    }
    ownClock_ = systemClock_();
    const ClockChoice was = choice_;
    choice_ = chooseClock(ownClock_, {r.clock.synchronised, r.clock.errorMs, r.clock.keeper}, estimator_.estimate());
    const std::optional<OffsetEstimate> after = kept(estimator_.estimate());
    assumedZero_ = false;
    previous_.reset();
    if (!before || std::abs(before->offsetUs - after->offsetUs) >= 100 || was.system != choice_.system ||
        was.why != choice_.why) {
        follow();
        scheduleStatus();
        emit changed();
    }
}

void Room::takeState(const Incoming &in, const StateMessage &m)
{
    if (controllerId_.isEmpty()) {
        unverified_ = m; // until the controller has made itself known
        return;
    }
    if (m.from != controllerId_) {
        recordRefusal(in, Refusal::OtherController, m.from);
        return;
    }
    if (!stateRefused(in, m))
        useState(m, !in.retained);
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
            useState(s, false);
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
        choice_ = {};
        if (latest_ && latest_->from != controllerId_)
            latest_.reset();
        burstLeft_ = kBurst;
        unanswered_ = 0;
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

void Room::useState(const StateMessage &m, bool live)
{
    latest_ = m;
    latestAtUs_ = nowUs();
    controllerOnline_ = true;
    heard(live);
    const RunState own = engine_.runState();
    if (hold_.held && underWay(m.run.state()))
        lastUnderWay_ = m.run;
    if (hold_.held && (m.event == StateEvent::Abort || (hold_.released && (!rejoin_ || m.event != StateEvent::Tick))))
        planRejoin();
    if (m.event == StateEvent::Abort && underWay(own)) {
        // At once, whatever the clock offset: no tick of it is to come.
        emit runAborted();
        change([&] { engine_.adopt(m.run); });
    }
    if (!offsetInUse() && !assumedZero_ && !noOffset_.isActive())
        noOffset_.start(kNoOffsetMs);
    follow();
}

std::optional<OffsetEstimate> Room::kept(std::optional<OffsetEstimate> e) const
{
    if (e && choice_.system)
        e->offsetUs = 0, e->driftPpm = 0;
    return e;
}

std::optional<OffsetEstimate> Room::offsetInUse() const
{
    const std::optional<OffsetEstimate> e = kept(estimator_.estimate());
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
    if (hold_.held)
        return; // the circuit goes on without this room until it rejoins
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
    if (hold_.held) {
        holdTick();
        return;
    }
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
    s.atMs = online ? nowMs() : 0;
    s.follows = controllerId_;
    const std::optional<OffsetEstimate> e = kept(estimator_.estimate());
    s.offsetKnown = e.has_value();
    s.clock = {true, ownClock_.synchronised, ownClock_.errorMs, ownClock_.keeper, choice_.system, int(choice_.why)};
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
    s.hold = hold_;
    return s;
}

// ---- Held, and brought back ------------------------------------------------

double Room::controllerNowMs() const
{
    return double(nowUs()) / 1000.0 - offsetMs();
}

// A controller's ask to this room, as read: taken only from the controller
// followed, once, and while it is fresh, so that a captured one sent again
// changes nothing. Anything else is recorded as refused.
template <class Ask>
std::optional<Ask> Room::checkedAsk(const Incoming &in, const Reading<Ask> &read, qint64 lastAtMs, qint64 freshMs)
{
    if (!read.ok()) {
        recordRefusal(in, read.refusal, read.detail);
        return std::nullopt;
    }
    if (controllerId_.isEmpty() || read.message->from != controllerId_) {
        recordRefusal(in, Refusal::OtherController, read.message->from);
        return std::nullopt;
    }
    const qint64 now = std::llround(controllerNowMs());
    if (read.message->atMs <= lastAtMs || std::llabs(now - read.message->atMs) > freshMs) {
        recordRefusal(in, Refusal::Replayed, QStringLiteral("at"));
        return std::nullopt;
    }
    return read.message;
}

void Room::takeHoldAsk(const QString &topic, const QByteArray &body)
{
    if (topic != topics_.roomHold(room_))
        return;
    const Incoming in{topic, body, {}, {}, false, nowUs(), body.size()};
    const std::optional<HoldAsk> ask = checkedAsk(in, readHoldAsk(body, exam_, room_), holdAskAtMs_, kHoldAskFreshMs);
    if (!ask)
        return;
    holdAskAtMs_ = ask->atMs;
    if (ask->hold)
        hold(HoldBy::Controller);
    else
        release(HoldBy::Controller);
}

// The same rules as a hold's ask, and one a second at most: each one taken
// rewrites the options file. A run under way keeps its cues where they are:
// the room's own examiner may still change it with F12, hearing the result.
void Room::takeSpeakerAsk(const QString &topic, const QByteArray &body)
{
    if (topic != topics_.roomSpeaker(room_))
        return;
    const Incoming in{topic, body, {}, {}, false, nowUs(), body.size()};
    const std::optional<SpeakerAsk> ask =
        checkedAsk(in, readSpeakerAsk(body, exam_, room_), speakerAskAtMs_, kSpeakerAskFreshMs);
    if (!ask)
        return;
    const qint64 own = nowMs();
    if (speakerTakenMs_ > 0 && std::llabs(own - speakerTakenMs_) < kSpeakerAskGapMs) {
        recordRefusal(in, Refusal::TooMany, QStringLiteral("speaker"));
        return;
    }
    speakerAskAtMs_ = ask->atMs;
    speakerTakenMs_ = own;
    const int was = speakerNow_ ? speakerNow_() : 0;
    const int to = ask->delayMs;
    if (underWay(engine_.runState())) {
        emit note(str(texts::speakerAskRefusedRunning).arg(to).arg(was));
        return;
    }
    if (const QString why = speakerApply_ ? speakerApply_(to) : str(texts::speakerAskNotHere); !why.isEmpty()) {
        emit note(why);
        return;
    }
    speakerChange_ = SpeakerChange{was, to, own};
    emit note(str(texts::speakerAskTaken).arg(was).arg(to));
    scheduleStatus();
    emit changed();
}

void Room::hold(HoldBy by)
{
    if (hold_.held) {
        // Held again before it rejoined: it stays held.
        if (hold_.released) {
            hold_.released = false;
            hold_.rejoinMs = 0;
            hold_.lost.clear();
            hold_.lastLost = 0;
            rejoin_.reset();
            showHold();
            scheduleStatus();
            emit holdKept(hold_, heldPart_);
            emit changed();
        }
        return;
    }
    const RunSnapshot run = engine_.snapshot();
    hold_ = {};
    hold_.held = true;
    hold_.by = by;
    hold_.sinceMs = std::llround(controllerNowMs());
    hold_.question = run.ck.value();
    heldPart_ = run.part;
    lastUnderWay_.reset();
    if (underWay(run.state()))
        lastUnderWay_ = run;
    // The clock stops where it stands: no dot, no cue until the rejoin.
    if (run.sw == 1) {
        RunSnapshot stopped = run;
        stopped.sw = 0;
        change([&] { engine_.adopt(stopped); });
    }
    emit note(str(texts::holdHeld).arg(str(by == HoldBy::Room ? texts::holdByRoom : texts::holdByController))
                  .arg(hold_.question));
    showHold();
    scheduleStatus();
    emit holdKept(hold_, heldPart_);
    emit changed();
}

void Room::keepHold(const KeptHold &kept)
{
    if (hold_.held || !kept.hold.held)
        return;
    hold_ = kept.hold;
    hold_.rejoinMs = 0;
    hold_.lastLost = 0;
    hold_.lost.clear();
    heldPart_ = kept.part;
    lastUnderWay_.reset();
    // No ask older than the hold itself is taken again: a release captured
    // before the restart changes nothing.
    holdAskAtMs_ = qMax(holdAskAtMs_, hold_.sinceMs);
    const RunSnapshot run = engine_.snapshot();
    if (run.sw == 1) {
        RunSnapshot stopped = run;
        stopped.sw = 0;
        change([&] { engine_.adopt(stopped); });
    }
    emit note(str(texts::holdKept)
                  .arg(str(hold_.by == HoldBy::Room ? texts::holdByRoom : texts::holdByController),
                       QDateTime::fromMSecsSinceEpoch(hold_.sinceMs).toString(QStringLiteral("HH:mm:ss"))));
    showHold();
    scheduleStatus();
    emit changed();
    if (hold_.released)
        planRejoin(); // on the controller's first state
}

void Room::release(HoldBy by)
{
    if (!hold_.held || hold_.released)
        return;
    hold_.released = true;
    emit note(str(texts::holdReleased).arg(str(by == HoldBy::Room ? texts::holdByRoom : texts::holdByController)));
    emit holdKept(hold_, heldPart_);
    planRejoin();
    emit changed();
}

// Where the circuit will start a question this room can still reach; with
// nothing under way there, it rejoins at once.
void Room::planRejoin()
{
    if (!hold_.released && !(latest_ && latest_->event == StateEvent::Abort))
        return;
    // Started again held, the room has yet to hear where the circuit
    // stands: it waits for the controller's state rather than rejoin blind.
    if (!latest_) {
        showHold();
        return;
    }
    constexpr int kAll = std::numeric_limits<int>::max();
    if (!underWay(latest_->run.state()) || latest_->event == StateEvent::Abort) {
        // Every question from the one it was held in to the last the run
        // went through; not knowing that, to the run's end.
        if (lastUnderWay_)
            countLost(*lastUnderWay_, lastUnderWay_->part, lastUnderWay_->ck.value());
        else if (hold_.question > 0)
            countLost(latest_->run, kAll, kAll);
        endHold();
        return;
    }
    rejoin_ = rejoinPoint(latest_->run, latest_->dueMs, std::llround(controllerNowMs()), kRejoinLeadMs);
    hold_.rejoinMs = rejoin_ ? rejoin_->dueMs : 0;
    // Rejoined on a question's start, it lost those before, in every block
    // from the one it was held in; on the end, all of them.
    hold_.lost.clear();
    hold_.lastLost = 0;
    if (rejoin_ && rejoin_->atQuestion)
        countLost(rejoin_->before, rejoin_->before.part, rejoin_->before.ck.value() - 1);
    else if (rejoin_)
        countLost(rejoin_->before, kAll, kAll);
    scheduleStatus();
    holdTick(); // the rejoin may be the very next tick
}

// After each of the room's own ticks while held: the countdown, and on the
// tick before the rejoin the room is put where the circuit stands, so that
// its next tick starts the question with the others.
void Room::holdTick()
{
    if (hold_.released && rejoin_) {
        const double next = double(nowUs()) / 1000.0 + double(timer_.nextDueNs() - timer_.elapsedNs()) / 1e6 -
                            offsetMs();
        if (next > double(rejoin_->dueMs) + kPeriodMs / 2.0) {
            planRejoin(); // its tick has gone by (a stalled clock): the next question
        } else if (next >= double(rejoin_->dueMs) - kPeriodMs / 2.0) {
            endHold();
            return;
        }
    }
    showHold();
}

// The questions of run's plan from the one the room was held in up to
// question `to` of part toPart.
void Room::countLost(const RunSnapshot &run, int toPart, int to)
{
    const bool numbered = !run.plan.parts.empty();
    hold_.lost = questionsBetween(run.programme(), heldPart_, hold_.question, toPart, to, numbered);
    hold_.lastLost = 0;
    for (const LostQuestions &l : hold_.lost)
        if (l.part == (numbered ? heldPart_ + 1 : 0))
            hold_.lastLost = l.last;
}

void Room::endHold()
{
    const HoldView was = hold_;
    const std::optional<Rejoin> at = std::exchange(rejoin_, std::nullopt);
    hold_ = {};
    lastUnderWay_.reset();
    // Put where the circuit stands before the rejoin tick, and no more:
    // catching up the tick just gone by would play a cue of the question lost.
    if (at)
        change([&] { engine_.adopt(at->before); });
    else
        follow();
    window_.setQuestionNumber(engine_.snapshot().question);
    emit holdCaption({});
    emit note(str(texts::holdRejoined));
    emit holdEnded(was, at ? at->dueMs : std::llround(controllerNowMs()));
    scheduleStatus();
    emit changed();
}

void Room::showHold()
{
    QString caption = str(texts::holdCaption);
    if (hold_.released)
        caption = rejoin_ ? str(texts::holdRejoinCountdown)
                                .arg(qMax<qint64>(0, std::llround((double(rejoin_->dueMs) - controllerNowMs()) / 1000.0)))
                          : str(texts::holdRejoinWaiting);
    emit holdCaption(caption);
    window_.setQuestionNumber(caption);
}

} // namespace tavrin::rooms
