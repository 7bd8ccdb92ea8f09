#include "writer.h"

#include "private_file.h"
#include "record.h"
#include "schema.h"
#include "texts.h"
#include "version.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <sys/stat.h>

namespace tavrin::journal {

namespace {
using texts::str;

// SQLite's primary result codes that the journal tells apart.
enum SqliteCode {
    kBusy = 5,
    kLocked = 6,
    kReadOnly = 8,
    kIoError = 10,
    kCorrupt = 11,
    kFull = 13,
    kCantOpen = 14,
    kNotADatabase = 26,
};

int sqliteCode(const QSqlError &e)
{
    bool ok = false;
    const int code = e.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}

bool damaging(const QSqlError &e)
{
    const int code = sqliteCode(e);
    return code == kCorrupt || code == kNotADatabase;
}

QString reason(const QSqlError &e)
{
    const char *phrase = texts::sqlOther;
    switch (sqliteCode(e)) {
    case kBusy:
    case kLocked: phrase = texts::sqlBusy; break;
    case kReadOnly: phrase = texts::sqlReadOnly; break;
    case kIoError: phrase = texts::sqlIoError; break;
    case kCorrupt: phrase = texts::sqlCorrupt; break;
    case kFull: phrase = texts::sqlFull; break;
    case kCantOpen: phrase = texts::sqlCantOpen; break;
    case kNotADatabase: phrase = texts::sqlNotADatabase; break;
    default: break;
    }
    const QString technical = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    return str(texts::sqlReason).arg(str(phrase), technical);
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

qint64 nowUtc()
{
    return QDateTime::currentMSecsSinceEpoch();
}

int zoneAt(qint64 utcMs)
{
    return QDateTime::fromMSecsSinceEpoch(utcMs).offsetFromUtc();
}

QVariant nullable(std::optional<int> v)
{
    return v ? QVariant(*v) : QVariant();
}

std::optional<int> optionalInt(const QVariant &v)
{
    return v.isNull() ? std::nullopt : std::optional(v.toInt());
}

// A row of cue_reports from column `from` on: room, due, player, question,
// second, started, offset, source.
PlayedCue storedCue(const QSqlQuery &q, int from)
{
    PlayedCue c;
    c.room = q.value(from).toString();
    c.dueMs = q.value(from + 1).toLongLong();
    c.player = q.value(from + 2).toInt();
    c.question = q.value(from + 3).toInt();
    c.second = q.value(from + 4).toInt();
    c.startedMs = q.value(from + 5).isNull() ? 0 : q.value(from + 5).toLongLong();
    c.offsetMs = q.value(from + 6).toDouble();
    // A played cue whose source nobody could tell sounded nothing that can be told.
    c.source = storedCueSource(q.value(from + 7).toString());
    if (c.source == CueSource::NotOpen)
        c.source = CueSource::Silent;
    return c;
}

std::atomic<int> connections{0};
} // namespace

struct Writer::Db {
    QString name;
    QSqlDatabase db;
    QSqlQuery insertEvent;
    QSqlQuery insertRun;
    QSqlQuery mark;
    QSqlQuery closeRun;
    dev_t dev = 0;
    ino_t ino = 0;
};

Writer::Writer(QString dir, WriterReplies replies)
    : dir_(std::move(dir)), path_(QDir(dir_).filePath(QLatin1String(texts::recordFile))),
      replies_(std::move(replies))
{
}

Writer::~Writer()
{
    stop();
}

OpenOutcome Writer::start()
{
    std::promise<OpenOutcome> opened;
    std::future<OpenOutcome> outcome = opened.get_future();
    thread_ = std::thread([this, p = std::move(opened)]() mutable { run(std::move(p)); });
    return outcome.get();
}

void Writer::push(Item item)
{
    {
        std::lock_guard lock(mutex_);
        if (!stopping_) {
            queue_.push_back(std::move(item));
        } else if (auto *f = std::get_if<FlushItem>(&item)) {
            f->done->set_value();
            return;
        }
    }
    wake_.notify_one();
}

void Writer::stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void Writer::run(std::promise<OpenOutcome> opened)
{
    opened.set_value(open());
    for (;;) {
        std::vector<Item> batch;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty())
                break;
            batch.assign(std::make_move_iterator(queue_.begin()), std::make_move_iterator(queue_.end()));
            queue_.clear();
        }
        write(batch);
    }
    closeDb();
    lock_.reset();
}

