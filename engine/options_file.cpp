#include "options_file.h"

#include "texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSettings>
#include <QThreadPool>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

namespace {

using texts::str;

// An options file is a few hundred bytes; one far larger is not ours.
constexpr qint64 kMaxOptionsBytes = 1 << 20;

QString notice(const QString &path, const QString &why)
{
    return str(texts::optionsNotSaved).arg(QDir::toNativeSeparators(path), why);
}

QString notice(const QString &path, const char *why)
{
    return notice(path, str(why));
}

QString systemError(const QString &path, int error)
{
    return notice(path, str(texts::optionsAccessError).arg(QString::fromLocal8Bit(std::strerror(error))));
}

// What is at path now, read without following a link; false, with the
// notice, when it must not be written over.
bool readOld(const QString &path, QByteArray &old, QString &refused)
{
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK: a FIFO put there does not hang the open.
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int e = errno;
        struct stat st {};
        if (e == ELOOP || (::lstat(name.constData(), &st) == 0 && S_ISLNK(st.st_mode)))
            refused = notice(path, texts::optionsLinkRefused);
        else if (e != ENOENT)
            refused = systemError(path, e);
        return e == ENOENT;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        refused = notice(path, texts::optionsNotAFile);
    else if (st.st_uid != ::geteuid())
        refused = notice(path, texts::optionsNotOurs);
    else if (st.st_size > kMaxOptionsBytes)
        refused = notice(path, texts::optionsFormatError);
    else {
        // All of it or nothing: a part left out would be lost from the new file.
        old.resize(qsizetype(st.st_size));
        qsizetype got = 0;
        while (got < old.size()) {
            const ssize_t n = ::read(fd, old.data() + got, size_t(old.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                refused = systemError(path, errno);
            if (n <= 0)
                break;
            got += n;
        }
        old.truncate(got);
    }
    ::close(fd);
    return refused.isEmpty();
}

QString writeHeld(const QString &path, const QString &group, const OptionValues &values);

// One write at a time, in the order asked, whoever asks.
std::mutex &writing()
{
    static std::mutex m;
    return m;
}

struct Pending {
    QString path;
    QString group;
    OptionValues values;
    QPointer<QObject> context;
    std::function<void(const QString &)> done;
};

struct Queue {
    std::mutex mutex;
    std::condition_variable idle;
    std::deque<Pending> pending;
    int unfinished = 0;
};

Queue &queue()
{
    static Queue q;
    return q;
}

// Each task takes the oldest write asked for, so that the pool's threads
// keep the order even when two of them run at once.
void writeOldest()
{
    Queue &q = queue();
    Pending p;
    QString result;
    {
        std::lock_guard order(writing());
        {
            std::lock_guard lock(q.mutex);
            p = std::move(q.pending.front());
            q.pending.pop_front();
        }
        result = writeHeld(p.path, p.group, p.values);
    }
    if (p.done)
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app,
                [context = p.context, done = p.done, result] {
                    if (context)
                        done(result);
                },
                Qt::QueuedConnection);
    std::lock_guard lock(q.mutex);
    if (--q.unfinished == 0)
        q.idle.notify_all();
}

// The write itself, with writing() held.
QString writeHeld(const QString &path, const QString &group, const OptionValues &values)
{
    QByteArray old;
    QString refused;
    if (!readOld(path, old, refused))
        return refused;

    // The new file beside the old one, hidden, owner-only as it is made.
    const QFileInfo where(path);
    QByteArray temp = QFile::encodeName(where.dir().filePath(u'.' + where.fileName() + QStringLiteral(".XXXXXX")));
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return systemError(path, errno);
    bool written = true;
    for (qsizetype at = 0; written && at < old.size();) {
        const ssize_t n = ::write(fd, old.constData() + at, size_t(old.size() - at));
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        at += n > 0 ? n : 0;
    }
    const int writeError = errno;
    ::close(fd);
    const QString tempPath = QFile::decodeName(temp);
    QSettings::Status status = QSettings::AccessError;
    if (written) {
        // QSettings keeps the mode of the file it rewrites: owner-only.
        QSettings s(tempPath, QSettings::IniFormat);
        s.beginGroup(group);
        for (const auto &[key, value] : values) {
            if (value.isValid())
                s.setValue(key, value);
            else // a setting that is no more, a secret of an old version say
                s.remove(key);
        }
        s.endGroup();
        s.sync();
        status = s.status();
    }
    // rename() puts the file in place of whatever the name stands for now,
    // a link put there meanwhile included, without following it.
    if (status == QSettings::NoError && ::rename(temp.constData(), QFile::encodeName(path).constData()) == 0)
        return {};
    const int renameError = errno;
    ::unlink(temp.constData());
    if (!written)
        return systemError(path, writeError);
    if (status == QSettings::FormatError)
        return notice(path, texts::optionsFormatError);
    return systemError(path, status == QSettings::NoError ? renameError : EACCES);
}

} // namespace

QString writeOptions(const QString &path, const QString &group, const OptionValues &values)
{
    std::lock_guard order(writing());
    return writeHeld(path, group, values);
}

void writeOptionsLater(const QString &path, const QString &group, OptionValues values, QObject *context,
                       std::function<void(const QString &notice)> done)
{
    Queue &q = queue();
    {
        std::lock_guard lock(q.mutex);
        q.pending.push_back({path, group, std::move(values), context, std::move(done)});
        ++q.unfinished;
    }
    QThreadPool::globalInstance()->start(writeOldest);
}

void waitForOptionWrites()
{
    Queue &q = queue();
    std::unique_lock lock(q.mutex);
    q.idle.wait(lock, [&q] { return q.unfinished == 0; });
}

} // namespace tavrin
