#pragma once

#include "clock.h"

#include <QObject>

namespace tavrin {

// When the ticks of a one-second clock are due, on a monotonic clock in
// nanoseconds. Pure arithmetic, so that it can be checked without waiting.
//
// Tick n is due at anchor + n × period. A late tick is delivered once (the
// seconds a stall swallowed are lost, never delivered in a burst) and the
// ticks after it come back on the grid.
class TickGrid {
public:
    // A grid of the given period whose first tick is one period after now.
    void start(qint64 periodNs, qint64 nowNs);
    // Moves the grid so that ticks fall on anchorNs + n × period. The next
    // tick is the first such time after now, but never less than half a
    // period after the tick delivered last, so a move cannot tick twice;
    // a tick due shortly that the move puts just behind now is due at once,
    // so a move cannot swallow one either.
    void align(qint64 anchorNs, qint64 nowNs);
    // Called when the timer fires at nowNs: true if the due tick is to be
    // delivered now (then next() moves on), false if woken early.
    bool fire(qint64 nowNs);

    qint64 nextDue() const { return dueNs_; }
    qint64 lastDelivered() const { return lastNs_; }

private:
    qint64 periodNs_ = 0;
    qint64 dueNs_ = 0;
    qint64 lastNs_ = 0;
    bool delivered_ = false;
};

// A one-second clock that keeps its phase: the timer that wakes it is only
// a means to wait, the due times come from a TickGrid on the monotonic clock,
// which a repeating QTimer does not keep after a stall.
class PhaseTimer : public QObject {
    Q_OBJECT
public:
    // On the system's clock.
    explicit PhaseTimer(QObject *parent = nullptr);
    // On the given one, for the timer's life (a test's fake time).
    explicit PhaseTimer(Clock &clock, QObject *parent = nullptr);

    // Starts the clock with the given interval; 0 stops it.
    void setInterval(int milliseconds);
    int interval() const { return intervalMs_; }

    // Ticks from now on fall on anchorWallMs + n × interval of the wall clock
    // (milliseconds since the epoch): a run resumed after a restart, or one
    // followed on another machine, keeps its seconds where they were.
    void alignTo(qint64 anchorWallMs);
    // The wall-clock time (ms since the epoch) at which the tick being
    // delivered, or the last one delivered, was due.
    qint64 dueWallMs() const;
    // The wall-clock time (ms since the epoch) at which the next tick is
    // due. Unlike dueWallMs() it is on the grid right after alignTo(), before
    // a tick has been delivered there.
    qint64 nextDueWallMs() const;

    // Delivers each tick this much before it is due (a slow speaker's cue
    // must be written that much sooner); dueWallMs() stays the grid's.
    // At most kMaxLeadMs.
    void setLeadMs(int ms);
    static constexpr int kMaxLeadMs = 900;

    // Nanoseconds since the clock was started, on its own monotonic clock.
    qint64 elapsedNs() const { return clock_.monotonicNs() - startNs_; }
    // When the next tick is due, in nanoseconds since the start.
    qint64 nextDueNs() const { return grid_.nextDue(); }
    // The clock it runs on: the wall clock it aligns to is that one's.
    Clock &clock() const { return clock_; }

signals:
    void timeout();

private:
    void fire();
    void arm();
    // Wall-clock nanoseconds minus the monotonic ones, measured now.
    qint64 wallOffsetNs() const;

    Clock &clock_;
    ClockTimer timer_;
    qint64 startNs_ = 0;
    TickGrid grid_;
    int intervalMs_ = 0;
    qint64 leadNs_ = 0;
};

} // namespace tavrin
