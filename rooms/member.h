#pragma once

// What the two kinds of member of an examination on the broker share: the
// connection, the examination's key, the rooms' statuses, the refusals and
// the proof of the cues played. The controller (controller.h) publishes its
// run; a room (room.h) follows it.

#include "clock.h"
#include "identity.h"
#include "mqtt_link.h"
#include "ports.h"
#include "protocol.h"
#include "refusal_log.h"

#include <QHash>
#include <QMap>
#include <QObject>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>

namespace tavrin {
class PhaseTimer;
} // namespace tavrin

namespace tavrin::rooms {

// A room as the others see it.
struct RoomView {
    RoomStatus status;
    qint64 heardMs = 0;   // when its status last came (wall clock)
    qint64 changedMs = 0; // when it was last seen to connect or drop off
};

// What a member is given besides its settings: the examination's keys, its
// own, and for tests a connection of their own. Its clock is its tick timer's.
struct MemberSeams {
    SigningKey examKey;             // the controller's: the examination's secret key; null on a room
    QByteArray examPublicKey;       // 32 bytes; empty: nothing signed, nothing checked (one room alone)
    SigningKey roomKey;             // a room's own key pair; null on a controller
    std::unique_ptr<MqttLink> link; // null: libmosquitto
};

class Member : public QObject, public RunObserver {
    Q_OBJECT
public:
    using CueSourceOf = std::function<CueSource(int player)>;
    // room: the room's name, empty for the controller. Every time it reads
    // and waits for is the clock of timer, the engine's tick.
    Member(const QString &exam, const QString &room, const BrokerSettings &broker, MemberSeams seams,
           PhaseTimer &timer, QObject *parent);

    QString exam() const { return exam_; }
    QString id() const { return id_; }
    QString brokerName() const;
    bool connected() const { return client_.isConnected(); }
    bool signs() const { return !examPublicKey_.isEmpty(); }
    // The examination's public key, short, to compare by eye; empty: unsigned.
    QString examFingerprint() const;
    // The rooms' keys the operator approved (room -> public key): from then
    // on a message under that room's name with another key is refused.
    void setApprovedKeys(const QHash<QString, QByteArray> &keys);
    const QHash<QString, QByteArray> &approvedKeys() const { return approvedKeys_; }
    // The approved key of a room, else the one last heard; empty: none.
    QByteArray keyOf(const QString &room) const;
    bool approved(const QString &room) const;
    const RefusalLog &refusals() const { return refusals_; }
    // When a message in this controller's own name that it did not send was last seen; 0: never.
    qint64 ownNameSeenMs() const { return ownNameSeenMs_; }
    qint64 connectedChangedMs() const { return connectionChangedMs_; }
    QString connectionProblem() const { return connectionProblem_; }
    const QMap<QString, RoomView> &rooms() const { return rooms_; }

    // Messages beyond the run's own (a start at a time of day, a sound check
    // asked for): signed like the rest, QoS 1; false when not connected. A
    // topic subscribed to, before start(), delivers through extraReceived
    // only what is within the size bound and carries this examination's MAC.
    bool publishExtra(const QString &topic, const QByteArray &payload, bool retain);
    void subscribeExtra(const QString &topic);
    // Where each player's sound comes from, for the proof of its cues.
    void setCueSources(CueSourceOf cues) { cues_ = std::move(cues); }
    // The output started the play last asked of player (SoundBank::cueStarted),
    // at wallMs on this machine's clock.
    void cueStarted(int player, qint64 wallMs);

signals:
    void extraReceived(const QString &topic, const QByteArray &body, bool retained);
    void changed();                   // anything the operator's views show
    void note(const QString &text);   // an entry for the record
    // A cue played here, or (the controller) reported by a room and taken once.
    void cuePlayed(const tavrin::PlayedCue &cue, tavrin::CueProof proof);

protected:
    // Each role takes only the kinds of message it lists (member.cpp); a
    // message reaches its handler below only within the size bound, with
    // this examination's MAC, within its sender's budget and read as valid:
    // anything else is refused and counted here, once for both roles.
    virtual void takePresence(const Incoming &m, const PresenceMessage &p) = 0;
    virtual void takeState(const Incoming &m, const StateMessage &s) = 0;
    virtual void takeClockAsk(const Incoming &m, const QString &room);
    virtual void takeClockReply(const Incoming &m, const ClockReply &r);
    virtual void takeCueReport(const Incoming &m, const CueReport &r);

