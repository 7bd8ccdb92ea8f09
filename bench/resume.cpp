// Restart to a resumed, painted run: the time from the start of the process
// to the first paint of the window showing the examination carried on from
// where it stands now, with the program's own start-up in between. The
// operator's answer to the question is left out (the first choice is taken).
//   bench_resume prepare   leaves an interrupted run in the working folder
//   bench_resume           resumes it (and leaves it interrupted again)
// Run it in a real X session (QT_QPA_PLATFORM=xcb) from a folder with cues.
#include "journal.h"
#include "journal_wiring.h"
#include "launch.h"
#include "phase_timer.h"
#include "resume.h"

#include <QApplication>
#include <QDir>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const bool prepare = argc > 1 && QByteArray(argv[1]) == "prepare";
    bench::Launch program;
    tavrin::Engine &engine = program.engine;
    tavrin::Form1 &form = program.form;
    tavrin::PhaseTimer &clock = program.clock;
    tavrin::Journal journal(QDir::currentPath());
    tavrin::attachJournal(journal, engine, clock, form);
    journal.open();
    engine.Form_Load(QCoreApplication::applicationDirPath(), QDir::currentPath());
    if (prepare) {
        engine.Command1_Click();
        for (int i = 0; i < 3; ++i)
            engine.Timer1_Timer();
        journal.flush();
        std::_Exit(0);
    }
    if (!journal.interruptedRun())
        return 1;
    tavrin::resume(journal, engine, clock, *journal.interruptedRun(), tavrin::ResumeChoice::FromNow);
    program.onFirstPaint([](double ms) {
        bench::figure("resume.first_paint", ms, "ms");
        std::_Exit(0); // dies as a crash would: the run stays interrupted
    });
    form.show();
    return app.exec();
}
