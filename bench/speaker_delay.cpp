// Cue onsets against their due time on speakers that delay:
//
//   unreported  the sink's monitor looped into a second sink 120 ms later
//               (module-loopback), heard there: the gap between the two
//               monitors, the onsets without and with that gap set as the
//               room's correction
//   reported    a combine sink over the null sink: what delay it reports,
//               and the onsets at the null sink with only that taken in
//
// Needs a PulseAudio server (scripts/services.sh). Prints "name value unit"
// lines for bench/run-all; details on standard error.

#include "bench_support.h"
#include "cue_synth.h"
#include "sound_bank.h"
#include "sound_probe.h"
#include "texts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

using namespace tavrin;
using bench::spin;
using Clock = probe::Clock;

namespace {

double leadIn()
{
    return probe::milliseconds(probe::extent(cues::synthesize(cues::Cue::Tick)).begin);
}

// Plays n tick cues as a clock delivering each tick leadMs() early would:
// how far from due + 80 ms each recorder heard them.
void playCues(SoundBank &bank, int n, const std::vector<probe::Recorder *> &recs, std::vector<std::vector<double>> &dev)
{
    qint64 dueWall = 0;
    bank.setDueClock([&] { return dueWall; });
    dev.assign(recs.size(), {});
    for (int i = 0; i < n; ++i) {
        const int lead = bank.leadMs();
        const Clock::time_point asked = Clock::now();
        dueWall = QDateTime::currentMSecsSinceEpoch() + lead;
        const Clock::time_point due = asked + std::chrono::milliseconds(lead + SoundBank::cueDelayMs);
        bank.command(1, PlayerCommand::Play);
        spin(400 + 37 * (i % 3));
        bank.command(1, PlayerCommand::Prev);
        for (std::size_t r = 0; r < recs.size(); ++r)
            if (const auto at = probe::onsetAfter(*recs[r], asked, 400 + lead, leadIn()))
                dev[r].push_back(std::chrono::duration<double, std::milli>(*at - due).count());
    }
    bank.setDueClock({});
}

void print(const char *name, std::vector<double> v)
{
    if (v.empty()) {
        std::fprintf(stderr, "%s: never heard\n", name);
        return;
    }
    QStringList all;
    for (double d : v)
        all << QString::number(d, 'f', 1);
    std::fprintf(stderr, "%s: %s\n", name, qPrintable(all.join(u' ')));
    std::sort(v.begin(), v.end());
    std::vector<double> a;
    for (double d : v)
        a.push_back(std::abs(d));
    std::sort(a.begin(), a.end());
    std::fprintf(stderr, "%-28s onset - (due + 80 ms): median %6.1f, min %6.1f, max %6.1f; |dev| p95 %5.1f max %5.1f ms (%zu)\n",
                 name, v[v.size() / 2], v.front(), v.back(), a[a.size() * 95 / 100], a.back(), v.size());
    std::printf("speaker.%s_dev_median %.1f ms\nspeaker.%s_absdev_p95 %.1f ms\nspeaker.%s_absdev_max %.1f ms\n", name,
                v[v.size() / 2], name, a[a.size() * 95 / 100], name, a.back());
}

std::unique_ptr<SoundBank> openBank()
{
    auto bank = std::make_unique<SoundBank>();
    bank->setFileName(1, QStringLiteral(TAVRIN_CUE_DIR "/") + QLatin1String(texts::defaultCue1));
    bank->command(1, PlayerCommand::Open);
    for (int i = 0; i < 60 && !bank->outputOpen(); ++i)
        spin(50);
    spin(600); // the sink's report, and a loopback's settling
    return bank;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    probe::PulseSink speaker(QStringLiteral("slow"));
    probe::PulseSink sink(QStringLiteral("near"));
    for (probe::PulseSink *s : {&speaker, &sink})
        if (const QString e = s->start(); !e.isEmpty()) {
            std::fprintf(stderr, "speaker_delay: %s\n", qPrintable(e));
            return 1;
        }
    if (const QString e = sink.loopInto(speaker, 120); !e.isEmpty()) {
        std::fprintf(stderr, "speaker_delay: %s\n", qPrintable(e));
        return 1;
    }
    probe::Recorder nearRec(sink.monitor()), farRec(speaker.monitor());
    if (!nearRec.start().isEmpty() || !farRec.start().isEmpty()) {
        std::fprintf(stderr, "speaker_delay: cannot record the sinks\n");
        return 1;
    }

    // ---- Unreported -------------------------------------------------------
    {
        std::unique_ptr<SoundBank> bank = openBank();
        std::vector<std::vector<double>> dev;
        playCues(*bank, 10, {&nearRec, &farRec}, dev);
        std::vector<double> gaps;
        for (std::size_t i = 0; i < std::min(dev[0].size(), dev[1].size()); ++i)
            gaps.push_back(dev[1][i] - dev[0][i]);
        std::sort(gaps.begin(), gaps.end());
        const double gap = gaps.empty() ? 0 : gaps[gaps.size() / 2];
        std::fprintf(stderr, "the looped sink hears each cue %.1f ms after the first (latency_msec=120)\n", gap);
        std::printf("speaker.loop_gap_median %.1f ms\n", gap);
        print("uncorrected", dev[1]);
        bank->setSpeakerDelayMs(int(std::lround(gap)));
        playCues(*bank, 40, {&nearRec, &farRec}, dev);
        print("corrected", dev[1]);
        // What the loopback itself adds, cue by cue: it moves as it adapts.
        gaps.clear();
        for (std::size_t i = 0; i < std::min(dev[0].size(), dev[1].size()); ++i)
            gaps.push_back(dev[1][i] - dev[0][i] - bank->speakerDelayMs());
        print("loop_gap_drift", gaps);
        bank->command(1, PlayerCommand::Close);
    }

    // ---- Reported ---------------------------------------------------------
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("load-module"), QStringLiteral("module-combine-sink"),
                                          QStringLiteral("sink_name=tavrin_combined"), QStringLiteral("slaves=") + sink.name(),
                                          QStringLiteral("channels=1"), QStringLiteral("rate=44100")});
    pactl.waitForFinished(5000);
    const QString module = QString::fromUtf8(pactl.readAllStandardOutput()).trimmed();
    if (module.isEmpty()) {
        std::fprintf(stderr, "speaker_delay: no combine sink\n");
    } else {
        const QByteArray was = qgetenv("PULSE_SINK");
        qputenv("PULSE_SINK", "tavrin_combined");
        std::unique_ptr<SoundBank> bank = openBank();
        const SinkReport &r = bank->sink();
        std::fprintf(stderr, "combine sink: reported %s, latency %.1f ms, %s\n", r.known ? "yes" : "no",
                     r.latencyUs / 1000.0, r.plays ? "taken in" : "not taken in");
        std::printf("speaker.combine_reported %.1f ms\n", r.known ? r.latencyUs / 1000.0 : -1.0);
        std::vector<std::vector<double>> dev;
        playCues(*bank, 20, {&nearRec}, dev);
        std::fprintf(stderr, "combine sink after 20 cues: reported %.1f ms\n", bank->sink().latencyUs / 1000.0);
        std::printf("speaker.combine_reported_later %.1f ms\n", bank->sink().latencyUs / 1000.0);
        print("combine_reported_only", dev[0]);
        bank->command(1, PlayerCommand::Close);
        bank.reset();
        qputenv("PULSE_SINK", was);
        QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("unload-module"), module});
    }
    nearRec.stop();
    farRec.stop();
    return 0;
}
