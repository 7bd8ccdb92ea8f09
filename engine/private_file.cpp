#include "private_file.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

PrivateFile securePrivateFile(const QString &path, bool create)
{
    PrivateFile r;
    const QByteArray name = QFile::encodeName(path);
    // O_NOFOLLOW refuses a link in the last place; O_NONBLOCK keeps a FIFO
    // put there from hanging the open.
    const int flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | (create ? O_CREAT : 0);
    const int fd = ::open(name.constData(), flags, S_IRUSR | S_IWUSR);
    if (fd < 0) {
        const int e = errno;
        struct stat st {};
        if (e == ELOOP || (::lstat(name.constData(), &st) == 0 && S_ISLNK(st.st_mode)))
            r.status = PrivateFile::Symlink;
        else if (e == ENOENT && !create)
            r.status = PrivateFile::Missing;
        else if (e == EISDIR)
            r.status = PrivateFile::NotAFile;
        else
            r.status = PrivateFile::Failed;
        r.error = QString::fromLocal8Bit(std::strerror(e));
        return r;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        r.status = PrivateFile::Failed;
        r.error = QString::fromLocal8Bit(std::strerror(errno));
    } else if (!S_ISREG(st.st_mode)) {
        r.status = PrivateFile::NotAFile;
    } else if ((st.st_mode & 077) != 0) {
        r.wasOpen = true;
        r.tightened = st.st_uid == ::geteuid() && ::fchmod(fd, st.st_mode & 0700) == 0;
    }
    ::close(fd);
    return r;
}

} // namespace tavrin