// ---- Opening ---------------------------------------------------------------

OpenOutcome Writer::open()
{
    OpenOutcome out;
    Attempt a = attempt();
    if (a.fault == Fault::Damaged) {
        QString error;
        const QString aside = keepAside(&error);
        const Attempt fresh = aside.isEmpty() ? Attempt{} : attempt();
        if (aside.isEmpty() || fresh.fault != Fault::None) {
            out.notice = str(texts::journalDamagedNoFresh)
                             .arg(shown(path_), a.reason, aside.isEmpty() ? error : describe(fresh));
            qWarning("journal: damaged, no fresh file: %s", qPrintable(a.reason));
            return out;
        }
        out.notice = str(texts::journalDamaged).arg(shown(path_), a.reason, QFileInfo(aside).fileName());
        qWarning("journal: damaged, kept aside as %s: %s", qPrintable(aside), qPrintable(a.reason));
        a = fresh;
    }
    switch (a.fault) {
    case Fault::None: break;
    case Fault::Locked: out.notice = str(texts::journalLocked).arg(a.pid).arg(shown(path_)); break;
    case Fault::ReadOnly: out.notice = str(texts::journalReadOnly).arg(shown(path_)); break;
    case Fault::Future:
        out.notice = str(texts::journalFuture).arg(shown(path_)).arg(a.version).arg(steps().size());
        break;
    case Fault::CannotOpen:
    case Fault::Damaged: out.notice = str(texts::journalCannotOpen).arg(shown(path_), a.reason); break;
    }
    if (a.fault != Fault::None) {
        qWarning("journal: not recording: %s", qPrintable(describe(a)));
        return out;
    }
    if (!insertSession()) {
        out.notice = str(texts::journalCannotOpen).arg(shown(path_), reason(db_->db.lastError()));
        closeDb();
        return out;
    }
    QString unreadable;
    out.interrupted = findInterrupted(&unreadable);
    if (!unreadable.isEmpty())
        out.notice = unreadable;
    out.unsent = unsentCues();
    out.openHold = openHold();
    QSqlQuery q(db_->db);
    if (q.exec(QStringLiteral("SELECT max(id) FROM runs")) && q.next())
        out.lastRun = q.value(0).toLongLong();
    out.recording = true;
    off_ = false;
    return out;
}

Writer::Attempt Writer::attempt()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return {Fault::CannotOpen, str(texts::journalNoDriver)};
    if (!QFileInfo(dir_).isDir())
        return {Fault::CannotOpen, str(texts::journalNoFolder)};
    // Nothing of the journal is reached through a link that may have been
    // put in its place: what is written would land wherever it points.
    for (const char *suffix : {"", "-wal", "-shm", "-journal", ".lock"}) {
        const QString name = path_ + QLatin1String(suffix);
        if (QFileInfo(name).isSymLink())
            return {Fault::CannotOpen, str(texts::journalSymlink).arg(QFileInfo(name).fileName())};
    }
    if (!lock_) {
        // A lock left behind by a Tavrin that was killed names a process that
        // no longer runs, and is taken over; a live one is never, however old.
        auto lock = std::make_unique<QLockFile>(path_ + QStringLiteral(".lock"));
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0)) {
            if (lock->error() == QLockFile::LockFailedError) {
                qint64 pid = 0;
                QString host, app;
                lock->getLockInfo(&pid, &host, &app);
                return {Fault::Locked, {}, pid};
            }
            return {Fault::CannotOpen, str(texts::journalFolderReadOnly)};
        }
        lock_ = std::move(lock);
        securePrivateFile(path_ + QStringLiteral(".lock"), false);
    }
    const QFileInfo file(path_);
    if (file.exists() && !file.isFile())
        return {Fault::CannotOpen, str(texts::journalNotAFile)};
    if (file.exists() && !file.isWritable())
        return {Fault::ReadOnly, {}};
    // Made here, owner-only, before SQLite opens it: SQLite gives its log
    // and shared memory the mode of the file itself.
    const PrivateFile made = securePrivateFile(path_, true);
    if (made.status == PrivateFile::Symlink)
        return {Fault::CannotOpen, str(texts::journalSymlink).arg(file.fileName())};
    if (made.status != PrivateFile::Ok)
        return {Fault::CannotOpen, made.error.isEmpty() ? str(texts::journalNotAFile) : made.error};
    for (const char *suffix : {"-wal", "-shm"})
        securePrivateFile(path_ + QLatin1String(suffix), false);

    db_ = std::make_unique<Db>();
    db_->name = QStringLiteral("tavrin-journal-%1").arg(++connections);
    db_->db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), db_->name);
    db_->db.setDatabaseName(path_);
    db_->db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    const Attempt a = check();
    if (a.fault != Fault::None)
        closeDb();
    return a;
}

