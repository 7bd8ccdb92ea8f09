#include "mqtt_client.h"

#include "clock.h"
#include "protocol.h"

#include <QMetaObject>
#include <QScopeGuard>

#include <mosquitto.h>
#include <mqtt_protocol.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace tavrin::rooms {

// What a pinned connection's TLS check needs, the context's app data. Not in
// the anonymous namespace: MqttClient::Link holds one.
struct TlsPin {
    QByteArray sha256;
    std::atomic<bool> mismatch{false};
};

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

// The broker's certificate is taken when its SHA-256 is the pin, whoever
// signed it and whatever its name: the join file says which one it is.
int checkPin(int, X509_STORE_CTX *store)
{
    if (X509_STORE_CTX_get_error_depth(store) > 0)
        return 1; // the chain above it is not looked at; its own hash decides
    auto *ssl = static_cast<SSL *>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto *pin = static_cast<TlsPin *>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    X509 *cert = X509_STORE_CTX_get_current_cert(store);
    const bool same = pin && cert && X509_digest(cert, EVP_sha256(), md, &n) == 1 &&
                      QByteArray(reinterpret_cast<const char *>(md), int(n)) == pin->sha256;
    if (pin && !same)
        pin->mismatch = true;
    return same ? 1 : 0;
}

// Every connection's cleanup, so that the program's end can wait for them.
struct Cleanups {
    std::mutex mutex;
    std::condition_variable idle;
    int running = 0;
};
Cleanups &cleanups()
{
    static Cleanups c;
    return c;
}

} // namespace

struct MqttClient::Link {
    mosquitto *mosq = nullptr;
    std::vector<Subscription> subscriptions;
    Responder responder;
    QByteArray host;
    int port = 0;
    int keepAlive = 5;
    bool will = false;
    TlsPin pin; // used by the TLS context while mosq lives
    std::thread thread;

    std::mutex mutex;
    std::condition_variable wake;
    MqttClient *owner = nullptr; // null once the client let go
    bool stopping = false;
    bool done = false; // the network thread has ended

    // Queued to the client's thread, unless it let go.
    template <typename F>
    void post(F f)
    {
        std::lock_guard lock(mutex);
        if (MqttClient *c = owner)
            QMetaObject::invokeMethod(c, [c, f] { f(c); }, Qt::QueuedConnection);
    }
    void report(bool connected, const QString &why)
    {
        const QString reason = !connected && pin.mismatch.exchange(false) ? QStringLiteral("TLS pin mismatch") : why;
        post([connected, reason](MqttClient *c) { c->reported(connected, reason); });
    }
    bool isStopping()
    {
        std::lock_guard lock(mutex);
        return stopping;
    }
    bool send(const Outgoing &m) const
    {
        mosquitto_property *props = properties(m);
        const QByteArray topic = m.topic.toUtf8();
        const int rc = mosquitto_publish_v5(mosq, nullptr, topic.constData(), static_cast<int>(m.payload.size()),
                                            m.payload.constData(), m.qos, m.retain, props);
        mosquitto_property_free_all(&props);
        return rc == MOSQ_ERR_SUCCESS;
    }

    // The network thread: the name lookup and the first connect happen here,
    // never on the caller's thread.
    void run()
    {
        // The broker sends nothing larger than this (MQTT 5), so that an
        // oversized message is dropped there before this program copies it.
        mosquitto_property *connectProps = nullptr;
        mosquitto_property_add_int32(&connectProps, MQTT_PROP_MAXIMUM_PACKET_SIZE, kMaxPacket);
        int rc = mosquitto_connect_bind_v5(mosq, host.constData(), port, keepAlive, nullptr, connectProps);
        mosquitto_property_free_all(&connectProps);
        if (rc != MOSQ_ERR_SUCCESS) // a broker not there yet is tried again below
            report(false, reason(rc, false));
        while (!isStopping()) {
            rc = mosquitto_loop_forever(mosq, 1000, 1);
            if (isStopping())
                break;
            // It gives up on some errors (a failed TLS handshake, a name
            // that does not resolve): tried again all the same, slowly.
            report(false, reason(rc, false));
            std::unique_lock lock(mutex);
            if (wake.wait_for(lock, std::chrono::seconds(4), [this] { return stopping; }))
                break;
            lock.unlock();
            mosquitto_reconnect(mosq);
        }
        std::lock_guard lock(mutex);
        done = true;
        wake.notify_all();
    }

