#include "holds.h"

#include "record.h"
#include "texts.h"

namespace tavrin::journal {

namespace {
using texts::str;

QString byName(const QString &by)
{
    return str(by == QLatin1String("room") ? texts::holdByRoomOther : texts::holdByController);
}
} // namespace

QString lostQuestions(const HoldEntry &h)
{
    return h.lost ? lostText(*h.lost) : lostText(h.firstLost, h.lastLost);
}

QStringList holdsHeader()
{
    QStringList h;
    for (const char *c : texts::holdsColumns)
        h << texts::recordColumn(c);
    return h;
}

QStringList holdCells(const HoldEntry &h, int (*zoneAt)(qint64))
{
    return {h.room, localTime(h.fromMs, zoneAt(h.fromMs)), localTime(h.toMs, zoneAt(h.toMs)),
            lostQuestions(h), byName(h.by)};
}

QStringList holdRecordRow(const HoldEntry &h, int (*zoneAt)(qint64))
{
    const QStringList c = holdCells(h, zoneAt);
    const QString detail = str(texts::holdRecord).arg(c[0], c[1], c[2], c[3], c[4]);
    return {QString(), c[1], str(texts::holdEvent), QString::number(qMax(0, h.firstLost)), QString(), QString(),
            QString(), QString(), detail};
}

} // namespace tavrin::journal
