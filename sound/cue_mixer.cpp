#include "cue_mixer.h"

#include <algorithm>
#include <limits>

namespace tavrin {

namespace {
constexpr std::int64_t nsPerSecond = 1'000'000'000;
} // namespace

void CueMixer::play(int v, std::shared_ptr<const Pcm> pcm, std::uint64_t play, std::int64_t atNs, std::int64_t nowNs)
{
    if (v < 0 || v >= voices)
        return;
    std::lock_guard lock(mutex_);
    Voice &voice = voices_[std::size_t(v)];
    voice = {};
    voice.pcm = std::move(pcm);
    voice.play = play;
    voice.atNs = atNs;
    voice.askedNs = nowNs;
    voice.active = voice.pcm && !voice.pcm->empty();
}

bool CueMixer::pause(int v)
{
    if (v < 0 || v >= voices)
        return false;
    std::lock_guard lock(mutex_);
    Voice &voice = voices_[std::size_t(v)];
    if (!voice.active || voice.paused)
        return false;
    voice.paused = true;
    return true;
}

bool CueMixer::resume(int v)
{
    if (v < 0 || v >= voices)
        return false;
    std::lock_guard lock(mutex_);
    Voice &voice = voices_[std::size_t(v)];
    if (!voice.active || !voice.paused)
        return false;
    voice.paused = false;
    // Held before a sample of it was heard: it starts as soon as it can.
    if (voice.pos == 0) {
        voice.startFrame = -1;
        voice.atNs = asap;
    }
    return true;
}

void CueMixer::halt(int v)
{
    if (v < 0 || v >= voices)
        return;
    std::lock_guard lock(mutex_);
    voices_[std::size_t(v)] = {};
}

void CueMixer::haltAll()
{
    std::lock_guard lock(mutex_);
    voices_ = {};
}

void CueMixer::setLatencyNs(std::int64_t ns)
{
    std::lock_guard lock(mutex_);
    if (ns == latencyNs_)
        return;
    latencyNs_ = ns;
    placeAgain();
}

void CueMixer::restartClock()
{
    std::lock_guard lock(mutex_);
    frame_ = 0;
    base_ = 0;
    fresh_ = true;
    relearn();
}

// The stream (re)starts: its first periods are asked for as its buffer
// fills, ahead of when they are heard, and would put every cue after them
// late. They are not counted once the stream runs steadily; a voice placed
// on the old estimate and not yet heard is placed again.
void CueMixer::relearn()
{
    offsetCount_ = 0;
    startPeriods_ = settlePeriods;
    placeAgain();
}

void CueMixer::placeAgain()
{
    for (Voice &v : voices_)
        if (v.active && v.pos == 0)
            v.startFrame = -1;
}

std::int64_t CueMixer::heardNsLocked(std::int64_t frame) const
{
    return base_ + frame * nsPerSecond / rate_ + latencyNs_;
}

std::int64_t CueMixer::heardNs(std::int64_t frame) const
{
    std::lock_guard lock(mutex_);
    return heardNsLocked(frame);
}

// The first frame heard at or after ns.
std::int64_t CueMixer::frameHeardAt(std::int64_t ns) const
{
    const std::int64_t since = ns - base_ - latencyNs_;
    if (since <= 0)
        return 0;
    return (since * rate_ + nsPerSecond - 1) / nsPerSecond;
}

void CueMixer::place(Voice &v, int index, std::int64_t nowNs, std::vector<News> &events)
{
    const std::int64_t wanted = v.atNs == asap ? frame_ : std::max(frame_, frameHeardAt(v.atNs));
    const std::int64_t heard = heardNsLocked(wanted);
    std::int64_t reference = v.atNs == asap ? v.askedNs : v.atNs;
    if (startedNs_ > reference && startedNs_ - reference <= startGraceNs)
        reference = startedNs_;
    // Asked for before the output was there, and the output came too late.
    if (std::max(heard, nowNs) - reference > staleNs_) {
        events.push_back({Event::Dropped, index, v.play});
        v = {};
        return;
    }
    v.startFrame = wanted;
}

void CueMixer::render(std::int16_t *out, int frames, std::int64_t nowNs)
{
    std::vector<News> events;
    {
        std::lock_guard lock(mutex_);
        // Asked for long after the last period: the stream ran dry (the
        // sound server held it, or this thread was held) and starts again.
        const std::int64_t periodNs = std::int64_t(frames) * nsPerSecond / rate_;
        if (offsetCount_ > 0 && nowNs - lastRequestNs_ > 2 * periodNs) {
            // Held by the server right after it started: still starting.
            if (nowNs - startedNs_ <= startGraceNs)
                startedNs_ = nowNs;
            relearn();
        }
        if (fresh_) {
            fresh_ = false;
            startedNs_ = nowNs;
        }
        lastRequestNs_ = nowNs;
        if (startPeriods_ > 0 && --startPeriods_ == 0) {
            offsetCount_ = 0;
            placeAgain();
        }
        const std::int64_t offset = nowNs - frame_ * nsPerSecond / rate_;
        offsets_[offsetCount_ % window] = offset;
        ++offsetCount_;
        const std::size_t n = std::min(offsetCount_, window);
        base_ = *std::min_element(offsets_.begin(), offsets_.begin() + std::ptrdiff_t(n));

        std::vector<std::int32_t> sum(std::size_t(frames), 0);
        const std::int64_t end = frame_ + frames;
        for (int i = 0; i < voices; ++i) {
            Voice &v = voices_[std::size_t(i)];
            if (!v.active || v.paused)
                continue;
            if (v.startFrame < 0)
                place(v, i, nowNs, events);
            if (!v.active || v.startFrame >= end)
                continue;
            // Told when its first sample goes out, on the estimate as it then stands.
            if (v.pos == 0) {
                const std::int64_t heard = heardNsLocked(v.startFrame);
                events.push_back({Event::Started, i, v.play, heard,
                                  v.atNs == asap ? 0 : std::max<std::int64_t>(0, heard - v.atNs)});
            }
            const Pcm &pcm = *v.pcm;
            std::size_t at = std::size_t(std::max<std::int64_t>(0, v.startFrame - frame_));
            while (at < sum.size() && v.pos < pcm.size())
                sum[at++] += pcm[v.pos++];
            if (v.pos >= pcm.size()) {
                events.push_back({Event::Finished, i, v.play});
                v = {};
            }
        }
        for (std::size_t k = 0; k < sum.size(); ++k)
            out[k] = std::int16_t(std::clamp<std::int32_t>(sum[k], std::numeric_limits<std::int16_t>::min(),
                                                           std::numeric_limits<std::int16_t>::max()));
        frame_ = end;
    }
    if (sink_)
        for (const News &e : events)
            sink_(e);
}

} // namespace tavrin
