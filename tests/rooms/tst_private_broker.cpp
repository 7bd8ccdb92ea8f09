// The files that hold the examination's secrets, and the private broker
// locked down: a real mosquitto on a loopback port with the config it gets.

#include "e2e_support.h"
#include "options.h"
#include "join_file.h"
#include "mqtt_client.h"
#include "private_broker.h"
#include "protocol.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <mosquitto.h>
#include <mqtt_protocol.h>

using namespace tavrin::rooms;

namespace {

constexpr auto kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

QFile::Permissions modeOf(const QString &path)
{
    return QFile::permissions(path) & (kOwnerOnly | QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup);
}

void write(const QString &path, const QByteArray &data, QFile::Permissions mode)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(data) == data.size());
    f.close();
    QVERIFY(f.setPermissions(mode));
}

// The test's own MQTT 5 client, as a stranger on the network would use one.
class Probe {
public:
    ~Probe() { mosquitto_destroy(m_); }
    // The CONNACK's reason code (0: in), -1 if none came.
    explicit Probe(const char *clientId = nullptr) : m_(mosquitto_new(clientId, true, this)) {}
    int connect(int port, const QString &user, const QString &password)
    {
        mosquitto_int_option(m_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
        mosquitto_connect_v5_callback_set(m_, [](mosquitto *, void *p, int rc, int, const mosquitto_property *) {
            static_cast<Probe *>(p)->connack_ = rc;
        });
        mosquitto_publish_v5_callback_set(m_, [](mosquitto *, void *p, int, int rc, const mosquitto_property *) {
            static_cast<Probe *>(p)->puback_ = rc;
        });
        if (!user.isEmpty())
            mosquitto_username_pw_set(m_, user.toUtf8().constData(), password.toUtf8().constData());
        if (mosquitto_connect(m_, "127.0.0.1", port, 5) != MOSQ_ERR_SUCCESS)
            return -1;
        return until(connack_);
    }
    // The PUBACK's reason code of a QoS 1 message.
    int publish(const QString &topic)
    {
        puback_ = -1;
        mosquitto_publish_v5(m_, nullptr, topic.toUtf8().constData(), 1, "x", 1, false, nullptr);
        return until(puback_);
    }

private:
    int until(const int &value)
    {
        QElapsedTimer t;
        t.start();
        while (value < 0 && t.elapsed() < 3000 && mosquitto_loop(m_, 50, 1) == MOSQ_ERR_SUCCESS) {
        }
        return value;
    }
public:
    // Whether the broker still holds the connection after a while.
    bool stillIn()
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 1500)
            if (mosquitto_loop(m_, 50, 1) != MOSQ_ERR_SUCCESS)
                return false;
        return true;
    }

private:
    mosquitto *m_;
    int connack_ = -1;
    int puback_ = -1;
};

} // namespace

class TestPrivateBroker : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { mosquitto_lib_init(); }
    void optionsFile_data();
    void optionsFile();
    void lockedDown_data();
    void lockedDown();
    void joined();
    void connectionIdTaken();
    void pinned_data();
    void pinned();
};

void TestPrivateBroker::optionsFile_data()
{
    QTest::addColumn<QString>("before"); // none, open, open-secret, link
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("told");      // on reading, before the save
    QTest::newRow("made afresh") << "none" << true << false;
    QTest::newRow("made open by another part") << "open" << true << false;
    QTest::newRow("open with a passphrase in it") << "open-secret" << true << true;
    QTest::newRow("a link in its place") << "link" << false << false;
}

void TestPrivateBroker::optionsFile()
{
    QFETCH(QString, before);
    QFETCH(bool, saved);
    QFETCH(bool, told);
    QTemporaryDir dir;
    const QString path = dir.filePath("Tavrin-options.ini"), target = dir.filePath("elsewhere");
    if (before.startsWith("open"))
        write(path, before == "open" ? "[display]\nscreen=1\n" : "[rooms]\npassphrase=abc\n", QFile::Permissions(0x6644));
    if (before == "link") {
        write(target, "x", QFile::Permissions(0x6644));
        QVERIFY(QFile::link(target, path));
    }
    QCOMPARE(!optionsFileNotice(path).isEmpty(), told);
    if (told)
        QCOMPARE(modeOf(path), kOwnerOnly);
    RoomsOptions o;
    o.role = Role::Room;
    o.exam = "E";
    o.room = "A";
    o.broker.host = "127.0.0.1";
    o.passphrase = "the key";
    QCOMPARE(saveOptions(path, o, {}).isEmpty(), saved);
    if (!saved) {
        QCOMPARE(QFile(target).size(), 1); // nothing written through the link
        return;
    }
    QCOMPARE(modeOf(path), kOwnerOnly);
    // Nothing secret is kept, an old version's passphrase included.
    QCOMPARE(QSettings(path, QSettings::IniFormat).allKeys().filter("pass"), QStringList());
    QCOMPARE(loadOptions(path).passphrase, QString());
    QCOMPARE(loadOptions(path).role, Role::Room);
}

