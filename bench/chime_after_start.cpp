// How soon after start-up the program's sound is ready: starts the real
// program in a real window five times, presses Enter in the first time box
// 300 ms after the window is shown (the chime), and times the chime on the
// null sink from the moment the key press was sent.
//
// Needs DISPLAY (Xvfb) and a PulseAudio server with a null sink whose
// monitor can be recorded (scripts/services.sh provides both). Prints
// "name value unit" lines for bench/run-all; details on standard error.

#include "bench_support.h"
#include "cue_synth.h"
#include "e2e_support.h"
#include "process.h"
#include "sound_probe.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

using namespace tavrin;
using Clock = probe::Clock;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (const QString why = e2e::missingDisplay() + e2e::missingSound(); !why.isEmpty()) {
        std::fprintf(stderr, "chime_after_start: %s\n", qPrintable(why));
        return 1;
    }
    probe::Recorder rec(e2e::sinkMonitor());
    if (const QString e = rec.start(); !e.isEmpty()) {
        std::fprintf(stderr, "chime_after_start: %s\n", qPrintable(e));
        return 1;
    }
    const auto chime = cues::synthesize(cues::Cue::Chime);
    const double lead = probe::milliseconds(probe::extent(chime).begin);

    std::vector<double> onsets;
    constexpr int runs = 5;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir dir;
        e2e::copyCues(dir.path());
        e2e::Program program(dir.path());
        // start() returns 300 ms after the window is mapped.
        if (!program.start()) {
            std::fprintf(stderr, "run %d: the window did not appear\n", i + 1);
            continue;
        }
        const Clock::time_point asked = Clock::now();
        program.key(QStringLiteral("Return"));
        const Clock::time_point sent = Clock::now();
        QThread::msleep(600);
        const std::vector<std::int16_t> heard = rec.samples();
        const std::size_t from = rec.indexAt(asked);
        const std::size_t to = std::min(heard.size(), from + probe::rate / 2);
        const probe::Span s = from < to ? probe::extent(std::span(heard).subspan(from, to - from)) : probe::Span{};
        if (s.length() == 0) {
            std::fprintf(stderr, "run %d: no chime within 500 ms\n", i + 1);
            onsets.push_back(1000);
            continue;
        }
        const double fromSent =
            std::chrono::duration<double, std::milli>(rec.timeOf(from + s.begin) - sent).count() - lead;
        const double keyMs = std::chrono::duration<double, std::milli>(sent - asked).count();
        std::fprintf(stderr, "run %d: chime %.1f ms after the key press was sent (xdotool took %.1f ms)\n", i + 1,
                     fromSent, keyMs);
        onsets.push_back(fromSent);
    }
    rec.stop();
    bench::figure("startup.chime_median", bench::median(onsets), "ms");
    bench::figure("startup.chime_max", bench::maximum(onsets), "ms");
    return 0;
}
