#pragma once

// An examination in several rooms on this machine: a private broker, the
// controller and the rooms as real programs in real windows side by side,
// each playing its own cue tones into a null sink of its own, a room's
// clock moved with libfaketime where asked. For the rooms' end-to-end test
// and benchmark.

#include "e2e_support.h"
#include "net_relay.h"
#include "sound_probe.h"

#include <QImage>
#include <QJsonObject>
#include <QMap>
#include <QPoint>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace e2e {

struct Member {
    QString name;           // "controller", or the room's name
    int clockOffsetS = 0;   // its wall clock moved by this much
    bool ownCues = true;    // false: no cue files, the built-in sounds
    QPoint at;              // where its window stands
    QString fakeTime;       // FAKETIME for its wall clock ("+2.5 x1.0001"); wins over clockOffsetS
    std::optional<NetPath> path; // its way to the broker, through a relay of its own
    std::unique_ptr<NetRelay> relay;
    Broker *site = nullptr; // a broker bridged to the examination's, or the examination's own
    double launchedAt = 0;  // wall-clock seconds when its program was last started
    QTemporaryDir dir;
    std::unique_ptr<Program> program;
    std::unique_ptr<tavrin::probe::PulseSink> sink;
    std::unique_ptr<tavrin::probe::Recorder> recorder;
};

// The paths of a real building, for rooms A, B and C (others: loopback):
// A 1±0.5 ms each way; B 3±2 ms with 1 % of chunks held 200 ms (Wi-Fi);
// C 8±2 ms up and 1±0.5 ms down, 1 % held, and its clock 2.5 s off and
// 100 ppm fast. For RoomsRig::beforeLaunch.
void buildingPath(Member &m);
// What C's clock reads ahead of the true one, wallSeconds after its start.
double buildingClockAheadMs(const Member &m, double wallSeconds);

// What a state (controller) or status (room) payload says is shown.
struct Shown {
    int question = 0;
    int second = 0;
    QString state; // idle, running, paused, finished
    friend bool operator==(const Shown &, const Shown &) = default;
};
std::optional<Shown> shownByController(const QByteArray &statePayload);
std::optional<Shown> shownByRoom(const QByteArray &statusPayload);
QJsonObject json(const QByteArray &payload);

class RoomsRig {
public:
    static constexpr int kWidth = 636;
    static constexpr int kHeight = 420;

    QString exam = QStringLiteral("e2e");
    // When set: the examination's key is stretched from it (cheaply), the
    // controller gets it in a key file, every room the public key in a join
    // file, as the operator's PC would hand them out.
    QString passphrase;
    QMap<QString, QString> logins; // broker logins by user, for a locked broker
    QByteArray examPublicKey() const;
    Broker broker;
    BrokerLog log;
    std::vector<std::unique_ptr<Member>> members; // the controller first
    QStringList controllerArgs; // more options for the controller (--start-at)
    std::function<void(Member &)> beforeLaunch; // start() calls it for each member it adds
    // The building's paths (buildingPath) for A, B and C, and room D on
    // another site's broker bridged to this one.
    void useBuilding();
    std::unique_ptr<Broker> site;

    // The broker, the log, a controller and the rooms; times as in the
    // first line of Tavrin.cfg. Waits until every room reports itself with
    // its clock offset known. Empty on success.
    QString start(const QString &times, const QStringList &rooms, const QList<int> &clockOffsetsS,
                  const QList<bool> &ownCues);
    // A member more, its window beside the others, not yet started: a
    // controller when its name begins with "controller".
    Member &add(const QString &name, int clockOffsetS = 0, bool ownCues = true);
    QString examTimes; // the first line of Tavrin.cfg for members added
    // (Re)starts a member's program and puts its window in place.
    // With a question, the program asks it before its window shows: it is
    // answered with Enter first.
    QString launch(Member &m, const QString &question = {});
    void kill(Member &m); // SIGKILL

    Member &controller() { return *members.front(); }
    Member *room(const QString &name);
    // Every room reports itself online, with a known offset, after since.
    bool roomsReport(int timeoutMs, double since = 0);

    // The part of a member's window that the candidates read (question
    // number and grid), from a screen grab.
    QImage view(const QImage &screen, const Member &m) const;
    // Whether all members in the list show the same, in one screen grab.
    bool sameViews(const std::vector<Member *> &who, QImage *grab = nullptr) const;

    // When each cue began in a member's recording, in wall-clock seconds.
    std::vector<double> onsets(const Member &m) const;
    // Every one of who has been heard to begin a cue at or after since.
    bool heardSince(const std::vector<Member *> &who, double since) const;
    // The cues heard from each member between from and to began together
    // (within kSameCue of the first member's), each once: empty, or what not.
    static constexpr double kSameCue = 0.15;
    QString together(const std::vector<Member *> &who, double from, double to) const;

    // The cues the controller's journal holds as taken (the rooms' reports
    // and its own, room empty), times in wall-clock seconds; started 0: not heard.
    struct Proof {
        QString room;
        int player = 0;
        double due = 0;
        double started = 0;
    };
    std::vector<Proof> proofs() const;
    // The holds of rooms the controller's journal holds: room, who held it,
    // from and to (wall-clock seconds), and the questions lost.
    struct Hold {
        QString room;
        QString by;
        double from = 0;
        double to = 0;
        int firstLost = 0;
        int lastLost = 0;
    };
    std::vector<Hold> holds() const;
    // Asks room to hold (or come back) as the controller's button does:
    // signed by nobody, on a broker where nothing is signed. at: ms.
    void askHold(const QString &room, bool hold, const QString &controllerId, qint64 atMs) const;
    // Sets room's speaker correction as the controller's board does.
    void askSpeaker(const QString &room, int ms, const QString &controllerId, qint64 atMs) const;

private:
    double wallAtSteady0_ = 0;
    tavrin::probe::Clock::time_point steady0_;
};

} // namespace e2e
