#include "clock_offset.h"

#include <algorithm>
#include <cmath>

namespace tavrin::rooms {

namespace {
// What two exchanges may disagree by beyond half their round trips: the
// clocks' reading granularity and a scheduler's wake-up.
constexpr double kSlackUs = 2000;
// How much longer than the shortest trip an exchange may take and still
// count as clean.
constexpr qint64 kCleanTripUs = 1000;

// Beyond what the two exchanges' round trips and the slack allow, and on
// which side: +1 when a reads the room further ahead than b.
int disagreement(double offsetA, qint64 tripA, double offsetB, qint64 tripB)
{
    const double allowed = double(tripA + tripB) / 2.0 + kSlackUs;
    const double d = offsetA - offsetB;
    return d > allowed ? 1 : d < -allowed ? -1 : 0;
}

int disagreement(const ClockSample &a, const ClockSample &b)
{
    return disagreement(a.offset(), a.roundTrip(), b.offset(), b.roundTrip());
}

} // namespace


bool OffsetEstimator::add(const ClockSample &s)
{
    const qint64 trip = s.roundTrip();
    if (trip < 0 || trip > kMaxRoundTripUs || s.t3 < s.t0 || s.t2 < s.t1 || std::abs(s.offset()) > double(kMaxOffsetUs))
        return false;
    const Line l = line();
    const ClockSample *b = l.anchor;
    // Against the estimate where the clocks stood at that exchange, drift and all.
    const auto against = [&](const ClockSample &x) {
        return disagreement(x.offset(), x.roundTrip(), l.at(x.t3), b->roundTrip());
    };
    const int side = b ? against(s) : 0;
    if (side != 0) {
        // A step of either clock: several newest exchanges in a row disagree
        // with the estimate on the same side and agree with each other.
        if (!aside_.empty() && (against(aside_.back()) != side || disagreement(s, aside_.front()) != 0))
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

const ClockSample *OffsetEstimator::best(std::size_t from, std::size_t to) const
{
    const ClockSample *b = nullptr;
    for (std::size_t i = from; i < to; ++i)
        if (!b || samples_[i].roundTrip() <= b->roundTrip()) // the newer one of equals
            b = &samples_[i];
    return b;
}

OffsetEstimator::Line OffsetEstimator::line() const
{
    const std::size_t n = samples_.size();
    Line l;
    l.anchor = best(n - (n + 2) / 3, n);
    if (!l.anchor)
        return l;
    const ClockSample *old = best(0, (n + 2) / 3);
    const qint64 base = l.anchor->t3 - old->t3;
    // Only from two clean exchanges: a best one that was still held up on
    // one way would read as drift.
    const qint64 shortest = std::min(old->roundTrip(), l.anchor->roundTrip());
    const qint64 clean = std::min(best(0, n)->roundTrip(), shortest) + std::max<qint64>(kCleanTripUs, shortest / 4);
    if (base >= kMinDriftBaseUs && old->roundTrip() <= clean && l.anchor->roundTrip() <= clean)
        l.ppm = std::clamp((l.anchor->offset() - old->offset()) / double(base) * 1e6, -kMaxDriftPpm, kMaxDriftPpm);
    return l;
}

std::optional<OffsetEstimate> OffsetEstimator::estimate() const
{
    const Line l = line();
    if (!l.anchor)
        return std::nullopt;
    return OffsetEstimate{l.at(samples_.back().t3), l.anchor->roundTrip(), size(), l.ppm};
}

} // namespace tavrin::rooms
