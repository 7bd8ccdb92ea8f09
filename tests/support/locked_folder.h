#pragma once

// A folder in which no new file may be made, while the files put in it may
// be written (or only read): a locked-down exam folder. Permissions do not
// hold root back, so a test that runs as root works as nobody while the
// folder is locked, and as root again once it is gone.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tavrin::testing {

class LockedFolder {
public:
    LockedFolder() = default;
    LockedFolder(const LockedFolder &) = delete;
    LockedFolder &operator=(const LockedFolder &) = delete;
    ~LockedFolder();

    // Before lock().
    void put(const QString &name, const QByteArray &bytes, bool writable = true);
    void lock();

    QString path() const { return dir_.path(); }
    QStringList entries() const;
    // The lock holds: a new file cannot be made here.
    bool holds() const;

private:
    QTemporaryDir dir_;
    bool asNobody_ = false;
};

} // namespace tavrin::testing
