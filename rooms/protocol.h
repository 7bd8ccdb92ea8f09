#pragma once

// What the members of an examination say to each other over the broker: the
// topics, and the payloads as plain values. Writing and reading are pure
// functions; a reader takes nothing on trust (see PROTOCOL.md).

#include "lost_questions.h"
#include "ports.h"
#include "run_snapshot.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

namespace tavrin::rooms {

inline constexpr int kVersion = 2;
// Every payload of this version fits easily; anything larger is refused
// before it is parsed.
inline constexpr qsizetype kMaxPayload = 4096;
// What a member announces to the broker as the largest packet it takes: the
// largest payload with its topic and properties.
inline constexpr int kMaxPacket = 6144;
inline constexpr int kPeriodMs = 1000;
inline constexpr int kMaxNameLength = 40;
// A leading controller says so again this often; a presence that says it
// leads and is older than kPresenceFreshMs is a replay, not a controller.
inline constexpr int kPresenceEveryMs = 10'000;
inline constexpr qint64 kPresenceFreshMs = 4 * kPresenceEveryMs;
// How far two members' clocks may lie apart: no time a member names may
// lie further ahead of the reader's now than this.
inline constexpr qint64 kClockBoundMs = 60'000;
// A room says its status at least this often; an older one that says it is
// there is a replay of a room that may be gone.
inline constexpr qint64 kStatusFreshMs = 20'000;
// A room's correction of its speaker's delay, in whole ms either way: beyond
// it, the speaker is not one a cue can be timed on.
inline constexpr int kMaxSpeakerDelayMs = 2000;

// An examination's or a room's name: 1 to 40 characters, none of them a
// control character or one that MQTT gives a meaning in topics (/ + #), and
// no blank at either end.
bool validName(const QString &name);

// A member's identity for one run of the program: "c-" (controller) or "r-"
// (room) and 16 hexadecimal digits.
QString newMemberId(bool controller);
bool isControllerId(const QString &id);
bool isRoomId(const QString &id);

class Topics {
public:
    explicit Topics(const QString &exam);
    QString controller() const;              // presence of the controller
    QString state() const;                   // the run as it stands
    QString clock() const;                   // a room asks the time
    QString roomStatus(const QString &room) const;
    QString allRoomStatus() const;           // subscription filter
    QString roomClock(const QString &room) const; // the answer to a room
    QString schedule() const;                // the start at a time of day (retained)
    QString soundCheck() const;              // the controller asks every room for its sound check
    QString roomCues(const QString &room) const;  // the cues a room played
    QString allRoomCues() const;                  // subscription filter
    QString roomHold(const QString &room) const;  // the controller holds a room, or releases it
    QString allRoomHold() const;                  // the private broker's grant
    QString roomSpeaker(const QString &room) const; // the controller sets a room's speaker correction
    QString allRoomSpeaker() const;                 // the private broker's grant
    enum class Leaf { Status, Clock, Cues };
    // The room a status, clock or cues topic of this examination is about.
    std::optional<QString> roomOf(const QString &topic, Leaf leaf = Leaf::Status) const;

private:
    QString root_;
};

enum class Refusal {
    TooLarge,          // larger than kMaxPayload
    Malformed,         // not a JSON object, or a field missing or of the wrong type
    OtherVersion,      // v is not kVersion
    OtherExam,         // about another examination, or another room
    NotFromController, // a state or time that a controller did not send
    BadValue,          // a value that the run cannot hold
    Unsigned,          // no signature, or one that is not of the key the kind needs
    Replayed,          // an older run, a seq not newer or too far ahead, an answer to no question
    TooMany,           // more than a sender may send, or more rooms than are listed
    OtherController,   // a second controller, while the one followed leads
    OtherKey,          // a room's message under a key other than the one approved for it
    OwnName,           // in the controller's own name, and not sent by it
};

template <typename T>
struct Reading {
    std::optional<T> message;
    Refusal refusal = Refusal::Malformed;
    QString detail; // which field, in plain words, for the record
    bool ok() const { return message.has_value(); }
};

// Why the controller published the state: a room replays an operator's
// action on its own engine, so that it shows exactly what the controller
// shows; for the rest it takes the state as it is.
// Abort: the operator closed the controller's window during the run, which
// ends it for good; run is where a reset would have left it.
enum class StateEvent { Sync, Tick, Start, Pause, Resume, Reset, TimeEntry, FontFactor, End, Adopted, Abort };

struct StateMessage {
    QString from;            // the controller's id
    qint64 seq = 0;          // grows with every state the controller sends
    StateEvent event = StateEvent::Sync;
    qint64 dueMs = 0;        // the controller's wall clock: when the last tick in run was due
    RunSnapshot run;
    friend bool operator==(const StateMessage &, const StateMessage &) = default;
};

struct PresenceMessage {
    QString from;
    bool online = false;
    qint64 sinceMs = 0;  // when it began to lead, or when it came online
    bool leading = false;
    QString host;        // the machine, for the operator of another controller
    QString over;        // the controller it took the lead from on purpose, or empty
    qint64 atMs = 0;     // when it was sent (sent again every kPresenceEveryMs while it leads); 0: the will
    friend bool operator==(const PresenceMessage &, const PresenceMessage &) = default;
};

// How a member keeps its time: what its system clock's keeper (chrony,
// timesyncd) says of it, and for a room whether it keeps that clock instead
// of the exchange through the broker. Absent from older members (known false).
struct ClockKeeping {
    bool known = false;
    bool synchronised = false;
    double errorMs = 0;  // the kernel's estimated error
    QString keeper;      // "chrony", "systemd-timesyncd", "ntp" or empty
    bool system = false; // a room: its offset is the system clocks' (zero)
    int distrust = 0;    // a room: why a synchronised clock is not kept (Distrust)
    friend bool operator==(const ClockKeeping &, const ClockKeeping &) = default;
};

// What a room says of its readiness before a run; absent from the statuses
// of older rooms (known false).
struct Readiness {
    bool known = false;
    QString screen;              // the screen its room display is open on; empty: closed
    bool journalWritable = false;
    bool checking = false;       // a sound check is under way
    qint64 checkMs = 0;          // when the last sound check ended (controller's time line); 0: none yet
    std::array<CueSource, 4> heard{}; // what each cue played then; NotOpen: not heard
    int speakerDelayMs = 0;           // the room's own correction of its speaker's delay
    int sinkLatencyMs = -1;           // the delay its sound server reports; -1: none reported
    QString sinkRisk;                 // "bluetooth", "network" (a delay that varies) or empty
    friend bool operator==(const Readiness &, const Readiness &) = default;
};

enum class HoldBy { Controller, Room };
QString holdByName(HoldBy by); // "controller", "room"

// What a room says of its hold in its status, every time on the
// controller's time line. Absent from the statuses of rooms not held.
struct HoldView {
    bool held = false;
    HoldBy by = HoldBy::Controller;
    qint64 sinceMs = 0;
    int question = 0;     // the question it was held in (0: before any)
    bool released = false;
    qint64 rejoinMs = 0;  // the tick it rejoins on; 0: not known yet (the run is not running)
    int lastLost = 0;     // the last question it loses by then in the block it was held in (below question: none)
    // Every question it loses by then, block by block; from an older room
    // (no such field), question..lastLost of the block it was held in.
    std::vector<LostQuestions> lost;
    friend bool operator==(const HoldView &, const HoldView &) = default;
};

struct RoomStatus {
    QString room;
    QString from;
    bool online = false;
    qint64 sinceMs = 0;         // on the controller's time line when the offset is known
    QString follows;            // the controller id it follows, empty if none yet
    RunState state = RunState::Idle;
    int question = 0;           // the question number it shows
    int second = 0;             // the last second of the question period it showed
    bool offsetKnown = false;
    double offsetMs = 0;        // its clock minus the controller's
    double rttMs = 0;
    std::array<CueSource, 4> cues{};
    Readiness ready;
    qint64 atMs = 0;            // when it was sent (the room's clock); 0: its will
    ClockKeeping clock;
    HoldView hold;
    friend bool operator==(const RoomStatus &, const RoomStatus &) = default;
};

struct ClockReply {
    QString from;
    qint64 receivedUs = 0; // the controller's clock when the question came
    qint64 sentUs = 0;     // and when the answer left
    ClockKeeping clock;    // the controller's
    friend bool operator==(const ClockReply &, const ClockReply &) = default;
};

// The controller's request that every room run its sound check: from, and
// when it was sent on the controller's clock (a room takes each request once,
// and none older than a minute).
struct SoundCheckAsk {
    QString from;
    qint64 atMs = 0;
    friend bool operator==(const SoundCheckAsk &, const SoundCheckAsk &) = default;
};

// The controller asks one room to hold (hold) or to rejoin (!hold): taken
// once, from the controller followed, and only while fresh.
struct HoldAsk {
    QString from; // the controller's id
    QString room;
    bool hold = true;
    qint64 atMs = 0; // the controller's clock when it was sent
    friend bool operator==(const HoldAsk &, const HoldAsk &) = default;
};
// Older than this, or this far ahead of the room's idea of the controller's
// clock: a replay or a forgery.
inline constexpr qint64 kHoldAskFreshMs = 30'000;

// The controller sets one room's correction of its speaker's delay: taken
// once, from the controller followed, only while fresh, and never closer
// than kSpeakerAskGapMs to the last one taken (each is written to a file).
struct SpeakerAsk {
    QString from; // the controller's id
    QString room;
    int delayMs = 0; // within ±kMaxSpeakerDelayMs
    qint64 atMs = 0; // the controller's clock when it was sent
    friend bool operator==(const SpeakerAsk &, const SpeakerAsk &) = default;
};
inline constexpr qint64 kSpeakerAskFreshMs = 30'000;
inline constexpr qint64 kSpeakerAskGapMs = 1000;

// A cue a room played, as it tells the controller (PlayedCue, room and all).
struct CueReport {
    QString from; // the room's id
    PlayedCue cue;
    friend bool operator==(const CueReport &, const CueReport &) = default;
};

QByteArray writeState(const QString &exam, const StateMessage &m);
// Whether every state of a run of this plan stays within kMaxPayload (the
// plan travels whole in each): a controller runs no plan that does not.
bool fitsOnWire(const Programme &plan);
QByteArray writePresence(const QString &exam, const PresenceMessage &m);
QByteArray writeStatus(const QString &exam, const RoomStatus &m);
QByteArray writeClockAsk(const QString &exam, const QString &room);
QByteArray writeCueReport(const QString &exam, const CueReport &m);
QByteArray writeClockReply(const QString &exam, const ClockReply &m);
QByteArray writeSoundCheckAsk(const QString &exam, const SoundCheckAsk &m);
QByteArray writeHoldAsk(const QString &exam, const HoldAsk &m);
QByteArray writeSpeakerAsk(const QString &exam, const SpeakerAsk &m);

Reading<StateMessage> readState(QByteArrayView payload, const QString &exam);
Reading<PresenceMessage> readPresence(QByteArrayView payload, const QString &exam);
Reading<RoomStatus> readStatus(QByteArrayView payload, const QString &exam, const QString &room);
// The room that asks; a question is answered only for a room of this exam.
Reading<QString> readClockAsk(QByteArrayView payload, const QString &exam);
Reading<ClockReply> readClockReply(QByteArrayView payload, const QString &exam);
Reading<SoundCheckAsk> readSoundCheckAsk(QByteArrayView payload, const QString &exam);
// Only one about room (the reader's own).
Reading<HoldAsk> readHoldAsk(QByteArrayView payload, const QString &exam, const QString &room);
Reading<SpeakerAsk> readSpeakerAsk(QByteArrayView payload, const QString &exam, const QString &room);
// A report is taken only for a second within a day of nowMs (the controller's
// clock) and a start within 10 s after it.
Reading<CueReport> readCueReport(QByteArrayView payload, const QString &exam, const QString &room, qint64 nowMs);

// The run state as it is named in payloads and shown in the rooms' table.
QString stateName(RunState s);
QString eventName(StateEvent e);

} // namespace tavrin::rooms
