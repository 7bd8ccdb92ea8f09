#pragma once

// The browser view's settings: the port in the options file's [web] group;
// it is off at every start unless the command line turns it on.

#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace tavrin::web {

inline constexpr int kDefaultPort = 8765;

struct WebOptions {
    bool on = false;
    int port = kDefaultPort;
    // Where to listen (address=, one or more separated by commas); empty
    // for this PC's loopback and its one LAN address.
    QStringList addresses;
};

// From the [web] group of the INI file at path; the default port for a
// missing or unusable one.
WebOptions loadOptions(const QString &path);
// Empty on success, otherwise why not. Only the [web] group is touched.
QString saveOptions(const QString &path, const WebOptions &options);

// --web [PORT]
void addCommandLineOptions(QCommandLineParser &parser);
// Applies --web and the port that may follow it among arguments (the
// program's whole command line); empty, or why it cannot be used (then
// options are left as they were).
QString applyCommandLine(const QCommandLineParser &parser, const QStringList &arguments, WebOptions &options);

} // namespace tavrin::web
