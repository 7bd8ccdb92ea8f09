// What the journal costs the UI thread over a whole 1400-tick examination
// (30 s, 5 s, 40 questions), the ticks given back to back: each event the
// engine reports (a state change, a question, a cue) and the mark after each
// tick. Also how long the writer thread takes to make a mark durable.
#include "bench_support.h"
#include "journal.h"
#include "window_rig.h"

#include <QApplication>
#include <QDateTime>
#include <QThread>
#include <chrono>

namespace {
using Clock = std::chrono::steady_clock;

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Observers on either side of the journal time what it does with each event.
struct Before : tavrin::RunObserver {
    Clock::time_point at;
    void runEvent(const tavrin::RunEvent &, const tavrin::ExamState &) override { at = Clock::now(); }
};
struct After : tavrin::RunObserver {
    const Before *before = nullptr;
    std::vector<double> change, inTick;
    void runEvent(const tavrin::RunEvent &e, const tavrin::ExamState &) override
    {
        const double cost = ms(Clock::now() - before->at);
        using K = tavrin::RunEventKind;
        if (e.kind == K::Start || e.kind == K::Pause || e.kind == K::Resume || e.kind == K::End)
            change.push_back(cost);
        else if (e.kind == K::Question || e.kind == K::Cue)
            inTick.push_back(cost);
    }
};
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tavrin::testing::WindowRig rig;
    tavrin::Engine &engine = rig.engine;

    tavrin::Journal journal(rig.dir.path());
    qint64 due = QDateTime::currentMSecsSinceEpoch();
    journal.watch(engine, [&due] { return due; });
    Before before;
    After after;
    after.before = &before;
    engine.addObserver(&before);
    engine.addObserver(&journal);
    engine.addObserver(&after);
    if (!journal.open())
        return 1;

    std::vector<double> marks, durable;
    engine.Command1_Click();
    for (int tick = 1; tick <= 1400; ++tick) {
        due += 1000;
        engine.Timer1_Timer();
        const Clock::time_point t0 = Clock::now();
        journal.heartbeat();
        marks.push_back(ms(Clock::now() - t0));
        if (tick % 50 == 0) {
            // A pause and a resume, and the time until all is on the disk.
            engine.Command2_Click();
            engine.Command2_Click();
            const Clock::time_point f0 = Clock::now();
            journal.flush();
            durable.push_back(ms(Clock::now() - f0));
        }
        QThread::usleep(2000); // the writer keeps up as it would between real ticks
    }
    journal.finish();
    bench::figure("journal.change_median", bench::median(after.change), "ms");
    bench::figure("journal.change_max", bench::maximum(after.change), "ms");
    bench::figure("journal.in_tick_median", bench::median(after.inTick), "ms");
    bench::figure("journal.in_tick_max", bench::maximum(after.inTick), "ms");
    bench::figure("journal.mark_median", bench::median(marks), "ms");
    bench::figure("journal.mark_max", bench::maximum(marks), "ms");
    bench::figure("journal.durable_median", bench::median(durable), "ms");
    bench::figure("journal.durable_max", bench::maximum(durable), "ms");
    bench::figure("journal.state_changes", double(after.change.size()), "events");
    return 0;
}
