#pragma once

// The two kinds of member of an examination on the broker: the controller,
// the operator's Tavrin, which publishes its run; and a room, which follows
// it on its own engine, with its own cues, on the controller's seconds.

#include "clock_offset.h"
#include "mqtt_link.h"
#include "ports.h"
#include "protocol.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tavrin {
class Engine;
class PhaseTimer;
} // namespace tavrin

namespace tavrin::rooms {

struct FollowDecision;

// A room as the others see it.
struct RoomView {
    RoomStatus status;
    qint64 heardMs = 0;   // when its status last came (wall clock)
    qint64 changedMs = 0; // when it was last seen to connect or drop off
};

// A run somebody kept: the snapshot and the controller's wall-clock time
// of the tick it was taken after. The journal hands one over.
struct KeptRun {
    RunSnapshot run;
    qint64 dueMs = 0;
};

// Every refusal is counted; the record gets one entry per kind and sender,
// not one per message: a flood of bad packets must not become a flood of
// entries. Senders beyond a few dozen share one entry per kind.
class RefusalLog {
public:
    static constexpr int kMaxSenders = 64;
    explicit RefusalLog(std::function<void(const QString &)> note) : note_(std::move(note)) {}
    void refused(const QString &topic, Refusal why, const QString &detail, const QString &sender);
    qint64 total() const { return total_; }
    // Refusals of a MAC: somebody without the key tried to steer.
    qint64 forgeries() const { return forgeries_; }

private:
    std::function<void(const QString &)> note_;
    QHash<QString, qint64> counts_; // by kind and sender
    qint64 total_ = 0;
    qint64 forgeries_ = 0;
};

// What a member is given besides its settings: the examination's key, and
// for tests a connection and a clock of their own.
struct MemberSeams {
    QByteArray key;                  // deriveExamKey(); empty: nothing signed, nothing checked
    std::unique_ptr<MqttLink> link;  // null: libmosquitto
    std::function<qint64()> wallUs;  // null: the system's wall clock (µs since 1970)
};

class Member : public QObject, public RunObserver {
    Q_OBJECT
public:
    using CueSourceOf = std::function<CueSource(int player)>;
    Member(const QString &exam, const BrokerSettings &broker, bool controller, MemberSeams seams, QObject *parent);

    QString exam() const { return exam_; }
    QString id() const { return id_; }
    QString brokerName() const;
    bool connected() const { return client_.isConnected(); }
    bool signs() const { return !key_.isEmpty(); }
    const RefusalLog &refusals() const { return refusals_; }
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
    void onConnection(bool connected, const QString &reason);
    // A room's status; true when the message was a status.
    bool takeStatus(const Incoming &m);
    virtual void connectedNow() = 0;
    void recordRefusal(const Incoming &m, Refusal why, const QString &detail);
    // A message on an extra's topic, checked and handed on; false for any other topic.
    bool takeExtra(const Incoming &m);
    // The payload as signed, when the MAC is this examination's key's (or
    // nothing is signed); otherwise the refusal is recorded and null.
    std::optional<QByteArray> opened(const Incoming &m);
    Outgoing sealed(Outgoing o) const;
    Outgoing retained(const QString &topic, const QByteArray &payload) const;
    qint64 nowUs() const { return wallUs_(); }
    qint64 nowMs() const { return wallUs_() / 1000; }
    // The engine was told to play player during the tick due at dueWallMs
    // (this machine's clock); offsetMs turns that clock into the controller's.
    void cueAsked(const QString &room, int player, qint64 dueWallMs, double offsetMs, const RunSnapshot &run);
    // The cue as it was played, once its start is known or known to be lost.
    virtual void cueDone(const PlayedCue &cue) = 0;

    QString exam_;
    Topics topics_;
    QString id_;
    BrokerSettings broker_;
    QByteArray key_;
    std::function<qint64()> wallUs_;
    std::unique_ptr<MqttLink> link_;
    MqttLink &client_;
    QMap<QString, RoomView> rooms_;
    qint64 connectionChangedMs_ = 0;
    QString connectionProblem_;
    RefusalLog refusals_;
    QStringList extraTopics_;
    CueSourceOf cues_;

