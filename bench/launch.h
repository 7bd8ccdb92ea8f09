#pragma once

// The program's own start-up as the start and resume benchmarks time it: the
// window, its players and the engine put together as the program does, and
// the time from the start of the process to the window's first paint.

#include "bench_support.h"
#include "engine.h"
#include "form1.h"
#include "phase_timer.h"
#include "sound_bank.h"

#include <QEvent>
#include <QFile>
#include <ctime>
#include <functional>
#include <utility>
#include <unistd.h>

namespace bench {

// Milliseconds since this process was started, from the kernel's record.
inline double sinceProcessStart()
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

struct Launch : QObject {
    tavrin::PhaseTimer clock;
    tavrin::Form1 form;
    tavrin::SoundBank players{&form};
    tavrin::Engine engine{form, players};

    Launch() { form.attach(&engine, &clock); }
    // done gets the milliseconds since the process started, once.
    void onFirstPaint(std::function<void(double)> done)
    {
        done_ = std::move(done);
        form.installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && done_)
            std::exchange(done_, nullptr)(sinceProcessStart());
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(double)> done_;
};

} // namespace bench
