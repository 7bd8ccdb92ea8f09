#pragma once

// A start at a time of day in the journal: an event "schedule" whose detail
// is the instant (ISO 8601 with the zone's offset), "unschedule" when it is
// cancelled; the run's start (or a run taken over) uses it up.

#include <QString>

#include <optional>

namespace tavrin {

inline constexpr char kScheduleKind[] = "schedule";
inline constexpr char kUnscheduleKind[] = "unschedule";

QString scheduleDetail(qint64 startMs);
// The start that the journal at path holds and that nothing has used up or
// cancelled since; read on a connection of its own, beside the writer's.
std::optional<qint64> journalledStart(const QString &path);

} // namespace tavrin
