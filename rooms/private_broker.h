#pragma once

// A mosquitto of the controller's own, for an examination without a broker
// of its own, locked down: every member logs in as a user of its own (the
// controller, and each room by its name) with a random password that only
// the controller's logins file and that room's join file hold, and may
// write only its own topics; nobody logs in without a password. The broker
// takes the login as the connection's id, so that no login can take another
// member's connection. It listens on the loopback address and on the
// addresses the operator chose, with TLS on a certificate Tavrin makes and
// the join files pin. Its files are in a folder of its own, readable by
// their owner only, and no password is ever on a command line.
//
// It is not tied to the controller's life: if the controller is killed, the
// broker and what it holds stay, the rooms go on, and the restarted
// controller finds its port taken and uses the broker that is there.
// Starting and stopping never wait on the caller's thread: the files are
// written, and the process started and ended, on a thread of their own.

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace tavrin::rooms {

// The controller's user on the private broker. A room of this name is
// refused there, so that no room logs in as the controller.
inline constexpr char kControllerUser[] = "tavrin-controller";

// Each member's login on the private broker (user -> password): random,
// derived from nothing a room holds, kept by the controller in an owner-only
// file beside its options. Users missing from the file get a new password
// and the file is written again; empty, or why not (in the operator's words).
using BrokerLogins = QMap<QString, QString>;
QString readOrMakeLogins(const QString &path, const QStringList &users, BrokerLogins &logins);
QString newBrokerPassword();

// The broker's TLS certificate, made by Tavrin at the first start of a
// private broker (a self-signed P-256 key, kept owner-only) and pinned in
// the join files by the SHA-256 of its DER bytes.
struct BrokerCertificate {
    QString certFile;
    QString keyFile;
    QByteArray pin;
};
// The certificate at certFile (made with its key at keyFile if neither is
// there); empty, or why not.
QString readOrMakeCertificate(const QString &certFile, const QString &keyFile, BrokerCertificate &made);

struct PrivateBrokerSetup {
    int port = 1883;
    QString exam;
    BrokerLogins logins;   // the controller's and every room's
    QStringList rooms;
    QStringList addresses; // besides 127.0.0.1; 0.0.0.0 or :: for every one
    QString certFile;      // with keyFile: TLS on every listener
    QString keyFile;
    QString caFile;        // the client certificates it takes, if any
};

// Why the broker cannot be set up so (empty: it can): a member without a
// login, a room name that a password file cannot hold, an address that is
// no address.
QString setupProblem(const PrivateBrokerSetup &setup);
// The files it runs on, for the folder dir. salt gives 12 random bytes.
// Tells the broker to take every login as its connection's id, so that one
// login cannot knock off another's connection by taking its id.
QByteArray passwordFile(const PrivateBrokerSetup &setup, const std::function<QByteArray()> &salt);
QByteArray aclFile(const PrivateBrokerSetup &setup);
QByteArray configFile(const PrivateBrokerSetup &setup, const QString &dir);
// Mosquitto's PBKDF2-SHA512 form of a password: $7$iterations$salt$hash.
QByteArray passwordHash(const QString &password, const QByteArray &salt, int iterations);

class PrivateBroker : public QObject {
    Q_OBJECT
public:
    explicit PrivateBroker(QObject *parent = nullptr);
    ~PrivateBroker() override; // asks the broker to stop, without waiting

    // Writes its files and starts it once any broker stopped before has
    // ended, both on a thread of their own. Empty, or why it cannot be
    // started; started() or failed() tells what became of it.
    QString start(const PrivateBrokerSetup &setup);
    // Where its files are (for the tests).
    QString folder() const { return dir_->path(); }
    // Once started(); 0 before.
    qint64 processId() const { return processId_; }

signals:
    void started();
    // It could not start or ended by itself, other than because the port was
    // already taken (by the broker of a controller that was killed).
    void failed(const QString &why);
    // It refused a login (a wrong password, a user it does not know): its
    // log's line, for the operator.
    void loginRefused(const QString &line);

private:
    struct Launch;
    std::shared_ptr<QTemporaryDir> dir_ = std::make_shared<QTemporaryDir>();
    std::shared_ptr<Launch> launch_; // made with the broker
    qint64 processId_ = 0;
};

} // namespace tavrin::rooms
