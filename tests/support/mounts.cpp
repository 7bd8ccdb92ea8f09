#include "mounts.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace tavrin::testing {

namespace {
QString failure(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

bool writeFile(const char *path, const QByteArray &text)
{
    QFile f(QString::fromLatin1(path));
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}
} // namespace

QString privateMounts()
{
    static QString result = [] {
        const uid_t uid = geteuid();
        const gid_t gid = getegid();
        if (uid != 0) {
            if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                return failure("unshare(user, mount)");
            if (!writeFile("/proc/self/setgroups", "deny") ||
                !writeFile("/proc/self/uid_map", QByteArray::number(uid).prepend("0 ").append(" 1")) ||
                !writeFile("/proc/self/gid_map", QByteArray::number(gid).prepend("0 ").append(" 1")))
                return QStringLiteral("cannot map the user into its namespace");
        } else if (unshare(CLONE_NEWNS) != 0) {
            return failure("unshare(mount)");
        }
        // Nothing mounted here may reach the machine's own namespace.
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return failure("mount(private)");
        return QString();
    }();
    return result;
}

QString mountReadOnly(const QString &path)
{
    if (QString why = privateMounts(); !why.isEmpty())
        return why;
    const QByteArray p = QFile::encodeName(path);
    if (mount(p.constData(), p.constData(), nullptr, MS_BIND, nullptr) != 0)
        return failure("mount(bind)");
    if (mount(nullptr, p.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        return failure("mount(read-only)");
    return {};
}

QString mountSmallDisk(const QString &dir, qint64 bytes)
{
    if (QString why = privateMounts(); !why.isEmpty())
        return why;
    const QByteArray options = "size=" + QByteArray::number(bytes);
    if (mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, options.constData()) != 0)
        return failure("mount(tmpfs)");
    return {};
}

void unmount(const QString &path)
{
    umount2(QFile::encodeName(path).constData(), MNT_DETACH);
}

} // namespace tavrin::testing
