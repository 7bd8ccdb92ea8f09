#pragma once

// Faults of the file system for tests: a read-only file or folder and a full
// disk, real to every program this process starts. They live in a private
// mount namespace of this process (as root directly, otherwise inside a user
// namespace of its own), so that nothing outside the test ever sees them.

#include <QString>

namespace tavrin::testing {

// Enters the private namespace once; empty on success, else why not. Call
// it before this process starts threads (initTestCase is early enough).
QString privateMounts();
// Makes path (a file or a folder) read-only, even for root.
QString mountReadOnly(const QString &path);
// Puts an empty disk of the given size over dir.
QString mountSmallDisk(const QString &dir, qint64 bytes);
// Takes back what was mounted on path.
void unmount(const QString &path);

} // namespace tavrin::testing
