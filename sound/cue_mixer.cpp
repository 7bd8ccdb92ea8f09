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

void CueMixer::restartClock()
{
    std::lock_guard lock(mutex_);
    frame_ = 0;
    offsetCount_ = 0;
    base_ = 0;
    // A voice placed on the old stream starts again on the new one.
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

void CueMixer::place(Voice &v, int index, std::int64_t nowNs, std::vector<Pending> &events)
{
    const std::int64_t wanted = v.atNs == asap ? frame_ : std::max(frame_, frameHeardAt(v.atNs));
    const std::int64_t heard = heardNsLocked(wanted);
    const std::int64_t reference = v.atNs == asap ? v.askedNs : v.atNs;
    // Asked for before the output was there, and the output came too late.
    if (std::max(heard, nowNs) - reference > staleNs_) {
        events.push_back({Event::Dropped, index, v.play, 0});
        v = {};
        return;
    }
    v.startFrame = wanted;
    events.push_back({Event::Started, index, v.play, heard});
}

void CueMixer::render(std::int16_t *out, int frames, std::int64_t nowNs)
{
    std::vector<Pending> events;
    {
        std::lock_guard lock(mutex_);
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
            const Pcm &pcm = *v.pcm;
            std::size_t at = std::size_t(std::max<std::int64_t>(0, v.startFrame - frame_));
            while (at < sum.size() && v.pos < pcm.size())
                sum[at++] += pcm[v.pos++];
            if (v.pos >= pcm.size()) {
                events.push_back({Event::Finished, i, v.play, 0});
                v = {};
            }
        }
        for (std::size_t k = 0; k < sum.size(); ++k)
            out[k] = std::int16_t(std::clamp<std::int32_t>(sum[k], std::numeric_limits<std::int16_t>::min(),
                                                           std::numeric_limits<std::int16_t>::max()));
        frame_ = end;
    }
    if (sink_)
        for (const Pending &e : events)
            sink_(e.event, e.voice, e.play, e.atNs);
}

} // namespace tavrin
