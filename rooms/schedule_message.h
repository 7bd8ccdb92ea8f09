#pragma once

// The start at a time of day of an examination, as the controller publishes
// it (retained, on tavrin/EXAM/schedule): the instant on the controller's
// clock, or none. See PROTOCOL.md.

#include "protocol.h"

namespace tavrin::rooms {

struct ScheduleMessage {
    QString from;
    qint64 startMs = 0; // the controller's wall clock; 0: no start is set
    qint64 atMs = 0;    // when it was set (controller's clock): a newer one replaces an older for good
    friend bool operator==(const ScheduleMessage &, const ScheduleMessage &) = default;
};

QString scheduleTopic(const QString &exam);
QByteArray writeSchedule(const QString &exam, const ScheduleMessage &m);
// A start is taken only within a day of the reader's clock (nowMs), from a
// controller, for this examination.
Reading<ScheduleMessage> readSchedule(QByteArrayView payload, const QString &exam, qint64 nowMs);

} // namespace tavrin::rooms
