#include "web_attack.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <functional>

#include <unistd.h>

namespace tavrin::testing {

Usage usage()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    const qint64 pages = statm.open(QIODevice::ReadOnly) ? statm.readAll().split(' ').value(1).toLongLong() : 0;
    const auto fds = QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    return {pages * sysconf(_SC_PAGESIZE), int(fds.size())};
}

DescriptorLimit::DescriptorLimit(rlim_t soft)
{
    getrlimit(RLIMIT_NOFILE, &old_);
    const rlimit lim{std::min(soft, old_.rlim_max), old_.rlim_max};
    setrlimit(RLIMIT_NOFILE, &lim);
}

static void runUntil(const QDeadlineTimer &deadline, const std::function<bool()> &done)
{
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

QString WebAttack::start(quint16 port, double seconds, const QStringList &more)
{
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc_.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral(TAVRIN_SOURCE_DIR "/tests/web/web_attack.py"),
                                                                QString::number(port), QString::number(seconds)} + more);
    runUntil(QDeadlineTimer(30000), [this] { return proc_.canReadLine() || proc_.state() == QProcess::NotRunning; });
    return proc_.readLine().trimmed() == "ready" ? QString() : QStringLiteral("no attacker: %1").arg(proc_.errorString());
}

QString WebAttack::finish(int timeoutMs)
{
    runUntil(QDeadlineTimer(timeoutMs), [this] { return proc_.state() == QProcess::NotRunning; });
    return QString::fromUtf8(proc_.readAll()).trimmed();
}

} // namespace tavrin::testing
