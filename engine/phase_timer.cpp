#include "phase_timer.h"

#include <algorithm>

namespace tavrin {

namespace {

// The first anchor + n × period strictly after t.
qint64 gridPointAfter(qint64 anchor, qint64 period, qint64 t)
{
    qint64 steps = (t - anchor) / period;
    qint64 at = anchor + steps * period;
    while (at <= t)
        at += period;
    while (at - period > t)
        at -= period;
    return at;
}
} // namespace

void TickGrid::start(qint64 periodNs, qint64 nowNs)
{
    periodNs_ = periodNs;
    dueNs_ = nowNs + periodNs;
    lastNs_ = nowNs;
    delivered_ = false;
}

void TickGrid::align(qint64 anchorNs, qint64 nowNs)
{
    if (periodNs_ <= 0)
        return;
    qint64 due = gridPointAfter(anchorNs, periodNs_, nowNs);
    // The tick about to come, moved a little back past now, comes at once:
    // skipping it would lose its second (a start on it, its cue).
    const qint64 passed = due - periodNs_;
    if (dueNs_ - nowNs < periodNs_ / 2 && nowNs - passed < periodNs_ / 2 &&
        (!delivered_ || passed - lastNs_ >= periodNs_ / 2))
        due = passed;
    else if (delivered_ && due - lastNs_ < periodNs_ / 2)
        due += periodNs_;
    dueNs_ = due;
}

bool TickGrid::fire(qint64 nowNs)
{
    if (periodNs_ <= 0 || nowNs < dueNs_)
        return false;
    lastNs_ = dueNs_;
    delivered_ = true;
    // The next due time after now, on the same grid.
    dueNs_ = gridPointAfter(dueNs_, periodNs_, nowNs);
    return true;
}

PhaseTimer::PhaseTimer(QObject *parent) : PhaseTimer(Clock::system(), parent) {}

PhaseTimer::PhaseTimer(Clock &clock, QObject *parent) : QObject(parent), clock_(clock), timer_(clock)
{
    timer_.setSingleShot(true);
    timer_.setPrecise(true);
    connect(&timer_, &ClockTimer::timeout, this, &PhaseTimer::fire);
}

void PhaseTimer::setInterval(int milliseconds)
{
    timer_.stop();
    intervalMs_ = milliseconds;
    if (milliseconds <= 0)
        return;
    startNs_ = clock_.monotonicNs();
    grid_.start(qint64(milliseconds) * kNsPerMs, 0);
    arm();
}

qint64 PhaseTimer::wallOffsetNs() const
{
    return clock_.wallUs() * 1000 - elapsedNs();
}

void PhaseTimer::alignTo(qint64 anchorWallMs)
{
    if (intervalMs_ <= 0)
        return;
    // Only the phase of the anchor counts: reduced to one period first, no
    // anchor (one from the network among them) can overflow in nanoseconds.
    const qint64 phaseMs = anchorWallMs % intervalMs_;
    grid_.align(phaseMs * kNsPerMs - wallOffsetNs(), elapsedNs());
    arm();
}

qint64 PhaseTimer::dueWallMs() const
{
    return (grid_.lastDelivered() + wallOffsetNs()) / kNsPerMs;
}

qint64 PhaseTimer::nextDueWallMs() const
{
    return (grid_.nextDue() + wallOffsetNs()) / kNsPerMs;
}

void PhaseTimer::setLeadMs(int ms)
{
    // Within a tick's period, or the grid would take the next tick for this one.
    leadNs_ = qint64(std::clamp(ms, 0, kMaxLeadMs)) * kNsPerMs;
    if (intervalMs_ > 0)
        arm();
}

void PhaseTimer::arm()
{
    timer_.startAt(startNs_ + grid_.nextDue() - leadNs_);
}

void PhaseTimer::fire()
{
    const bool due = grid_.fire(elapsedNs() + leadNs_);
    arm(); // woken early: wait out the rest; otherwise the next tick
    if (due)
        emit timeout();
}

} // namespace tavrin
