#include "mqtt_client.h"

#include "protocol.h"

#include <QMetaObject>

#include <mosquitto.h>
#include <mqtt_protocol.h>

#include <cstdlib>
#include <ctime>
#include <mutex>

namespace tavrin::rooms {

namespace {

// mosquitto_lib_init is not thread-safe and is needed once per process.
void initLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

QString reason(int rc, bool mqttReason)
{
    return QString::fromUtf8(mqttReason ? mosquitto_reason_string(rc) : mosquitto_strerror(rc));
}

const char *orNull(const QByteArray &b)
{
    return b.isEmpty() ? nullptr : b.constData();
}

// The properties of every payload: UTF-8 JSON, and what a message asks for.
mosquitto_property *properties(const Outgoing &m)
{
    mosquitto_property *p = nullptr;
    mosquitto_property_add_byte(&p, MQTT_PROP_PAYLOAD_FORMAT_INDICATOR, 1);
    mosquitto_property_add_string(&p, MQTT_PROP_CONTENT_TYPE, "application/json");
    if (m.expirySeconds > 0)
        mosquitto_property_add_int32(&p, MQTT_PROP_MESSAGE_EXPIRY_INTERVAL, static_cast<uint32_t>(m.expirySeconds));
    if (!m.responseTopic.isEmpty())
        mosquitto_property_add_string(&p, MQTT_PROP_RESPONSE_TOPIC, m.responseTopic.toUtf8().constData());
    if (!m.correlation.isEmpty())
        mosquitto_property_add_binary(&p, MQTT_PROP_CORRELATION_DATA, m.correlation.constData(),
                                      static_cast<uint16_t>(qMin<qsizetype>(m.correlation.size(), 0xFFFF)));
    return p;
}

} // namespace

struct Callbacks {
    static void connect(mosquitto *m, void *self, int rc, int, const mosquitto_property *)
    {
        auto *c = static_cast<MqttClient *>(self);
        if (rc == 0) {
            // Made again on every connect: the session starts clean.
            for (const MqttClient::Subscription &s : c->subscriptions_) {
                const int options = s.noLocal ? MQTT_SUB_OPT_NO_LOCAL : 0;
                mosquitto_subscribe_v5(m, nullptr, s.filter.constData(), s.qos, options, nullptr);
            }
        }
        c->report(rc == 0, rc == 0 ? QString() : reason(rc, true));
    }

    static void disconnect(mosquitto *, void *self, int rc, const mosquitto_property *)
    {
        static_cast<MqttClient *>(self)->report(false, reason(rc, false));
    }

