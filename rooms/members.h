#pragma once

// The two kinds of member of an examination on the broker: the controller,
// the operator's Tavrin, which publishes its run; and a room, which follows
// it on its own engine, with its own cues, on the controller's seconds.

#include "clock_offset.h"
#include "mqtt_client.h"
#include "ports.h"
#include "protocol.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

namespace tavrin {
class Engine;
class PhaseTimer;
} // namespace tavrin

namespace tavrin::rooms {

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

// Entries for the record, at most one per kind of refusal every ten
// seconds: a flood of bad packets must not become a flood of entries.
class RefusalLog {
public:
    explicit RefusalLog(std::function<void(const QString &)> note) : note_(std::move(note)) {}
    void refused(const QString &topic, Refusal why, const QString &detail);

private:
    struct Kind {
        qint64 lastMs = -1;
        int suppressed = 0;
    };
    std::function<void(const QString &)> note_;
    QHash<int, Kind> kinds_;
};

class Member : public QObject, public RunObserver {
    Q_OBJECT
public:
    Member(const QString &exam, const BrokerSettings &broker, bool controller, QObject *parent);

    QString exam() const { return exam_; }
    QString id() const { return id_; }
    QString brokerName() const;
    bool connected() const { return client_.isConnected(); }
    qint64 connectedChangedMs() const { return connectionChangedMs_; }
    QString connectionProblem() const { return connectionProblem_; }
    const QMap<QString, RoomView> &rooms() const { return rooms_; }

signals:
    void changed();                   // anything the operator's views show
    void note(const QString &text);   // an entry for the record

protected:
    void onConnection(bool connected, const QString &reason);
    // A room's status; true when the message was a status.
    bool takeStatus(const Incoming &m);
    virtual void connectedNow() = 0;
    void recordRefusal(const Incoming &m, Refusal why, const QString &detail) { refusals_.refused(m.topic, why, detail); }

    QString exam_;
    Topics topics_;
    QString id_;
    BrokerSettings broker_;
    MqttClient client_;
    QMap<QString, RoomView> rooms_;
    qint64 connectionChangedMs_ = 0;
    QString connectionProblem_;
    RefusalLog refusals_;
};

// The operator's Tavrin: publishes every change of its run and answers the
// rooms' questions for the time. After a start it holds back until it knows
// that it does not overwrite a run that the rooms are still following: until
// the operator has decided (with a journal: its question about resuming),
// or, without one, until the broker has shown what it holds.
class Controller : public Member {
    Q_OBJECT
public:
    Controller(const QString &exam, const BrokerSettings &broker, Engine &engine, PhaseTimer &timer,
               QObject *parent = nullptr);
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

    bool leading() const { return leading_; }

    void runEvent(const RunEvent &event, const ExamState &state) override;

signals:
    // The broker holds a run under way that another controller left: ask
    // the operator whether to carry on with it (takeOver) or not.
    void interruptedRunFound(const tavrin::rooms::StateMessage &kept);
    void leadingNow();

private:
    void connectedNow() override;
    void received(const Incoming &m);
    void schedulePublish(StateEvent e);
    void publishState();
    void publishPresence(bool online);
    std::optional<Outgoing> answerClock(const Incoming &m) const;

    Engine &engine_;
    PhaseTimer &timer_;
    bool brokerFallback_ = true;
    bool leading_ = false;
    bool asked_ = false;
    qint64 seq_ = 0;
    qint64 sinceMs_ = 0;
    std::vector<StateEvent> pending_;
    bool publishQueued_ = false;
    QTimer retainedWait_;
};

// Another Tavrin in a room: its own buttons and boxes do not act; it takes
// the controller's run and shows it, and plays its own cues, on the
// controller's seconds.
class Room : public Member {
    Q_OBJECT
public:
    using CueSourceOf = std::function<CueSource(int player)>;
    Room(const QString &exam, const QString &room, const BrokerSettings &broker, Engine &engine, WindowPort &window,
         PhaseTimer &timer, CueSourceOf cues, QObject *parent = nullptr);
    ~Room() override;

    QString start();
    QString name() const { return room_; }

    // The journal's seam: a run the room kept itself, used only when the
    // broker has given it nothing to follow a few seconds after the start.
    void setKeptRun(std::function<std::optional<KeptRun>()> kept) { keptRun_ = std::move(kept); }

    std::optional<OffsetEstimate> offset() const { return estimator_.estimate(); }
    bool offsetAssumed() const { return assumedZero_; }
    bool controllerOnline() const { return controllerOnline_; }
    bool following() const { return latest_.has_value(); }

    void runEvent(const RunEvent &event, const ExamState &state) override;

private:
    void connectedNow() override;
    void received(const Incoming &m);
    void takeState(const StateMessage &m);
    void follow();
    void afterOwnTick();
    void askTime();
    void takeClock(const Incoming &m);
    void scheduleStatus();
    void publishStatus();
    RoomStatus status(bool online) const;
    double offsetMs() const;
    void change(const std::function<void()> &action);

    QString room_;
    Engine &engine_;
    WindowPort &window_;
    PhaseTimer &timer_;
    CueSourceOf cues_;
    std::function<std::optional<KeptRun>()> keptRun_;

    QString controllerId_;
    bool controllerOnline_ = false;
    std::optional<StateMessage> latest_;
    QString replayedFrom_; // the state last replayed, by sender and number
    qint64 replayedSeq_ = -1;
    std::optional<StateMessage> unverified_; // came before the controller was known
    bool waitingForOwnTick_ = false;
    OffsetEstimator estimator_;
    bool assumedZero_ = false;
    QElapsedTimer sinceStart_;
    QTimer clockTimer_;
    int burstLeft_ = 0;
    quint64 nextAsk_ = 0;
    QMap<quint64, qint64> asked_; // question number -> when it left (us)
    QTimer heartbeat_;
    QTimer noOffset_;
    bool statusQueued_ = false;
};

} // namespace tavrin::rooms
