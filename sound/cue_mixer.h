#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace tavrin {

using Pcm = std::vector<std::int16_t>; // mono, 16-bit, at the output's rate

// The four voices of the cue players and the output's clock. The audio
// thread renders each period with render(); the players' thread starts,
// pauses and halts voices. Nothing here touches an audio device, so the
// sounds and the voices outlive any number of closes and reopens.
//
// A voice may be asked to start at a given time on the steady clock: it
// then starts at the sample that reaches the device at that time, wherever
// that sample falls in the period, instead of at the start of the next
// period. When each sample reaches the device is estimated from when the
// periods are asked for: the mixer is asked for a period as the one before
// it is taken by the sound server, so
//     heard(frame) = base + frame / rate + latency
// where base is the earliest (least delayed) request time seen, minus the
// frames before that request; latency is measured once for the output.
// Whenever the stream starts again (opened, woken from idle, or stalled for
// more than two periods) the base is learnt anew from its steady periods.
class CueMixer {
public:
    static constexpr int voices = 4;
    static constexpr std::int64_t asap = INT64_MIN;

    enum class Event { Started, Finished, Dropped };
    struct News {
        Event event;
        int voice;
        std::uint64_t play;
        std::int64_t atNs = 0;   // Started: when it is heard, on the steady clock
        std::int64_t lateNs = 0; // Started: how much later than it was asked to start
    };
    // From the audio thread, outside the mixer's lock.
    using Sink = std::function<void(const News &)>;

    CueMixer(int rate, Sink sink) : rate_(rate), sink_(std::move(sink)) {}

    // From the output's latency as measured: period request to the device.
    // A voice not yet heard is placed again on the new latency.
    void setLatencyNs(std::int64_t ns);
    // A voice whose start comes later than this after the time it was
    // asked for is dropped: a cue heard seconds late is worse than none.
    // One that waited for a stream starting up (opened, woken, or held by
    // the server in its first seconds) counts from when the stream ran,
    // unless that came more than startGraceNs after its time: a start, a
    // resume or a room's first tick never loses its cue to the output.
    void setStaleNs(std::int64_t ns) { staleNs_ = ns; }
    static constexpr std::int64_t startGraceNs = 2'500'000'000;

    // Starts voice v (0-based) from its beginning at atNs (or asap); nowNs
    // is when it is asked for.
    void play(int v, std::shared_ptr<const Pcm> pcm, std::uint64_t play, std::int64_t atNs, std::int64_t nowNs);
    // Whether v was sounding (or due to) and is now held.
    bool pause(int v);
    // Whether v was held and now goes on.
    bool resume(int v);
    void halt(int v);
    void haltAll();

    // A new output stream, or one that ran dry: its frames count from 0 again.
    void restartClock();
    // Fills one period; nowNs is the steady clock at the request.
    void render(std::int16_t *out, int frames, std::int64_t nowNs);

    // When frame would be heard, by the current estimate (for tests).
    std::int64_t heardNs(std::int64_t frame) const;

private:
    struct Voice {
        std::shared_ptr<const Pcm> pcm;
        std::uint64_t play = 0;
        std::int64_t atNs = asap;
        std::int64_t askedNs = 0;      // when the play was asked for: for staleness
        std::int64_t startFrame = -1; // once placed on the stream
        std::size_t pos = 0;
        bool active = false;
        bool paused = false;
    };
    std::int64_t heardNsLocked(std::int64_t frame) const;
    std::int64_t frameHeardAt(std::int64_t ns) const;
    void place(Voice &v, int index, std::int64_t nowNs, std::vector<News> &events);
    void relearn();
    void placeAgain();

    const int rate_;
    const Sink sink_;
    std::int64_t latencyNs_ = 0;
    std::int64_t staleNs_ = 1'000'000'000;

    mutable std::mutex mutex_;
    std::array<Voice, voices> voices_{};
    std::int64_t frame_ = 0; // the first frame of the next period
    // Request time minus the stream time of the frames before it, over the
    // last periods: the smallest is the least delayed request.
    static constexpr std::size_t window = 64;
    std::array<std::int64_t, window> offsets_{};
    std::size_t offsetCount_ = 0;
    // Periods of a (re)started stream that are not counted (see relearn()).
    static constexpr int settlePeriods = 8;
    int startPeriods_ = 0;
    std::int64_t lastRequestNs_ = 0;
    bool fresh_ = true;          // no period asked for since the stream (re)started
    std::int64_t startedNs_ = 0; // when the stream ran again
    std::int64_t base_ = 0;
};

} // namespace tavrin
