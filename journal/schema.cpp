#include "schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace tavrin::journal {

namespace {

// Version 1: one row per program start, one per run with its latest mark of
// life (where it stood and when its next tick was due), one per event.
const char *const kVersion1[] = {
    "CREATE TABLE sessions ("
    " id INTEGER PRIMARY KEY,"
    " started_utc_ms INTEGER NOT NULL,"
    " zone_offset_s INTEGER NOT NULL,"
    " version TEXT NOT NULL,"
    " pid INTEGER NOT NULL)",
    "CREATE TABLE runs ("
    " id INTEGER PRIMARY KEY,"
    " session INTEGER NOT NULL,"
    " started_utc_ms INTEGER NOT NULL,"
    " state TEXT NOT NULL DEFAULT 'open'," // open, ended, reset, abandoned, aborted
    " closed_utc_ms INTEGER,"
    " mark_utc_ms INTEGER,"
    " mark_mono_ms INTEGER,"
    " mark_session INTEGER,"
    " next_due_utc_ms INTEGER,"
    " snapshot TEXT)",
    "CREATE TABLE events ("
    " id INTEGER PRIMARY KEY,"
    " session INTEGER NOT NULL,"
    " run INTEGER,"
    " utc_ms INTEGER NOT NULL,"
    " zone_offset_s INTEGER NOT NULL,"
    " mono_ms INTEGER NOT NULL,"
    " kind TEXT NOT NULL,"
    " player INTEGER,"
    " cue_source TEXT,"
    " old_time1 INTEGER, old_time2 INTEGER, old_cycle INTEGER, old_fkc INTEGER,"
    " detail TEXT,"
    " ck INTEGER NOT NULL, t INTEGER NOT NULL,"
    " time1 INTEGER NOT NULL, time2 INTEGER NOT NULL, cycle INTEGER NOT NULL,"
    " sw INTEGER NOT NULL, fkc INTEGER NOT NULL)",
    "CREATE INDEX events_by_run ON events(run)",
    "CREATE INDEX runs_by_state ON runs(state)",
    nullptr,
};

// Version 2: the proof of each cue. A room keeps every cue it played until
// it was sent to the controller ('kept'); the controller has every cue
// taken, its own (room '') and the rooms' reports ('taken'), each once.
// Times on the controller's clock; started_utc_ms null: nothing was heard.
const char *const kVersion2[] = {
    "CREATE TABLE cue_reports ("
    " id INTEGER PRIMARY KEY,"
    " side TEXT NOT NULL,"
    " room TEXT NOT NULL,"
    " due_utc_ms INTEGER NOT NULL,"
    " player INTEGER NOT NULL,"
    " question INTEGER NOT NULL,"
    " second INTEGER NOT NULL,"
    " started_utc_ms INTEGER,"
    " offset_ms REAL NOT NULL,"
    " cue_source TEXT NOT NULL,"
    " recorded_utc_ms INTEGER NOT NULL,"
    " sent INTEGER NOT NULL DEFAULT 0,"
    " UNIQUE(side, room, due_utc_ms, player))",
    nullptr,
};

// Version 3: the holds of rooms, each once: who held which room from when
// to when (the controller's clock), and the questions it lost.
const char *const kVersion3[] = {
    "CREATE TABLE holds ("
    " id INTEGER PRIMARY KEY,"
    " room TEXT NOT NULL,"
    " held_by TEXT NOT NULL,"
    " from_utc_ms INTEGER NOT NULL,"
    " to_utc_ms INTEGER NOT NULL,"
    " first_lost INTEGER NOT NULL,"
    " last_lost INTEGER NOT NULL,"
    " UNIQUE(room, from_utc_ms))",
    nullptr,
};

// Version 4: every question a hold lost, block by block ("part:first-last"
// joined by spaces; NULL in rows of version 3, where first_lost..last_lost
// of the block it was held in say it), and a room's own hold while it
// stands (open), so that the room comes back held after a restart.
const char *const kVersion4[] = {
    "ALTER TABLE holds ADD COLUMN lost TEXT",
    "ALTER TABLE holds ADD COLUMN open INTEGER NOT NULL DEFAULT 0",
    "ALTER TABLE holds ADD COLUMN released INTEGER NOT NULL DEFAULT 0",
    "ALTER TABLE holds ADD COLUMN question INTEGER NOT NULL DEFAULT 0",
    "ALTER TABLE holds ADD COLUMN held_part INTEGER NOT NULL DEFAULT 0",
    nullptr,
};

const Step kSteps[] = {kVersion1, kVersion2, kVersion3, kVersion4};

QString lastError(const QSqlQuery &q)
{
    return q.lastError().text();
}

} // namespace

std::span<const Step> steps()
{
    return kSteps;
}

Migration migrate(QSqlDatabase &db, std::span<const Step> list)
{
    Migration m;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        m.error = lastError(q);
        return m;
    }
    m.from = m.to = q.value(0).toInt();
    const int target = static_cast<int>(list.size());
    if (m.from > target) {
        m.error = QStringLiteral("version %1 is newer than %2").arg(m.from).arg(target);
        return m;
    }
    for (int v = m.from; v < target; ++v) {
        if (!db.transaction()) {
            m.error = db.lastError().text();
            return m;
        }
        bool ok = true;
        for (Step s = list[v]; ok && *s; ++s) {
            ok = q.exec(QString::fromUtf8(*s));
            if (!ok)
                m.error = lastError(q);
        }
        if (ok) {
            ok = q.exec(QStringLiteral("PRAGMA user_version = %1").arg(v + 1)) &&
                 q.exec(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId));
            if (!ok)
                m.error = lastError(q);
        }
        q.finish();
        if (!ok || !db.commit()) {
            if (ok)
                m.error = db.lastError().text();
            db.rollback();
            return m;
        }
        m.to = v + 1;
    }
    m.ok = true;
    return m;
}

} // namespace tavrin::journal