    // On a thread of its own: leaves the broker, waits for the network
    // thread and frees the connection.
    static void finish(std::shared_ptr<Link> link)
    {
        {
            std::unique_lock lock(link->mutex);
            link->stopping = true;
            link->wake.notify_all();
            // A disconnect that comes while the library reconnects can be
            // lost in it: said again until the network thread has ended.
            while (!link->done) {
                lock.unlock();
                mosquitto_disconnect_v5(link->mosq, link->will ? MQTT_RC_DISCONNECT_WITH_WILL_MSG : 0, nullptr);
                lock.lock();
                link->wake.wait_for(lock, std::chrono::milliseconds(200), [&] { return link->done; });
            }
        }
        link->thread.join();
        mosquitto_destroy(link->mosq);
        link->mosq = nullptr;
        Cleanups &c = cleanups();
        std::lock_guard lock(c.mutex);
        if (--c.running == 0)
            c.idle.notify_all();
    }
};

struct Callbacks {
    static void connect(mosquitto *m, void *self, int rc, int, const mosquitto_property *)
    {
        auto *link = static_cast<MqttClient::Link *>(self);
        if (rc == 0) {
            // Made again on every connect: the session starts clean.
            for (const MqttClient::Subscription &s : link->subscriptions) {
                const int options = s.noLocal ? MQTT_SUB_OPT_NO_LOCAL : 0;
                mosquitto_subscribe_v5(m, nullptr, s.filter.constData(), s.qos, options, nullptr);
            }
        }
        link->report(rc == 0, rc == 0 ? QString() : reason(rc, true));
    }

    static void disconnect(mosquitto *, void *self, int rc, const mosquitto_property *)
    {
        static_cast<MqttClient::Link *>(self)->report(false, reason(rc, false));
    }

    static void message(mosquitto *, void *self, const mosquitto_message *msg, const mosquitto_property *props)
    {
        auto *link = static_cast<MqttClient::Link *>(self);
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

        if (link->responder) {
            if (const std::optional<Outgoing> answer = link->responder(in)) {
                link->send(*answer);
                return;
            }
        }
        link->post([in](MqttClient *c) { emit c->received(in); });
    }
};

MqttClient::MqttClient(const QString &clientId, QObject *parent) : MqttLink(parent), clientId_(clientId.toUtf8()) {}

MqttClient::~MqttClient()
{
    stop();
}

void MqttClient::addSubscription(const QString &filter, int qos, bool noLocal)
{
    subscriptions_.push_back({filter.toUtf8(), qos, noLocal});
}

qint64 MqttClient::nowUs()
{
    return Clock::system().wallUs();
}

