#include "controller.h"

#include "clock_source.h"

#include "engine.h"
#include "follow.h"
#include "phase_timer.h"
#include "texts.h"

#include <QDateTime>
#include <QHostInfo>

#include <cmath>
#include <exception>

namespace tavrin::rooms {

namespace {

using texts::str;

constexpr int kRetainedWaitMs = 1500; // what a broker's retained messages need to arrive

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

Controller::Controller(const QString &exam, const BrokerSettings &broker, Engine &engine, PhaseTimer &timer,
                       MemberSeams seams, QObject *parent)
    : Member(exam, {}, broker, std::move(seams), timer, parent), engine_(engine), host_(localHost()),
      retainedWait_(timer.clock()), presenceAgain_(timer.clock())
{
    // Whoever drops off without a word is told of as gone. Signed before
    // connecting, like everything else.
    client_.setWill(retained(topics_.controller(), writePresence(exam_, {id_, false, 0, false, host_, {}})));
    // Answered on the network thread, so that the times in the answer are
    // not held up by whatever the window is doing. Only a signed question
    // is answered, and the answer is signed over the question's correlation
    // data: it answers that question and no other.
    const Topics topics = topics_;
    const QString examName = exam_;
    const QString me = id_;
    const SigningKey key = examKey_;
    const bool signs = !examPublicKey_.isEmpty();
    const Clock *clock = &clock_;
    client_.setResponder([topics, examName, me, key, signs, clock](const Incoming &m) -> std::optional<Outgoing> {
        if (m.topic != topics.clock() || m.size > kMaxPayload)
            return std::nullopt;
        QByteArray body = m.payload;
        // Signed by the room that asks: the time is no secret, but a question
        // nobody signed is not worth an answer.
        if (signs) {
            const std::optional<QByteArray> asker = keyNamedIn(m.payload);
            if (!asker || openPayload(*asker, m.topic, m.correlation, m.payload, &body) != SigCheck::Good)
                return std::nullopt;
        }
        const Reading<QString> ask = readClockAsk(body, examName);
        // Answers go only where this examination's rooms listen.
        if (!ask.ok() || m.responseTopic != topics.roomClock(*ask.message) || m.correlation.size() > 16)
            return std::nullopt;
        Outgoing o;
        o.topic = m.responseTopic;
        o.correlation = m.correlation;
        o.expirySeconds = 2;
        // What this machine's clock keeper says, so that a room may keep the
        // system clock where both are kept well.
        const SystemClock own = systemClock();
        const ClockKeeping keeping{true, own.synchronised, own.errorMs, own.keeper, false, 0};
        o.payload = writeClockReply(examName, {me, m.receivedUs, clock->wallUs(), keeping});
        if (signs && !key.isNull())
            o.payload = sealPayload(key, o.topic, o.correlation, o.payload);
        return o;
    });
    retainedWait_.setSingleShot(true);
    connect(&retainedWait_, &ClockTimer::timeout, this, &Controller::checked);
    // Said again while it leads: a presence replayed later is seen to be old.
    presenceAgain_.setInterval(kPresenceEveryMs);
    connect(&presenceAgain_, &ClockTimer::timeout, this, [this] {
        if (leading_ && client_.isConnected())
            publishPresence(true);
    });
    presenceAgain_.start();
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
    try {
        const RunSnapshot run = onGridOf(kept.run, kept.dueMs);
        if (engine_.adopt(run))
            emit note(str(texts::roomsTookOver).arg(run.question).arg(qMax(0, run.t.value() - 1)));
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

void Controller::takePresence(const Incoming &, const PresenceMessage &p)
{
    if (p.from == id_)
        return; // its own, as it sent it (member.cpp refused any other)
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

// Not answered on the network thread: something was wrong with it.
void Controller::takeClockAsk(const Incoming &m, const QString &)
{
    recordRefusal(m, Refusal::OtherExam, m.responseTopic);
}

void Controller::takeState(const Incoming &m, const StateMessage &s)
{
    if (s.from == id_)
        return;
    if (leading_) {
        // Another state while this one leads: a forgery, or a second
        // controller that did not take over; the operator sees it counted.
        recordRefusal(m, Refusal::OtherController, s.from);
        return;
    }
    if (!otherState_ || otherState_->from != s.from || s.seq > otherState_->seq)
        otherState_ = s;
    if (leading_ || asked_ || otherLeader_ || !brokerFallback_ || decided_)
        return;
    if (underWay(s.run.state()) && engine_.runState() == RunState::Idle) {
        asked_ = true;
        retainedWait_.stop();
        checked_ = true;
        emit interruptedRunFound(s);
    } else {
        checked();
    }
}

void Controller::takeCueReport(const Incoming &, const CueReport &r)
{
    // A room sends again what it is not sure arrived: the copy is dropped.
    const PlayedCue &cue = r.cue;
    const QString key = QStringLiteral("%1\n%2\n%3").arg(cue.room).arg(cue.dueMs).arg(cue.player);
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
    if (!leading_ || aborted_ || !client_.isConnected())
        return;
    StateEvent e = events.empty() ? StateEvent::Sync : events.front();
    // A tick that ended the examination is the end; anything else together
    // is only the state it led to.
    if (events.size() == 2 && events[0] == StateEvent::Tick && events[1] == StateEvent::End)
        e = StateEvent::End;
    else if (events.size() > 1)
        e = StateEvent::Sync;
    publish(e, engine_.snapshot());
}

void Controller::publish(StateEvent e, const RunSnapshot &run)
{
    StateMessage m;
    m.from = id_;
    m.seq = ++seq_;
    m.event = e;
    // The tick the snapshot stands after is the one before the next: right
    // after a takeover's alignment no tick has yet been delivered on the
    // new grid, and the last one delivered lies on the old one.
    m.dueMs = timer_.nextDueWallMs() - kPeriodMs;
    m.run = run;
    client_.publish(retained(topics_.state(), writeState(exam_, m)));
}

void Controller::abortRun()
{
    if (!leading_ || aborted_)
        return;
    aborted_ = true;
    // Now, not after the handler: the program ends right after it.
    if (client_.isConnected())
        publish(StateEvent::Abort, stopped(engine_.snapshot()));
    else
        emit note(str(texts::roomsAbortNotSent));
}

// Whoever forged it said something the rooms may have taken: what this one
// says is said again, at most once a second.
void Controller::ownNameForged()
{
    const qint64 now = nowMs();
    if (!leading_ || !client_.isConnected() || (resentMs_ != 0 && now - resentMs_ < 1000 && now >= resentMs_))
        return;
    resentMs_ = now;
    publishPresence(true);
    schedulePublish(StateEvent::Sync);
}

void Controller::publishPresence(bool online)
{
    PresenceMessage p{id_, online, sinceMs_, online, host_, over_, nowMs()};
    client_.publish(retained(topics_.controller(), writePresence(exam_, p)));
}

} // namespace tavrin::rooms
