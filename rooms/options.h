#pragma once

// The settings of the rooms: in the options file's [rooms] group, never in
// Tavrin.cfg; the command line may override them for one run.

#include "mqtt_client.h"

#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace tavrin::rooms {

enum class Role { None, Controller, Room };

struct RoomsOptions {
    Role role = Role::None;
    QString exam;
    QString room;
    BrokerSettings broker;
    bool privateBroker = false; // the controller starts mosquitto on broker.port
    QString passphrase; // the examination's key, never on a command line
};

// From the [rooms] group of the INI file at path; defaults (no rooms) for
// whatever is missing or cannot be used.
RoomsOptions loadOptions(const QString &path);
// Empty on success, otherwise why not. Only the [rooms] group is touched,
// and the file is made readable by its owner only, for the password.
QString saveOptions(const QString &path, const RoomsOptions &options);

// The program's options: --exam, --room, --broker, --private-broker,
// and --help and --version.
void addCommandLineOptions(QCommandLineParser &parser);
// Applies what the parsed command line sets; empty, or why it cannot be
// used (then options are left as they were).
QString applyCommandLine(const QCommandLineParser &parser, RoomsOptions &options);

// "host", "host:port", "[v6]:port" or a bare IPv6 address; false for a port
// that is not 1..65535 or an empty host.
bool parseHostPort(const QString &text, QString &host, int &port);

} // namespace tavrin::rooms