Writer::Attempt Writer::check()
{
    auto failed = [](const QSqlError &e) {
        if (damaging(e))
            return Attempt{Fault::Damaged, reason(e)};
        if (sqliteCode(e) == kReadOnly)
            return Attempt{Fault::ReadOnly, {}};
        return Attempt{Fault::CannotOpen, reason(e)};
    };
    QSqlDatabase &db = db_->db;
    if (!db.open())
        return failed(db.lastError());
    QSqlQuery q(db);
    auto scalar = [&q](const char *sql, QVariant *out) {
        if (!q.exec(QString::fromLatin1(sql)) || !q.next())
            return false;
        *out = q.value(0);
        q.finish();
        return true;
    };
    QVariant appId, version, objects, verdict, mode;
    // Read before anything is written, so that a newer program's file is
    // left exactly as it is.
    if (!scalar("PRAGMA application_id", &appId) || !scalar("PRAGMA user_version", &version) ||
        !scalar("SELECT count(*) FROM sqlite_master", &objects))
        return failed(q.lastError());
    if (version.toInt() > int(steps().size()))
        return {Fault::Future, {}, 0, version.toInt()};
    if (appId.toInt() != kApplicationId && (appId.toInt() != 0 || objects.toInt() > 0))
        return {Fault::Damaged, str(texts::journalNotOurs)};
    if (!scalar("PRAGMA quick_check", &verdict))
        return failed(q.lastError());
    if (verdict.toString() != QLatin1String("ok"))
        return {Fault::Damaged, str(texts::sqlReason).arg(str(texts::sqlCheckFailed), verdict.toString())};
    if (!scalar("PRAGMA journal_mode=WAL", &mode))
        return failed(q.lastError());
    const Migration m = migrate(db);
    if (!m.ok)
        return {Fault::CannotOpen, m.error};
    // In WAL mode a commit is synced only at checkpoints under NORMAL; FULL
    // syncs the log at every commit, so a row survives a power cut as soon
    // as it is written. The sync costs this thread, never the clock.
    if (!q.exec(QStringLiteral("PRAGMA synchronous=FULL")))
        return failed(q.lastError());

    auto prepare = [&db](QSqlQuery &query, const char *sql) {
        query = QSqlQuery(db);
        return query.prepare(QString::fromLatin1(sql));
    };
    if (!prepare(db_->insertEvent,
                 "INSERT INTO events (session, run, utc_ms, zone_offset_s, mono_ms, kind, player, cue_source,"
                 " old_time1, old_time2, old_cycle, old_fkc, detail, ck, t, time1, time2, cycle, sw, fkc)"
                 " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)") ||
        !prepare(db_->insertRun,
                 "INSERT INTO runs (id, session, started_utc_ms, state, mark_utc_ms, mark_mono_ms, mark_session,"
                 " next_due_utc_ms, snapshot) VALUES (?, ?, ?, 'open', ?, ?, ?, ?, ?)") ||
        !prepare(db_->mark,
                 "UPDATE runs SET mark_utc_ms = ?, mark_mono_ms = ?, mark_session = ?, next_due_utc_ms = ?,"
                 " snapshot = ? WHERE id = ?") ||
        !prepare(db_->closeRun, "UPDATE runs SET state = ?, closed_utc_ms = ? WHERE id = ?"))
        return {Fault::Damaged, reason(db.lastError())};

    struct stat st {};
    if (::stat(QFile::encodeName(path_).constData(), &st) == 0) {
        db_->dev = st.st_dev;
        db_->ino = st.st_ino;
    }
    return {};
}

