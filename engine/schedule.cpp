#include "schedule.h"

#include "texts.h"

#include <QDateTime>
#include <QRegularExpression>

namespace tavrin::schedule {

std::optional<int> parseTimeOfDay(const QString &text)
{
    // Full-width digits and colons, as a Japanese input method gives them.
    QString t = text.trimmed();
    for (QChar &c : t) {
        if (c.unicode() >= u'０' && c.unicode() <= u'９')
            c = QChar(u'0' + (c.unicode() - u'０'));
        else if (c == u'：')
            c = u':';
    }
    static const QRegularExpression form(QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?$"));
    const QRegularExpressionMatch m = form.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    const int h = m.captured(1).toInt();
    const int min = m.captured(2).toInt();
    const int s = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    if (h > 23 || min > 59 || s > 59)
        return std::nullopt;
    return h * 3600 + min * 60 + s;
}

Plan planToday(int secondOfDay, qint64 nowMs, const QTimeZone &zone)
{
    using texts::str;
    Plan p;
    if (secondOfDay < 0 || secondOfDay >= 24 * 3600) {
        p.refusal = str(texts::startAtUnreadable).arg(secondOfDay);
        return p;
    }
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(nowMs, zone);
    const QDateTime at(now.date(), QTime(0, 0).addSecs(secondOfDay), zone);
    const QString wanted = QTime(0, 0).addSecs(secondOfDay).toString(QStringLiteral("HH:mm:ss"));
    // A time that a change of the clocks skips today does not exist.
    if (!at.isValid() || at.time() != QTime(0, 0).addSecs(secondOfDay)) {
        p.refusal = str(texts::startAtPassed).arg(wanted, now.toString(QStringLiteral("HH:mm:ss")));
        return p;
    }
    const qint64 startMs = at.toMSecsSinceEpoch();
    if (startMs - nowMs < kMinLeadMs) {
        p.refusal = str(texts::startAtPassed).arg(wanted, now.toString(QStringLiteral("HH:mm:ss")));
        return p;
    }
    p.startMs = startMs;
    return p;
}

Plan planToday(const QString &text, qint64 nowMs, const QTimeZone &zone)
{
    const std::optional<int> s = parseTimeOfDay(text);
    if (!s) {
        Plan p;
        p.refusal = texts::str(texts::startAtUnreadable).arg(text);
        return p;
    }
    return planToday(*s, nowMs, zone);
}

qint64 secondsLeft(qint64 startMs, qint64 nowMs)
{
    const qint64 left = startMs - nowMs;
    return left <= 0 ? 0 : (left + 999) / 1000;
}

QString countdown(qint64 seconds)
{
    const qint64 h = seconds / 3600;
    const qint64 m = seconds / 60 % 60;
    const qint64 s = seconds % 60;
    const QLatin1Char zero('0');
    if (h > 0)
        return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, zero).arg(s, 2, 10, zero);
    return QStringLiteral("%1:%2").arg(m, 2, 10, zero).arg(s, 2, 10, zero);
}

QString clockText(qint64 startMs, const QTimeZone &zone)
{
    return QDateTime::fromMSecsSinceEpoch(startMs, zone).toString(QStringLiteral("HH:mm:ss"));
}

QTimeZone localZone()
{
    const QTimeZone zone = QTimeZone::systemTimeZone();
    if (zone.isValid())
        return zone;
    return QTimeZone(QDateTime::currentDateTime().offsetFromUtc());
}

OnRestart onRestart(qint64 startMs, qint64 nowMs, qint64 runLengthMs)
{
    if (startMs > nowMs)
        return startMs - nowMs <= kMaxAheadMs ? OnRestart::Keep : OnRestart::Drop;
    const qint64 since = nowMs - startMs;
    return since < runLengthMs && since <= kMaxAheadMs ? OnRestart::CarryOn : OnRestart::Drop;
}

} // namespace tavrin::schedule
