#pragma once

// The program's time behind one object: the wall clock, the monotonic clock
// and the wake-ups of its timers. The program runs on the system's; a test
// gives the parts one of its own (tests/support/fake_clock.h) and moves all
// three together, so that nothing waits on real time.

#include <QObject>
#include <QTimer>

namespace tavrin {

inline constexpr qint64 kNsPerMs = 1'000'000;

class ClockTimer;

class Clock {
public:
    virtual ~Clock() = default;
    // Microseconds since 1970.
    virtual qint64 wallUs() const = 0;
    qint64 wallMs() const;
    // Nanoseconds from an origin of the clock's own; never goes back.
    virtual qint64 monotonicNs() const = 0;

    // The system's clocks and Qt's timers, for the program's life.
    static Clock &system();

protected:
    friend class ClockTimer;
    // Calls ring(t) once the monotonic clock reaches dueNs, instead of any
    // wake-up asked for before; precise for the one-second tick.
    virtual void wake(ClockTimer &t, qint64 dueNs, bool precise) = 0;
    virtual void cancel(ClockTimer &t) = 0;
    static void ring(ClockTimer &t);
    // What a clock needs to wait on Qt's event loop.
    static QTimer &qtTimer(ClockTimer &t);
};

// The part of QTimer that the program uses, on a Clock of its choosing.
class ClockTimer : public QObject {
    Q_OBJECT
public:
    explicit ClockTimer(Clock &clock, QObject *parent = nullptr);
    ~ClockTimer() override;

    void setSingleShot(bool singleShot) { singleShot_ = singleShot; }
    void setInterval(int ms) { intervalMs_ = ms; }
    int interval() const { return intervalMs_; }
    // Qt::PreciseTimer on the system's clock.
    void setPrecise(bool precise) { precise_ = precise; }
    void start(int ms);
    void start() { start(intervalMs_); }
    // Single wake-up when the monotonic clock reaches dueNs (at once if
    // that has passed); a repeating timer goes on at its interval after it.
    void startAt(qint64 dueNs);
    void stop();
    bool isActive() const { return active_; }
    Clock &clock() const { return clock_; }

signals:
    void timeout();

private:
    friend class Clock;
    void rang();

    Clock &clock_;
    QTimer qt_; // the system clock's means of waiting; unused on others
    int intervalMs_ = 0;
    qint64 dueNs_ = 0;
    bool singleShot_ = false;
    bool precise_ = false;
    bool active_ = false;
};

} // namespace tavrin
