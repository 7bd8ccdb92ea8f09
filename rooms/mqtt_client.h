#pragma once

// One connection to an MQTT 5 broker through libmosquitto, run on a thread
// of its own (the name lookup and connecting, reconnecting with a growing
// delay, keep-alive, TLS); everything it reports is handed to the thread
// this object lives in as a queued call, so that the program's single-thread
// model holds. Only a responder set before start() runs on the network
// thread, for answers that must leave at once (the time). Neither start()
// nor stop() waits for the network: stopping hands the connection to a
// thread that leaves the broker and frees it.

#include "mqtt_link.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct mosquitto;

namespace tavrin::rooms {

class MqttClient : public MqttLink {
    Q_OBJECT
public:
    explicit MqttClient(const QString &clientId, QObject *parent = nullptr);
    ~MqttClient() override;

    // Before start(): where to connect, the last will, the subscriptions
    // (made again on every connect), and a responder.
    void setBroker(const BrokerSettings &broker) override { broker_ = broker; }
    void setWill(const Outgoing &will) override { will_ = will; }
    void addSubscription(const QString &filter, int qos, bool noLocal = false) override;
    // Runs on the network thread for every message; an answer it returns is
    // published from there at once and the message is not passed on.
    void setResponder(Responder responder) override { responder_ = std::move(responder); }

    // Starts connecting; empty, or why the settings cannot be used.
    QString start() override;
    // Leaves with the will, so that the others learn of it as of a member
    // that dropped off; nothing is reported after it.
    void stop() override;
    // Waits, up to timeoutMs, until every connection stopped has left its
    // broker (at the program's end, so that the will's words go out).
    static bool waitForStopped(int timeoutMs);

    bool isConnected() const override { return connected_; }
    // False when not connected: nothing is queued for later, a member sends
    // what is current when it is back.
    bool publish(const Outgoing &m) override;

    // The wall clock in microseconds, the clock every exchange is timed on.
    static qint64 nowUs();

private:
    struct Subscription {
        QByteArray filter;
        int qos = 0;
        bool noLocal = false;
    };
    struct Link; // what the network thread shares, outliving this object
    friend struct Callbacks; // libmosquitto's, on the network thread
    void reported(bool connected, const QString &reason);

    QByteArray clientId_;
    BrokerSettings broker_;
    std::optional<Outgoing> will_;
    std::vector<Subscription> subscriptions_;
    Responder responder_;
    std::shared_ptr<Link> link_;
    bool started_ = false;
    bool connected_ = false; // as last reported on this thread
    QString lastReason_;
};

} // namespace tavrin::rooms
