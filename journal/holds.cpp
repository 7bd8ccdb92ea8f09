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

QString lostQuestions(int first, int last)
{
    if (last < first || last <= 0)
        return str(texts::holdLostNone);
    return first == last ? str(texts::holdLostOne).arg(first) : str(texts::holdLostRange).arg(first).arg(last);
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
            lostQuestions(h.firstLost, h.lastLost), byName(h.by)};
}

QStringList holdRecordRow(const HoldEntry &h, int (*zoneAt)(qint64))
{
    const QStringList c = holdCells(h, zoneAt);
    const QString detail = str(texts::holdRecord).arg(c[0], c[1], c[2], c[3], c[4]);
    return {QString(), c[1], str(texts::holdEvent), QString::number(qMax(0, h.firstLost)), QString(), QString(),
            QString(), QString(), detail};
}

} // namespace tavrin::journal
