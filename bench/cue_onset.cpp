// How soon and how whole the cues are heard: plays the default cues through
// the player bank into a PulseAudio null sink and listens to its monitor.
//
//   onset     from the Play command to the first sound on the sink,
//             20 plays of each cue: median and maximum
//   repeats   50 warning ticks, one every 300 ms, each answered by Stop and
//             Prev as the program does: how many were heard whole
//
// Needs a reachable PulseAudio server, or scripts/pulse-start.sh to start one.
// Prints "name value unit" lines on standard output for bench/run-all, and
// the details on standard error.

#include "bench_support.h"
#include "cue_synth.h"
#include "sound_probe.h"
#include "sound_bank.h"
#include "texts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace tavrin;
using bench::spin;
using Clock = probe::Clock;

namespace {

double msBetween(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);

    probe::PulseSink sink;
    if (const QString e = sink.start(); !e.isEmpty()) {
        std::fprintf(stderr, "cue_onset: %s\n", qPrintable(e));
        return 1;
    }
    probe::Recorder rec(sink.monitor());
    if (const QString e = rec.start(); !e.isEmpty()) {
        std::fprintf(stderr, "cue_onset: %s\n", qPrintable(e));
        return 1;
    }

    QDir::setCurrent(QStringLiteral(TAVRIN_CUE_DIR));
    SoundBank bank;
    QObject::connect(&bank, &SoundBank::notice, [](const QString &text) {
        std::fprintf(stderr, "notice: %s\n", qPrintable(text));
    });
    QObject::connect(&bank, &SoundBank::done, &bank, [&bank](int n) {
        bank.command(n, PlayerCommand::Stop);
        bank.command(n, PlayerCommand::Prev);
    });
    const char *names[] = {texts::defaultCue1, texts::defaultCue2, texts::defaultCue3, texts::chimeCue};
    for (int n = 1; n <= 4; ++n) {
        bank.setNotify(n, true);
        bank.setFileName(n, QLatin1String(names[n - 1]));
        bank.command(n, PlayerCommand::Open);
    }

    std::fprintf(stderr, "mixer period %d frames (%.1f ms) at %d Hz\n", SoundBank::periodFrames,
                1000.0 * SoundBank::periodFrames / SoundBank::sampleRate, SoundBank::sampleRate);

    // ---- Onset --------------------------------------------------------------
    constexpr int plays = 20;
    std::vector<Clock::time_point> asked[4];
    for (int n = 1; n <= 4; ++n)
        for (int i = 0; i < plays; ++i) {
            asked[n - 1].push_back(Clock::now());
            bank.command(n, PlayerCommand::Play);
            spin(150);
            bank.command(n, PlayerCommand::Stop);
            bank.command(n, PlayerCommand::Prev);
            spin(100);
        }
    spin(300);

    std::vector<double> all;
    const std::vector<std::int16_t> heard = rec.samples();
    for (int n = 1; n <= 4; ++n) {
        // The cue's own lead-in below the threshold is not delay.
        const auto file = cues::synthesize(cues::Cue(n));
        const double lead = probe::milliseconds(probe::extent(file).begin);
        std::vector<double> onsets;
        int unheard = 0;
        for (Clock::time_point t : asked[n - 1]) {
            const std::size_t from = rec.indexAt(t);
            const std::size_t to = std::min(heard.size(), from + probe::rate / 7);
            if (from >= to) {
                ++unheard;
                continue;
            }
            const probe::Span s = probe::extent(std::span(heard).subspan(from, to - from));
            if (s.length() == 0) {
                ++unheard;
                continue;
            }
            onsets.push_back(msBetween(t, rec.timeOf(from + s.begin)) - lead);
        }
        std::sort(onsets.begin(), onsets.end());
        all.insert(all.end(), onsets.begin(), onsets.end());
        if (onsets.empty()) {
            std::fprintf(stderr, "onset %-18s never heard\n", names[n - 1]);
            continue;
        }
        std::fprintf(stderr, "onset %-18s median %5.1f ms  min %5.1f ms  max %5.1f ms  (%zu heard, %d not)\n",
                     names[n - 1], onsets[onsets.size() / 2], onsets.front(), onsets.back(), onsets.size(),
                     unheard);
        std::printf("cue.onset_median.player%d %.1f ms\ncue.onset_max.player%d %.1f ms\n", n,
                    onsets[onsets.size() / 2], n, onsets.back());
    }
    std::sort(all.begin(), all.end());
    // A cue never heard counts as the slowest possible.
    if (all.size() < std::size_t(4 * plays))
        all.resize(std::size_t(4 * plays), 1000.0);
    std::sort(all.begin(), all.end());
    std::fprintf(stderr, "onset all cues          median %5.1f ms  max %5.1f ms  (target: median < 30, max < 50)\n",
                 all[all.size() / 2], all.back());
    std::printf("cue.onset_median %.1f ms\ncue.onset_max %.1f ms\n", all[all.size() / 2], all.back());

