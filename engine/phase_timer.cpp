#include "phase_timer.h"

namespace tavrin {

namespace {
constexpr qint64 kNsPerMs = 1000 * 1000;
}

PhaseTimer::PhaseTimer(QObject *parent) : QObject(parent)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &PhaseTimer::fire);
}

void PhaseTimer::setInterval(int milliseconds)
{
    timer_.stop();
    intervalMs_ = milliseconds;
    if (milliseconds <= 0)
        return;
    clock_.start();
    nextDueNs_ = qint64(milliseconds) * kNsPerMs;
    arm();
}

void PhaseTimer::arm()
{
    const qint64 remaining = nextDueNs_ - clock_.nsecsElapsed();
    // Round up: a tick may come a little late, never early.
    const qint64 ms = remaining <= 0 ? 0 : (remaining + kNsPerMs - 1) / kNsPerMs;
    timer_.start(static_cast<int>(ms));
}

void PhaseTimer::fire()
{
    const qint64 now = clock_.nsecsElapsed();
    if (now < nextDueNs_) {
        arm(); // woken early: wait out the rest
        return;
    }
    const qint64 period = qint64(intervalMs_) * kNsPerMs;
    // The next due time after now, on the original phase: seconds that a
    // stall swallowed are skipped, never delivered in a burst.
    nextDueNs_ += period;
    if (nextDueNs_ <= now)
        nextDueNs_ += ((now - nextDueNs_) / period + 1) * period;
    arm();
    emit timeout();
}

} // namespace tavrin
