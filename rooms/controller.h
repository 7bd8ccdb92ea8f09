#pragma once

#include "member.h"

#include <QSet>

#include <deque>
#include <vector>

namespace tavrin {
class Engine;
} // namespace tavrin

namespace tavrin::rooms {

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
    // The operator closed the window during the run, which ends it: every
    // room is told at once (and the broker keeps it, so that no controller
    // started later offers that run again); nothing is published after it.
    void abortRun();

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
    void ownNameForged() override;
    void checked();
    void lead(const QString &over);
    void takePresence(const Incoming &m, const PresenceMessage &p) override;
    void takeState(const Incoming &m, const StateMessage &s) override;
    void takeClockAsk(const Incoming &m, const QString &room) override;
    void takeCueReport(const Incoming &m, const CueReport &r) override;
    void adoptKept(const StateMessage &kept);
    void schedulePublish(StateEvent e);
    void publishState();
    void publish(StateEvent e, const RunSnapshot &run);
    void publishPresence(bool online);
    std::optional<Outgoing> answerClock(const Incoming &m) const;
    void cueDone(const PlayedCue &cue) override;

    Engine &engine_;
    bool brokerFallback_ = true;
    bool leading_ = false;
    bool asked_ = false;
    bool decided_ = false; // the operator has decided, or acted
    bool checked_ = false; // what the broker holds has been seen since the start
    bool aborted_ = false;
    qint64 seq_ = 0;
    qint64 sinceMs_ = 0;
    QString over_;
    QString host_;
    std::optional<PresenceMessage> otherLeader_;
    std::optional<StateMessage> otherState_; // the other leader's latest
    std::vector<StateEvent> pending_;
    bool publishQueued_ = false;
    ClockTimer retainedWait_;
    ClockTimer presenceAgain_;
    qint64 resentMs_ = 0;
    // The reports taken, by room, due time and player: each is taken once.
    QSet<QString> taken_;
    std::deque<QString> takenOrder_;
};

} // namespace tavrin::rooms
