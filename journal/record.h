#pragma once

#include "ports.h"
#include "run_snapshot.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace tavrin::journal {

// One event as the journal keeps it.
struct StoredEvent {
    qint64 run = 0; // 0: outside any run
    qint64 utcMs = 0;
    int zoneOffsetS = 0;
    QString kind;
    int player = 0;
    CueSource cueSource = CueSource::NotOpen;
    QString detail;
    std::array<std::optional<int>, 4> old{}; // time1, time2, cycle, fkc before the change
    int ck = 0;
    int t = 0;
    int time1 = 0;
    int time2 = 0;
    int cycle = 0;
    int fkc = 0;
};

// A cue's source as either table of the journal holds it (cueSourceKey);
// NotOpen for none. Older journals wrote "built-in" in their events.
CueSource storedCueSource(const QString &key);

// The record as the operator reads it, in the window and in the CSV file.
QStringList recordHeader();
QStringList recordCells(const StoredEvent &e);
// "2024-05-01 10:23:45.123 +09:00": the local time of the place and moment
// the event was recorded.
QString localTime(qint64 utcMs, int zoneOffsetS);

// A cue the controller took, with the run it falls in (0: none).
struct RunCue {
    qint64 run = 0;
    PlayedCue cue;
};
// The proof of the cues as record rows, from the cues sorted by due time:
// one row per room and cue (played, played unheard, or not reported while
// the controller played it), then per run a line per room with its largest
// deviation. zoneAt gives the zone offset (s) of a moment.
QList<QStringList> proofRows(const std::vector<RunCue> &cues, int (*zoneAt)(qint64 utcMs));

// RFC 4180 with CR LF, UTF-8 with a byte order mark so that a Japanese
// spreadsheet reads it as UTF-8.
QByteArray csv(const QStringList &header, const QList<QStringList> &rows);

// A snapshot as the journal stores it, and back; nullopt for text that does
// not hold one (values out of range included).
QString snapshotText(const RunSnapshot &s);
std::optional<RunSnapshot> snapshotFromText(const QString &text);

} // namespace tavrin::journal