void TestPrivateBroker::lockedDown_data()
{
    QTest::addColumn<QString>("user"); // empty: anonymous
    QTest::addColumn<QString>("password"); // "derived": the user's own login
    QTest::addColumn<QString>("topic");    // under tavrin/E/; empty: only log in
    QTest::addColumn<bool>("allowed");
    const QString d = "derived";
    QTest::newRow("anonymous") << "" << "" << "" << false;
    QTest::newRow("a wrong password") << "A" << "guess" << "" << false;
    QTest::newRow("an unknown user") << "Z" << d << "" << false;
    QTest::newRow("room: its status") << "A" << d << "rooms/A/status" << true;
    QTest::newRow("room: a clock question") << "3 号室" << d << "clock" << true;
    QTest::newRow("room: another room's status") << "A" << d << "rooms/3 号室/status" << false;
    QTest::newRow("room: the controller's state") << "A" << d << "state" << false;
    QTest::newRow("room: the controller's presence") << "A" << d << "controller" << false;
    QTest::newRow("room: a clock answer") << "A" << d << "rooms/A/clock" << false;
    QTest::newRow("controller: the state") << kControllerUser << d << "state" << true;
    QTest::newRow("controller: a clock answer") << kControllerUser << d << "rooms/A/clock" << true;
    QTest::newRow("controller: a room's status") << kControllerUser << d << "rooms/A/status" << false;
}

void TestPrivateBroker::lockedDown()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, topic);
    QFETCH(bool, allowed);
    PrivateBrokerSetup setup;
    setup.port = e2e::freeLoopbackPort();
    setup.exam = "E";
    setup.rooms = QStringList{"A", "3 号室"};
    QTemporaryDir dir;
    QCOMPARE(readOrMakeLogins(dir.filePath("logins"), QStringList(setup.rooms) << kControllerUser, setup.logins),
             QString());
    PrivateBroker broker;
    QSignalSpy failed(&broker, &PrivateBroker::failed);
    QSignalSpy refused(&broker, &PrivateBroker::loginRefused);
    QCOMPARE(broker.start(setup), QString());
    QVERIFY(QSignalSpy(&broker, &PrivateBroker::started).wait(3000));
    // Its files are its owner's only, and (below) no password is on its command line.
    QVERIFY2(failed.isEmpty(), failed.isEmpty() ? "" : qPrintable(failed[0][0].toString()));
    QCOMPARE(QFile::permissions(broker.folder()) & 0x0077, QFile::Permissions());
    for (const QString &f : QDir(broker.folder()).entryList(QDir::Files))
        QCOMPARE(modeOf(broker.folder() + "/" + f), kOwnerOnly);

    if (password == "derived")
        password = setup.logins.value(user);
    Probe probe;
    int rc = -1;
    for (int i = 0; i < 40 && rc < 0; ++i, QTest::qWait(50)) // until it listens
        rc = Probe().connect(setup.port, QString::fromLatin1(kControllerUser), setup.logins.value(kControllerUser));
    QVERIFY2(failed.isEmpty(), failed.isEmpty() ? "" : qPrintable(failed[0][0].toString()));
    QCOMPARE(rc, 0);
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(broker.processId()));
    QVERIFY(cmdline.open(QIODevice::ReadOnly));
    QCOMPARE(cmdline.readAll().split('\0').mid(1), QList<QByteArray>({"-c", QFile::encodeName(broker.folder()) + "/mosquitto.conf", ""}));
    const int connack = probe.connect(setup.port, user, password);
    if (topic.isEmpty()) {
        QCOMPARE(connack != 0, !allowed);
        QVERIFY2(connack > 0, "refused by the broker, not by a broken connection");
        // The operator hears of it, with where it came from.
        QTRY_VERIFY(!refused.isEmpty());
        QVERIFY(refused[0][0].toString().startsWith("127.0.0.1:"));
    } else {
        QCOMPARE(connack, 0);
        // 0, or 16 when nobody subscribes; 135 when not authorised.
        const int puback = probe.publish("tavrin/E/" + topic);
        QVERIFY(puback >= 0);
        QCOMPARE(puback < 128, allowed);
    }
    QCOMPARE(failed.size(), 0);
}

