#pragma once

// The browser view's settings: the port in the options file's [web] group;
// it is off at every start unless the command line turns it on.

#include <QString>
#include <QStringList>

#include <functional>

class QCommandLineParser;
class QObject;

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
// Only the [web] group is touched, through the options file's one writer.
// Empty on success, otherwise the operator's notice.
QString saveOptions(const QString &path, const WebOptions &options);
// The same off the UI thread: done gets the result on the UI thread,
// unless context is gone by then.
void saveOptionsLater(const QString &path, const WebOptions &options, QObject *context,
                      std::function<void(const QString &notice)> done);

// --web [PORT]
void addCommandLineOptions(QCommandLineParser &parser);
// Applies --web and the port that may follow it among arguments (the
// program's whole command line); empty, or why it cannot be used (then
// options are left as they were).
QString applyCommandLine(const QCommandLineParser &parser, const QStringList &arguments, WebOptions &options);

} // namespace tavrin::web
