#pragma once

// Files that hold what others must not read (passwords, the examination's
// key, the journal): made readable by their owner only before anything is
// written to them, and never reached through a symbolic link that someone
// else may have put in their place.

#include <QString>

namespace tavrin {

struct PrivateFile {
    enum Status {
        Ok,       // there (or made now), a regular file, owner only
        Missing,  // not there, and not asked to make it
        Symlink,  // a symbolic link stands at the path: not followed
        NotAFile, // a folder, a device...
        Failed,   // error says why
    };
    Status status = Ok;
    bool wasOpen = false;  // group or others could read or write it
    bool tightened = false; // and it was ours, so it is owner-only now
    QString error;
};

// Opens path without following a link (making it 0600 if create is set and
// it is not there) and takes group and others' access away if it is ours.
PrivateFile securePrivateFile(const QString &path, bool create);

} // namespace tavrin
