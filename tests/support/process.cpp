#include "process.h"

#include <QProcess>

namespace tavrin::testing {

ToolRun runTool(const QString &program, const QStringList &args, int timeoutMs)
{
    QProcess p;
    p.start(program, args);
    ToolRun r;
    if (!p.waitForStarted(timeoutMs)) {
        r.err = p.errorString();
        return r;
    }
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("%1 did not finish").arg(program);
        return r;
    }
    r.out = p.readAllStandardOutput();
    r.err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    if (p.exitStatus() == QProcess::NormalExit)
        r.exitCode = p.exitCode();
    r.ok = r.exitCode == 0;
    return r;
}

} // namespace tavrin::testing
