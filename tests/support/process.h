#pragma once

// Running the tools the tests drive (pactl, xdotool, import, ...).

#include <QString>
#include <QStringList>

namespace tavrin::testing {

struct ToolRun {
    bool ok = false;   // started, finished in time, exit code 0
    int exitCode = -1; // -1 when it did not finish normally
    QByteArray out;
    QString err;
};

// Runs program to completion (killing it after timeoutMs).
ToolRun runTool(const QString &program, const QStringList &args, int timeoutMs = 10000);

} // namespace tavrin::testing