namespace {

// A private broker on a free port with its logins (and Tavrin's certificate
// when tls); started() waited for.
struct Running {
    QTemporaryDir dir;
    PrivateBrokerSetup setup;
    BrokerCertificate cert;
    PrivateBroker broker;
    QString start(bool tls)
    {
        setup.port = e2e::freeLoopbackPort();
        setup.exam = "E";
        setup.rooms = QStringList{"A", "B"};
        if (QString e = readOrMakeLogins(dir.filePath("logins"), QStringList(setup.rooms) << kControllerUser,
                                         setup.logins);
            !e.isEmpty())
            return e;
        if (tls) {
            if (QString e = readOrMakeCertificate(dir.filePath("crt"), dir.filePath("key"), cert); !e.isEmpty())
                return e;
            setup.certFile = cert.certFile;
            setup.keyFile = cert.keyFile;
        }
        QSignalSpy started(&broker, &PrivateBroker::started);
        if (QString e = broker.start(setup); !e.isEmpty())
            return e;
        if (!started.wait(3000))
            return "not started";
        QTest::qWait(300); // until it listens
        return {};
    }
};

} // namespace

// --join FILE: the room as its join file says, and of it only its path is kept.
void TestPrivateBroker::joined()
{
    QTemporaryDir dir;
    JoinFile j{"E", "第2教室", QByteArray(32, 'k'), "192.168.1.10", 8883, QByteArray(32, 'p'), "第2教室", "s3cret"};
    const QString join = dir.filePath("room.tavrin-join"), options = dir.filePath("Tavrin-options.ini");
    QCOMPARE(saveJoinFile(join, j), QString());
    QCommandLineParser parser;
    addCommandLineOptions(parser);
    QVERIFY(parser.parse({"tavrin", "--join", join}));
    RoomsOptions o;
    QCOMPARE(applyCommandLine(parser, o), QString());
    QCOMPARE(o.role, Role::Room);
    QCOMPARE(o.examPublicKey, j.examKey);
    QCOMPARE(loginFor(o).tlsPin, j.tlsPin);
    QCOMPARE(loginFor(o).password, QString("s3cret"));
    QCOMPARE(saveOptions(options, o, {}), QString());
    QFile f(options);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(!f.readAll().contains("s3cret"));
    QCOMPARE(loadOptions(options).broker.password, QString("s3cret")); // from the join file again
    // Together with other options it is refused, not half taken.
    QVERIFY(parser.parse({"tavrin", "--join", join, "--exam", "X"}));
    QVERIFY(!applyCommandLine(parser, o).isEmpty());
}

void TestPrivateBroker::connectionIdTaken()
{
    Running b;
    QCOMPARE(b.start(false), QString());
    // The controller's connection id is public; room A's login takes it.
    Probe controller("tavrin-c-0123456789abcdef");
    QCOMPARE(controller.connect(b.setup.port, kControllerUser, b.setup.logins.value(kControllerUser)), 0);
    QVERIFY(controller.stillIn());
    Probe thief("tavrin-c-0123456789abcdef");
    QCOMPARE(thief.connect(b.setup.port, "A", b.setup.logins.value("A")), 0);
    QVERIFY2(controller.stillIn(), "another login knocked the controller off");
    // The same login again takes its own connection: the old one goes.
    Probe again("whatever");
    QCOMPARE(again.connect(b.setup.port, "A", b.setup.logins.value("A")), 0);
    QVERIFY(!thief.stillIn());
    // The logins are random and kept: read again, they are the same.
    BrokerLogins reread;
    QCOMPARE(readOrMakeLogins(b.dir.filePath("logins"), {"A"}, reread), QString());
    QCOMPARE(reread, b.setup.logins);
    QVERIFY(b.setup.logins.value("A").size() >= 32 && b.setup.logins.value("A") != b.setup.logins.value("B"));
}

void TestPrivateBroker::pinned_data()
{
    QTest::addColumn<bool>("samePin");
    QTest::newRow("the join file's pin") << true;
    QTest::newRow("another certificate's pin") << false;
}

void TestPrivateBroker::pinned()
{
    QFETCH(bool, samePin);
    Running b;
    QCOMPARE(b.start(true), QString());
    QCOMPARE(modeOf(b.cert.keyFile), kOwnerOnly);
    BrokerSettings s;
    s.host = "127.0.0.1";
    s.port = b.setup.port;
    s.user = "A";
    s.password = b.setup.logins.value("A");
    s.tls = true;
    s.tlsPin = b.cert.pin;
    if (!samePin)
        s.tlsPin[0] = char(s.tlsPin[0] ^ 1);
    MqttClient client("tavrin-r-0123456789abcdef");
    client.setBroker(s);
    QSignalSpy changed(&client, &MqttLink::connectionChanged);
    QCOMPARE(client.start(), QString());
    QVERIFY(changed.wait(5000));
    QCOMPARE(changed.last()[0].toBool(), samePin);
    if (!samePin)
        QCOMPARE(changed.last()[1].toString(), QString("TLS pin mismatch"));
}

QTEST_GUILESS_MAIN(TestPrivateBroker)
#include "tst_private_broker.moc"
