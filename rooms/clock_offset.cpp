#include "clock_offset.h"

#include <cmath>

namespace tavrin::rooms {

namespace {
// What two exchanges may disagree by beyond half their round trips: the
// clocks' reading granularity and a scheduler's wake-up.
constexpr double kSlackUs = 2000;
} // namespace

bool OffsetEstimator::add(const ClockSample &s)
{
    const qint64 trip = s.roundTrip();
    if (trip < 0 || trip > kMaxRoundTripUs || s.t3 < s.t0 || s.t2 < s.t1)
        return false;
    samples_.push_back(s);
    while (static_cast<int>(samples_.size()) > kKeep)
        samples_.pop_front();
    dropStale();

    // A step of either clock: the newest few all disagree with the best of
    // the older ones, on the same side.
    if (static_cast<int>(samples_.size()) > kStepEvidence) {
        const ClockSample *older = nullptr;
        for (std::size_t i = 0; i + kStepEvidence < samples_.size(); ++i)
            if (!older || samples_[i].roundTrip() < older->roundTrip())
                older = &samples_[i];
        int above = 0;
        int below = 0;
        for (std::size_t i = samples_.size() - kStepEvidence; i < samples_.size(); ++i) {
            const ClockSample &n = samples_[i];
            const double allowed = (n.roundTrip() + older->roundTrip()) / 2.0 + kSlackUs;
            const double d = n.offset() - older->offset();
            if (d > allowed)
                ++above;
            else if (d < -allowed)
                ++below;
        }
        if (above == kStepEvidence || below == kStepEvidence)
            samples_.erase(samples_.begin(), samples_.end() - kStepEvidence);
    }
    return true;
}

void OffsetEstimator::dropStale()
{
    const qint64 newest = samples_.back().t3;
    while (!samples_.empty() && newest - samples_.front().t3 > kMaxAgeUs)
        samples_.pop_front();
}

const ClockSample *OffsetEstimator::best() const
{
    const ClockSample *b = nullptr;
    for (const ClockSample &s : samples_)
        if (!b || s.roundTrip() <= b->roundTrip()) // the newer one of equals
            b = &s;
    return b;
}

std::optional<OffsetEstimate> OffsetEstimator::estimate() const
{
    const ClockSample *b = best();
    if (!b)
        return std::nullopt;
    return OffsetEstimate{b->offset(), b->roundTrip(), size()};
}

} // namespace tavrin::rooms
