#pragma once

// The program's own start-up as the start and resume benchmarks time it: the
// real session, built as main() builds it in the working folder, and the time
// from the start of the process to its window's first paint.

#include "bench_support.h"
#include "session.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <ctime>
#include <functional>
#include <memory>
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

// The program as it starts without arguments; run() is main()'s.
struct Launch : QObject {
    QCommandLineParser parser;
    std::unique_ptr<tavrin::Session> session;

    Launch()
    {
        tavrin::addCommandLineOptions(parser);
        const bool parsed = parser.parse({QCoreApplication::applicationFilePath()});
        session = std::make_unique<tavrin::Session>(tavrin::sessionOptions(parser, parsed));
    }
    // done gets the milliseconds since the process started, once.
    void onFirstPaint(std::function<void(double)> done)
    {
        done_ = std::move(done);
        session->form().installEventFilter(this);
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
