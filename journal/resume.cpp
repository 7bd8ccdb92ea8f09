#include "resume.h"

#include "engine.h"
#include "phase_timer.h"
#include "texts.h"

#include <QDateTime>

namespace tavrin {

qint64 ticksSince(qint64 nextDueWallMs, qint64 nowWallMs, int periodMs)
{
    if (periodMs <= 0 || nowWallMs < nextDueWallMs)
        return 0;
    return (nowWallMs - nextDueWallMs) / periodMs + 1;
}

ResumePlan planResume(const InterruptedRun &run, qint64 nowWallMs, int periodMs)
{
    ResumePlan plan;
    plan.stopped = run.last;
    if (run.last.state() == RunState::Running)
        plan.ticks = ticksSince(run.nextDueWallMs, nowWallMs, periodMs);
    plan.now = advanced(run.last, plan.ticks);
    if (plan.now.state() == RunState::Finished && run.last.state() != RunState::Finished) {
        // The first tick that finds the run ended: its time is the end.
        qint64 lo = 1, hi = plan.ticks;
        while (lo < hi) {
            const qint64 mid = lo + (hi - lo) / 2;
            if (advanced(run.last, mid).state() == RunState::Finished)
                hi = mid;
            else
                lo = mid + 1;
        }
        plan.endWallMs = run.nextDueWallMs + (lo - 1) * periodMs;
    }
    return plan;
}

std::optional<ResumePoint> resumePoint(const Journal &journal, int periodMs)
{
    const std::optional<InterruptedRun> &run = journal.interruptedRun();
    if (!run)
        return std::nullopt;
    // The mark follows its tick, and the next tick is due one period later.
    return ResumePoint{run->id, run->last, run->nextDueWallMs - periodMs};
}

std::optional<ResumePoint> carryOnAlone(Journal &journal)
{
    std::optional<ResumePoint> point = resumePoint(journal);
    if (point)
        journal.continueRun(point->run, texts::str(texts::resumedNow));
    return point;
}

bool resume(Journal &journal, Engine &engine, PhaseTimer &clock, const InterruptedRun &run, ResumeChoice choice)
{
    using texts::str;
    if (choice == ResumeChoice::Undecided)
        return true;
    if (choice == ResumeChoice::Abandon) {
        const bool ended = planResume(run, QDateTime::currentMSecsSinceEpoch()).endWallMs.has_value();
        journal.abandonRun(run.id, str(ended ? texts::abandonedAfterEnd : texts::abandoned));
        return true;
    }
    RunSnapshot s = run.last;
    if (choice == ResumeChoice::FromNow && s.state() == RunState::Running) {
        // The clock goes on the run's grid first (a fresh one, so that no
        // tick delivered since start-up holds the next one back); the run
        // then gets every tick due before the clock's next one. A tick that
        // falls due while the window is being set up comes late, never twice.
        const int period = clock.interval() > 0 ? clock.interval() : 1000;
        clock.setInterval(period);
        clock.alignTo(run.nextDueWallMs);
        const qint64 ahead = clock.nextDueWallMs() - run.nextDueWallMs;
        s = advanced(run.last, ahead <= 0 ? 0 : (ahead + period / 2) / period);
    } else if (choice == ResumeChoice::PausedWhereStopped && s.state() == RunState::Running) {
        s.sw = 0;
        s.resumeCaption = true;
    }
    const char *detail = s.state() == RunState::Paused ? texts::resumedPaused
                             : s.state() == RunState::Finished          ? texts::resumedEnd
                                                                        : texts::resumedNow;
    journal.continueRun(run.id, str(detail));
    if (!engine.adopt(s)) {
        journal.continueRun(0, {});
        journal.abandonRun(run.id, str(texts::journalUnreadableRun));
        return false;
    }
    return true;
}

} // namespace tavrin
