#include "schedule_link.h"

#include "controller.h"
#include "room.h"
#include "rooms_ui.h"
#include "schedule_message.h"
#include "scheduled_start.h"
#include "texts.h"

#include <QDateTime>

#include <cmath>

namespace tavrin::rooms {

using texts::str;

ScheduleLink::ScheduleLink(RoomsUi &rooms, ScheduledStart &start, QObject *parent)
    : QObject(parent), rooms_(rooms), start_(start)
{
    connect(&rooms, &RoomsUi::memberMade, this, &ScheduleLink::attach);
    // A room follows its controller's start, from the moment it is set up as one.
    start.setGuard([this]() -> QString { return rooms_.role() == Role::Room ? str(texts::startAtRoom) : QString(); });
    // The controller says every change at once; a room's own start (its
    // mapping of the controller's) is not published.
    for (auto signal : {&ScheduledStart::scheduled, &ScheduledStart::cancelled})
        connect(&start, signal, this, &ScheduleLink::publish);
    // Started, the start stays published as it was: were it withdrawn, a
    // room whose tick of that second came a moment later than the
    // controller's would take it for a cancel and miss its start.
    connect(&start, &ScheduledStart::started, this, [this](qint64 at, qint64) { publishStart(at); });
}

void ScheduleLink::attach(Member *member)
{
    member_ = member;
    wasConnected_ = false;
    controllerStart_.reset();
    mappedTo_.reset();
    connect(member, &Member::changed, this, [this] {
        if (!member_)
            return;
        const bool now = member_->connected();
        if (now && !wasConnected_)
            publish(); // the broker may have lost what it kept
        wasConnected_ = now;
        apply(); // a room's clock offset may be known now, or have moved
    });
    if (rooms_.room() == member) {
        member->subscribeExtra(scheduleTopic(member->exam()));
        connect(member, &Member::extraReceived, this, &ScheduleLink::received);
    }
}

void ScheduleLink::publish()
{
    publishStart(start_.start().value_or(0));
}

void ScheduleLink::publishStart(qint64 startMs)
{
    if (!member_ || rooms_.controller() != member_ || !member_->connected())
        return;
    ScheduleMessage m;
    m.from = member_->id();
    m.startMs = startMs;
    // Never earlier than the last one sent, so that it always replaces it.
    lastSentAtMs_ = qMax(lastSentAtMs_ + 1, QDateTime::currentMSecsSinceEpoch());
    m.atMs = lastSentAtMs_;
    member_->publishExtra(scheduleTopic(member_->exam()), writeSchedule(member_->exam(), m), true);
}

void ScheduleLink::received(const QString &topic, const QByteArray &body)
{
    Room *room = rooms_.room();
    if (!room || room != member_ || topic != scheduleTopic(room->exam()))
        return;
    // Signed by this examination's key (the member checked that), a start
    // within a day, and only from the controller this room follows.
    const Reading<ScheduleMessage> r = readSchedule(body, room->exam(), QDateTime::currentMSecsSinceEpoch());
    // A schedule set earlier than the one taken is a replay: the operator
    // may have moved the start since.
    const bool older = r.ok() && r.message->atMs < newestAtMs_;
    if (!r.ok() || older || (!room->followed().isEmpty() && r.message->from != room->followed())) {
        // At most one entry every ten seconds: a flood must not fill the record.
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (now - lastRefusalMs_ >= 10000) {
            lastRefusalMs_ = now;
            emit rooms_.record(str(texts::roomsRefused)
                                   .arg(topic, u"schedule"_qs, !r.ok() ? r.detail : older ? u"at"_qs : r.message->from));
        }
        return;
    }
    newestAtMs_ = r.message->atMs;
    const bool had = controllerStart_.has_value();
    controllerStart_ = r.message->startMs ? std::optional<qint64>(r.message->startMs) : std::nullopt;
    if (!controllerStart_) {
        mappedTo_.reset();
        if (had && start_.start()) {
            start_.cancel();
            emit rooms_.record(str(texts::startAtCancelledByController));
        }
        return;
    }
    apply();
}

void ScheduleLink::apply()
{
    Room *room = rooms_.room();
    if (!room || room != member_ || !controllerStart_)
        return;
    const std::optional<OffsetEstimate> e = room->offset();
    if (!e && !room->offsetAssumed())
        return; // until the clocks have been compared
    // This room's clock minus the controller's.
    const qint64 local = *controllerStart_ + (e ? std::llround(e->offsetUs / 1000.0) : 0);
    if (mappedTo_ && std::llabs(*mappedTo_ - local) < 2)
        return;
    const bool first = !mappedTo_.has_value();
    if (local <= QDateTime::currentMSecsSinceEpoch()) {
        mappedTo_ = local; // passed: the controller's run is followed as it is
        return;
    }
    if (const QString why = start_.setStart(local); why.isEmpty()) {
        mappedTo_ = local;
        if (first)
            emit rooms_.record(str(texts::startAtFromController).arg(start_.startText()));
    }
}

} // namespace tavrin::rooms
