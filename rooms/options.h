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
    QString passphrase; // the examination's key, never on a command line
};

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
// (owner-only before the password and the passphrase go in, never through
// a link, never half-written). Empty on success, otherwise the operator's
// notice, which says that the settings were not changed.
QString saveOptions(const QString &path, const RoomsOptions &options, const PrivateBrokerOptions &broker);
// The same off the UI thread: done gets the result on the UI thread,
// unless context is gone by then.
void saveOptionsLater(const QString &path, const RoomsOptions &options, const PrivateBrokerOptions &broker,
                      QObject *context, std::function<void(const QString &notice)> done);
// When the file holds a password or the passphrase and others may read it:
// what the operator is told (it is made owner-only if it is ours).
QString optionsFileNotice(const QString &path);

// The login on the broker: the one set, or, with a passphrase and no user
// set, the room's name (the controller's own user) with a password derived
// from the passphrase, as the private broker expects.
BrokerSettings loginFor(const RoomsOptions &options);

// The key from a file: its first line; refused when others may read it.
// Empty, or why not.
QString readKeyFile(const QString &path, QString &passphrase);

// The program's options: --exam, --room, --broker, --private-broker,
// --key-file, and --help and --version.
void addCommandLineOptions(QCommandLineParser &parser);
// Applies what the parsed command line sets; empty, or why it cannot be
// used (then options are left as they were).
QString applyCommandLine(const QCommandLineParser &parser, RoomsOptions &options);

// "host", "host:port", "[v6]:port" or a bare IPv6 address; false for a port
// that is not 1..65535 or an empty host.
bool parseHostPort(const QString &text, QString &host, int &port);

} // namespace tavrin::rooms
