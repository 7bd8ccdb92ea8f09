#include "private_broker.h"

#include "identity.h"
#include "protocol.h"
#include "texts.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <functional>

#include <arpa/inet.h>
#include <pwd.h>
#include <unistd.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace tavrin::rooms {

namespace {

using texts::str;

// Mosquitto's own default is 101; a login costs the broker a millisecond
// or so at this count, once per connection.
constexpr int kIterations = 1000;

QString findProgram(const QString &name)
{
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty()) // Debian keeps the broker in sbin, off a user's PATH
        path = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    return path;
}

bool isAddress(const QString &text)
{
    const QByteArray a = text.toLatin1();
    unsigned char buf[16];
    return inet_pton(AF_INET, a.constData(), buf) == 1 || inet_pton(AF_INET6, a.constData(), buf) == 1;
}

bool everyInterface(const QString &address)
{
    return address == QLatin1String("0.0.0.0") || address == QLatin1String("::");
}

// A line of a mosquitto file holds no line break, and its value no leading
// or trailing blank.
bool fitsOneLine(const QString &text)
{
    return !text.contains(u'\n') && !text.contains(u'\r') && text == text.trimmed();
}

QString writePrivate(const QString &path, const QByteArray &data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        f.write(data) != data.size() || !f.flush())
        return f.errorString();
    return {};
}

} // namespace

QString newBrokerPassword()
{
    // 192 bits: past guessing, however fast a captured hash is tried.
    QByteArray b(24, '\0');
    QRandomGenerator::system()->generate(b.begin(), b.end());
    return QString::fromLatin1(b.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

namespace {

constexpr qsizetype kMaxLoginsFile = 64 * 1024;

} // namespace

QString readOrMakeLogins(const QString &path, const QStringList &users, BrokerLogins &logins)
{
    // One login a line: the user, a tab, the password.
    QByteArray text;
    const SecretFileError e = readSecretFile(path, kMaxLoginsFile, text);
    if (e.kind == SecretFileError::Open)
        return e.text;
    if (e.kind == SecretFileError::Unusable)
        return str(texts::brokerLoginsUnreadable).arg(path, e.text);
    BrokerLogins read;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0)
            read.insert(QString::fromUtf8(line.left(tab)), QString::fromUtf8(line.mid(tab + 1)));
    }
    bool added = false;
    for (const QString &user : users)
        if (read.value(user).isEmpty()) {
            read.insert(user, newBrokerPassword());
            added = true;
        }
    if (added) {
        QByteArray out;
        for (auto i = read.cbegin(); i != read.cend(); ++i)
            out += i.key().toUtf8() + '\t' + i.value().toUtf8() + '\n';
        if (const QString w = writeSecretFile(path, out); !w.isEmpty())
            return str(texts::brokerLoginsNotWritten).arg(path, w);
    }
    logins = read;
    return {};
}

namespace {

QByteArray pinOf(X509 *cert)
{
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    if (!cert || X509_digest(cert, EVP_sha256(), md, &n) != 1)
        return {};
    return QByteArray(reinterpret_cast<const char *>(md), int(n));
}

QByteArray pinOfPem(const QByteArray &pem)
{
    BIO *bio = BIO_new_mem_buf(pem.constData(), int(pem.size()));
    X509 *cert = bio ? PEM_read_bio_X509(bio, nullptr, nullptr, nullptr) : nullptr;
    const QByteArray pin = pinOf(cert);
    X509_free(cert);
    BIO_free(bio);
    return pin;
}

// A self-signed certificate for a new P-256 key, good for ten years: the
// pin, not a name or a date, is what a room checks.
bool makeCertificate(QByteArray &certPem, QByteArray &keyPem)
{
    EVP_PKEY *key = EVP_EC_gen("P-256");
    X509 *cert = X509_new();
    BIO *c = BIO_new(BIO_s_mem()), *k = BIO_new(BIO_s_mem());
    bool ok = key && cert && c && k;
    if (ok) {
        unsigned char serial[16];
        QRandomGenerator::system()->generate(std::begin(serial), std::end(serial));
        serial[0] &= 0x7f;
        BIGNUM *bn = BN_bin2bn(serial, sizeof serial, nullptr);
        ok = bn && BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert)) && X509_set_version(cert, 2) &&
             X509_gmtime_adj(X509_getm_notBefore(cert), -86400) &&
             X509_gmtime_adj(X509_getm_notAfter(cert), 10L * 365 * 86400) && X509_set_pubkey(cert, key);
        BN_free(bn);
        X509_NAME *name = X509_get_subject_name(cert);
        ok = ok &&
             X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                        reinterpret_cast<const unsigned char *>("tavrin private broker"), -1, -1,
                                        0) &&
             X509_set_issuer_name(cert, name) && X509_sign(cert, key, EVP_sha256()) > 0 &&
             PEM_write_bio_X509(c, cert) && PEM_write_bio_PrivateKey(k, key, nullptr, nullptr, 0, nullptr, nullptr);
    }
    const auto take = [](BIO *b) {
        char *data = nullptr;
        const long n = BIO_get_mem_data(b, &data);
        return QByteArray(data, int(n));
    };
    if (ok) {
        certPem = take(c);
        keyPem = take(k);
    }
    BIO_free(c);
    BIO_free(k);
    X509_free(cert);
    EVP_PKEY_free(key);
    return ok;
}

} // namespace

