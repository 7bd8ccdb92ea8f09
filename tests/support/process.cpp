#include "process.h"

#include <QProcess>

namespace tavrin::testing {

ToolRun runTool(const QString &program, const QStringList &args, int timeoutMs)
{
    QProcess p;
    // Text that is not ASCII (a title to find, keys to type) is read and
    // written by the tools in their locale's encoding; ours is UTF-8.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
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
