// Time from the start of the process to the first paint of the main window,
// with the program's own start-up (settings, players, journal, layout) in
// between. Run it in a real X session (QT_QPA_PLATFORM=xcb) from a folder
// with cues.
#include "launch.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    bench::Launch program;
    program.onFirstPaint([](double ms) {
        bench::figure("startup.first_paint", ms, "ms");
        QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    });
    return program.session->run();
}
