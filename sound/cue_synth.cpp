#include "cue_synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavrin::cues {

namespace {

struct Partial {
    double ratio;   // to the note's pitch
    double level;
    double decay;   // seconds for the level to fall to 1/e
};

struct Note {
    double start;   // seconds
    double pitch;   // Hz
    double attack;  // seconds, raised-cosine rise
    double release; // seconds, raised-cosine fall at the note's end
    double end;     // seconds
    std::vector<Partial> partials;
};

// Sums the notes and scales the result to the given peak (of full scale),
// so that each cue has a loudness chosen for its role.
std::vector<std::int16_t> render(const std::vector<Note> &notes, double peak)
{
    double length = 0;
    for (const Note &n : notes)
        length = std::max(length, n.end);
    const auto frames = static_cast<std::size_t>(std::lround(length * sampleRate));
    std::vector<double> mix(frames, 0.0);

    constexpr double twoPi = 2 * std::numbers::pi;
    for (const Note &n : notes) {
        const auto first = static_cast<std::size_t>(std::lround(n.start * sampleRate));
        const auto last = static_cast<std::size_t>(std::lround(n.end * sampleRate));
        for (std::size_t i = first; i < last && i < frames; ++i) {
            const double t = static_cast<double>(i - first) / sampleRate;
            const double left = n.end - n.start - t;
            double env = 1.0;
            if (t < n.attack)
                env *= 0.5 - 0.5 * std::cos(std::numbers::pi * t / n.attack);
            if (left < n.release)
                env *= 0.5 - 0.5 * std::cos(std::numbers::pi * std::max(left, 0.0) / n.release);
            double v = 0;
            for (const Partial &p : n.partials)
                v += p.level * std::exp(-t / p.decay) * std::sin(twoPi * n.pitch * p.ratio * t);
            mix[i] += env * v;
        }
    }

    double top = 0;
    for (double v : mix)
        top = std::max(top, std::abs(v));
    const double gain = top > 0 ? peak * 32767.0 / top : 0.0;
    std::vector<std::int16_t> out(frames);
    for (std::size_t i = 0; i < frames; ++i)
        out[i] = static_cast<std::int16_t>(std::lround(std::clamp(mix[i] * gain, -32767.0, 32767.0)));
    return out;
}

// Pitches of the equal-tempered scale.
constexpr double C5 = 523.25, E5 = 659.26, G5 = 783.99, C6 = 1046.50, G6 = 1567.98;

} // namespace

std::vector<std::int16_t> synthesize(Cue cue)
{
    switch (cue) {
    case Cue::Tick:
        // A short, bright pip: sounded up to three seconds running, so it
        // must be brief and must not blur into the next one.
        return render({{0.0, C6, 0.004, 0.012, 0.120,
                        {{1, 1.0, 0.060}, {2, 0.10, 0.030}, {3, 0.04, 0.020}}}},
                      0.50);
    case Cue::AnswerEnd:
        // A falling two-tone call, lower and longer than the tick. The notes
        // overlap a little so that the call is heard as one sound.
        return render({{0.0, G5, 0.008, 0.030, 0.300,
                        {{1, 1.0, 0.400}, {2, 0.20, 0.150}, {3, 0.08, 0.080}}},
                       {0.280, C5, 0.008, 0.060, 0.640,
                        {{1, 1.0, 0.350}, {2, 0.20, 0.150}, {3, 0.08, 0.080}}}},
                      0.60);
    case Cue::ExamEnd: {
        // Three descending struck bells that ring into each other: the one
        // sound of the examination that is long and full.
        const std::vector<Partial> bell = {
            {1, 1.0, 0.55}, {2, 0.35, 0.30}, {3, 0.15, 0.18}, {4.16, 0.06, 0.10}};
        return render({{0.00, G5, 0.002, 0.020, 0.50, bell},
                       {0.42, E5, 0.002, 0.020, 0.92, bell},
                       {0.84, C5, 0.002, 0.150, 1.60, bell}},
                      0.80);
    }
    case Cue::Chime:
        // A soft, high, quickly fading note that only confirms an entry.
        return render({{0.0, G6, 0.012, 0.040, 0.300,
                        {{1, 1.0, 0.110}, {2, 0.06, 0.050}}}},
                      0.35);
    }
    return {};
}

std::vector<std::uint8_t> wavFile(const std::vector<std::int16_t> &samples, int rate)
{
    std::vector<std::uint8_t> out;
    out.reserve(44 + 2 * samples.size());
    auto u32 = [&out](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto u16 = [&out](std::uint16_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto tag = [&out](const char (&s)[5]) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(s[i]));
    };

    const auto dataBytes = static_cast<std::uint32_t>(2 * samples.size());
    tag("RIFF");
    u32(36 + dataBytes);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(static_cast<std::uint32_t>(rate));
    u32(static_cast<std::uint32_t>(rate) * 2);
    u16(2);
    u16(16);
    tag("data");
    u32(dataBytes);
    for (std::int16_t s : samples)
        u16(static_cast<std::uint16_t>(s));
    return out;
}

} // namespace tavrin::cues
