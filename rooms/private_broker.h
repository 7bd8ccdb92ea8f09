#pragma once

// A mosquitto of the controller's own, for an examination without a broker
// of its own. It listens on every interface, so that the rooms' PCs reach
// it; with a user name, only with that name and password.
//
// It is not tied to the controller's life: if the controller is killed, the
// broker and what it holds stay, the rooms go on, and the restarted
// controller finds its port taken and uses the broker that is there.

#include <QObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace tavrin::rooms {

class PrivateBroker : public QObject {
    Q_OBJECT
public:
    explicit PrivateBroker(QObject *parent = nullptr);
    ~PrivateBroker() override; // stops the broker it started

    // Empty, or why it cannot be started.
    QString start(int port, const QString &user, const QString &password);

signals:
    // It ended by itself, other than because the port was already taken.
    void failed(const QString &why);

private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
};

} // namespace tavrin::rooms
