// Restart to a resumed, painted run: the time from the start of the process
// to the first paint of the window showing the examination carried on from
// where it stands now, with the program's own start-up in between. The
// question after the interruption is answered at once with its first choice.
//   bench_resume prepare   leaves an interrupted run in the working folder
//   bench_resume           resumes it (and leaves it interrupted again)
// Run it in a real X session (QT_QPA_PLATFORM=xcb) from a folder with cues.
#include "launch.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const bool prepare = argc > 1 && QByteArray(argv[1]) == "prepare";
    bench::Launch program;
    tavrin::Session &session = *program.session;
    if (prepare) {
        QTimer::singleShot(0, &app, [&session] {
            session.engine().Command1_Click();
            for (int i = 0; i < 3; ++i)
                session.engine().Timer1_Timer();
            session.journal().flush();
            std::_Exit(0);
        });
        return session.run();
    }
    // The operator's answer, as soon as the question shows.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, &app, [&answer] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); box && box->defaultButton()) {
            answer.stop();
            box->defaultButton()->click();
        }
    });
    answer.start(1);
    program.onFirstPaint([&session](double ms) {
        if (session.engine().runState() != tavrin::RunState::Running) {
            std::fprintf(stderr, "bench_resume: no interrupted run was resumed (run \"bench_resume prepare\" first)\n");
            std::_Exit(1);
        }
        bench::figure("resume.first_paint", ms, "ms");
        std::_Exit(0); // dies as a crash would: the run stays interrupted
    });
    return session.run();
}