QString Writer::describe(const Attempt &a) const
{
    switch (a.fault) {
    case Fault::None: return {};
    case Fault::Locked: return str(texts::journalLockedShort).arg(a.pid);
    case Fault::ReadOnly: return str(texts::sqlReadOnly);
    case Fault::Future: return str(texts::journalFutureShort).arg(a.version);
    case Fault::CannotOpen:
    case Fault::Damaged: return a.reason;
    }
    return a.reason;
}

// Renames the file (and its write-ahead log) to a name of its own beside it.
QString Writer::keepAside(QString *error)
{
    const QFileInfo file(path_);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside;
    for (int n = 1;; ++n) {
        aside = file.dir().filePath(QStringLiteral("%1-damaged-%2%3.%4")
                                        .arg(file.completeBaseName(), stamp,
                                             n == 1 ? QString() : QStringLiteral("-%1").arg(n), file.suffix()));
        if (!QFileInfo::exists(aside))
            break;
    }
    QFile f(path_);
    if (!f.rename(aside)) {
        *error = f.errorString();
        return {};
    }
    QFile::rename(path_ + QStringLiteral("-wal"), aside + QStringLiteral("-wal"));
    QFile::remove(path_ + QStringLiteral("-shm"));
    // A copy kept aside holds the same runs as the journal did.
    for (const QString &kept : {aside, aside + QStringLiteral("-wal")})
        securePrivateFile(kept, false);
    return aside;
}

void Writer::closeDb()
{
    if (!db_)
        return;
    const QString name = db_->name;
    for (QSqlQuery *q : {&db_->insertEvent, &db_->insertRun, &db_->mark, &db_->closeRun})
        *q = QSqlQuery();
    db_->db.close();
    db_.reset();
    QSqlDatabase::removeDatabase(name);
}

bool Writer::insertSession()
{
    QSqlQuery q(db_->db);
    q.prepare(QStringLiteral("INSERT INTO sessions (id, started_utc_ms, zone_offset_s, version, pid)"
                             " VALUES (?, ?, ?, ?, ?)"));
    if (!session_)
        sessionStartUtc_ = nowUtc();
    q.addBindValue(session_ ? QVariant(session_) : QVariant());
    q.addBindValue(sessionStartUtc_);
    q.addBindValue(zoneAt(sessionStartUtc_));
    q.addBindValue(QStringLiteral(TAVRIN_VERSION));
    q.addBindValue(QCoreApplication::applicationPid());
    if (!q.exec())
        return false;
    session_ = q.lastInsertId().toLongLong();
    return true;
}

std::optional<InterruptedRun> Writer::findInterrupted(QString *unreadable)
{
    std::optional<InterruptedRun> found;
    QSqlQuery q(db_->db);
    q.exec(QStringLiteral("SELECT id, snapshot, next_due_utc_ms, mark_utc_ms, started_utc_ms FROM runs"
                          " WHERE state = 'open' ORDER BY id DESC"));
    std::vector<qint64> dropped;
    while (q.next()) {
        const qint64 id = q.value(0).toLongLong();
        const std::optional<RunSnapshot> s = snapshotFromText(q.value(1).toString());
        if (found || !s) {
            if (!found && !s)
                *unreadable = str(texts::journalUnreadableRun);
            dropped.push_back(id);
            continue;
        }
        found = InterruptedRun{id, *s, q.value(2).toLongLong(), q.value(3).toLongLong(), false};
        MarkItem mark{id, *s, found->nextDueWallMs, found->markWallMs, 0};
        openRuns_[id] = OpenRun{q.value(4).toLongLong(), mark};
    }
    // Only the latest run can still be going on in the room.
    for (qint64 id : dropped) {
        QSqlQuery close(db_->db);
        close.prepare(QStringLiteral("UPDATE runs SET state = 'abandoned', closed_utc_ms = ? WHERE id = ?"));
        close.addBindValue(nowUtc());
        close.addBindValue(id);
        close.exec();
    }
    if (found) {
        QSqlQuery last(db_->db);
        last.prepare(QStringLiteral("SELECT kind FROM events WHERE run = ? ORDER BY id DESC LIMIT 1"));
        last.addBindValue(found->id);
        found->closedByWindow = last.exec() && last.next() && last.value(0).toString() == QLatin1String("close");
    }
    return found;
}

