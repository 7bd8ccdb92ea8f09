// The files that hold the examination's secrets, and the private broker
// locked down: a real mosquitto on a loopback port with the config it gets.

#include "e2e_support.h"
#include "options.h"
#include "private_broker.h"
#include "protocol.h"

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
    mosquitto *m_ = mosquitto_new(nullptr, true, this);
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
    void keyFile_data();
    void keyFile();
    void lockedDown_data();
    void lockedDown();
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
    QCOMPARE(loadOptions(path).passphrase, QString("the key"));
    QCOMPARE(loadOptions(path).role, Role::Room);
}

void TestPrivateBroker::keyFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("key"); // empty: refused
    QTest::newRow("owner only") << QByteArray("秘密 の 言葉\r\nsecond line\n") << 0x6600 << "秘密 の 言葉";
    QTest::newRow("group may read") << QByteArray("k\n") << 0x6640 << "";
    QTest::newRow("anyone may read") << QByteArray("k\n") << 0x6604 << "";
    QTest::newRow("empty first line") << QByteArray("\nk\n") << 0x6600 << "";
    QTest::newRow("too long") << QByteArray(kMaxPassphraseBytes + 1, 'k') << 0x6600 << "";
}

void TestPrivateBroker::keyFile()
{
    QFETCH(QByteArray, content);
    QFETCH(int, mode);
    QFETCH(QString, key);
    QTemporaryDir dir;
    write(dir.filePath("key"), content, QFile::Permissions(mode));
    QString read = "before";
    const QString why = readKeyFile(dir.filePath("key"), read);
    QCOMPARE(why.isEmpty(), !key.isEmpty());
    QCOMPARE(read, key.isEmpty() ? QString("before") : key);
}

void TestPrivateBroker::lockedDown_data()
{
    QTest::addColumn<QString>("user"); // empty: anonymous
    QTest::addColumn<QString>("password"); // "derived": from the passphrase
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
    setup.passphrase = "the examination's key";
    setup.rooms = QStringList{"A", "3 号室"};
    PrivateBroker broker;
    QSignalSpy failed(&broker, &PrivateBroker::failed);
    QCOMPARE(broker.start(setup), QString());
    QVERIFY(QSignalSpy(&broker, &PrivateBroker::started).wait(3000));
    // Its files are its owner's only, and (below) no password is on its command line.
    QVERIFY2(failed.isEmpty(), failed.isEmpty() ? "" : qPrintable(failed[0][0].toString()));
    QCOMPARE(QFile::permissions(broker.folder()) & 0x0077, QFile::Permissions());
    for (const QString &f : QDir(broker.folder()).entryList(QDir::Files))
        QCOMPARE(modeOf(broker.folder() + "/" + f), kOwnerOnly);

    if (password == "derived")
        password = brokerPassword(setup.passphrase, setup.exam, user);
    Probe probe;
    int rc = -1;
    for (int i = 0; i < 40 && rc < 0; ++i, QTest::qWait(50)) // until it listens
        rc = Probe().connect(setup.port, QString::fromLatin1(kControllerUser),
                             brokerPassword(setup.passphrase, setup.exam, QString::fromLatin1(kControllerUser)));
    QVERIFY2(failed.isEmpty(), failed.isEmpty() ? "" : qPrintable(failed[0][0].toString()));
    QCOMPARE(rc, 0);
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(broker.processId()));
    QVERIFY(cmdline.open(QIODevice::ReadOnly));
    QCOMPARE(cmdline.readAll().split('\0').mid(1), QList<QByteArray>({"-c", QFile::encodeName(broker.folder()) + "/mosquitto.conf", ""}));
    const int connack = probe.connect(setup.port, user, password);
    if (topic.isEmpty()) {
        QCOMPARE(connack != 0, !allowed);
        QVERIFY2(connack > 0, "refused by the broker, not by a broken connection");
    } else {
        QCOMPARE(connack, 0);
        // 0, or 16 when nobody subscribes; 135 when not authorised.
        const int puback = probe.publish("tavrin/E/" + topic);
        QVERIFY(puback >= 0);
        QCOMPARE(puback < 128, allowed);
    }
    QCOMPARE(failed.size(), 0);
}

QTEST_GUILESS_MAIN(TestPrivateBroker)
#include "tst_private_broker.moc"
