#pragma once

// A folder in which no new file may be made, while the files put in it may
// be written (or only read): a locked-down exam folder. Permissions do not
// hold root back, so a test that runs as root works as nobody while the
// folder is locked, and as root again once it is gone.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin::testing {

class LockedFolder {
public:
    // Before lock().
    void put(const QString &name, const QByteArray &bytes, bool writable = true)
    {
        QFile f(dir_.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        f.close();
        own(f.fileName(), writable ? 0644 : 0444);
    }
    void lock()
    {
        own(dir_.path(), 0555);
        asNobody_ = ::geteuid() == 0 && ::seteuid(kNobody) == 0;
    }
    ~LockedFolder()
    {
        if (asNobody_ && ::seteuid(0) == 0)
            ::prctl(PR_SET_DUMPABLE, 1); // the change of user made the process undumpable, which the leak checker minds
        ::chmod(QFile::encodeName(dir_.path()).constData(), 0755);
    }

    QString path() const { return dir_.path(); }
    QStringList entries() const { return QDir(path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); }
    // The lock holds: no new file can be made here.
    bool holds() const
    {
        QFile probe(dir_.filePath(QStringLiteral("probe")));
        if (!probe.open(QIODevice::WriteOnly))
            return true;
        probe.remove();
        return false;
    }

private:
    static constexpr uid_t kNobody = 65534;
    void own(const QString &path, mode_t mode)
    {
        const QByteArray p = QFile::encodeName(path);
        if (::geteuid() == 0)
            (void)!::chown(p.constData(), kNobody, kNobody);
        ::chmod(p.constData(), mode);
    }
    QTemporaryDir dir_;
    bool asNobody_ = false;
};

} // namespace tavrin::testing
