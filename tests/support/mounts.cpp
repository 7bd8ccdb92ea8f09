#include "mounts.h"

#include <QFile>
#include <QFileInfo>

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

// The mount points this process sees, from /proc/self/mountinfo (its fifth
// field, with the kernel's octal escapes for blanks undone).
QStringList mountPoints()
{
    QFile f(QStringLiteral("/proc/self/mountinfo"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    for (const QByteArray &line : f.readAll().split('\n')) {
        QByteArray point = line.split(' ').value(4);
        for (const char *escaped : {"\\040", "\\011", "\\012", "\\134"})
            point.replace(escaped, QByteArray(1, char(QByteArray(escaped + 1).toInt(nullptr, 8))));
        if (!point.isEmpty())
            out << QFile::decodeName(point);
    }
    return out;
}

// False in a root that is no mount point of its own: only what lies on one
// of the mounts inside it may then be mounted over.
bool rootIsMount = true;

QString enterPrivateMounts()
{
    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    if (uid != 0) {
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return failure("no private mount namespace for the file-system faults: unshare(user, mount)") +
                   QStringLiteral(" (run the test as root, or allow user namespaces: "
                                  "sysctl kernel.unprivileged_userns_clone=1)");
        if (!writeFile("/proc/self/setgroups", "deny") ||
            !writeFile("/proc/self/uid_map", QByteArray::number(uid).prepend("0 ").append(" 1")) ||
            !writeFile("/proc/self/gid_map", QByteArray::number(gid).prepend("0 ").append(" 1")))
            return QStringLiteral("cannot map the user into its namespace");
    } else if (unshare(CLONE_NEWNS) != 0) {
        return failure("no private mount namespace for the file-system faults: unshare(mount)") +
               QStringLiteral(" (root needs CAP_SYS_ADMIN: a container must be started with it, "
                              "for example --cap-add SYS_ADMIN)");
    }
    // Nothing mounted here may reach the machine's own namespace.
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0)
        return {};
    if (errno != EINVAL)
        return failure("mount(private)");
    // "/" is no mount of its own (a chroot): the mount it lies on is out of
    // reach, so every mount inside is made private instead.
    rootIsMount = false;
    const QStringList points = mountPoints();
    if (points.isEmpty())
        return QStringLiteral("this root is no mount point of its own (a chroot?) and /proc is not mounted in it");
    for (const QString &p : points)
        if (mount(nullptr, QFile::encodeName(p).constData(), nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return failure("mount(private)") + u' ' + p;
    return {};
}

// Empty when a mount on path stays in this namespace, else why not.
QString mountable(const QString &path)
{
    if (QString why = privateMounts(); !why.isEmpty())
        return why;
    if (rootIsMount)
        return {};
    const QString real = QFileInfo(path).canonicalFilePath();
    for (const QString &p : mountPoints())
        if (p != u"/"_qs && (real == p || real.startsWith(p + u'/')))
            return {};
    return QStringLiteral("%1 lies on no mount inside this root, whose / is no mount point of its own (a "
                          "chroot?), and a mount made there would show outside: mount a file system on the folder "
                          "for temporary files first (from outside: mount -t tmpfs tmpfs ROOT/tmp)")
        .arg(path);
}
} // namespace

QString privateMounts()
{
    static const QString result = enterPrivateMounts();
    return result;
}

QString mountReadOnly(const QString &path)
{
    if (QString why = mountable(path); !why.isEmpty())
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
    if (QString why = mountable(dir); !why.isEmpty())
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
