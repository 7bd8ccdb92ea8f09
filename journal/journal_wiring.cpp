#include "journal_wiring.h"

#include "engine.h"
#include "form1.h"
#include "phase_timer.h"
#include "record_window.h"
#include "resume.h"
#include "resume_question.h"
#include "texts.h"

#include <QAction>
#include <exception>

namespace tavrin {

RecordWindow *attachJournal(Journal &journal, Engine &engine, Form1 &form)
{
    journal.watch(engine, [&form] { return form.Timer1->nextDueWallMs(); });
    engine.addObserver(&journal);
    QObject::connect(&journal, &Journal::notice, &form, [&form](const QString &text) { form.notify(text); });
    QObject::connect(&form, &Form1::noticeShown, &journal, &Journal::recordNotice);
    // Connected after the engine's own handler, so the mark follows the tick.
    QObject::connect(form.Timer1, &PhaseTimer::timeout, &journal, &Journal::heartbeat);

    auto *record = new RecordWindow(journal, &form);
    auto *action = new QAction(texts::str(texts::recordAction), &form);
    action->setShortcut(QKeySequence(Qt::Key_F7));
    QObject::connect(action, &QAction::triggered, record, &RecordWindow::showAndRefresh);
    form.addAction(action);

    journal.open();
    return record;
}

void startJournal(Journal &journal, Engine &engine, Form1 &form, JournalStart start)
{
    if (!start.askToResume || !journal.interruptedRun())
        return;
    const InterruptedRun run = *journal.interruptedRun();
    const ResumeChoice choice = askToResume(&form, run);
    const RunState before = engine.runState();
    try {
        resume(journal, engine, *form.Timer1, run, choice);
    } catch (const std::exception &e) {
        form.notify(texts::str(texts::internalError).arg(QString::fromLocal8Bit(e.what())));
    }
    if (engine.runState() != before)
        emit form.runStateChanged(engine.runState());
}

} // namespace tavrin
