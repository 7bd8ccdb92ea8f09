// Runs the real one-second clock driving the real window (offscreen) through
// a running examination, and prints how far each tick lies from start + n
// seconds, and the CPU time the process used meanwhile.
#include "bench_support.h"
#include "engine.h"
#include "form1.h"
#include "window_rig.h"
#include "phase_timer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cmath>
#include <sys/resource.h>

namespace {
double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int ticks = argc > 1 ? std::atoi(argv[1]) : 60;

    tavrin::testing::WindowRig rig(QSize(1920, 1080));
    tavrin::Engine &engine = rig.engine;
    engine.Command1_Click();

    std::vector<double> offsets; // ms from start + n s
    QElapsedTimer since;
    const double cpuBefore = cpuSeconds();
    QObject::connect(&rig.clock, &tavrin::PhaseTimer::timeout, &app, [&] {
        if (int(offsets.size()) >= ticks)
            return;
        const double now = since.nsecsElapsed() / 1e6;
        offsets.push_back(now - 1000.0 * double(offsets.size() + 1));
        if (int(offsets.size()) >= ticks)
            QCoreApplication::exit(0); // quit() would first try to close the window mid-run
    });
    // Start the clock afresh so that tick n is due at exactly n seconds.
    rig.clock.setInterval(1000);
    since.start();
    app.exec();
    const double cpu = cpuSeconds() - cpuBefore;

    std::vector<double> jitter;
    for (size_t i = 1; i < offsets.size(); ++i)
        jitter.push_back(std::fabs(offsets[i] - offsets[i - 1]));
    std::vector<double> late;
    for (double o : offsets)
        late.push_back(std::fabs(o));
    bench::figure("tick.count", double(offsets.size()), "ticks");
    bench::figure("tick.drift_end", offsets.empty() ? 0 : offsets.back(), "ms");
    bench::figure("tick.offset_median", bench::median(late), "ms");
    bench::figure("tick.offset_max", bench::maximum(late), "ms");
    bench::figure("tick.jitter_median", bench::median(jitter), "ms");
    bench::figure("tick.jitter_max", bench::maximum(jitter), "ms");
    bench::figure("tick.cpu_share", 100.0 * cpu / (ticks * 1.0), "%");
    return 0;
}
