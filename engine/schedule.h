#pragma once

// A start at a time of day: the arithmetic alone, on a clock and a time zone
// that the caller hands in, so that it can be checked without waiting.

#include <QString>
#include <QTimeZone>
#include <QtGlobal>

#include <optional>

namespace tavrin::schedule {

// The earliest a start may be set ahead of now: the clock must be put on
// the start's grid before that second comes.
inline constexpr qint64 kMinLeadMs = 2000;
// A start further away than this (or one found in a journal that long
// after it) is no start of today's examination.
inline constexpr qint64 kMaxAheadMs = 24LL * 3600 * 1000;

// "HH:MM" or "HH:MM:SS" (0..23, 0..59, 0..59; ASCII or full-width digits,
// blanks around it): the second of the day, or nothing.
std::optional<int> parseTimeOfDay(const QString &text);

struct Plan {
    qint64 startMs = 0; // wall clock, ms since the epoch, on a whole second
    QString refusal;    // empty when startMs holds
    bool ok() const { return refusal.isEmpty(); }
};

// The start at secondOfDay today, in zone, as it stands at nowMs. A time
// that has passed (or is less than kMinLeadMs ahead) is refused: "today"
// never silently means tomorrow.
Plan planToday(int secondOfDay, qint64 nowMs, const QTimeZone &zone);
// The same from the text the operator typed.
Plan planToday(const QString &text, qint64 nowMs, const QTimeZone &zone);

// Whole seconds still to wait (rounded up, so 0 only at or after the start).
qint64 secondsLeft(qint64 startMs, qint64 nowMs);
// "12:34" below an hour, "1:02:03" from there on.
QString countdown(qint64 seconds);
// The start as the operator reads it: "HH:MM:SS" in zone.
QString clockText(qint64 startMs, const QTimeZone &zone);

// This machine's time zone. Where it cannot be had (no zone data installed,
// as in a bare container), the C library's offset from UTC now: otherwise
// every time of day would be invalid, and every start refused.
QTimeZone localZone();

// What a program started at nowMs does with a start it finds journalled.
enum class OnRestart {
    Keep,    // still ahead: wait for it again
    CarryOn, // passed while the program was not running: offer the run that started then
    Drop,    // passed so long ago that its run is over (or the entry is no start of today)
};
OnRestart onRestart(qint64 startMs, qint64 nowMs, qint64 runLengthMs);

} // namespace tavrin::schedule
