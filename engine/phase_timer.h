#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace tavrin {

// A one-second clock that keeps its phase: tick n is due n intervals after
// the interval was set, on the monotonic clock. A late tick is not caught up
// (the missed second is lost) but the ticks after it come back on phase,
// which a repeating QTimer does not do after a stall.
class PhaseTimer : public QObject {
    Q_OBJECT
public:
    explicit PhaseTimer(QObject *parent = nullptr);

    // Starts the clock with the given interval; 0 stops it.
    void setInterval(int milliseconds);
    int interval() const { return intervalMs_; }

    // Nanoseconds since the clock was started, on its own monotonic clock.
    qint64 elapsedNs() const { return clock_.nsecsElapsed(); }
    // When the next tick is due, in nanoseconds since the start.
    qint64 nextDueNs() const { return nextDueNs_; }

signals:
    void timeout();

private:
    void fire();
    void arm();

    QTimer timer_;
    QElapsedTimer clock_;
    int intervalMs_ = 0;
    qint64 nextDueNs_ = 0;
};

} // namespace tavrin
