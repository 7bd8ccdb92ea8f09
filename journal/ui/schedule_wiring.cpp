#include "schedule_wiring.h"

#include "engine.h"
#include "frame_port.h"
#include "journal.h"
#include "resume.h"
#include "resume_question.h"
#include "schedule.h"
#include "schedule_record.h"
#include "scheduled_start.h"
#include "texts.h"

#include <QDateTime>
#include <QTimeZone>

#include <exception>

namespace tavrin {

using texts::str;

namespace {

// The run as it stood the moment it was started at startMs: its first
// tick, second 1 of question 1, due one second later.
InterruptedRun startedAt(const Engine &engine, qint64 startMs)
{
    InterruptedRun run;
    run.last = engine.snapshot();
    run.last.sw = 1;
    run.last.ck = 1;
    run.last.t = 1;
    run.last.resetCaption = true;
    run.last.resumeCaption = false;
    run.nextDueWallMs = startMs + 1000;
    run.markWallMs = startMs;
    return run;
}

void carryOn(Journal &journal, Engine &engine, PhaseTimer &clock, FramePort &frame, qint64 startMs)
{
    const InterruptedRun run = startedAt(engine, startMs);
    const ResumeChoice choice = askToResume(frame.dialogParent(), run);
    const QString at = schedule::clockText(startMs, schedule::localZone());
    if (choice == ResumeChoice::Abandon) {
        journal.recordEntry(kUnscheduleKind, str(texts::startAtCancelled).arg(at));
        return;
    }
    try {
        resume(journal, engine, clock, run, choice);
    } catch (const std::exception &e) {
        frame.notify(str(texts::internalError).arg(QString::fromLocal8Bit(e.what())));
    }
}

} // namespace

void attachScheduledStart(ScheduledStart &start, Journal &journal, Engine &engine, PhaseTimer &clock, FramePort &frame,
                          const ScheduleStartup &startup)
{
    QObject::connect(&start, &ScheduledStart::scheduled, &journal,
                     [&journal](qint64 ms) { journal.recordEntry(kScheduleKind, scheduleDetail(ms)); });
    QObject::connect(&start, &ScheduledStart::cancelled, &journal,
                     [&journal](qint64 ms) { journal.recordEntry(kUnscheduleKind, scheduleDetail(ms)); });
    QObject::connect(&start, &ScheduledStart::started, &journal, [&journal](qint64 ms, qint64 late) {
        journal.recordNotice(str(texts::startAtStarted).arg(schedule::clockText(ms, schedule::localZone())) +
                             QStringLiteral(" (%1 ms)").arg(late));
    });

    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (const std::optional<qint64> kept = startup.restore ? journalledStart(journal.path()) : std::nullopt;
        kept && engine.runState() == RunState::Idle) {
        const QString at = schedule::clockText(*kept, schedule::localZone());
        switch (schedule::onRestart(*kept, now, qint64(engine.state().timesum.value()) * 1000)) {
        case schedule::OnRestart::Keep:
            if (start.setStart(*kept).isEmpty())
                frame.notify(str(texts::startAtKept).arg(at));
            break;
        case schedule::OnRestart::CarryOn: carryOn(journal, engine, clock, frame, *kept); break;
        case schedule::OnRestart::Drop:
            journal.recordEntry(kUnscheduleKind, scheduleDetail(*kept));
            frame.notify(str(texts::startAtMissed).arg(at));
            break;
        }
    }
    if (!startup.startAt.isEmpty()) {
        if (const QString why = start.setAt(startup.startAt); !why.isEmpty())
            frame.notify(why);
        else
            frame.notify(str(texts::startAtSet).arg(start.startText()));
    }
}

} // namespace tavrin
