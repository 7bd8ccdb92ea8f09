// How closely the cue's band follows its sound: the real program with the
// cues also seen, a short examination run on its window, every band's first
// paint timed against the onset of its cue on a PulseAudio null sink.
//
// Needs DISPLAY (Xvfb) and a PulseAudio server (scripts/services.sh). Prints
// "name value unit" lines for bench/run-all; each cue on standard error.

#include "cue_synth.h"
#include "launch.h"
#include "sound_probe.h"
#include "texts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace tavrin;
using SteadyClock = probe::Clock;

namespace {
// The first paint of each band, on the steady clock.
struct PaintSpy : QObject {
    std::vector<SteadyClock::time_point> paints;
    bool armed = false;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched->objectName() == u"cueBand0") {
            if (event->type() == QEvent::Show)
                armed = true;
            else if (event->type() == QEvent::Paint && std::exchange(armed, false))
                paints.push_back(SteadyClock::now());
        }
        return false;
    }
};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    probe::PulseSink sink;
    if (const QString e = sink.start(); !e.isEmpty()) {
        std::fprintf(stderr, "cue_band: %s\n", qPrintable(e));
        return 1;
    }
    probe::Recorder rec(sink.monitor());
    if (const QString e = rec.start(); !e.isEmpty()) {
        std::fprintf(stderr, "cue_band: %s\n", qPrintable(e));
        return 1;
    }
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    for (const char *cue : {texts::defaultCue1, texts::defaultCue2, texts::defaultCue3, texts::chimeCue})
        QFile::copy(QDir(QStringLiteral(TAVRIN_CUE_DIR)).filePath(QLatin1String(cue)), QLatin1String(cue));
    QFile options(QLatin1String(texts::optionsFile));
    options.open(QIODevice::WriteOnly);
    options.write("[access]\ncuesSeen=true\n");
    options.close();

    bench::Launch launch;
    PaintSpy spy;
    app.installEventFilter(&spy);
    // Three questions of 5 + 1 s: the chime, then 1, 1, 1, 2 for each and 3.
    const int order[] = {4, 1, 1, 1, 2, 1, 1, 1, 2, 1, 1, 1, 2, 3};
    Form1 &form = launch.session->form();
    QTimer::singleShot(1500, &form, [&] {
        const char *values[][2] = {{"Text1", "5"}, {"Text2", "1"}, {"Text3", "3"}};
        for (const auto &[box, value] : values)
            form.findChild<QLineEdit *>(QLatin1String(box))->setText(QLatin1String(value));
        launch.session->engine().TimeCal();
        QTimer::singleShot(1500, &form, [&] { launch.session->engine().Command1_Click(); });
        QTimer::singleShot(24000, &form, [] { QCoreApplication::exit(0); });
    });
    launch.session->run();

    const std::vector<std::int16_t> heard = rec.samples();
    const std::vector<probe::Span> sounds = probe::sounds(heard, probe::rate / 10);
    std::fprintf(stderr, "%zu bands painted, %zu sounds heard, %zu cues asked\n", spy.paints.size(), sounds.size(),
                 std::size(order));
    std::vector<double> offsets;
    for (std::size_t k = 0; k < std::min({spy.paints.size(), sounds.size(), std::size(order)}); ++k) {
        const double lead = probe::milliseconds(probe::extent(cues::synthesize(cues::Cue(order[k]))).begin);
        const double ms =
            std::chrono::duration<double, std::milli>(spy.paints[k] - rec.timeOf(sounds[k].begin)).count() + lead;
        offsets.push_back(ms);
        std::fprintf(stderr, "cue %2zu (player %d): band painted %+6.1f ms from its onset\n", k + 1, order[k], ms);
    }
    if (offsets.empty())
        return 1;
    std::vector<double> absolute;
    for (double o : offsets)
        absolute.push_back(std::fabs(o));
    std::sort(offsets.begin(), offsets.end());
    std::printf("cue_band_offset_median %.1f ms\n", offsets[offsets.size() / 2]);
    std::printf("cue_band_offset_max_abs %.1f ms\n", *std::max_element(absolute.begin(), absolute.end()));
    std::printf("cue_band_within_frame %zu of %zu\n",
                std::size_t(std::count_if(absolute.begin(), absolute.end(), [](double a) { return a <= 1000.0 / 60; })),
                absolute.size());
    return 0;
}