// ---- Writing ---------------------------------------------------------------

bool Writer::vanished() const
{
    struct stat st {};
    if (::stat(QFile::encodeName(path_).constData(), &st) != 0)
        return true;
    return st.st_dev != db_->dev || st.st_ino != db_->ino;
}

// The file is gone (or another stands in its place): a fresh one carries on
// with the runs under way, from their latest marks.
bool Writer::recreate()
{
    closeDb();
    if (!QFileInfo::exists(path_ + QStringLiteral(".lock")))
        lock_.reset(); // taken again by attempt(), unless another Tavrin took it meanwhile
    QString error;
    if (QFileInfo::exists(path_) && keepAside(&error).isEmpty()) {
        fail(str(texts::journalVanishedNoFresh).arg(shown(path_), error));
        return false;
    }
    const Attempt a = attempt();
    if (a.fault != Fault::None) {
        fail(str(texts::journalVanishedNoFresh).arg(shown(path_), describe(a)));
        return false;
    }
    QSqlError sqlError;
    bool ok = insertSession();
    for (auto it = openRuns_.begin(); ok && it != openRuns_.end(); ++it)
        if (it->second.mark)
            ok = insertRun(*it->second.mark, it->second.startedUtc, &sqlError);
    if (!ok) {
        fail(str(texts::journalVanishedNoFresh).arg(shown(path_), reason(db_->db.lastError())));
        return false;
    }
    qWarning("journal: the file vanished; a fresh one carries on");
    replies_.notice(str(texts::journalVanished).arg(shown(path_)));
    return true;
}

void Writer::write(std::vector<Item> &batch)
{
    const bool writes = std::any_of(batch.begin(), batch.end(), [](const Item &i) {
        return !std::holds_alternative<ReadItem>(i) && !std::holds_alternative<FlushItem>(i);
    });
    if (db_ && writes && (!vanished() || recreate())) {
        // BEGIN and COMMIT as statements: their errors then carry SQLite's
        // code, which tells a full disk from other failures.
        QSqlError error;
        QSqlQuery q(db_->db);
        bool ok = q.exec(QStringLiteral("BEGIN IMMEDIATE"));
        if (!ok)
            error = q.lastError();
        for (size_t i = 0; ok && i < batch.size(); ++i)
            ok = writeOne(batch, i, &error);
        if (ok && !q.exec(QStringLiteral("COMMIT"))) {
            ok = false;
            error = q.lastError();
        }
        if (!ok) {
            q.exec(QStringLiteral("ROLLBACK"));
            failWriting(error);
        }
    }
    // Answered after the writes queued before them.
    for (Item &item : batch) {
        if (auto *r = std::get_if<ReadItem>(&item))
            read(*r);
        else if (auto *f = std::get_if<FlushItem>(&item))
            f->done->set_value();
    }
}

bool Writer::insertRun(const MarkItem &m, qint64 startedUtc, QSqlError *error)
{
    QSqlQuery &q = db_->insertRun;
    q.addBindValue(m.run);
    q.addBindValue(session_);
    q.addBindValue(startedUtc);
    q.addBindValue(m.utcMs);
    q.addBindValue(m.monoMs);
    q.addBindValue(session_);
    q.addBindValue(m.nextDueWallMs);
    q.addBindValue(snapshotText(m.snapshot));
    if (q.exec())
        return true;
    *error = q.lastError();
    return false;
}

