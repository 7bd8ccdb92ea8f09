#include "schedule_message.h"

#include "schedule.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace tavrin::rooms {

QString scheduleTopic(const QString &exam)
{
    return Topics(exam).schedule();
}

QByteArray writeSchedule(const QString &exam, const ScheduleMessage &m)
{
    const QJsonObject o{{u"v"_qs, kVersion},   {u"kind"_qs, u"schedule"_qs}, {u"exam"_qs, exam},
                        {u"from"_qs, m.from},  {u"start"_qs, double(m.startMs)},
                        {u"at"_qs, double(m.atMs)}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

Reading<ScheduleMessage> readSchedule(QByteArrayView payload, const QString &exam, qint64 nowMs)
{
    Reading<ScheduleMessage> r;
    auto refuse = [&r](Refusal why, const QString &detail) {
        r.refusal = why;
        r.detail = detail;
        return r;
    };
    if (payload.size() > kMaxPayload)
        return refuse(Refusal::TooLarge, QString::number(payload.size()));
    const QJsonDocument d = QJsonDocument::fromJson(payload.toByteArray());
    if (!d.isObject())
        return refuse(Refusal::Malformed, u"schedule"_qs);
    const QJsonObject o = d.object();
    if (!o.value(u"v"_qs).isDouble() || o.value(u"v"_qs).toDouble() != kVersion)
        return refuse(Refusal::OtherVersion, o.value(u"v"_qs).toVariant().toString());
    if (o.value(u"kind"_qs).toString() != u"schedule"_qs || !o.value(u"from"_qs).isString() ||
        !o.value(u"start"_qs).isDouble() || !o.value(u"at"_qs).isDouble())
        return refuse(Refusal::Malformed, u"schedule"_qs);
    if (o.value(u"exam"_qs).toString() != exam)
        return refuse(Refusal::OtherExam, o.value(u"exam"_qs).toString());
    ScheduleMessage m;
    m.from = o.value(u"from"_qs).toString();
    if (!isControllerId(m.from))
        return refuse(Refusal::NotFromController, m.from.left(kMaxNameLength));
    const double start = o.value(u"start"_qs).toDouble();
    // Whole milliseconds within a day of now, or 0.
    if (start != 0 && (start != std::floor(start) || std::abs(start - double(nowMs)) > double(schedule::kMaxAheadMs)))
        return refuse(Refusal::BadValue, u"start"_qs);
    m.startMs = static_cast<qint64>(start);
    const double at = o.value(u"at"_qs).toDouble();
    if (at < 0 || at != std::floor(at) || std::abs(at - double(nowMs)) > double(schedule::kMaxAheadMs))
        return refuse(Refusal::BadValue, u"at"_qs);
    m.atMs = static_cast<qint64>(at);
    r.message = m;
    return r;
}

} // namespace tavrin::rooms