    // ---- Repeats ------------------------------------------------------------
    constexpr int repeats = 50;
    const std::size_t from = rec.size();
    for (int i = 0; i < repeats; ++i) {
        bank.command(1, PlayerCommand::Play);
        spin(300);
    }
    spin(500);
    const std::vector<std::int16_t> after = rec.samples();
    const auto tail = std::span(after).subspan(std::min(from, after.size()));
    const auto tick = cues::synthesize(cues::Cue::Tick);
    int whole = 0;
    const auto sounds = probe::sounds(tail);
    for (const probe::Span &s : sounds)
        if (probe::compare(tail.subspan(s.begin, s.length()), tick).sameSound())
            ++whole;
    std::fprintf(stderr, "repeats: %d of %d ticks heard whole (%zu sounds heard; target 50 of 50)\n", whole,
                 repeats, sounds.size());
    std::printf("cue.heard_of_50 %d\n", whole);

    // ---- A cue while the output is idle -------------------------------------
    // Between the cues of a run the output idles; a chime for a time entry
    // then wakes it on demand.
    std::vector<double> idle;
    const auto chime = cues::synthesize(cues::Cue::Chime);
    const double chimeLead = probe::milliseconds(probe::extent(chime).begin);
    for (int i = 0; i < 10; ++i) {
        bank.setOutputWanted(false);
        spin(400);
        if (!bank.outputIdle())
            std::fprintf(stderr, "idle: the output did not idle\n");
        const Clock::time_point t = Clock::now();
        const std::size_t at = rec.indexAt(t);
        bank.command(4, PlayerCommand::Play);
        spin(500);
        const std::vector<std::int16_t> now = rec.samples();
        if (at >= now.size())
            continue;
        const auto piece = std::span(now).subspan(at, std::min(now.size() - at, std::size_t(probe::rate / 4)));
        const probe::Span s = probe::extent(piece);
        if (s.length() > 0)
            idle.push_back(msBetween(t, rec.timeOf(at + s.begin)) - chimeLead);
    }
    bank.setOutputWanted(true);
    std::sort(idle.begin(), idle.end());
    if (idle.empty()) {
        std::fprintf(stderr, "idle: the chime was never heard\n");
    } else {
        std::fprintf(stderr, "chime with the output idle: median %5.1f ms  max %5.1f ms  (%zu of 10 heard)\n",
                     idle[idle.size() / 2], idle.back(), idle.size());
        std::printf("cue.onset_idle_median %.1f ms\ncue.onset_idle_max %.1f ms\n", idle[idle.size() / 2],
                    idle.back());
    }

