#include "clock.h"

#include <ctime>
#include <limits>

namespace tavrin {

namespace {


qint64 read(clockid_t id, qint64 perSecond)
{
    timespec ts{};
    clock_gettime(id, &ts);
    return qint64(ts.tv_sec) * perSecond + qint64(ts.tv_nsec) / (1'000'000'000 / perSecond);
}

class SystemClock final : public Clock {
public:
    // Through the C library, as Qt reads the wall clock, so that a changed
    // clock (or one moved for a test with libfaketime) is the same clock
    // everywhere.
    qint64 wallUs() const override { return read(CLOCK_REALTIME, 1'000'000); }
    qint64 monotonicNs() const override { return read(CLOCK_MONOTONIC, 1'000'000'000); }

private:
    void wake(ClockTimer &t, qint64 dueNs, bool precise) override
    {
        QTimer &q = qtTimer(t);
        const qint64 remaining = dueNs - monotonicNs();
        // Rounded up: a wake-up may come a little late, never early.
        const qint64 ms = remaining <= 0 ? 0 : (remaining + kNsPerMs - 1) / kNsPerMs;
        q.setSingleShot(true);
        q.setTimerType(precise ? Qt::PreciseTimer : Qt::CoarseTimer);
        q.start(int(qMin<qint64>(ms, std::numeric_limits<int>::max())));
    }
    void cancel(ClockTimer &t) override { qtTimer(t).stop(); }
};

} // namespace

qint64 Clock::wallMs() const
{
    return wallUs() / 1000;
}

Clock &Clock::system()
{
    static SystemClock clock;
    return clock;
}

void Clock::ring(ClockTimer &t)
{
    t.rang();
}

QTimer &Clock::qtTimer(ClockTimer &t)
{
    return t.qt_;
}

ClockTimer::ClockTimer(Clock &clock, QObject *parent) : QObject(parent), clock_(clock)
{
    connect(&qt_, &QTimer::timeout, this, &ClockTimer::rang);
}

ClockTimer::~ClockTimer()
{
    stop();
}

void ClockTimer::start(int ms)
{
    intervalMs_ = ms;
    startAt(clock_.monotonicNs() + qint64(qMax(0, ms)) * kNsPerMs);
}

void ClockTimer::startAt(qint64 dueNs)
{
    dueNs_ = dueNs;
    active_ = true;
    clock_.wake(*this, dueNs_, precise_);
}

void ClockTimer::stop()
{
    if (!active_)
        return;
    active_ = false;
    clock_.cancel(*this);
}

void ClockTimer::rang()
{
    if (!active_)
        return;
    if (singleShot_) {
        active_ = false;
    } else {
        // On at the interval from when it was due, as a repeating QTimer.
        const qint64 now = clock_.monotonicNs();
        const qint64 step = qint64(qMax(1, intervalMs_)) * kNsPerMs;
        dueNs_ = dueNs_ + step > now ? dueNs_ + step : now + step;
        clock_.wake(*this, dueNs_, precise_);
    }
    emit timeout();
}

} // namespace tavrin
