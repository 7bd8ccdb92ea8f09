#pragma once

// The rooms in the program: the right-click entries and their keys (F8 the
// rooms' status, the setup dialog), the line under the buttons that says
// what this Tavrin is, and the member of the examination that the settings
// ask for. Without settings it adds the two entries and nothing else.

#include "room.h"
#include "identity.h"
#include "options.h"
#include "ports.h"
#include "private_broker.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QMessageBox;

namespace tavrin {
class Engine;
class FramePort;
class PhaseTimer;
class SoundBank;
} // namespace tavrin

namespace tavrin::rooms {

class Controller;
class PrivateBroker;
class SetupDialog;
class StatusDialog;

class RoomsUi : public QObject {
    Q_OBJECT
public:
    // The window is reached through its frame port; the window port and the
    // clock are the room's, which replays its controller's actions on them.
    RoomsUi(FramePort &frame, WindowPort &window, Engine &engine, PhaseTimer &clock, SoundBank &players,
            const QString &optionsFile, QObject *parent = nullptr);
    ~RoomsUi() override;

    // After the window's start-up. The member is made once its key has been
    // derived off the UI thread; if it cannot start, the program runs alone
    // and the operator is told.
    void start(const RoomsOptions &options);

    Role role() const { return options_.role; }
    // A room follows its controller: no question about resuming is asked.
    bool followsController() const { return room_ != nullptr; }
    // The journal's part, before start(): the run a room goes on with when no
    // controller shows up, and that the operator has already answered the
    // journal's question, so a controller leads with what it shows instead of
    // asking about the run the broker kept.
    void setKeptRun(std::function<std::optional<KeptRun>()> kept) { keptRun_ = std::move(kept); }
    // The cue reports a room's journal holds that never reached the controller.
    void setUnsentReports(std::function<QList<PlayedCue>()> unsent) { unsentReports_ = std::move(unsent); }
    // The hold a room's journal kept open from before a restart.
    void setKeptHold(std::function<std::optional<KeptHold>()> kept) { keptHold_ = std::move(kept); }
    void setResumeDecided(bool decided) { resumeDecided_ = decided; }
    // The rooms' status asks every room for its sound check through this:
    // empty, or why not.
    void setSoundCheckAsker(std::function<QString()> ask) { askSoundChecks_ = std::move(ask); }
    // Null when not in that role.
    Controller *controller() const { return controller_; }
    Room *room() const { return room_; }
    StatusDialog &statusDialog() const { return *status_; }
    // The operator closed the window during the run (Form1::runAborted):
    // a controller's rooms stop it too.
    void abortRun();
    // The private broker's process, once it runs; 0 otherwise.
    qint64 brokerProcessId() const;

signals:
    // A member was made, before it connects: what is added to it subscribes now.
    void memberMade(tavrin::rooms::Member *member);
    // An entry for the record (what was refused, connections, adoptions).
    void record(const QString &text);
    // A cue played here, or reported by a room (see Member::cuePlayed).
    void cuePlayed(const tavrin::PlayedCue &cue, tavrin::CueProof proof);
    // This room's run was ended by its controller's operator: for the
    // record, with why (Journal::recordAbort), before the room stops it.
    void runAborted(const QString &why);

public:
    struct Prepared;

private:
    class Forward;
    void build();
    void teardown();
    void showStatus();
    void showSetup();
    void loadApprovedKeys();
    void approveKey(const QString &room, const QByteArray &key);
    void applySetup();
    void startPrivateBroker();
    void exportJoinFiles();
    void refreshLine();
    void askAboutKeptRun(const StateMessage &kept);
    void askAboutOtherLeader(const PresenceMessage &other);
    void makeMember(const Prepared &keys, const BrokerSettings &login, QString problem);
    void noteFromMember(const QString &text);

    std::function<std::optional<KeptRun>()> keptRun_;
    std::function<QList<PlayedCue>()> unsentReports_;
    std::function<std::optional<KeptHold>()> keptHold_;
    bool resumeDecided_ = false;
    std::function<QString()> askSoundChecks_;
    FramePort &frame_;
    WindowPort &window_;
    Engine &engine_;
    PhaseTimer &clock_;
    SoundBank &players_;
    QString optionsFile_;
    RoomsOptions options_;
    PrivateBrokerOptions privateOptions_;
    std::unique_ptr<Forward> forward_;
    PrivateBroker *broker_ = nullptr;
    Controller *controller_ = nullptr;
    Room *room_ = nullptr;
    StatusDialog *status_ = nullptr;
    SetupDialog *setup_ = nullptr;
    QPointer<QMessageBox> question_;
    QStringList toldBuiltin_;
    quint64 builds_ = 0; // a member being prepared is made only if it is still the latest
    // The last key derived, and the passphrase and examination it is of.
    std::pair<QString, QString> keyOf_;
    SigningKey key_;
    QHash<QString, QByteArray> approvedKeys_; // room -> its approved public key
    // What the join files are written from, as the last member was prepared.
    QByteArray examPublicKey_;
    BrokerLogins logins_;
    BrokerCertificate cert_;
    qint64 toldRefusedMs_ = 0;
    QString toldProblem_; // the connection's refusal last told
    bool toldUnanswered_ = false; // the clock's questions going unanswered, told
};

} // namespace tavrin::rooms
