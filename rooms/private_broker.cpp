#include "private_broker.h"

#include "protocol.h"
#include "texts.h"

#include <QCoreApplication>
#include <QFile>
#include <QMessageAuthenticationCode>
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

QString brokerPassword(const QString &passphrase, const QString &exam, const QString &user)
{
    QByteArray message = "tavrin broker login\n";
    message += exam.toUtf8() + '\n' + user.toUtf8();
    return QString::fromLatin1(
        QMessageAuthenticationCode::hash(message, passphrase.toUtf8(), QCryptographicHash::Sha256)
            .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
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
    if (s.passphrase.isEmpty())
        return str(texts::privateBrokerNoPassphrase);
    for (const QString &room : s.rooms)
        if (!validName(room) || room.contains(u':') || room == QLatin1String(kControllerUser))
            return str(texts::privateBrokerBadRoom).arg(room, QLatin1String(kControllerUser));
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
        out += user.toUtf8() + ':' + passwordHash(brokerPassword(s.passphrase, s.exam, user), salt(), kIterations) +
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
           line("readwrite", t.schedule()) + line("write", t.soundCheck());
    for (const QString &room : s.rooms) {
        out += "\nuser " + room.toUtf8() + '\n';
        out += line("read", t.controller()) + line("read", t.state()) + line("write", t.clock()) +
               line("read", t.roomClock(room)) + line("readwrite", t.roomStatus(room)) +
               line("read", t.allRoomStatus()) + line("write", t.roomCues(room)) + line("read", t.schedule()) +
               line("read", t.soundCheck());
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
                     "allow_anonymous false\n"
                     "password_file " + QFile::encodeName(dir + QStringLiteral("/passwords")) + "\n"
                     "acl_file " + QFile::encodeName(dir + QStringLiteral("/acl")) + "\n";
    QStringList where = s.addresses;
    // The controller itself comes in through the loopback address.
    if (std::none_of(where.begin(), where.end(), everyInterface) && !where.contains(QStringLiteral("127.0.0.1")))
        where.prepend(QStringLiteral("127.0.0.1"));
    where.removeDuplicates();
    for (const QString &a : where) {
        out += "\nlistener " + QByteArray::number(s.port) + ' ' + a.toLatin1() + '\n';
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
            QObject::connect(p, &QProcess::finished, p, [p, tell](int code, QProcess::ExitStatus) {
                const QString out = QString::fromLocal8Bit(p->readAll()).trimmed();
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
