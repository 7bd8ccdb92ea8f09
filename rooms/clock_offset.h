#pragma once

// How far a room's clock stands from the controller's, from questions and
// answers over the broker. Pure arithmetic on the four times of each
// exchange, so that it can be checked with made-up clocks.

#include <QtGlobal>

#include <deque>
#include <optional>

namespace tavrin::rooms {

// One exchange, in microseconds: t0 the room asks and t3 the answer arrives
// (the room's clock); t1 the question arrives and t2 the answer leaves (the
// controller's clock).
struct ClockSample {
    qint64 t0 = 0;
    qint64 t1 = 0;
    qint64 t2 = 0;
    qint64 t3 = 0;

    qint64 roundTrip() const { return (t3 - t0) - (t2 - t1); }
    // The room's clock minus the controller's, assuming the way there took as
    // long as the way back; wrong by at most half the round trip.
    double offset() const { return (double(t0 - t1) + double(t3 - t2)) / 2; }
};

struct OffsetEstimate {
    double offsetUs = 0;   // at the newest exchange
    qint64 roundTripUs = 0;
    int samples = 0;
    double driftPpm = 0;   // how fast the room's clock gains on the controller's
};

// Keeps the recent exchanges and uses the one with the shortest round trip:
// a message held up in a queue on either side only lengthens the trip, and
// the shortest one was held up least. A clock that was set (a step, not a
// slow correction) shows as several newer exchanges that all disagree with
// the estimate beyond their own uncertainty; the exchanges from before the
// step are then dropped. Until then an exchange that disagrees is held
// aside and not used: one forged or freak answer moves nothing.
// Clocks also drift (a crystal gains up to about 100 ppm, several ms a
// minute): the best exchange of the oldest third of those kept and that of
// the newest third give the drift, and the estimate is the newest third's
// best carried forward by it to the newest exchange.
class OffsetEstimator {
public:
    static constexpr int kKeep = 60;
    static constexpr qint64 kMaxAgeUs = 300'000'000;    // five minutes
    static constexpr qint64 kMaxRoundTripUs = 2'000'000; // no use beyond this
    static constexpr int kStepEvidence = 3;
    static constexpr qint64 kMaxOffsetUs = 86'400'000'000; // a day: no clock is that far off
    static constexpr qint64 kMinDriftBaseUs = 30'000'000;  // shorter, and the network's noise is the drift
    static constexpr double kMaxDriftPpm = 500;            // beyond any crystal's: bounded, not believed

    // False when the exchange is not used (a negative or overlong trip, an
    // offset beyond a day, or one that disagrees and is held aside).
    bool add(const ClockSample &s);
    std::optional<OffsetEstimate> estimate() const;
    void clear()
    {
        samples_.clear();
        aside_.clear();
    }
    int size() const { return static_cast<int>(samples_.size()); }

private:
    struct Line {
        const ClockSample *anchor = nullptr; // the newest third's best exchange
        double ppm = 0;
        double at(qint64 us) const { return anchor->offset() + ppm * 1e-6 * double(us - anchor->t3); }
    };
    Line line() const;
    const ClockSample *best(std::size_t from, std::size_t to) const;
    void dropStale();

    std::deque<ClockSample> samples_;
    std::deque<ClockSample> aside_; // the newest exchanges in a row that disagree
};

} // namespace tavrin::rooms