    struct Bucket {
        double tokens = 0;
        qint64 atUs = 0;
    };
    // Whether a sender may send one more now: burst at once, perSecond after.
    bool spend(Bucket &b, double burst, double perSecond);

private:
    void cuesOverdue();

    QHash<QString, Bucket> statusBudget_; // per room
    struct AskedCue {
        PlayedCue cue;
        qint64 askedMs = 0;
        double offsetMs = 0;
    };
    std::array<std::optional<AskedCue>, 4> askedCues_;
    QTimer cueWait_;
};

inline constexpr int kMaxRooms = 200;       // rooms the controller lists
inline constexpr int kStatusBurst = 12;     // statuses a room may send at once
inline constexpr double kStatusPerSecond = 3;
inline constexpr int kReportBurst = 32;     // cue reports a room may send at once
inline constexpr double kReportPerSecond = 12;
inline constexpr int kReportsKept = 20000;  // reports a controller remembers having taken

// The operator's Tavrin: publishes every change of its run and answers the
// rooms' questions for the time. After a start it holds back until it knows
// that it does not overwrite a run that the rooms are still following: until
// the operator has decided (with a journal: its question about resuming),
// or, without one, until the broker has shown what it holds.
class Controller : public Member {
    Q_OBJECT
public:
    Controller(const QString &exam, const BrokerSettings &broker, Engine &engine, PhaseTimer &timer,
               MemberSeams seams = {}, QObject *parent = nullptr);
    ~Controller() override;

    QString start();

    // With a journal the operator decides on resuming before anything is
    // published: turn the broker's fallback off, and call operatorDecided()
    // once the journal's question has been answered (or was not needed).
    void setBrokerFallback(bool on) { brokerFallback_ = on; }
    void operatorDecided();
    // The fallback's answers: carry on with the run the broker holds, or
    // lead with what this program shows.
    void takeOver(const StateMessage &kept);
    void leadAfresh() { operatorDecided(); }
    // Another controller leads: its operator's answer to otherLeads. Takes
    // its run over on the same grid, and the rooms and the other are told.
    void takeOverFromOther();

    bool leading() const { return leading_; }
    // The controller that leads instead of this one, if one does.
    std::optional<PresenceMessage> otherLeader() const { return otherLeader_; }

    void runEvent(const RunEvent &event, const ExamState &state) override;

signals:
    // The broker holds a run under way that another controller left: ask
    // the operator whether to carry on with it (takeOver) or not.
    void interruptedRunFound(const tavrin::rooms::StateMessage &kept);
    // Another controller leads this examination: ask the operator whether
    // to take over (takeOverFromOther) or stand by.
    void otherLeads(const tavrin::rooms::PresenceMessage &other);
    // Another controller took the lead from this one.
    void leadTaken(const tavrin::rooms::PresenceMessage &other);
    void leadingNow();

private:
    void connectedNow() override;
    void checked();
    void lead(const QString &over);
    void takePresence(const PresenceMessage &p);
    void adoptKept(const StateMessage &kept);
    void received(const Incoming &m);
    void schedulePublish(StateEvent e);
    void publishState();
    void publishPresence(bool online);
    std::optional<Outgoing> answerClock(const Incoming &m) const;
    void takeCueReport(const Incoming &m, const QString &room);
    void cueDone(const PlayedCue &cue) override;

    Engine &engine_;
    PhaseTimer &timer_;
    bool brokerFallback_ = true;
    bool leading_ = false;
    bool asked_ = false;
    bool decided_ = false; // the operator has decided, or acted
    bool checked_ = false; // what the broker holds has been seen since the start
    qint64 seq_ = 0;
    qint64 sinceMs_ = 0;
    QString over_;
    QString host_;
    std::optional<PresenceMessage> otherLeader_;
    std::optional<StateMessage> otherState_; // the other leader's latest
    std::vector<StateEvent> pending_;
    bool publishQueued_ = false;
    QTimer retainedWait_;
    QHash<QString, Bucket> reportBudget_; // per room
    // The reports taken, by room, due time and player: each is taken once.
    QSet<QString> taken_;
    std::deque<QString> takenOrder_;
};

// Another Tavrin in a room: its own buttons and boxes do not act; it takes
// the controller's run and shows it, and plays its own cues, on the
// controller's seconds.
class Room : public Member {
    Q_OBJECT
public:
    Room(const QString &exam, const QString &room, const BrokerSettings &broker, Engine &engine, WindowPort &window,
         PhaseTimer &timer, CueSourceOf cues, MemberSeams seams = {}, QObject *parent = nullptr);
    ~Room() override;

