#include "identity.h"
#include "join_file.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace tavrin::rooms;

namespace {
// Cheap enough for a test; the program's own cost is measured by a benchmark.
constexpr StretchCost kCheap{1, 8 << 20};
const QString kTopic = QStringLiteral("tavrin/E/state");
const QByteArray kBody = "{\"v\":2,\"kind\":\"state\",\"seq\":1}";
} // namespace

class TstIdentity : public QObject {
    Q_OBJECT
private slots:
    void sealedPayloads_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("expected");
        QTest::newRow("as sealed") << "good" << int(SigCheck::Good);
        QTest::newRow("another key") << "other key" << int(SigCheck::Wrong);
        QTest::newRow("moved to another topic") << "topic" << int(SigCheck::Wrong);
        QTest::newRow("another question's correlation") << "correlation" << int(SigCheck::Wrong);
        QTest::newRow("one byte changed") << "byte" << int(SigCheck::Wrong);
        QTest::newRow("signature not base64url") << "garbled" << int(SigCheck::Wrong);
        QTest::newRow("no signature") << "bare" << int(SigCheck::Missing);
        QTest::newRow("a MAC instead") << "mac" << int(SigCheck::Missing);
    }
    void sealedPayloads()
    {
        QFETCH(QString, what);
        QFETCH(int, expected);
        const SigningKey key = SigningKey::generate();
        QByteArray sealed = sealPayload(key, kTopic, "q1", kBody);
        QVERIFY(sealed.endsWith("\"}"));
        QByteArray pk = key.publicKey();
        QString topic = kTopic;
        QByteArrayView correlation = "q1";
        if (what == "other key")
            pk = SigningKey::generate().publicKey();
        else if (what == "topic")
            topic = QStringLiteral("tavrin/E/schedule");
        else if (what == "correlation")
            correlation = "q2";
        else if (what == "byte")
            sealed[10] = '3';
        else if (what == "garbled")
            sealed[sealed.size() - 5] = '+';
        else if (what == "bare")
            sealed = kBody;
        else if (what == "mac")
            sealed = "{\"v\":1,\"mac\":\"" + QByteArray(64, 'a') + "\"}";
        QByteArray body;
        QCOMPARE(int(openPayload(pk, topic, correlation, sealed, &body)), expected);
        if (expected == int(SigCheck::Good))
            QCOMPARE(body, kBody);
    }

    void passphraseKeys()
    {
        const SigningKey a = SigningKey::fromPassphrase(QStringLiteral("sakura2024"), QStringLiteral("本試験"), kCheap);
        QVERIFY(!a.isNull());
        QCOMPARE(SigningKey::fromPassphrase(QStringLiteral("sakura2024"), QStringLiteral("本試験"), kCheap).publicKey(),
                 a.publicKey());
        // Another examination, another passphrase, another cost: another key.
        for (const SigningKey &other : {SigningKey::fromPassphrase(QStringLiteral("sakura2024"), QStringLiteral("追試"), kCheap),
                                        SigningKey::fromPassphrase(QStringLiteral("sakura2025"), QStringLiteral("本試験"), kCheap),
                                        SigningKey::fromPassphrase(QStringLiteral("sakura2024"), QStringLiteral("本試験"),
                                                                   StretchCost{2, 8 << 20})})
            QVERIFY(other.publicKey() != a.publicKey());
        QVERIFY(SigningKey::fromPassphrase({}, QStringLiteral("本試験"), kCheap).isNull());
        QCOMPARE(SigningKey::fromSeed(a.seed()).publicKey(), a.publicKey());
        QVERIFY(SigningKey::fromSeed("short").isNull());
    }

    void fingerprintsAndKeyTexts()
    {
        const QByteArray pk = SigningKey::generate().publicKey();
        const QString f = fingerprint(pk);
        QVERIFY2(QRegularExpression(u"^[0-9A-HJKMNP-TV-Z]{4}(-[0-9A-HJKMNP-TV-Z]{4}){3}$"_qs).match(f).hasMatch(),
                 qPrintable(f));
        QVERIFY(fingerprint(SigningKey::generate().publicKey()) != f);
        QCOMPARE(decodeKey(encodeKey(pk), kPublicKeyBytes), std::optional<QByteArray>(pk));
        QCOMPARE(decodeKey(encodeKey(pk) + "=", kPublicKeyBytes), std::nullopt);
        QCOMPARE(decodeKey(encodeKey(pk).chopped(2), kPublicKeyBytes), std::nullopt);
        QCOMPARE(decodeKey(" " + encodeKey(pk), kPublicKeyBytes), std::nullopt);
    }

    void keyFilesRefused_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("others may read it") << "open";
        QTest::newRow("a FIFO") << "fifo";
        QTest::newRow("a symbolic link") << "link";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("another kind of key") << "label";
        QTest::newRow("not a key at all") << "junk";
        QTest::newRow("missing") << "missing";
    }
    void keyFilesRefused()
    {
        QFETCH(QString, what);
        QTemporaryDir dir;
        const QString good = dir.filePath(u"good.key"_qs);
        QVERIFY(writeKeyFile(good, kRoomKeyLabel, SigningKey::generate()).isEmpty());
        const QString path = dir.filePath(u"bad.key"_qs);
        const QByteArray name = QFile::encodeName(path);
        if (what == "open") {
            QVERIFY(QFile::copy(good, path));
            QVERIFY(::chmod(name.constData(), 0644) == 0);
        } else if (what == "fifo") {
            QVERIFY(::mkfifo(name.constData(), 0600) == 0);
        } else if (what == "link") {
            QVERIFY(QFile::link(good, path));
        } else if (what == "folder") {
            QVERIFY(QDir(dir.path()).mkdir(u"bad.key"_qs));
        } else if (what == "label") {
            QVERIFY(QFile::copy(good, path));
        } else if (what == "junk") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("tavrin room secret key v2\nnot base64!\n");
            f.close();
            QVERIFY(::chmod(name.constData(), 0600) == 0);
        }
        const QByteArrayView label = what == "label" ? kExamKeyLabel : kRoomKeyLabel;
        const KeyFileResult r = readKeyFile(path, label);
        QVERIFY(r.key.isNull());
        QVERIFY2(r.error.contains(path), qPrintable(r.error));
        if (what == "open")
            QVERIFY(r.error.contains(u"chmod 600"_qs));
    }

    void roomKeyMadeOnceOwnerOnly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Tavrin-room.key"_qs);
        const KeyFileResult made = readOrMakeKeyFile(path, kRoomKeyLabel);
        QVERIFY2(made.error.isEmpty(), qPrintable(made.error));
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 0777, 0600u);
        const KeyFileResult again = readOrMakeKeyFile(path, kRoomKeyLabel);
        QVERIFY2(again.error.isEmpty(), qPrintable(again.error));
        QCOMPARE(again.key.publicKey(), made.key.publicKey());
    }

    void joinFiles_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<bool>("taken");
        QTest::newRow("as written") << QByteArray() << QByteArray() << true;
        QTest::newRow("an unknown field") << QByteArray("\"user\"") << QByteArray("\"admin\":1,\"user\"") << false;
        QTest::newRow("another version") << QByteArray("\"v\":2") << QByteArray("\"v\":1") << false;
        QTest::newRow("a key too short") << QByteArray("\"examKey\":\"") << QByteArray("\"examKey\":\"AA") << false;
        QTest::newRow("a host with a blank") << QByteArray("\"host\":\"") << QByteArray("\"host\":\" ") << false;
        QTest::newRow("port 0") << QByteArray("\"port\":8883") << QByteArray("\"port\":0") << false;
        QTest::newRow("a pin not hex") << QByteArray("\"tls\":\"sha256:") << QByteArray("\"tls\":\"sha256:zz") << false;
        QTest::newRow("a user without password") << QByteArray("\"password\":\"pw-1\"")
                                                 << QByteArray("\"password\":\"\"") << false;
        QTest::newRow("a room name with a slash") << QByteArray("\"room\":\"") << QByteArray("\"room\":\"a/") << false;
        QTest::newRow("not JSON") << QByteArray("{") << QByteArray("[") << false;
    }
    void joinFiles()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(bool, taken);
        JoinFile j{u"本試験"_qs, u"第2教室"_qs, SigningKey::generate().publicKey(), u"192.168.1.10"_qs, 8883,
                   QByteArray(32, 'p'), u"room-7f3a"_qs, u"pw-1"_qs};
        QByteArray text = writeJoin(j);
        if (!from.isEmpty()) {
            QVERIFY2(text.contains(from), text.constData());
            text.replace(text.indexOf(from), from.size(), to);
        }
        QString why;
        const std::optional<JoinFile> read = readJoin(text, &why);
        QCOMPARE(read.has_value(), taken);
        if (taken)
            QCOMPARE(*read, j);
        else
            QVERIFY(!why.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstIdentity)
#include "tst_identity.moc"