bool Writer::writeOne(const std::vector<Item> &batch, size_t index, QSqlError *error)
{
    const Item &item = batch[index];
    QSqlQuery *q = nullptr;
    if (const auto *e = std::get_if<EventItem>(&item)) {
        q = &db_->insertEvent;
        q->addBindValue(session_);
        q->addBindValue(e->run ? QVariant(e->run) : QVariant());
        q->addBindValue(e->utcMs);
        q->addBindValue(zoneAt(e->utcMs));
        q->addBindValue(e->monoMs);
        q->addBindValue(QString::fromLatin1(e->kind));
        q->addBindValue(e->player ? QVariant(e->player) : QVariant());
        q->addBindValue(e->cueSource != CueSource::NotOpen ? QVariant(cueSourceName(e->cueSource)) : QVariant());
        for (const std::optional<int> &old : e->old)
            q->addBindValue(nullable(old));
        q->addBindValue(e->detail.isEmpty() ? QVariant() : QVariant(e->detail));
        for (int v : {e->ck, e->t, e->time1, e->time2, e->cycle, e->sw, e->fkc})
            q->addBindValue(v);
    } else if (const auto *o = std::get_if<OpenRunItem>(&item)) {
        openRuns_[o->mark.run] = OpenRun{o->mark.utcMs, o->mark};
        return insertRun(o->mark, o->mark.utcMs, error);
    } else if (const auto *m = std::get_if<MarkItem>(&item)) {
        if (auto it = openRuns_.find(m->run); it != openRuns_.end())
            it->second.mark = *m;
        // Only the latest mark of a run in one commit counts.
        for (size_t j = index + 1; j < batch.size(); ++j)
            if (const auto *later = std::get_if<MarkItem>(&batch[j]); later && later->run == m->run)
                return true;
        q = &db_->mark;
        q->addBindValue(m->utcMs);
        q->addBindValue(m->monoMs);
        q->addBindValue(session_);
        q->addBindValue(m->nextDueWallMs);
        q->addBindValue(snapshotText(m->snapshot));
        q->addBindValue(m->run);
    } else if (const auto *cue = std::get_if<CueItem>(&item)) {
        return writeCue(*cue, error);
    } else if (const auto *h = std::get_if<HoldItem>(&item)) {
        return writeHold(*h, error);
    } else if (const auto *c = std::get_if<CloseRunItem>(&item)) {
        openRuns_.erase(c->run);
        q = &db_->closeRun;
        q->addBindValue(QString::fromLatin1(c->state));
        q->addBindValue(c->utcMs);
        q->addBindValue(c->run);
    }
    if (!q || q->exec())
        return true;
    *error = q->lastError();
    return false;
}

