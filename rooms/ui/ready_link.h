#pragma once

// Readiness before a run: a room puts what it can say of itself (its room
// display, its journal, its last sound check) in its status, and runs its
// sound check when its controller asks for one; the controller asks every
// room at once and records each room's result.

#include "protocol.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <array>
#include <functional>

namespace tavrin::rooms {

class Member;
class RoomsUi;

// A time of day as the rooms' windows show it; "-" for none (0).
QString clockTime(qint64 ms);

// What the program lends the link, as functions: the rooms' part knows
// nothing of the window's other parts.
struct ReadySeams {
    std::function<QString()> screen;       // the room display's screen; empty when closed
    std::function<bool()> journalWritable;
    std::function<bool()> mayCheck;        // no run under way
    std::function<void()> runCheck;        // starts the sound check (F6)
    std::function<bool()> checking;
    std::function<qint64()> lastCheckMs;   // this machine's clock; 0: none yet
    std::function<std::array<CueSource, 4>()> played;
};

class ReadyLink : public QObject {
    Q_OBJECT
public:
    // Gaps: between two requests the controller sends, and between two checks
    // a room runs for its controller; a request older than kAskAgeMs is stale.
    static constexpr qint64 kAskGapMs = 20000;
    static constexpr qint64 kAskAgeMs = 60000;

    ReadyLink(RoomsUi &rooms, ReadySeams seams, QObject *parent = nullptr);

    // Something the readiness shows changed (a check ended, the display
    // opened): a room says so at once.
    void changed();
    // The controller: every room is asked to run its sound check. Empty, or
    // why not (the operator is told).
    QString ask();

private:
    void attach(Member *member);
    void received(const QString &topic, const QByteArray &body);
    void recordChecks();
    Readiness readiness() const;

    RoomsUi &rooms_;
    ReadySeams seams_;
    QPointer<Member> member_;
    qint64 lastAskMs_ = 0;        // the controller: when it last asked
    QHash<QString, qint64> refusalNotedMs_; // a room: when a refusal's reason was last written
    qint64 lastTakenAtMs_ = 0;    // a room: the last request taken, on the controller's clock
    qint64 lastRunMs_ = 0;        // a room: when it last ran a check for its controller
    qint64 startedMs_ = 0;
    QHash<QString, qint64> recorded_; // the controller: each room's check already recorded
};

// A room's readiness line for the board, and whether the room is ready.
QString readinessText(const RoomStatus &s, bool heardLately, bool *ready);

} // namespace tavrin::rooms
