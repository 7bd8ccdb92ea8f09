#include "journal_wiring.h"

#include "engine.h"
#include "frame_port.h"
#include "phase_timer.h"
#include "record_window.h"
#include "resume.h"
#include "resume_question.h"
#include "texts.h"

#include <QAction>
#include <exception>

namespace tavrin {

RecordWindow *attachJournal(Journal &journal, Engine &engine, const PhaseTimer &clock, FramePort &frame)
{
    journal.watch(engine, [&clock] { return clock.nextDueWallMs(); });
    engine.addObserver(&journal);
    QObject::connect(&journal, &Journal::notice, frame.dialogParent(),
                     [&frame](const QString &text) { frame.notify(text); });

    auto *record = new RecordWindow(journal, frame.dialogParent());
    QAction *action = frame.addMenuAction(texts::str(texts::recordAction), QKeySequence(Qt::Key_F7));
    QObject::connect(action, &QAction::triggered, record, &RecordWindow::showAndRefresh);
    return record;
}

void startJournal(Journal &journal, Engine &engine, PhaseTimer &clock, FramePort &frame, JournalStart start)
{
    if (!start.askToResume || !journal.interruptedRun())
        return;
    const InterruptedRun run = *journal.interruptedRun();
    const ResumeChoice choice = askToResume(frame.dialogParent(), run);
    try {
        resume(journal, engine, clock, run, choice);
    } catch (const std::exception &e) {
        frame.notify(texts::str(texts::internalError).arg(QString::fromLocal8Bit(e.what())));
    }
}

} // namespace tavrin
