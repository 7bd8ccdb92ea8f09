#pragma once

#include "options.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace tavrin::rooms {

// The broker, the examination's name and the room's name, without editing
// a file. Only settings that can work are accepted.
class SetupDialog : public QDialog {
    Q_OBJECT
public:
    SetupDialog(const RoomsOptions &options, const PrivateBrokerOptions &broker, QWidget *parent);
    // Every field as these settings have it. On a room's PC (roomPc), the
    // controller's role is offered only with the operator's key given here.
    void setOptions(const RoomsOptions &options, const PrivateBrokerOptions &broker, bool roomPc = false);
    RoomsOptions options() const;
    PrivateBrokerOptions privateBrokerOptions() const;

    void accept() override;

private:
    void updateEnabled();
    QLineEdit *fileField();

    QButtonGroup *role_ = nullptr;
    QLineEdit *exam_ = nullptr;
    QLineEdit *room_ = nullptr;
    QLineEdit *host_ = nullptr;
    QSpinBox *port_ = nullptr;
    QLineEdit *user_ = nullptr;
    QLineEdit *password_ = nullptr;
    QCheckBox *tls_ = nullptr;
    QLineEdit *ca_ = nullptr;
    QLineEdit *cert_ = nullptr;
    QLineEdit *key_ = nullptr;
    QCheckBox *insecure_ = nullptr;
    QCheckBox *private_ = nullptr;
    QLineEdit *passphrase_ = nullptr;
    QLineEdit *privateRooms_ = nullptr;
    QLineEdit *listen_ = nullptr;
    QWidget *listenRow_ = nullptr;
    QLineEdit *serverCert_ = nullptr;
    QLineEdit *serverKey_ = nullptr;
    QLineEdit *examKeyFile_ = nullptr;
    QLabel *problem_ = nullptr;
    RoomsOptions shown_;
    bool roomPc_ = false;
    QWidget *fileRows_[3] = {};
};

} // namespace tavrin::rooms
