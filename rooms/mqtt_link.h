#pragma once

// What a member needs of its connection to the broker. MqttClient is the
// real one; a test puts a fake in its place and drives the member by hand.

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace tavrin::rooms {

struct BrokerSettings {
    QString host;
    int port = 1883;
    QString user;
    QString password;
    bool tls = false;
    QString caFile;   // empty: the system's certificates
    QString caPath;
    QString certFile; // a client certificate, with its key
    QString keyFile;
    bool tlsInsecure = false; // do not check the broker's host name
    // SHA-256 of the broker's certificate (a join file's pin): with it, TLS
    // is on and the broker is taken by this alone, neither by a CA nor by
    // its name.
    QByteArray tlsPin;
    int keepAliveSeconds = 5;
};

struct Incoming {
    QString topic;
    QByteArray payload;
    QByteArray correlation;  // MQTT 5 correlation data
    QString responseTopic;   // MQTT 5 response topic
    bool retained = false;
    qint64 receivedUs = 0;   // wall clock, as the network thread read it
    qint64 size = 0;         // the payload's length; not copied beyond kMaxPayload
};

struct Outgoing {
    QString topic;
    QByteArray payload;
    int qos = 0;
    bool retain = false;
    QByteArray correlation;
    QString responseTopic;
    int expirySeconds = 0; // 0: never
};

// Everything below a member that talks to the broker.
class MqttLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MqttLink() override = default;

    virtual void setBroker(const BrokerSettings &broker) = 0;
    virtual void setWill(const Outgoing &will) = 0;
    virtual void addSubscription(const QString &filter, int qos, bool noLocal = false) = 0;
    // Runs on the network thread for every message; an answer it returns is
    // published from there at once and the message is not passed on.
    using Responder = std::function<std::optional<Outgoing>(const Incoming &)>;
    virtual void setResponder(Responder responder) = 0;
    virtual QString start() = 0;
    virtual void stop() = 0;
    virtual bool isConnected() const = 0;
    virtual bool publish(const Outgoing &m) = 0;

signals:
    void connectionChanged(bool connected, const QString &reason);
    void received(const tavrin::rooms::Incoming &message);
};

} // namespace tavrin::rooms