    QString start();
    QString name() const { return room_; }

    // The journal's seam: a run the room kept itself, used only when the
    // broker has given it nothing to follow a few seconds after the start.
    void setKeptRun(std::function<std::optional<KeptRun>()> kept) { keptRun_ = std::move(kept); }
    // What the room says of its readiness in its status (its check's time on
    // this room's clock); sent again on readinessChanged().
    void setReadiness(std::function<Readiness()> ready) { readiness_ = std::move(ready); }
    void readinessChanged() { scheduleStatus(); }
    // Reports the journal still holds unsent from before a restart.
    void keepReports(const QList<PlayedCue> &unsent);
    // Reports not yet sent (or sent too shortly before the connection or
    // the controller was lost to be sure they arrived).
    qsizetype reportsWaiting() const { return qsizetype(outbox_.size()); }

    std::optional<OffsetEstimate> offset() const { return estimator_.estimate(); }
    bool offsetAssumed() const { return assumedZero_; }
    bool controllerOnline() const { return controllerOnline_; }
    bool following() const { return latest_.has_value(); }
    QString followed() const { return controllerId_; }

    void runEvent(const RunEvent &event, const ExamState &state) override;

private:
    void connectedNow() override;
    void received(const Incoming &m);
    void takePresence(const Incoming &in, const PresenceMessage &p);
    void followController(const PresenceMessage &p, bool live);
    void takeState(const StateMessage &m, bool live);
    void heard(bool live);
    bool stateRefused(const Incoming &in, const StateMessage &m);
    void follow();
    void reach(const FollowDecision &d);
    bool retick(double lastTickMs, const RunSnapshot &after);
    void afterOwnTick();
    void askTime();
    void takeClock(const Incoming &m);
    void scheduleStatus();
    void publishStatus();
    RoomStatus status(bool online) const;
    double offsetMs() const;
    std::optional<OffsetEstimate> offsetInUse() const;
    void change(const std::function<void()> &action);
    void cueDone(const PlayedCue &cue) override;
    void sendReports();
    void resendRecent();

    QString room_;
    Engine &engine_;
    WindowPort &window_;
    PhaseTimer &timer_;
    std::function<std::optional<KeptRun>()> keptRun_;
    std::function<Readiness()> readiness_;

    QString controllerId_;
    bool controllerOnline_ = false;
    qint64 followedSinceMs_ = 0;       // when the run followed began to be led
    QHash<QString, PresenceMessage> controllers_; // the others seen, by id
    std::optional<StateMessage> latest_;
    qint64 latestAtUs_ = 0;            // when it was taken
    QString replayedFrom_; // the state last replayed, by sender and number
    qint64 replayedSeq_ = -1;
    std::optional<StateMessage> unverified_; // came before the controller was known
    bool waitingForOwnTick_ = false;
    OffsetEstimator estimator_;
    // The controller followed before a takeover, until the new one answers:
    // it carried on that one's grid, so that offset keeps the ticks in place.
    std::optional<OffsetEstimate> previous_;
    bool assumedZero_ = false;
    QElapsedTimer sinceStart_;
    QTimer clockTimer_;
    int burstLeft_ = 0;
    QMap<QByteArray, qint64> asked_; // correlation data -> when the question left (us)
    QTimer heartbeat_;
    QTimer noOffset_;
    bool statusQueued_ = false;
    bool controllerHeard_ = false; // on this connection
    std::deque<PlayedCue> outbox_;
    // Sent, with when: what a lost connection may have swallowed.
    std::deque<std::pair<PlayedCue, qint64>> sent_;
    QTimer reportPace_;
};

} // namespace tavrin::rooms
