#pragma once

// The day's timetable for the examiners and the doors of the rooms: each
// block's first and last question, each break and the end, in clock times
// from a start at a time of day (or from "start + 0" while none is set).
// Shown in a dialog (Shift+F4) and written as PDF or CSV.

#include "programme.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QTimeZone;

namespace tavrin {

class FramePort;
class ProgrammeChoice;

struct TimetableRow {
    enum class Kind { FirstQuestion, LastQuestion, Break, End };
    Kind kind = Kind::End;
    int part = 0;     // the part, 1 = the first
    int block = 0;    // the block it is or follows, 1 = the first
    int question = 0; // within its block
    qint64 from = 0;  // seconds from the start
    qint64 to = 0;    // the same, its end (the end's row: from)
    QString banner;   // a break's
};

// Question k of a block starts at the block's start + (k-1) x (reading +
// answer + move), its reading first; a block of one question has one row.
std::vector<TimetableRow> timetableRows(const Programme &programme);

// A row's time: "HH:MM:SS" from a start (ms since the epoch) in zone, or
// "+H:MM:SS" after the start when none is set.
QString timetableTime(qint64 seconds, std::optional<qint64> startMs, const QTimeZone &zone);
// What stands in a row's first column.
QString timetableLabel(const TimetableRow &row);

// The same as a table: CSV (UTF-8 with a BOM) and HTML (for the PDF).
QByteArray timetableCsv(const Programme &programme, std::optional<qint64> startMs, const QTimeZone &zone);
QString timetableHtml(const Programme &programme, std::optional<qint64> startMs, const QTimeZone &zone);
// Writes the PDF in one step; empty on success, otherwise why not.
QString writeTimetablePdf(const QString &path, const Programme &programme, std::optional<qint64> startMs,
                          const QTimeZone &zone);

// The menu entry and its dialog.
class Timetable : public QObject {
    Q_OBJECT
public:
    // Of the programme chosen, or with none of the three boxes' one block;
    // start: the start at a time of day, if one is set.
    Timetable(FramePort &frame, const ProgrammeChoice &choice, std::function<Programme()> boxes,
              std::function<std::optional<qint64>()> start, QObject *parent = nullptr);

    void addActionTo(FramePort &frame);
    void show();

private:
    FramePort &frame_;
    const ProgrammeChoice &choice_;
    std::function<Programme()> boxes_;
    std::function<std::optional<qint64>()> start_;
};

} // namespace tavrin
