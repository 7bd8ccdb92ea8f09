#include "web_attack.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <unistd.h>

namespace tavrin::testing {

Usage usage()
{
    Usage u;
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (statm.open(QIODevice::ReadOnly))
        u.residentBytes = statm.readAll().split(' ').value(1).toLongLong() * sysconf(_SC_PAGESIZE);
    u.descriptors = int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
    return u;
}

DescriptorLimit::DescriptorLimit(rlim_t soft)
{
    getrlimit(RLIMIT_NOFILE, &old_);
    rlimit lim = old_;
    lim.rlim_cur = std::min(soft, old_.rlim_max);
    setrlimit(RLIMIT_NOFILE, &lim);
}

DescriptorLimit::~DescriptorLimit()
{
    setrlimit(RLIMIT_NOFILE, &old_);
}

WebAttack::~WebAttack()
{
    proc_.kill();
    proc_.waitForFinished(3000);
}

QString WebAttack::start(quint16 port, double seconds, const QStringList &more)
{
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc_.start(QStringLiteral("/usr/bin/python3"),
                QStringList{QStringLiteral(TAVRIN_SOURCE_DIR "/tests/web/web_attack.py"), QString::number(port),
                            QString::number(seconds)} + more);
    const QDeadlineTimer deadline(30000);
    while (!proc_.canReadLine() && proc_.state() != QProcess::NotRunning && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return proc_.readLine().trimmed() == "ready" ? QString() : QStringLiteral("the attacker did not start: %1").arg(proc_.errorString());
}

QString WebAttack::finish(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (proc_.state() != QProcess::NotRunning && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return QString::fromUtf8(proc_.readAll()).trimmed();
}

} // namespace tavrin::testing
