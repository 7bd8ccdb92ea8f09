#pragma once

#include <QObject>

class QSocketNotifier;

namespace tavrin {

// SIGTERM and SIGHUP (a logout, a shutdown, a service manager's stop) reach
// the program as a signal of the event loop: the handler only writes to a
// pipe, and the loop reads it and ends the program in order.
class EndSignals : public QObject {
    Q_OBJECT
public:
    explicit EndSignals(QObject *parent = nullptr);
    ~EndSignals() override;

    // False when the pipe or the handlers could not be set up: then the
    // signals end the program as they always would.
    bool installed() const { return notifier_ != nullptr; }

signals:
    // name: "SIGTERM" or "SIGHUP".
    void endRequested(const QString &name);

private:
    void readPipe();
    QSocketNotifier *notifier_ = nullptr;
};

} // namespace tavrin
