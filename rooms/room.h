#pragma once

#include "clock_offset.h"
#include "clock_source.h"
#include "hold.h"
#include "member.h"

#include <QHash>
#include <QMap>

#include <deque>
#include <functional>
#include <optional>
#include <utility>

namespace tavrin {
class Engine;
} // namespace tavrin

namespace tavrin::rooms {

struct FollowDecision;

// A run somebody kept: the snapshot and the controller's wall-clock time
// of the tick it was taken after. The journal hands one over.
struct KeptRun {
    RunSnapshot run;
    qint64 dueMs = 0;
};

// A hold the journal kept open: the room was held when its program
// stopped. part: the part of the run it was held in.
struct KeptHold {
    HoldView hold;
    int part = 0;
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

    std::optional<OffsetEstimate> offset() const { return kept(estimator_.estimate()); }
    // Which clock the room keeps, and what its system clock's keeper says.
    const ClockChoice &clockChoice() const { return choice_; }
    const SystemClock &ownClock() const { return ownClock_; }
    // The seam to the kernel's clock state, for tests.
    void setSystemClock(std::function<SystemClock()> read) { systemClock_ = std::move(read); }
    bool offsetAssumed() const { return assumedZero_; }
    bool controllerOnline() const { return controllerOnline_; }
    // The controller followed answers none of the clock's questions.
    bool clockUnanswered() const;
    bool following() const { return latest_.has_value(); }
    QString followed() const { return controllerId_; }

    void runEvent(const RunEvent &event, const ExamState &state) override;

    // This room stops while the others go on (by: who asked), or is brought
    // back: it rejoins on the tick that starts the next question it can
    // reach in time. The controller's asks come signed on the room's hold
    // topic; the examiner's from this room's own window.
    void hold(HoldBy by);
    void release(HoldBy by);
    const HoldView &holdView() const { return hold_; }
    // The hold the journal kept from before a restart: held again as it
    // was, by whom and since when, until it is released.
    void keepHold(const KeptHold &kept);

    // The correction of this room's speaker's delay that its controller may
    // set (signed, on the room's speaker topic), between runs only: current
    // reads it; apply sets and keeps it as F12 does, and says empty or why
    // not. Unset: every such ask is refused.
    void setSpeakerDelay(std::function<int()> current, std::function<QString(int)> apply)
    {
        speakerNow_ = std::move(current);
        speakerApply_ = std::move(apply);
    }
    // The controller's last change of it, for the room's own line.
    struct SpeakerChange {
        int fromMs = 0;
        int toMs = 0;
        qint64 atMs = 0; // this machine's clock
    };
    const std::optional<SpeakerChange> &speakerChange() const { return speakerChange_; }

signals:
    // The controller's operator ended the run that this room ran by closing
    // its window: the room's record closes it as aborted now, before the
    // room stops it.
    void runAborted();
    // A hold ended at endMs (controller's clock); hold.lastLost says which
    // questions it cost.
    void holdEnded(const tavrin::rooms::HoldView &hold, qint64 endMs);
    // A hold begun, released, or held again before it rejoined: what the
    // journal keeps so that a restart finds the room still held.
    void holdKept(const tavrin::rooms::HoldView &hold, int part);
    // What stands where the question number does while held; empty when
    // the hold has ended (the window fits its font to it).
    void holdCaption(const QString &caption);

private:
    void connectedNow() override;
    void carryOnKept();
    void takePresence(const Incoming &in, const PresenceMessage &p) override;
    void takeState(const Incoming &in, const StateMessage &m) override;
    void takeClockReply(const Incoming &in, const ClockReply &r) override;
    void followController(const PresenceMessage &p, bool live);
    void useState(const StateMessage &m, bool live);
    void heard(bool live);
    bool stateRefused(const Incoming &in, const StateMessage &m);
    void follow();
    void reach(const FollowDecision &d);
    bool retick(double lastTickMs, const RunSnapshot &after);
    void afterOwnTick();
    void askTime();
    void scheduleStatus();
    void publishStatus();
    RoomStatus status(bool online) const;
    double offsetMs() const;
    std::optional<OffsetEstimate> offsetInUse() const;
    void change(const std::function<void()> &action);
    void cueDone(const PlayedCue &cue) override;
    void sendReports();
    void resendRecent();
    void takeHoldAsk(const QString &topic, const QByteArray &body);
    void takeSpeakerAsk(const QString &topic, const QByteArray &body);
    template <class Ask>
    std::optional<Ask> checkedAsk(const Incoming &in, const Reading<Ask> &read, qint64 lastAtMs, qint64 freshMs);
    void planRejoin();
    void holdTick();
    void endHold();
    void showHold();
    void countLost(const RunSnapshot &run, int toPart, int to);
    double controllerNowMs() const;

    Engine &engine_;
    WindowPort &window_;
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
    // The exchange's estimate, or zero when the system clocks are kept.
    std::optional<OffsetEstimate> kept(std::optional<OffsetEstimate> e) const;
    std::function<SystemClock()> systemClock_ = rooms::systemClock;
    SystemClock ownClock_;
    int unanswered_ = 0;
    ClockChoice choice_;
    bool assumedZero_ = false;
    ClockTimer keptWait_;
    ClockTimer clockTimer_;
    int burstLeft_ = 0;
    QMap<QByteArray, qint64> asked_; // correlation data -> when the question left (us)
    ClockTimer heartbeat_;
    ClockTimer noOffset_;
    bool statusQueued_ = false;
    bool controllerHeard_ = false; // on this connection
    std::deque<PlayedCue> outbox_;
    // Sent, with when: what a lost connection may have swallowed.
    std::deque<std::pair<PlayedCue, qint64>> sent_;
    ClockTimer reportPace_;
    HoldView hold_;
    std::optional<Rejoin> rejoin_;
    int heldPart_ = 0; // the part the room was held in
    // The controller's run as it last stood under way while this room was
    // held: where a run that ended meanwhile took its last question.
    std::optional<RunSnapshot> lastUnderWay_;
    qint64 holdAskAtMs_ = 0; // the newest hold ask taken
    std::function<int()> speakerNow_;
    std::function<QString(int)> speakerApply_;
    qint64 speakerAskAtMs_ = 0;   // the newest speaker ask taken, on the controller's clock
    qint64 speakerTakenMs_ = 0;   // and when, on this machine's
    std::optional<SpeakerChange> speakerChange_;
};

} // namespace tavrin::rooms