    static void message(mosquitto *, void *self, const mosquitto_message *msg, const mosquitto_property *props)
    {
        auto *c = static_cast<MqttClient *>(self);
        Incoming in;
        in.receivedUs = MqttClient::nowUs();
        in.topic = QString::fromUtf8(msg->topic);
        in.size = msg->payloadlen;
        // Anything larger is refused unread: it is not even copied.
        if (msg->payload && msg->payloadlen > 0 && msg->payloadlen <= kMaxPayload)
            in.payload = QByteArray(static_cast<const char *>(msg->payload), msg->payloadlen);
        in.retained = msg->retain;
        void *data = nullptr;
        uint16_t length = 0;
        if (mosquitto_property_read_binary(props, MQTT_PROP_CORRELATION_DATA, &data, &length, false) && data)
            in.correlation = QByteArray(static_cast<const char *>(data), length);
        std::free(data);
        char *topic = nullptr;
        if (mosquitto_property_read_string(props, MQTT_PROP_RESPONSE_TOPIC, &topic, false) && topic)
            in.responseTopic = QString::fromUtf8(topic);
        std::free(topic);

        if (c->responder_) {
            if (const std::optional<Outgoing> answer = c->responder_(in)) {
                c->send(*answer);
                return;
            }
        }
        QMetaObject::invokeMethod(c, [c, in] { emit c->received(in); }, Qt::QueuedConnection);
    }
};

MqttClient::MqttClient(const QString &clientId, QObject *parent) : MqttLink(parent), clientId_(clientId.toUtf8()) {}

MqttClient::~MqttClient()
{
    stop();
    if (mosq_)
        mosquitto_destroy(mosq_);
}

void MqttClient::addSubscription(const QString &filter, int qos, bool noLocal)
{
    subscriptions_.push_back({filter.toUtf8(), qos, noLocal});
}

qint64 MqttClient::nowUs()
{
    // Through the C library, as Qt reads the wall clock, so that a changed
    // clock (or one moved for a test) is the same clock everywhere.
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return qint64(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

QString MqttClient::start()
{
    if (started_)
        return {};
    initLibrary();
    if (!mosq_) {
        mosq_ = mosquitto_new(clientId_.constData(), true, this);
        if (!mosq_)
            return QStringLiteral("mosquitto_new failed");
        mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
        mosquitto_connect_v5_callback_set(mosq_, &Callbacks::connect);
        mosquitto_disconnect_v5_callback_set(mosq_, &Callbacks::disconnect);
        mosquitto_message_v5_callback_set(mosq_, &Callbacks::message);
        // Back within a second or two of the broker's return; never hammering
        // one that stays away.
        mosquitto_reconnect_delay_set(mosq_, 1, 4, true);
    }
    const QByteArray user = broker_.user.toUtf8();
    const QByteArray password = broker_.password.toUtf8();
    int rc = mosquitto_username_pw_set(mosq_, orNull(user), user.isEmpty() ? nullptr : password.constData());
    if (rc != MOSQ_ERR_SUCCESS)
        return reason(rc, false);
    if (broker_.tls) {
        const QByteArray ca = broker_.caFile.toLocal8Bit(), caPath = broker_.caPath.toLocal8Bit(),
                         cert = broker_.certFile.toLocal8Bit(), key = broker_.keyFile.toLocal8Bit();
        if (ca.isEmpty() && caPath.isEmpty()) {
            // The library takes a client certificate only together with
            // the certificates it checks the broker against.
            if (!cert.isEmpty())
                return QStringLiteral("a client certificate needs a CA file or folder");
            mosquitto_int_option(mosq_, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        } else if ((rc = mosquitto_tls_set(mosq_, orNull(ca), orNull(caPath), orNull(cert), orNull(key), nullptr)) !=
                   MOSQ_ERR_SUCCESS) {
            return reason(rc, false);
        }
        mosquitto_tls_insecure_set(mosq_, broker_.tlsInsecure);
    }
    if (will_) {
        const QByteArray topic = will_->topic.toUtf8();
        rc = mosquitto_will_set_v5(mosq_, topic.constData(), static_cast<int>(will_->payload.size()),
                                   will_->payload.constData(), will_->qos, will_->retain, properties(*will_));
        if (rc != MOSQ_ERR_SUCCESS)
            return reason(rc, false);
    }
    // The broker sends nothing larger than this (MQTT 5), so that an
    // oversized message is dropped there before this program copies it.
    mosquitto_property *connectProps = nullptr;
    mosquitto_property_add_int32(&connectProps, MQTT_PROP_MAXIMUM_PACKET_SIZE, kMaxPacket);
    const QByteArray host = broker_.host.toUtf8();
    rc = mosquitto_connect_bind_v5(mosq_, host.constData(), broker_.port, broker_.keepAliveSeconds, nullptr,
                                   connectProps);
    mosquitto_property_free_all(&connectProps);
    // A broker that is not there yet is tried again by the network thread.
    if (rc != MOSQ_ERR_SUCCESS)
        report(false, reason(rc, false));
    const int loop = mosquitto_loop_start(mosq_);
    if (loop != MOSQ_ERR_SUCCESS)
        return reason(loop, false);
    started_ = true;
    return {};
}

void MqttClient::stop()
{
    if (!started_)
        return;
    started_ = false;
    mosquitto_disconnect_v5(mosq_, will_ ? MQTT_RC_DISCONNECT_WITH_WILL_MSG : 0, nullptr);
    mosquitto_loop_stop(mosq_, false);
    connected_ = false;
    lastReason_.clear();
}

bool MqttClient::publish(const Outgoing &m)
{
    if (!started_ || !connected_)
        return false;
    return send(m);
}

bool MqttClient::send(const Outgoing &m)
{
    mosquitto_property *props = properties(m);
    const QByteArray topic = m.topic.toUtf8();
    const int rc = mosquitto_publish_v5(mosq_, nullptr, topic.constData(), static_cast<int>(m.payload.size()),
                                        m.payload.constData(), m.qos, m.retain, props);
    mosquitto_property_free_all(&props);
    return rc == MOSQ_ERR_SUCCESS;
}

void MqttClient::report(bool connected, const QString &why)
{
    QMetaObject::invokeMethod(
        this,
        [this, connected, why] {
            if (!started_)
                return;
            // Every failed attempt reports again; only news is passed on.
            if (connected == connected_ && why == lastReason_)
                return;
            connected_ = connected;
            lastReason_ = why;
            emit connectionChanged(connected, why);
        },
        Qt::QueuedConnection);
}

} // namespace tavrin::rooms
