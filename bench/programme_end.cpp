// Runs a three-part programme (a block with reading time, a break, a plain
// block) on the real one-second clock and window (offscreen), and prints
// when its end came against the start plus the programme's total:
//   programme.total             s, the sum of its parts
//   programme.end_ticks         ticks from the start to the end (= total)
//   programme.end_late_{median,max}  ms, the end after start + total
// With a folder as argument it also saves the window in reading time and in
// the break there (reading.png, break.png). Usage: bench_programme_end [runs] [folder]
#include "bench_support.h"
#include "engine.h"
#include "form1.h"
#include "phase_timer.h"
#include "window_rig.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>

#include <cstdlib>

using namespace tavrin;

namespace {
Programme threeParts()
{
    Part reading;
    reading.questions = 2;
    reading.answer = 3;
    reading.move = 1;
    reading.reading = 2;
    reading.readingBanner = QStringLiteral("問題文を読んでください");
    reading.readingCue = true;
    Part pause;
    pause.kind = Part::Kind::Break;
    pause.seconds = 4;
    pause.banner = QStringLiteral("休憩");
    Part plain;
    plain.questions = 2;
    plain.answer = 2;
    plain.move = 1;
    return Programme{{reading, pause, plain}};
}

struct EndWatch : RunObserver {
    QElapsedTimer since;
    int ticks = 0;
    double endMs = -1;
    int endTicks = 0;
    void runEvent(const RunEvent &e, const ExamState &) override
    {
        if (e.kind == RunEventKind::Tick)
            ++ticks;
        if (e.kind == RunEventKind::End) {
            endMs = since.nsecsElapsed() / 1e6;
            endTicks = ticks;
            QCoreApplication::exit(0);
        }
    }
};
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
    const QString shots = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();

    testing::WindowRig rig(QSize(1280, 720));
    const Programme plan = threeParts();
    if (!rig.engine.setProgramme(plan)) {
        std::fprintf(stderr, "the programme was refused\n");
        return 1;
    }
    EndWatch watch;
    rig.engine.addObserver(&watch);
    if (!shots.isEmpty()) {
        // Mid-reading (tick 1) and mid-break (tick 14): saved just after the tick.
        QObject::connect(&rig.clock, &PhaseTimer::timeout, &app, [&] {
            if (watch.ticks == 1 || watch.ticks == 14)
                rig.form.grab().save(QDir(shots).filePath(watch.ticks == 1 ? QStringLiteral("reading.png")
                                                                            : QStringLiteral("break.png")));
        });
    }
    std::vector<double> late;
    int endTicks = 0;
    for (int i = 0; i < runs; ++i) {
        if (i > 0)
            rig.engine.Command1_Click(); // the finished run's reset
        watch.ticks = 0;
        watch.endMs = -1;
        rig.engine.Command1_Click();
        rig.clock.setInterval(1000); // tick n due at exactly n seconds from here
        watch.since.start();
        app.exec();
        late.push_back(watch.endMs - 1000.0 * double(plan.total()));
        endTicks = std::max(endTicks, watch.endTicks);
    }
    bench::figure("programme.total", double(plan.total()), "s");
    bench::figure("programme.end_ticks", endTicks, "ticks");
    bench::figure("programme.end_late_median", bench::median(late), "ms");
    bench::figure("programme.end_late_max", bench::maximum(late), "ms");
    return endTicks == plan.total() ? 0 : 1;
}