    // ---- On the tick's due time --------------------------------------------
    // A tick's cue is played a few milliseconds after the tick was due (the
    // window is drawn first). Without a due clock it starts at the next
    // period, as every cue did before; with one, at the sample that falls
    // cueDelayMs after the due time. Figures: onset minus (due + cueDelayMs).
    qint64 dueWall = 0;
    // "woken": the output idle between cues and woken a tick ahead of each,
    // as in a run; "soon": woken only a fifth of a second ahead (a resume,
    // or a room's first tick, may come that soon after it is told).
    for (const int mode : {0, 1, 2, 3}) {
        const bool onDue = mode > 0;
        const int wokenAheadMs = mode == 2 ? 1000 : mode == 3 ? 200 : 0;
        if (onDue)
            bank.setDueClock([&dueWall] { return dueWall; });
        std::vector<double> dev;
        std::vector<std::pair<Clock::time_point, std::size_t>> ticks;
        // What the bank says of each start (the record's proof) in the
        // steady clock the recording is timed by.
        std::vector<Clock::time_point> stated;
        const auto wallToSteady = [wall0 = QDateTime::currentMSecsSinceEpoch(), steady0 = Clock::now()](qint64 ms) {
            return steady0 + std::chrono::milliseconds(ms - wall0);
        };
        const QMetaObject::Connection told = QObject::connect(
            &bank, &SoundBank::cueStarted, [&](int, qint64 wallMs) { stated.push_back(wallToSteady(wallMs)); });
        for (int i = 0; i < 40; ++i) {
            if (wokenAheadMs) {
                bank.setOutputWanted(false);
                while (!bank.outputIdle())
                    spin(50);
                spin(300);
                bank.setOutputWanted(true);
                spin(wokenAheadMs);
            }
            dueWall = QDateTime::currentMSecsSinceEpoch();
            const Clock::time_point due = Clock::now();
            spin(1 + i % 9); // the tick's own work before its cue
            ticks.emplace_back(due, rec.indexAt(due));
            bank.command(1, PlayerCommand::Play);
            spin(300 + 37 * (i % 5));
        }
        spin(300);
        const std::vector<std::int16_t> got = rec.samples();
        const auto tickCue = cues::synthesize(cues::Cue::Tick);
        const double lead = probe::milliseconds(probe::extent(tickCue).begin);
        QObject::disconnect(told);
        std::vector<double> statedMinusHeard;
        for (const auto &[due, at] : ticks) {
            if (at >= got.size())
                continue;
            const auto piece = std::span(got).subspan(at, std::min(got.size() - at, std::size_t(probe::rate / 4)));
            const probe::Span s = probe::extent(piece);
            if (s.length() == 0)
                continue;
            const Clock::time_point heardAt = rec.timeOf(at + s.begin);
            dev.push_back(msBetween(due, heardAt) - lead - SoundBank::cueDelayMs);
            // The statement nearest this onset, within a tick's time.
            double nearest = 1e9;
            for (Clock::time_point t : stated)
                if (std::abs(msBetween(heardAt, t) + lead) < std::abs(nearest))
                    nearest = msBetween(heardAt, t) + lead;
            if (std::abs(nearest) < 200)
                statedMinusHeard.push_back(nearest);
        }
        if (onDue && !statedMinusHeard.empty()) {
            std::sort(statedMinusHeard.begin(), statedMinusHeard.end());
            const double med = statedMinusHeard[statedMinusHeard.size() / 2];
            std::fprintf(stderr, "stated start - heard onset: median %6.1f ms, min %6.1f, max %6.1f (%zu; target |.| < 5)\n",
                         med, statedMinusHeard.front(), statedMinusHeard.back(), statedMinusHeard.size());
            const char *how = mode == 2 ? "_woken" : mode == 3 ? "_soon" : "";
            std::printf("cue.stated_minus_heard%s_median %.1f ms\ncue.stated_minus_heard%s_min %.1f ms\n"
                        "cue.stated_minus_heard%s_max %.1f ms\n",
                        how, med, how, statedMinusHeard.front(), how, statedMinusHeard.back());
        }
        std::sort(dev.begin(), dev.end());
        if (dev.empty()) {
            std::fprintf(stderr, "due (mode %d): never heard\n", mode);
            continue;
        }
        std::vector<double> absDev;
        for (double d : dev)
            absDev.push_back(std::abs(d));
        std::sort(absDev.begin(), absDev.end());
        const char *name = mode == 2 ? "woken" : mode == 3 ? "soon" : onDue ? "sample" : "period";
        std::fprintf(stderr,
                     "due, start at the %-6s: onset - (due + %d ms): median %6.1f ms, min %6.1f, max %6.1f; "
                     "|dev| median %5.1f p95 %5.1f max %5.1f ms (%zu of 40 heard; target |dev| < 3)\n",
                     name, SoundBank::cueDelayMs, dev[dev.size() / 2], dev.front(), dev.back(),
                     absDev[absDev.size() / 2], absDev[absDev.size() * 95 / 100], absDev.back(), dev.size());
        std::printf("cue.due_%s_dev_median %.1f ms\ncue.due_%s_absdev_p95 %.1f ms\ncue.due_%s_absdev_max %.1f ms\n",
                    name, dev[dev.size() / 2], name, absDev[absDev.size() * 95 / 100], name, absDev.back());
    }

    for (int n = 1; n <= 4; ++n)
        bank.command(n, PlayerCommand::Close);
    rec.stop();
    return 0;
}
