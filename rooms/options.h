#pragma once

// The settings of the rooms: in the options file's [rooms] group, never in
// Tavrin.cfg; the command line may override them for one run.

#include "mqtt_client.h"

#include <QString>
#include <QStringList>

#include <functional>

class QCommandLineParser;
class QObject;

namespace tavrin::rooms {

enum class Role { None, Controller, Room };

inline constexpr int kMaxPassphraseBytes = 256;

struct RoomsOptions {
    Role role = Role::None;
    QString exam;
    QString room;
    BrokerSettings broker;
    bool privateBroker = false; // the controller starts mosquitto on broker.port
    // The controller's examination key, typed in the set-up dialog for this
    // run: never written, never on a command line. Without it, the key file.
    QString passphrase;
    QString keyFile;          // the controller's secret key file; empty: kExamKeyFile beside the options
    QString joinFile;         // a room's join file: its path is kept, its secrets stay in it
    QByteArray examPublicKey; // a room's, from its join file
    // The controller's key is from a passphrase: at each start it is asked
    // for, never taken from a key file in its place.
    bool keyFromPassphrase = false;
};

// Beside the options file, unless another is named.
inline constexpr char kExamKeyFile[] = "Tavrin-exam.key";
inline constexpr char kRoomKeyFile[] = "Tavrin-room.key";
inline constexpr char kBrokerLoginsFile[] = "Tavrin-broker-logins";
inline constexpr char kBrokerCertFile[] = "Tavrin-broker.crt";
inline constexpr char kBrokerKeyFile[] = "Tavrin-broker.key";
inline constexpr char kBrokerPasswordFile[] = "Tavrin-broker-password";
// A file of that name in the options file's folder.
QString besideOptions(const QString &optionsFile, const char *name);

// Sets a room from its join file (role, examination, room, broker, login,
// pin, the examination's public key); empty, or why not.
QString applyJoinFile(const QString &path, RoomsOptions &options);

// The private broker's own settings, beside those above in the same group.
struct PrivateBrokerOptions {
    QStringList addresses; // where it listens besides the loopback address
    QStringList rooms;     // the rooms that may log in, each as its own user
    QString certFile;      // its TLS certificate and key; none: no TLS
    QString keyFile;
};

// From the [rooms] group of the INI file at path; defaults (no rooms) for
// whatever is missing or cannot be used.
RoomsOptions loadOptions(const QString &path);
PrivateBrokerOptions loadPrivateBrokerOptions(const QString &path);
// Only the [rooms] group is touched, through the options file's one writer
// (owner-only, never through a link, never half-written). Nothing secret
// goes in: a passphrase and a password of an old version are removed, and
// the password of another broker goes to an owner-only file of its own.
// Empty on success, otherwise the operator's notice, which says that the
// settings were not changed.
QString saveOptions(const QString &path, const RoomsOptions &options, const PrivateBrokerOptions &broker);
// The same off the UI thread: done gets the result on the UI thread,
// unless context is gone by then.
void saveOptionsLater(const QString &path, const RoomsOptions &options, const PrivateBrokerOptions &broker,
                      QObject *context, std::function<void(const QString &notice)> done);
// When the file holds a password or the passphrase (an old version's):
// what the operator is told (it is made owner-only if others may read it
// and it is ours); they are dropped at the next write.
QString optionsFileNotice(const QString &path);

// The login on the broker as set (a room's from its join file).
BrokerSettings loginFor(const RoomsOptions &options);

// The program's options: --exam, --room, --broker, --private-broker,
// --key-file, --join, and --help and --version.
void addCommandLineOptions(QCommandLineParser &parser);
// Applies what the parsed command line sets; empty, or why it cannot be
// used (then options are left as they were).
QString applyCommandLine(const QCommandLineParser &parser, RoomsOptions &options);

// "host", "host:port", "[v6]:port" or a bare IPv6 address; false for a port
// that is not 1..65535 or an empty host.
bool parseHostPort(const QString &text, QString &host, int &port);

} // namespace tavrin::rooms
