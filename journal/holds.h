#pragma once

// The holds of rooms, as the record keeps them and the operator reads them:
// one line a hold in the record, and a CSV of incidents of its own.

#include "lost_questions.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tavrin::journal {

struct HoldEntry {
    QString room;
    QString by;       // "controller" or "room"
    qint64 fromMs = 0; // on the controller's clock
    qint64 toMs = 0;
    int firstLost = 0; // the questions that went by without the room; none when lastLost < firstLost
    int lastLost = 0;
    // Every question lost, block by block; none from a journal of an older
    // version, where firstLost..lastLost of the block it was held in say it.
    std::optional<std::vector<LostQuestions>> lost;
    // A room's own hold not ended yet: where it stands, for a restart.
    bool open = false;
    bool released = false;
    int question = 0; // held in
    int part = 0;     // the part of the run it was held in
};

QString lostQuestions(const HoldEntry &h);
QStringList holdsHeader();
// zoneAt gives the zone offset (s) of a moment.
QStringList holdCells(const HoldEntry &h, int (*zoneAt)(qint64 utcMs));
// The same hold as a line of the record (its columns).
QStringList holdRecordRow(const HoldEntry &h, int (*zoneAt)(qint64 utcMs));

} // namespace tavrin::journal