QString MqttClient::start()
{
    if (started_)
        return {};
    initLibrary();
    auto link = std::make_shared<Link>();
    link->subscriptions = subscriptions_;
    link->responder = responder_;
    link->host = broker_.host.toUtf8();
    link->port = broker_.port;
    link->keepAlive = broker_.keepAliveSeconds;
    link->will = will_.has_value();
    mosquitto *mosq = mosquitto_new(clientId_.constData(), true, link.get());
    if (!mosq)
        return QStringLiteral("mosquitto_new failed");
    link->mosq = mosq;
    // Freed on a thread of its own from here on, whatever happens below.
    auto cleanUp = qScopeGuard([&link] {
        if (link)
            mosquitto_destroy(link->mosq);
    });
    mosquitto_int_option(mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
    // Nagle's algorithm holds a small message back while an earlier one is
    // unacknowledged, and the peer's delayed ack makes that about 40 ms:
    // a state or a clock answer late by that much.
    mosquitto_int_option(mosq, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_threaded_set(mosq, true);
    mosquitto_connect_v5_callback_set(mosq, &Callbacks::connect);
    mosquitto_disconnect_v5_callback_set(mosq, &Callbacks::disconnect);
    mosquitto_message_v5_callback_set(mosq, &Callbacks::message);
    // Back within a second or two of the broker's return; never hammering
    // one that stays away.
    mosquitto_reconnect_delay_set(mosq, 1, 4, true);
    const QByteArray user = broker_.user.toUtf8();
    const QByteArray password = broker_.password.toUtf8();
    int rc = mosquitto_username_pw_set(mosq, orNull(user), user.isEmpty() ? nullptr : password.constData());
    if (rc != MOSQ_ERR_SUCCESS)
        return reason(rc, false);
    if (!broker_.tlsPin.isEmpty()) {
        SSL_CTX *ctx = SSL_CTX_new(TLS_client_method());
        if (!ctx)
            return QStringLiteral("SSL_CTX_new failed");
        SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
        link->pin.sha256 = broker_.tlsPin;
        SSL_CTX_set_app_data(ctx, &link->pin);
        SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, &checkPin);
        // The library takes a reference of its own, and uses the context as
        // it is: no CA, no host name.
        mosquitto_int_option(mosq, MOSQ_OPT_SSL_CTX_WITH_DEFAULTS, 0);
        rc = mosquitto_void_option(mosq, MOSQ_OPT_SSL_CTX, ctx);
        SSL_CTX_free(ctx);
        if (rc != MOSQ_ERR_SUCCESS)
            return reason(rc, false);
    } else if (broker_.tls) {
        const QByteArray ca = broker_.caFile.toLocal8Bit(), caPath = broker_.caPath.toLocal8Bit(),
                         cert = broker_.certFile.toLocal8Bit(), key = broker_.keyFile.toLocal8Bit();
        if (ca.isEmpty() && caPath.isEmpty()) {
            // The library takes a client certificate only together with
            // the certificates it checks the broker against.
            if (!cert.isEmpty())
                return QStringLiteral("a client certificate needs a CA file or folder");
            mosquitto_int_option(mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        } else if ((rc = mosquitto_tls_set(mosq, orNull(ca), orNull(caPath), orNull(cert), orNull(key), nullptr)) !=
                   MOSQ_ERR_SUCCESS) {
            return reason(rc, false);
        }
        mosquitto_tls_insecure_set(mosq, broker_.tlsInsecure);
    }
    if (will_) {
        const QByteArray topic = will_->topic.toUtf8();
        mosquitto_property *props = properties(*will_);
        rc = mosquitto_will_set_v5(mosq, topic.constData(), static_cast<int>(will_->payload.size()),
                                   will_->payload.constData(), will_->qos, will_->retain, props);
        if (rc != MOSQ_ERR_SUCCESS) {
            mosquitto_property_free_all(&props);
            return reason(rc, false);
        }
    }
    link->owner = this;
    {
        std::lock_guard lock(cleanups().mutex);
        ++cleanups().running;
    }
    link->thread = std::thread([l = link.get()] { l->run(); });
    link_ = std::move(link);
    started_ = true;
    return {};
}

void MqttClient::stop()
{
    if (!link_)
        return;
    {
        std::lock_guard lock(link_->mutex);
        link_->owner = nullptr;
    }
    started_ = false;
    connected_ = false;
    lastReason_.clear();
    std::thread(&Link::finish, std::move(link_)).detach();
}

bool MqttClient::waitForStopped(int timeoutMs)
{
    Cleanups &c = cleanups();
    std::unique_lock lock(c.mutex);
    return c.idle.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&c] { return c.running == 0; });
}

bool MqttClient::publish(const Outgoing &m)
{
    if (!started_ || !connected_)
        return false;
    return link_->send(m);
}

void MqttClient::reported(bool connected, const QString &why)
{
    if (!started_)
        return;
    // Every failed attempt reports again; only news is passed on.
    if (connected == connected_ && why == lastReason_)
        return;
    connected_ = connected;
    lastReason_ = why;
    emit connectionChanged(connected, why);
}

} // namespace tavrin::rooms
