#pragma once

// Time in the test's hands: a wall clock, a monotonic clock and the wake-ups
// of every timer built on it (the tick's PhaseTimer among them), all moved
// only by advance(). What falls due on the way fires at its own time, in
// order, and what it queues runs after it; no real tick, no sleep.

#include "clock.h"

#include <atomic>
#include <vector>

namespace tavrin::testing {

class FakeClock final : public Clock {
public:
    // 2024-03-01 09:00:00 UTC, a whole second, unless told otherwise.
    static constexpr qint64 kStartUs = 1'709'283'600'000'000;
    explicit FakeClock(qint64 wallUs = kStartUs);
    ~FakeClock() override;

    qint64 wallUs() const override { return wallNs_.load() / 1000; }
    qint64 monotonicNs() const override { return monoNs_.load(); }

    // Both clocks move on by us; every wake-up due by then fires at its time.
    // advance(0) runs what is queued (a publish after the handler) and what
    // is due now.
    void advanceUs(qint64 us);
    void advance(qint64 ms) { advanceUs(ms * 1000); }
    // The wall clock set to us, the monotonic clock left as it is (the
    // operator or the time service set the clock).
    void setWallUs(qint64 us) { wallNs_.store(us * 1000); }

private:
    void wake(ClockTimer &t, qint64 dueNs, bool precise) override;
    void cancel(ClockTimer &t) override;

    struct Due {
        ClockTimer *timer;
        qint64 dueNs;
        quint64 order; // among those due together, as they were asked for
    };
    std::atomic<qint64> wallNs_;
    std::atomic<qint64> monoNs_{1'000'000'000};
    std::vector<Due> due_;
    quint64 asked_ = 0;
};

} // namespace tavrin::testing
