// Time from the start of the process to the first paint of the main window,
// with the program's own start-up (settings, players, layout) in between.
// Run it in a real X session (QT_QPA_PLATFORM=xcb) from a folder with cues.
#include "bench_support.h"
#include "engine.h"
#include "form1.h"
#include "phase_timer.h"
#include "sound_bank.h"

#include <QApplication>
#include <QDir>
#include <QFile>
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
        if (event->type() == QEvent::Paint && !seen) {
            seen = true;
            bench::figure("startup.first_paint", sinceProcessStart(), "ms");
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }
    bool seen = false;
};
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    tavrin::PhaseTimer clock;
    tavrin::Form1 form;
    tavrin::SoundBank players(&form);
    tavrin::Engine engine(form, players);
    form.attach(&engine, &clock);
    FirstPaint probe;
    form.installEventFilter(&probe);
    engine.Form_Load(QCoreApplication::applicationDirPath(), QDir::currentPath());
    form.show();
    return app.exec();
}
