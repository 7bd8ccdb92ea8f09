#include "locked_folder.h"

#include <QDir>
#include <QFile>

#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin::testing {

namespace {
constexpr uid_t kNobody = 65534;
}

void LockedFolder::put(const QString &name, const QByteArray &bytes, bool writable)
{
    QFile f(dir_.filePath(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    f.close();
    const QByteArray path = QFile::encodeName(f.fileName());
    ::chmod(path.constData(), writable ? 0644 : 0444);
    if (::geteuid() == 0)
        (void)!::chown(path.constData(), kNobody, kNobody);
}

void LockedFolder::lock()
{
    const QByteArray path = QFile::encodeName(dir_.path());
    if (::geteuid() == 0) {
        (void)!::chown(path.constData(), kNobody, kNobody);
        asNobody_ = ::seteuid(kNobody) == 0;
    }
    ::chmod(path.constData(), 0555);
}

LockedFolder::~LockedFolder()
{
    if (asNobody_) {
        (void)!::seteuid(0);
        // A change of user made the process undumpable, which would keep the
        // leak checker from inspecting it at exit.
        ::prctl(PR_SET_DUMPABLE, 1);
    }
    ::chmod(QFile::encodeName(dir_.path()).constData(), 0755);
}

QStringList LockedFolder::entries() const
{
    return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

bool LockedFolder::holds() const
{
    QFile probe(QDir(dir_.path()).filePath(QStringLiteral("probe")));
    if (!probe.open(QIODevice::WriteOnly))
        return true;
    probe.remove();
    return false;
}

} // namespace tavrin::testing
