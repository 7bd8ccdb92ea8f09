#include "fake_clock.h"

#include <QCoreApplication>

#include <algorithm>

namespace tavrin::testing {

FakeClock::FakeClock(qint64 wallUs) : wallNs_(wallUs * 1000) {}

FakeClock::~FakeClock() = default;

void FakeClock::wake(ClockTimer &t, qint64 dueNs, bool)
{
    cancel(t);
    due_.push_back({&t, dueNs, asked_++});
}

void FakeClock::cancel(ClockTimer &t)
{
    std::erase_if(due_, [&](const Due &d) { return d.timer == &t; });
}

void FakeClock::advanceUs(qint64 us)
{
    const qint64 end = monoNs_.load() + us * 1000;
    for (;;) {
        QCoreApplication::sendPostedEvents();
        const auto next = std::min_element(due_.begin(), due_.end(), [](const Due &a, const Due &b) {
            return a.dueNs != b.dueNs ? a.dueNs < b.dueNs : a.order < b.order;
        });
        if (next == due_.end() || next->dueNs > end)
            break;
        ClockTimer *timer = next->timer;
        // A wake-up asked for in the past comes now, as a timer of 0 ms does.
        const qint64 at = std::max(next->dueNs, monoNs_.load());
        due_.erase(next);
        wallNs_ += at - monoNs_.load();
        monoNs_.store(at);
        ring(*timer);
    }
    wallNs_ += end - monoNs_.load();
    monoNs_.store(end);
    QCoreApplication::sendPostedEvents();
}

} // namespace tavrin::testing
