#pragma once

// Listening to what the player bank really plays: a private PulseAudio null
// sink, a recorder of its monitor, and the few measures the sound tests and
// the onset benchmark take of a recording.

#include <QProcess>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

namespace tavrin::probe {

using Clock = std::chrono::steady_clock;
inline constexpr int rate = 44100;

// A null sink of its own on a reachable PulseAudio server, made the output
// of every audio stream this process opens (PULSE_SINK). When no server can
// be reached, scripts/pulse-start.sh is tried once; a server started so is
// stopped again by stop().
class PulseSink {
public:
    // tag tells apart several sinks of one process.
    explicit PulseSink(QString tag = {}) : tag_(std::move(tag)) {}
    PulseSink(const PulseSink &) = delete;
    PulseSink &operator=(const PulseSink &) = delete;
    ~PulseSink();

    // Empty on success, otherwise why there is no server to play to.
    QString start();
    void stop();

    QString name() const { return sink_; }
    QString monitor() const { return sink_ + QStringLiteral(".monitor"); }
    // Playback streams connected to the sink now, not counting the keeper.
    int streamCount() const;
    // Plays what this sink plays into another as well, latencyMs later, by
    // module-loopback: a delay the sink does not report (a slow speaker).
    // Undone by stop(). Empty on success.
    QString loopInto(const PulseSink &to, int latencyMs);

private:
    QString tag_;
    QString sink_;
    QString module_;
    QString loop_;
    bool startedServer_ = false;
    // A silent stream that keeps the sink on a short period, as a sound
    // card's sink is while anything plays.
    std::unique_ptr<QProcess> keeper_;
};

// Records a source (mono, 16-bit, rate) through parec while it runs, noting
// when each piece arrived so that sample positions can be put on the clock.
class Recorder {
public:
    explicit Recorder(QString source) : source_(std::move(source)) {}
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;
    ~Recorder();

    // Starts parec and waits until samples flow. Empty on success.
    QString start();
    void stop();

    std::vector<std::int16_t> samples(std::size_t from = 0) const;
    std::size_t size() const;
    // When sample i was played into the sink, on the steady clock.
    Clock::time_point timeOf(std::size_t i) const;
    // The first sample played at or after t.
    std::size_t indexAt(Clock::time_point t) const;

private:
    struct Piece {
        std::size_t end; // samples received so far
        Clock::time_point arrived;
    };
    void read();

    QString source_;
    int pid_ = -1;
    int fd_ = -1;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::vector<std::int16_t> samples_;
    std::vector<Piece> pieces_;
};

// ---- Measures --------------------------------------------------------------

struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t length() const { return end - begin; }
};

inline constexpr int silence = 100; // below this magnitude a sample is silent

// First to last sample louder than the threshold; empty when there is none.
Span extent(std::span<const std::int16_t> s, int threshold = silence);
// Runs of sound separated by at least minGap silent samples.
std::vector<Span> sounds(std::span<const std::int16_t> s, std::size_t minGap = rate / 50,
                         int threshold = silence);
// The sounds in s, each with its dropouts taken out. A dropout is a run of
// exact silence that cuts into a sound and gives way to it again at full
// strength: what the sink plays when a stream is late on a busy machine.
// A cue fades in and out, so its own beginnings and ends are never taken
// for one. Counts the dropouts into *dropouts.
std::vector<std::vector<std::int16_t>> heardSounds(std::span<const std::int16_t> s, int *dropouts = nullptr);
// Pitch estimated from the rate of zero crossings, in Hz.
double crossingPitch(std::span<const std::int16_t> s);
// Normalised correlation of two equally long pieces, 1 for the same shape.
double likeness(std::span<const std::int16_t> a, std::span<const std::int16_t> b);
double milliseconds(std::size_t samples);

// When the first sound within windowMs after t began in rec, its lead-in
// below the threshold (leadInMs) taken off; empty when there is none.
std::optional<Clock::time_point> onsetAfter(const Recorder &rec, Clock::time_point t, int windowMs, double leadInMs);

// Conditions to wait on (QTRY_VERIFY, QTest::qWaitFor): what is played
// reaches the monitor a little later, and a period or two at a time.
// From sample since on, count sounds have been recorded and the last has
// been quiet for quietMs.
bool soundsEnded(const Recorder &rec, std::size_t since, std::size_t count, int quietMs = 50);
// From sample since on, a sound has been heard for ms (and may go on).
bool soundHeardFor(const Recorder &rec, std::size_t since, int ms);

// How a heard sound compares with the file it should be.
struct Match {
    double heardMs = 0;
    double fileMs = 0;
    double likeness = 0;
    double heardHz = 0;
    double fileHz = 0;
    double loudness = 0; // heard peak / file peak

    QString describe() const;
    // The whole file, unbroken: its length within 5 ms, its shape, its pitch
    // within 3 %, and not much softer.
    bool sameSound() const;
};
Match compare(std::span<const std::int16_t> heard, std::span<const std::int16_t> file);

} // namespace tavrin::probe