    virtual void connectedNow() = 0;
    // The controller: a message in its own name that it did not send came.
    virtual void ownNameForged();
    void recordRefusal(const Incoming &m, Refusal why, const QString &detail);
    // The public key a room's payload names for itself.
    static std::optional<QByteArray> keyNamedIn(QByteArrayView payload);
    Outgoing sealed(Outgoing o) const;
    Outgoing retained(const QString &topic, const QByteArray &payload) const;
    qint64 nowUs() const { return clock_.wallUs(); }
    qint64 nowMs() const { return clock_.wallMs(); }
    // The engine was told to play player during the tick due at dueWallMs
    // (this machine's clock); offsetMs turns that clock into the controller's.
    void cueAsked(const QString &room, int player, qint64 dueWallMs, double offsetMs, const RunSnapshot &run);
    // The cue as it was played, once its start is known or known to be lost.
    virtual void cueDone(const PlayedCue &cue) = 0;
    // A run kept as of its tick due at dueMs (this machine's clock), carried
    // on: the tick timer put on that tick's grid, and the run as it stands
    // after every tick due before the timer's next one, so that no second
    // is counted twice or lost.
    RunSnapshot onGridOf(const RunSnapshot &run, qint64 dueMs);

    QString exam_;
    QString room_; // empty: the controller
    Topics topics_;
    QString id_;
    BrokerSettings broker_;
    SigningKey examKey_;
    QByteArray examPublicKey_;
    SigningKey roomKey_;
    QHash<QString, QByteArray> approvedKeys_; // room -> its public key, as the operator approved it
    QHash<QString, QByteArray> seenKeys_;     // room -> the key last heard, not approved
    mutable QHash<QString, QByteArray> lastSent_; // topic -> the last retained payload sent
    QHash<QString, qint64> presenceAtMs_;     // controller -> the newest presence taken
    qint64 ownNameSeenMs_ = 0;
    qint64 ownNameNotedMs_ = 0;
    PhaseTimer &timer_;
    Clock &clock_;
    std::unique_ptr<MqttLink> link_;
    MqttLink &client_;
    QMap<QString, RoomView> rooms_;
    qint64 connectionChangedMs_ = 0;
    QString connectionProblem_;
    RefusalLog refusals_;
    QStringList extraTopics_;
    CueSourceOf cues_;

private:
    // The kinds of message on the broker, by topic.
    enum class Kind { Presence, State, Status, ClockAsk, ClockReply, CueReport };
    struct Intake;
    struct Bucket {
        double tokens = 0;
        qint64 atUs = 0;
    };
    void onConnection(bool connected, const QString &reason);
    void received(const Incoming &m);
    // A message on an extra's topic, checked and handed on; false for any other topic.
    bool takeExtra(const Incoming &m);
    static std::span<const Intake> intakes();
    // What the message is, and the room its topic names; null: none this role takes.
    const Intake *intakeOf(const QString &topic, QString *room) const;
    // The payload as signed, when the signature is of the key its kind
    // needs (or nothing is signed); otherwise the refusal is recorded and null.
    // room: the room whose key signs this kind; empty: the controller's.
    std::optional<QByteArray> opened(const Incoming &m, const QString &room);
    // Whether key may sign for room: the approved one, or any before approval.
    bool roomKeyTaken(const QString &room, const QByteArray &key);
    // Whether a sender may send one more now: burst at once, perSecond after.
    bool spend(Bucket &b, double burst, double perSecond);
    void takeStatus(const Incoming &m, const QString &room, const RoomStatus &s);
    // Whether m is in the controller's own name and not its own (refused, told).
    bool ownName(const Incoming &m, const QString &from);
    bool fresh(const Incoming &m, const PresenceMessage &p);
    void cuesOverdue();

    // Per kind and sending room, for the kinds that have a budget.
    std::array<QHash<QString, Bucket>, std::size_t(Kind::CueReport) + 1> budgets_;
    struct AskedCue {
        PlayedCue cue;
        qint64 askedMs = 0;
        double offsetMs = 0;
    };
    std::array<std::optional<AskedCue>, 4> askedCues_;
    ClockTimer cueWait_;
};

// STOP-GAP until the key and join files: the cost at which the set-up
// stretches the passphrase into the examination's key pair on every member.
inline constexpr StretchCost kStopGapCost{1, std::size_t(8) << 20};

inline constexpr int kMaxRooms = 200;       // rooms the controller lists
inline constexpr int kStatusBurst = 12;     // statuses a room may send at once
inline constexpr double kStatusPerSecond = 3;
inline constexpr int kReportBurst = 32;     // cue reports a room may send at once
inline constexpr double kReportPerSecond = 12;
inline constexpr qint64 kDayMs = 86'400'000;

} // namespace tavrin::rooms