QString readOrMakeCertificate(const QString &certFile, const QString &keyFile, BrokerCertificate &made)
{
    const auto refuse = [&certFile](const QString &why) { return str(texts::brokerCertUnusable).arg(certFile, why); };
    QByteArray pem, key;
    SecretFileError e = readSecretFile(certFile, kMaxLoginsFile, pem);
    if (e.kind == SecretFileError::Missing && !QFile::exists(keyFile)) {
        if (!makeCertificate(pem, key))
            return refuse(QStringLiteral("OpenSSL"));
        // The key first: a certificate without its key is never left.
        if (const QString w = writeSecretFile(keyFile, key); !w.isEmpty())
            return refuse(w);
        if (const QString w = writeSecretFile(certFile, pem); !w.isEmpty())
            return refuse(w);
        e = {};
    }
    if (e.kind == SecretFileError::Open)
        return e.text;
    if (e.kind != SecretFileError::None)
        return refuse(e.text);
    // The key is read here as well: the broker must not find it open.
    if (const SecretFileError k = readSecretFile(keyFile, kMaxLoginsFile, key); k.kind != SecretFileError::None)
        return k.kind == SecretFileError::Open ? k.text : refuse(k.text);
    made.pin = pinOfPem(pem);
    if (made.pin.size() != 32)
        return refuse(str(texts::brokerCertNotPem));
    made.certFile = certFile;
    made.keyFile = keyFile;
    return {};
}

QByteArray passwordHash(const QString &password, const QByteArray &salt, int iterations)
{
    const QByteArray p = password.toUtf8();
    unsigned char out[64];
    if (PKCS5_PBKDF2_HMAC(p.constData(), int(p.size()), reinterpret_cast<const unsigned char *>(salt.constData()),
                          int(salt.size()), iterations, EVP_sha512(), sizeof out, out) != 1)
        return {};
    return "$7$" + QByteArray::number(iterations) + '$' + salt.toBase64() + '$' +
           QByteArray(reinterpret_cast<const char *>(out), sizeof out).toBase64();
}

QString setupProblem(const PrivateBrokerSetup &s)
{
    for (const QString &room : s.rooms)
        if (!validName(room) || room.contains(u':') || room.contains(u'\t') || room == QLatin1String(kControllerUser))
            return str(texts::privateBrokerBadRoom).arg(room, QLatin1String(kControllerUser));
    for (const QString &user : s.rooms + QStringList{QString::fromLatin1(kControllerUser)})
        if (s.logins.value(user).isEmpty())
            return str(texts::privateBrokerNoLogin).arg(user);
    for (const QString &a : s.addresses)
        if (!isAddress(a))
            return str(texts::privateBrokerBadAddress).arg(a);
    for (const QString &f : {s.certFile, s.keyFile, s.caFile})
        if (!fitsOneLine(f))
            return str(texts::privateBrokerBadFile).arg(f);
    if (s.certFile.isEmpty() != s.keyFile.isEmpty())
        return str(texts::privateBrokerCertAndKey);
    return {};
}

QByteArray passwordFile(const PrivateBrokerSetup &s, const std::function<QByteArray()> &salt)
{
    QByteArray out;
    QStringList users{QString::fromLatin1(kControllerUser)};
    users += s.rooms;
    for (const QString &user : users)
        out += user.toUtf8() + ':' + passwordHash(s.logins.value(user), salt(), kIterations) +
               '\n';
    return out;
}

