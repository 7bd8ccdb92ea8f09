#include "schedule_record.h"

#include <QDateTime>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace tavrin {

QString scheduleDetail(qint64 startMs)
{
    return QDateTime::fromMSecsSinceEpoch(startMs).toOffsetFromUtc(QDateTime::fromMSecsSinceEpoch(startMs).offsetFromUtc())
        .toString(Qt::ISODateWithMs);
}

std::optional<qint64> journalledStart(const QString &path)
{
    if (!QFile::exists(path))
        return std::nullopt;
    std::optional<qint64> found;
    const QString name = QStringLiteral("tavrin-schedule-read");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("SELECT kind, detail FROM events WHERE kind IN "
                                      "('schedule', 'unschedule', 'start', 'adopted') ORDER BY id DESC LIMIT 1")) &&
                q.next() && q.value(0).toString() == QLatin1String(kScheduleKind)) {
                const QDateTime at = QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs);
                if (at.isValid())
                    found = at.toMSecsSinceEpoch();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return found;
}

} // namespace tavrin