bool Writer::writeCue(const CueItem &c, QSqlError *error)
{
    QSqlQuery q(db_->db);
    if (c.proof == CueProof::Sent || c.proof == CueProof::Resent) {
        q.prepare(QStringLiteral("UPDATE cue_reports SET sent = ?"
                                 " WHERE side = 'kept' AND room = ? AND due_utc_ms = ? AND player = ?"));
        q.addBindValue(c.proof == CueProof::Sent ? 1 : 0);
        q.addBindValue(c.cue.room);
        q.addBindValue(c.cue.dueMs);
        q.addBindValue(c.cue.player);
    } else {
        // Taken once: a report sent again finds its row there.
        q.prepare(QStringLiteral("INSERT OR IGNORE INTO cue_reports (side, room, due_utc_ms, player, question, second,"
                                 " started_utc_ms, offset_ms, cue_source, recorded_utc_ms)"
                                 " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        q.addBindValue(c.proof == CueProof::Kept ? QStringLiteral("kept") : QStringLiteral("taken"));
        // The controller's own cues have no room: '' rather than NULL.
        q.addBindValue(c.cue.room.isNull() ? QStringLiteral("") : c.cue.room);
        q.addBindValue(c.cue.dueMs);
        q.addBindValue(c.cue.player);
        q.addBindValue(c.cue.question);
        q.addBindValue(c.cue.second);
        q.addBindValue(c.cue.startedMs ? QVariant(c.cue.startedMs) : QVariant());
        q.addBindValue(c.cue.offsetMs);
        q.addBindValue(cueSourceName(c.cue.source));
        q.addBindValue(c.utcMs);
    }
    if (q.exec())
        return true;
    *error = q.lastError();
    return false;
}

QList<PlayedCue> Writer::unsentCues()
{
    QList<PlayedCue> out;
    QSqlQuery q(db_->db);
    q.prepare(QStringLiteral("SELECT room, due_utc_ms, player, question, second, started_utc_ms, offset_ms, cue_source"
                             " FROM cue_reports WHERE side = 'kept' AND sent = 0 AND due_utc_ms > ?"
                             " ORDER BY id LIMIT 5000"));
    q.addBindValue(QDateTime::currentMSecsSinceEpoch() - 86'400'000);
    if (!q.exec())
        return out;
    while (q.next())
        out << storedCue(q, 0);
    return out;
}

void Writer::failWriting(const QSqlError &error)
{
    fail(sqliteCode(error) == kFull ? str(texts::journalFull).arg(shown(path_))
                                    : str(texts::journalWriteFailed).arg(shown(path_), reason(error)));
}

void Writer::fail(const QString &notice)
{
    closeDb();
    off_ = true;
    qWarning("journal: stopped recording: %s", qPrintable(notice));
    replies_.notice(notice);
}

// ---- Reading ---------------------------------------------------------------

// The proof of the cues, run by run: one row per room and cue the
// controller took, one per cue of its own that a room reporting in that run
// did not report, and a line per room with its largest deviation.
QList<QStringList> Writer::cueRows(QString *error)
{
    QSqlQuery q(db_->db);
    q.setForwardOnly(true);
    // The run is the controller's one under way on the cue's second.
    if (!q.exec(QStringLiteral(
            "SELECT (SELECT id FROM runs WHERE started_utc_ms <= c.due_utc_ms + 1000"
            "        AND (closed_utc_ms IS NULL OR closed_utc_ms >= c.due_utc_ms) ORDER BY id DESC LIMIT 1),"
            " room, due_utc_ms, player, question, second, started_utc_ms, offset_ms, cue_source"
            " FROM cue_reports c WHERE side = 'taken' ORDER BY due_utc_ms, room, player"))) {
        *error = str(texts::recordReadFailed).arg(reason(q.lastError()));
        return {};
    }
    std::vector<RunCue> cues;
    while (q.next()) {
        RunCue c;
        c.run = q.value(0).toLongLong();
        c.cue = storedCue(q, 1);
        cues.push_back(c);
    }
    return proofRows(cues, &zoneAt);
}

// Each hold once: a room's own open one is brought up to date until it
// ends; one that ended is never written over.
bool Writer::writeHold(const HoldItem &h, QSqlError *error)
{
    QSqlQuery q(db_->db);
    q.prepare(QStringLiteral(
        "INSERT INTO holds (room, held_by, from_utc_ms, to_utc_ms, first_lost, last_lost, lost, open, released,"
        " question, held_part) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
        " ON CONFLICT(room, from_utc_ms) DO UPDATE SET held_by = excluded.held_by, to_utc_ms = excluded.to_utc_ms,"
        " first_lost = excluded.first_lost, last_lost = excluded.last_lost, lost = excluded.lost,"
        " open = excluded.open, released = excluded.released, question = excluded.question,"
        " held_part = excluded.held_part WHERE holds.open = 1"));
    const HoldEntry &e = h.hold;
    q.addBindValue(e.room);
    q.addBindValue(e.by);
    q.addBindValue(e.fromMs);
    q.addBindValue(e.toMs);
    q.addBindValue(e.firstLost);
    q.addBindValue(e.lastLost);
    q.addBindValue(e.lost ? QVariant(lostKey(*e.lost)) : QVariant());
    q.addBindValue(e.open ? 1 : 0);
    q.addBindValue(e.released ? 1 : 0);
    q.addBindValue(e.question);
    q.addBindValue(e.part);
    if (q.exec())
        return true;
    *error = q.lastError();
    return false;
}

namespace {
constexpr char kHoldColumns[] =
    "SELECT room, held_by, from_utc_ms, to_utc_ms, first_lost, last_lost, lost, open, released, question, held_part"
    " FROM holds";

// A row of kHoldColumns; lost that does not read back is taken as unknown.
HoldEntry storedHold(const QSqlQuery &q)
{
    HoldEntry h;
    h.room = q.value(0).toString();
    h.by = q.value(1).toString();
    h.fromMs = q.value(2).toLongLong();
    h.toMs = q.value(3).toLongLong();
    h.firstLost = q.value(4).toInt();
    h.lastLost = q.value(5).toInt();
    if (!q.value(6).isNull())
        h.lost = lostFromKey(q.value(6).toString());
    h.open = q.value(7).toInt() != 0;
    h.released = q.value(8).toInt() != 0;
    h.question = q.value(9).toInt();
    h.part = q.value(10).toInt();
    return h;
}
} // namespace

// The holds that ended: a room's own that still stands is no incident yet.
std::vector<HoldEntry> Writer::holds(QString *error)
{
    std::vector<HoldEntry> out;
    QSqlQuery q(db_->db);
    q.setForwardOnly(true);
    if (!q.exec(QLatin1String(kHoldColumns) + QLatin1String(" WHERE open = 0 ORDER BY room, from_utc_ms"))) {
        *error = str(texts::recordReadFailed).arg(reason(q.lastError()));
        return out;
    }
    while (q.next())
        out.push_back(storedHold(q));
    return out;
}

std::optional<HoldEntry> Writer::openHold()
{
    QSqlQuery q(db_->db);
    q.prepare(QLatin1String(kHoldColumns) +
              QLatin1String(" WHERE open = 1 AND from_utc_ms > ? ORDER BY from_utc_ms DESC, id DESC LIMIT 1"));
    q.addBindValue(nowUtc() - 86'400'000);
    if (!q.exec() || !q.next())
        return std::nullopt;
    const HoldEntry h = storedHold(q);
    // Bounds as for anything read: a part or question no run can have is no hold to take up.
    if (h.by != QLatin1String("room") && h.by != QLatin1String("controller"))
        return std::nullopt;
    if (h.part < 0 || h.part >= programme_limits::kMaxParts || h.question < 0 ||
        h.question > programme_limits::kMaxNumber)
        return std::nullopt;
    return h;
}

void Writer::read(const ReadItem &r)
{
    if (r.holds) {
        QString error = db_ ? QString() : str(texts::recordUnavailable);
        QList<QStringList> rows;
        if (db_)
            for (const HoldEntry &h : holds(&error))
                rows << holdCells(h, &zoneAt);
        if (error.isEmpty()) {
            QSaveFile f(r.csvFile);
            if (!f.open(QIODevice::WriteOnly) || f.write(csv(holdsHeader(), rows)) < 0 || !f.commit())
                error = f.errorString();
        }
        replies_.exported(r.csvFile, int(rows.size()), error);
        return;
    }
    QList<QStringList> rows;
    QString error;
    if (!db_) {
        error = str(texts::recordUnavailable);
    } else {
        QSqlQuery q(db_->db);
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("SELECT run, utc_ms, zone_offset_s, kind, player, cue_source, detail, old_time1,"
                                   " old_time2, old_cycle, old_fkc, ck, t, time1, time2, cycle, fkc"
                                   " FROM events ORDER BY id"))) {
            error = str(texts::recordReadFailed).arg(reason(q.lastError()));
        }
        while (error.isEmpty() && q.next()) {
            StoredEvent e;
            e.run = q.value(0).toLongLong();
            e.utcMs = q.value(1).toLongLong();
            e.zoneOffsetS = q.value(2).toInt();
            e.kind = q.value(3).toString();
            e.player = q.value(4).toInt();
            e.cueSource = storedCueSource(q.value(5).toString());
            e.detail = q.value(6).toString();
            for (int i = 0; i < 4; ++i)
                e.old[i] = optionalInt(q.value(7 + i));
            e.ck = q.value(11).toInt();
            e.t = q.value(12).toInt();
            e.time1 = q.value(13).toInt();
            e.time2 = q.value(14).toInt();
            e.cycle = q.value(15).toInt();
            e.fkc = q.value(16).toInt();
            rows << recordCells(e);
        }
    }
    if (error.isEmpty())
        rows << cueRows(&error);
    if (error.isEmpty())
        for (const HoldEntry &h : holds(&error))
            rows << holdRecordRow(h, &zoneAt);
    if (r.csvFile.isEmpty()) {
        replies_.record(rows, error);
        return;
    }
    if (error.isEmpty()) {
        // All or nothing: a half-written file never replaces one already there.
        QSaveFile f(r.csvFile);
        if (!f.open(QIODevice::WriteOnly) || f.write(csv(recordHeader(), rows)) < 0 || !f.commit())
            error = f.errorString();
    }
    replies_.exported(r.csvFile, int(rows.size()), error);
}

} // namespace tavrin::journal