QByteArray aclFile(const PrivateBrokerSetup &s)
{
    // Without a line for it, a user may do nothing: anything not granted
    // here is refused, a subscription included.
    const Topics t(s.exam);
    auto line = [](const char *access, const QString &topic) {
        return QByteArray("topic ") + access + ' ' + topic.toUtf8() + '\n';
    };
    QByteArray out = "user " + QByteArray(kControllerUser) + '\n';
    out += line("readwrite", t.controller()) + line("readwrite", t.state()) + line("read", t.clock()) +
           line("write", t.roomClock(QStringLiteral("+"))) + line("read", t.allRoomStatus()) +
           line("read", t.allRoomCues()) +
           line("readwrite", t.schedule()) + line("write", t.soundCheck()) + line("write", t.allRoomHold()) +
           line("write", t.allRoomSpeaker());
    for (const QString &room : s.rooms) {
        out += "\nuser " + room.toUtf8() + '\n';
        out += line("read", t.controller()) + line("read", t.state()) + line("write", t.clock()) +
               line("read", t.roomClock(room)) + line("readwrite", t.roomStatus(room)) +
               line("read", t.allRoomStatus()) + line("write", t.roomCues(room)) + line("read", t.schedule()) +
               line("read", t.soundCheck()) + line("read", t.roomHold(room)) +
               line("read", t.roomSpeaker(room));
    }
    return out;
}

QByteArray configFile(const PrivateBrokerSetup &s, const QString &dir)
{
    // Started as root, mosquitto would become the user "mosquitto", who may
    // not read these files: it stays who we are.
    const passwd *me = getpwuid(geteuid());
    QByteArray out = (me ? "user " + QByteArray(me->pw_name) + '\n' : QByteArray()) +
                     "per_listener_settings false\n"
                     // Else each small message may wait ~40 ms behind an unacknowledged one.
                     "set_tcp_nodelay true\n"
                     "persistence false\n"
                     "log_dest stderr\n"
                     "log_type error\n"
                     // A refused login is logged as a notice, told to the operator.
                     "log_type notice\n"
                     "allow_anonymous false\n"
                     "password_file " + QFile::encodeName(dir + QStringLiteral("/passwords")) + "\n"
                     "acl_file " + QFile::encodeName(dir + QStringLiteral("/acl")) + "\n";
    QStringList where = s.addresses;
    // The controller itself comes in through the loopback address.
    if (std::none_of(where.begin(), where.end(), everyInterface) && !where.contains(QStringLiteral("127.0.0.1")))
        where.prepend(QStringLiteral("127.0.0.1"));
    where.removeDuplicates();
    for (const QString &a : where) {
        // A login is its connection's id (a listener's setting, so on each):
        // taking a member's id takes nothing but one's own connection.
        out += "\nlistener " + QByteArray::number(s.port) + ' ' + a.toLatin1() + "\nuse_username_as_clientid true\n";
        if (!s.certFile.isEmpty()) {
            out += "certfile " + QFile::encodeName(s.certFile) + "\nkeyfile " + QFile::encodeName(s.keyFile) + '\n';
            if (!s.caFile.isEmpty())
                out += "cafile " + QFile::encodeName(s.caFile) + '\n';
        }
    }
    return out;
}

namespace {

// Every broker's process is started, watched and ended on a thread of its
// own: a start forks this program, which held the UI thread for
// milliseconds. The processes are children of one object of that thread.
QObject *processHome()
{
    static QObject *home = [] {
        auto *thread = new QThread;
        thread->setObjectName(QStringLiteral("tavrin-broker"));
        auto *made = new QObject;
        made->moveToThread(thread);
        thread->start();
        // At the application's end, the brokers still running are ended
        // (and waited for) on their thread, before it goes.
        qAddPostRoutine([] {
            QObject *h = processHome();
            QThread *t = h->thread();
            QMetaObject::invokeMethod(
                h,
                [h] {
                    for (QProcess *p : h->findChildren<QProcess *>(Qt::FindDirectChildrenOnly)) {
                        p->terminate();
                        if (!p->waitForFinished(1000))
                            p->kill();
                        p->waitForFinished(1000);
                    }
                    delete h;
                    // What OpenSSL keeps for this thread (its errors, the
                    // hashes' state) goes with it, not after the leak check.
                    OPENSSL_thread_stop();
                },
                Qt::BlockingQueuedConnection);
            t->quit();
            t->wait();
            delete t;
        });
        return made;
    }();
    return home;
}

// A broker being stopped: the next one starts on its port once it is gone.
// Touched on the process thread only.
QPointer<QProcess> stopping;

} // namespace

// What the process thread keeps of one broker; touched there only.
struct PrivateBroker::Launch {
    QPointer<QProcess> process;
    bool stopped = false; // the owner went before the process was started
};

PrivateBroker::PrivateBroker(QObject *parent) : QObject(parent), launch_(std::make_shared<Launch>()) {}

PrivateBroker::~PrivateBroker()
{
    // Ends on its own time, with a kill if it takes too long; deleting a
    // running QProcess would wait for it.
    QMetaObject::invokeMethod(processHome(), [launch = launch_, dir = dir_] {
        launch->stopped = true;
        QProcess *p = launch->process;
        if (!p)
            return;
        p->disconnect();
        if (p->state() == QProcess::NotRunning) {
            delete p;
            return;
        }
        // The folder stays until the broker has gone.
        QObject::connect(p, &QProcess::finished, p, [p, dir] { p->deleteLater(); });
        QTimer::singleShot(3000, p, [p] { p->kill(); });
        p->terminate();
        stopping = p;
    });
}

