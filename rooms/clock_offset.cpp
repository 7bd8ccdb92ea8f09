#include "clock_offset.h"

#include <cmath>

namespace tavrin::rooms {

namespace {
// What two exchanges may disagree by beyond half their round trips: the
// clocks' reading granularity and a scheduler's wake-up.
constexpr double kSlackUs = 2000;

// Beyond what the two exchanges' round trips and the slack allow, and on
// which side: +1 when a reads the room further ahead than b.
int disagreement(const ClockSample &a, const ClockSample &b)
{
    const double allowed = (a.roundTrip() + b.roundTrip()) / 2.0 + kSlackUs;
    const double d = a.offset() - b.offset();
    return d > allowed ? 1 : d < -allowed ? -1 : 0;
}

} // namespace


bool OffsetEstimator::add(const ClockSample &s)
{
    const qint64 trip = s.roundTrip();
    if (trip < 0 || trip > kMaxRoundTripUs || s.t3 < s.t0 || s.t2 < s.t1 || std::abs(s.offset()) > double(kMaxOffsetUs))
        return false;
    const ClockSample *b = best();
    const int side = b ? disagreement(s, *b) : 0;
    if (side != 0) {
        // A step of either clock: several newest exchanges in a row disagree
        // with the estimate on the same side and agree with each other.
        if (!aside_.empty() && (disagreement(aside_.back(), *b) != side || disagreement(s, aside_.front()) != 0))
            aside_.clear();
        aside_.push_back(s);
        if (static_cast<int>(aside_.size()) < kStepEvidence)
            return false;
        samples_.assign(aside_.begin(), aside_.end());
        aside_.clear();
        return true;
    }
    aside_.clear();
    samples_.push_back(s);
    while (static_cast<int>(samples_.size()) > kKeep)
        samples_.pop_front();
    dropStale();
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
