// Restart to a resumed, painted run: the time from the start of the process
// to the first paint of the window showing the examination carried on from
// where it stands now, with the program's own start-up in between. The
// operator's answer to the question is left out (the first choice is taken).
//   bench_resume prepare   leaves an interrupted run in the working folder
//   bench_resume           resumes it (and leaves it interrupted again)
// Run it in a real X session (QT_QPA_PLATFORM=xcb) from a folder with cues.
#include "bench_support.h"
#include "engine.h"
#include "form1.h"
#include "journal.h"
#include "journal_wiring.h"
#include "phase_timer.h"
#include "resume.h"
#include "sound_bank.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace {
// Milliseconds since this process was started, from the kernel's record.
double sinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    stat.open(QIODevice::ReadOnly);
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 of the whole line
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return (now.tv_sec + now.tv_nsec / 1e9) * 1000.0 - startTicks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

class FirstPaint : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            bench::figure("resume.first_paint", sinceProcessStart(), "ms");
            std::_Exit(0); // dies as a crash would: the run stays interrupted
        }
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const bool prepare = argc > 1 && QByteArray(argv[1]) == "prepare";
    tavrin::PhaseTimer clock;
    tavrin::Form1 form;
    tavrin::SoundBank players(&form);
    tavrin::Engine engine(form, players);
    form.attach(&engine, &clock);
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
    FirstPaint probe;
    form.installEventFilter(&probe);
    form.show();
    return app.exec();
}
