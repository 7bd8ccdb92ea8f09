#pragma once

// A controller or a room of an examination on fake time, against a broker
// connection that the test plays: it delivers what the broker would and
// reads what the member published. For the members' unit tests.

#include "controller.h"
#include "engine.h"
#include "fake_clock.h"
#include "phase_timer.h"
#include "room.h"
#include "silent_ports.h"

#include <memory>
#include <optional>
#include <vector>

namespace tavrin::testing {

inline const QString kExam = QStringLiteral("E");
inline const QString kCtl = QStringLiteral("c-00000000000000c1");
inline const QString kOther = QStringLiteral("c-00000000000000c2");

// Connects at once and keeps what is published.
class FakeLink : public rooms::MqttLink {
public:
    std::vector<rooms::Outgoing> sent;
    void setBroker(const rooms::BrokerSettings &) override {}
    void setWill(const rooms::Outgoing &) override {}
    void addSubscription(const QString &, int, bool) override {}
    void setResponder(Responder) override {}
    QString start() override
    {
        emit connectionChanged(true, {});
        return {};
    }
    void stop() override {}
    bool isConnected() const override { return true; }
    bool publish(const rooms::Outgoing &m) override
    {
        sent.push_back(m);
        return true;
    }
};

struct CountingPlayers : SilentPlayers {
    int plays = 0;
    void command(int, PlayerCommand c) override { plays += c == PlayerCommand::Play; }
};

// An examination of the given times just started on e.
void startRun(Engine &e, int time1, int time2, int cycle);

// The fake clock, an engine on a silent window that its tick timer drives
// (as the window does), and what the broker carries.
struct MemberRig {
    // The examination's key, and two rooms' own.
    static const rooms::SigningKey &key();
    static const rooms::SigningKey &roomKey(int n);
    // A room's payload as it signs it: its public key named, then sealed.
    static QByteArray roomSealed(const rooms::SigningKey &k, const QString &topic, const QByteArray &payload,
                                 const QByteArray &correlation = {});

    FakeClock clock;
    SilentWindow window;
    CountingPlayers players;
    Engine engine{window, players};
    PhaseTimer timer{clock};
    rooms::Topics topics{kExam};
    FakeLink *link = nullptr;

    MemberRig();
    // The seams of the member to be made: the key (when signed) and the link.
    rooms::MemberSeams seams(bool sign = true, bool controller = true);
    void deliver(const QString &topic, const QByteArray &payload, const QByteArray &correlation = {},
                 bool retained = false);
    // Signed with k, or the rig's key.
    QByteArray presence(const QString &from, qint64 sinceMs, const QString &over = {}, bool leads = true,
                        const rooms::SigningKey *k = nullptr) const;
    QByteArray state(qint64 seq, qint64 dueMs, const rooms::SigningKey &k, const QString &topic, const QString &from = kCtl,
                     rooms::StateEvent event = rooms::StateEvent::Sync, const RunSnapshot &run = {}) const;
    // Published on topic, oldest first; the last state and presence, read back.
    std::vector<rooms::Outgoing> sentOn(const QString &topic) const;
    std::optional<rooms::StateMessage> lastState() const;
    std::optional<rooms::PresenceMessage> lastPresence() const;
};

struct RoomRig : MemberRig {
    std::unique_ptr<rooms::Room> room;
    RoomRig();
    // Answers the room's first question as the controller `from` at the same clock.
    // Answers the first clock question, as a controller whose clock reads
    // behindUs less than the room's and whose time keeper says keeping.
    void answerFirst(const QString &from, qint64 behindUs = 0, const rooms::ClockKeeping &keeping = {});
};

struct ControllerRig : MemberRig {
    std::unique_ptr<rooms::Controller> controller;
    // With the journal's question (fallback off) or without one.
    explicit ControllerRig(bool brokerFallback = true, bool sign = true);
};

} // namespace tavrin::testing