QString PrivateBroker::start(const PrivateBrokerSetup &setup)
{
    if (const QString e = setupProblem(setup); !e.isEmpty())
        return e;
    const QString program = findProgram(QStringLiteral("mosquitto"));
    if (program.isEmpty())
        return QStringLiteral("mosquitto not found");
    if (!dir_->isValid())
        return dir_->errorString();
    // The hashes cost a millisecond or so a room, and the start a fork: on
    // the process thread, from which only the outcome comes back.
    QMetaObject::invokeMethod(processHome(), [dir = dir_, launch = launch_, setup, program,
                                              self = QPointer<PrivateBroker>(this)] {
        const auto tell = [self](std::function<void(PrivateBroker *)> what) {
            QMetaObject::invokeMethod(QCoreApplication::instance(), [self, what] {
                if (self)
                    what(self);
            });
        };
        const auto salt = [] {
            // The system's generator, not OpenSSL's: OpenSSL keeps one per
            // thread that this worker thread would leave behind.
            QByteArray b(12, '\0');
            QRandomGenerator::system()->generate(b.begin(), b.end());
            return b;
        };
        QString error;
        const QString path = dir->path();
        for (const auto &[name, data] : {std::pair{QStringLiteral("/passwords"), passwordFile(setup, salt)},
                                         std::pair{QStringLiteral("/acl"), aclFile(setup)},
                                         std::pair{QStringLiteral("/mosquitto.conf"), configFile(setup, path)}})
            if (error.isEmpty())
                error = writePrivate(path + name, data);
        if (!error.isEmpty()) {
            tell([error](PrivateBroker *b) { emit b->failed(error); });
            return;
        }
        const auto run = [launch, tell, program, config = path + QStringLiteral("/mosquitto.conf")] {
            if (launch->stopped)
                return;
            auto *p = new QProcess(processHome());
            launch->process = p;
            p->setProcessChannelMode(QProcess::MergedChannels);
            QObject::connect(p, &QProcess::started, p, [p, tell] {
                tell([pid = p->processId()](PrivateBroker *b) {
                    b->processId_ = pid;
                    emit b->started();
                });
            });
            QObject::connect(p, &QProcess::errorOccurred, p, [p, tell](QProcess::ProcessError e) {
                if (e == QProcess::FailedToStart)
                    tell([why = p->errorString()](PrivateBroker *b) { emit b->failed(why); });
            });
            // Its log, as it comes: a login refused is told to the operator;
            // the last lines are kept for the reason of a failure.
            struct Log {
                QByteArray part, last;
                QByteArray from; // the address of the connection last opened
            };
            auto log = std::make_shared<Log>();
            QObject::connect(p, &QProcess::readyRead, p, [p, tell, log] {
                log->part += p->readAll();
                qsizetype end;
                while ((end = log->part.indexOf('\n')) >= 0) {
                    const QByteArray line = log->part.left(end).trimmed();
                    log->part.remove(0, end + 1);
                    // It names the refused client only as "<unknown>": the
                    // address comes from the line that opened the connection.
                    if (const qsizetype at = line.indexOf("New connection from "); at >= 0)
                        log->from = line.mid(at + 20).split(' ').value(0).left(64);
                    if (line.contains("not authorised"))
                        tell([why = QString::fromLocal8Bit(log->from.isEmpty() ? line.left(200)
                                                                                 : log->from + " not authorised")](
                                 PrivateBroker *b) { emit b->loginRefused(why); });
                    else if (!line.isEmpty())
                        log->last = (log->last + line + '\n').right(4096);
                }
                log->part = log->part.right(4096);
            });
            QObject::connect(p, &QProcess::finished, p, [p, tell, log](int code, QProcess::ExitStatus) {
                const QString out = QString::fromLocal8Bit(log->last + log->part + p->readAll()).trimmed();
                if (!out.contains(QStringLiteral("Address already in use")))
                    tell([why = out.isEmpty() ? QStringLiteral("exit code %1").arg(code) : out.section(u'\n', -1)](
                             PrivateBroker *b) { emit b->failed(why); });
            });
            // Only the configuration's path: no password is on a command line.
            p->start(program, {QStringLiteral("-c"), config});
        };
        if (stopping && stopping->state() != QProcess::NotRunning)
            QObject::connect(stopping.data(), &QProcess::finished, processHome(), run, Qt::SingleShotConnection);
        else
            run();
    });
    return {};
}

} // namespace tavrin::rooms
