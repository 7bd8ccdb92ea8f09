#include "setup_dialog.h"

#include "identity.h"
#include "join_dialog.h"
#include "private_broker.h"
#include "protocol.h"
#include "texts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QVBoxLayout>


namespace tavrin::rooms {

namespace {
using texts::str;

QStringList list(const QString &text)
{
    QStringList out;
    for (const QString &part : text.split(QRegularExpression(QStringLiteral("[,、，]"))))
        if (!part.trimmed().isEmpty())
            out << part.trimmed();
    return out;
}
} // namespace

SetupDialog::SetupDialog(const RoomsOptions &o, const PrivateBrokerOptions &pb, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(str(texts::roomsSetupTitle));
    auto *layout = new QVBoxLayout(this);

    auto *roles = new QVBoxLayout;
    role_ = new QButtonGroup(this);
    const std::pair<Role, const char *> choices[] = {
        {Role::None, texts::roomsRoleNone}, {Role::Controller, texts::roomsRoleController}, {Role::Room, texts::roomsRoleRoom}};
    for (const auto &[r, caption] : choices) {
        auto *b = new QRadioButton(str(caption), this);
        role_->addButton(b, static_cast<int>(r));
        roles->addWidget(b);
    }
    layout->addWidget(new QLabel(str(texts::roomsRoleLabel), this));
    layout->addLayout(roles);

    auto *form = new QFormLayout;
    exam_ = new QLineEdit(this);
    room_ = new QLineEdit(this);
    host_ = new QLineEdit(this);
    port_ = new QSpinBox(this);
    port_->setRange(1, 65535);
    user_ = new QLineEdit(this);
    password_ = new QLineEdit(this);
    password_->setEchoMode(QLineEdit::Password);
    passphrase_ = new QLineEdit(this);
    passphrase_->setEchoMode(QLineEdit::Password);
    passphrase_->setMaxLength(kMaxPassphraseBytes / 4); // UTF-8 takes up to 4 bytes a character
    privateRooms_ = new QLineEdit(this);
    listenRow_ = new QWidget(this);
    auto *listenLine = new QHBoxLayout(listenRow_);
    listenLine->setContentsMargins(0, 0, 0, 0);
    listen_ = new QLineEdit(listenRow_);
    listen_->setPlaceholderText(QStringLiteral("127.0.0.1"));
    auto *lan = new QPushButton(str(texts::roomsListenLan), listenRow_);
    connect(lan, &QPushButton::clicked, this, [this] { listen_->setText(lanAddresses().join(QStringLiteral(", "))); });
    listenLine->addWidget(listen_);
    listenLine->addWidget(lan);
    private_ = new QCheckBox(str(texts::roomsPrivateLabel), this);
    tls_ = new QCheckBox(str(texts::roomsTlsLabel), this);
    for (QLineEdit *name : {exam_, room_})
        name->setMaxLength(kMaxNameLength);
    form->addRow(str(texts::roomsExamLabel), exam_);
    form->addRow(str(texts::roomsRoomLabel), room_);
    form->addRow(str(texts::roomsPassphraseLabel), passphrase_);
    examKeyFile_ = fileField();
    form->addRow(str(texts::roomsExamKeyFileLabel), examKeyFile_->parentWidget());
    form->addRow(str(texts::roomsHostLabel), host_);
    form->addRow(str(texts::roomsPortLabel), port_);
    form->addRow(QString(), private_);
    form->addRow(str(texts::roomsPrivateRoomsLabel), privateRooms_);
    form->addRow(str(texts::roomsListenLabel), listenRow_);
    form->addRow(str(texts::roomsUserLabel), user_);
    form->addRow(str(texts::roomsPasswordLabel), password_);
    form->addRow(QString(), tls_);
    ca_ = fileField();
    cert_ = fileField();
    key_ = fileField();
    const char *fileLabels[] = {texts::roomsCaLabel, texts::roomsCertLabel, texts::roomsKeyLabel};
    QLineEdit *files[] = {ca_, cert_, key_};
    for (int i = 0; i < 3; ++i) {
        fileRows_[i] = files[i]->parentWidget();
        form->addRow(str(fileLabels[i]), fileRows_[i]);
    }
    insecure_ = new QCheckBox(str(texts::roomsInsecureLabel), this);
    form->addRow(QString(), insecure_);
    serverCert_ = fileField();
    serverKey_ = fileField();
    form->addRow(str(texts::roomsServerCertLabel), serverCert_->parentWidget());
    form->addRow(str(texts::roomsServerKeyLabel), serverKey_->parentWidget());
    layout->addLayout(form);

    auto *note = new QLabel(str(texts::roomsSetupNote), this);
    note->setWordWrap(true);
    layout->addWidget(note);
    problem_ = new QLabel(this);
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #b00000;"));
    layout->addWidget(problem_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    // Qt's own caption is English unless its translations are installed.
    buttons->button(QDialogButtonBox::Cancel)->setText(str(texts::roomsCancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &SetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(role_, &QButtonGroup::idClicked, this, &SetupDialog::updateEnabled);
    connect(tls_, &QCheckBox::toggled, this, &SetupDialog::updateEnabled);
    connect(private_, &QCheckBox::toggled, this, &SetupDialog::updateEnabled);
    connect(passphrase_, &QLineEdit::textChanged, this, &SetupDialog::updateEnabled);
    connect(examKeyFile_, &QLineEdit::textChanged, this, &SetupDialog::updateEnabled);
    setOptions(o, pb);
}

void SetupDialog::setOptions(const RoomsOptions &o, const PrivateBrokerOptions &pb, bool roomPc)
{
    shown_ = o;
    roomPc_ = roomPc;
    role_->button(static_cast<int>(o.role))->setChecked(true);
    exam_->setText(o.exam);
    room_->setText(o.room);
    host_->setText(o.broker.host);
    port_->setValue(o.broker.port);
    user_->setText(o.broker.user);
    password_->setText(o.broker.password);
    // Typed there and then, never shown again: a room's mouse gets nothing.
    passphrase_->clear();
    examKeyFile_->setText(roomPc ? QString() : o.keyFile);
    privateRooms_->setText(pb.rooms.join(QStringLiteral(", ")));
    listen_->setText(pb.addresses.join(QStringLiteral(", ")));
    private_->setChecked(o.privateBroker);
    tls_->setChecked(o.broker.tls);
    ca_->setText(o.broker.caFile);
    cert_->setText(o.broker.certFile);
    key_->setText(o.broker.keyFile);
    insecure_->setChecked(o.broker.tlsInsecure);
    serverCert_->setText(pb.certFile);
    serverKey_->setText(pb.keyFile);
    problem_->clear();
    updateEnabled();
}

QLineEdit *SetupDialog::fileField()
{
    auto *row = new QWidget(this);
    auto *h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto *edit = new QLineEdit(row);
    auto *browse = new QPushButton(str(texts::roomsBrowse), row);
    connect(browse, &QPushButton::clicked, this, [this, edit] {
        const QString f = QFileDialog::getOpenFileName(this, QString(), edit->text());
        if (!f.isEmpty())
            edit->setText(f);
    });
    h->addWidget(edit);
    h->addWidget(browse);
    return edit;
}

void SetupDialog::updateEnabled()
{
    const auto role = static_cast<Role>(role_->checkedId());
    const bool any = role != Role::None;
    const bool tls = any && tls_->isChecked();
    exam_->setEnabled(any);
    room_->setEnabled(role == Role::Room);
    private_->setEnabled(role == Role::Controller);
    const bool own = role == Role::Controller && private_->isChecked();
    host_->setEnabled(any && !own);
    // A room's PC is made a controller only with the operator's key, given
    // here and now: a passphrase or the examination's key file.
    const bool keyGiven = !passphrase_->text().isEmpty() || !examKeyFile_->text().trimmed().isEmpty();
    role_->button(static_cast<int>(Role::Controller))->setEnabled(!roomPc_ || keyGiven);
    for (QWidget *w : std::initializer_list<QWidget *>{port_, user_, password_, tls_})
        w->setEnabled(any);
    for (QWidget *w : {static_cast<QWidget *>(passphrase_), examKeyFile_->parentWidget()})
        w->setEnabled(role == Role::Controller || (roomPc_ && role == Role::Room));
    for (QWidget *w : {static_cast<QWidget *>(privateRooms_), listenRow_})
        w->setEnabled(own);
    // TLS is always on there; a certificate of the operator's own is optional.
    for (QLineEdit *w : {serverCert_, serverKey_})
        w->parentWidget()->setEnabled(own);
    for (QWidget *row : fileRows_)
        row->setEnabled(tls);
    insecure_->setEnabled(tls);
}

RoomsOptions SetupDialog::options() const
{
    // What the dialog does not show stays as it was (a room's join file).
    RoomsOptions o = shown_;
    o.broker = {};
    o.role = static_cast<Role>(qMax(0, role_->checkedId()));
    o.exam = exam_->text().trimmed();
    o.room = room_->text().trimmed();
    o.broker.host = host_->text().trimmed();
    o.broker.port = port_->value();
    o.broker.user = user_->text();
    o.broker.password = password_->text();
    o.broker.tls = tls_->isChecked();
    o.broker.caFile = ca_->text().trimmed();
    o.broker.certFile = cert_->text().trimmed();
    o.broker.keyFile = key_->text().trimmed();
    o.broker.tlsInsecure = insecure_->isChecked();
    o.privateBroker = o.role == Role::Controller && private_->isChecked();
    // Its own broker is reached through the loopback address it always
    // listens on.
    if (o.privateBroker)
        o.broker.host = QStringLiteral("127.0.0.1");
    o.passphrase = o.role == Role::Controller ? passphrase_->text() : QString();
    o.keyFile = o.role == Role::Controller ? examKeyFile_->text().trimmed() : QString();
    o.keyFromPassphrase = o.role == Role::Controller && (!o.passphrase.isEmpty() ||
                                                         (shown_.keyFromPassphrase && o.keyFile.isEmpty()));
    if (o.role != Role::Room) {
        o.joinFile.clear();
    } else if (!o.joinFile.isEmpty()) {
        // A joined room's broker is its join file's, read again at each start.
        o.broker = shown_.broker;
    }
    return o;
}

PrivateBrokerOptions SetupDialog::privateBrokerOptions() const
{
    PrivateBrokerOptions b;
    b.rooms = list(privateRooms_->text());
    b.addresses = list(listen_->text());
    b.certFile = serverCert_->text().trimmed();
    b.keyFile = serverKey_->text().trimmed();
    return b;
}

void SetupDialog::accept()
{
    const RoomsOptions o = options();
    QString problem;
    if (o.role != Role::None && !validName(o.exam))
        problem = str(texts::roomsBadExamName);
    else if (o.role == Role::Room && !validName(o.room))
        problem = str(texts::roomsBadRoomName);
    else if (o.role != Role::None && o.broker.host.isEmpty())
        problem = str(texts::roomsBadHost);
    else if (roomPc_ && o.role == Role::Controller && o.passphrase.isEmpty() && o.keyFile.isEmpty())
        problem = str(texts::roomsControllerNeedsKey);
    else if (roomPc_ && o.role == Role::Controller && o.passphrase.isEmpty() &&
             readKeyFile(o.keyFile, kExamKeyLabel).key.isNull()) // a small file, read without blocking
        problem = readKeyFile(o.keyFile, kExamKeyLabel).error;
    else if (o.privateBroker) {
        const PrivateBrokerOptions b = privateBrokerOptions();
        PrivateBrokerSetup setup;
        setup.exam = o.exam;
        setup.rooms = b.rooms;
        setup.addresses = b.addresses;
        setup.certFile = b.certFile;
        setup.keyFile = b.keyFile;
        // Their logins are made at the start; only their names are checked here.
        for (const QString &user : b.rooms + QStringList{QString::fromLatin1(kControllerUser)})
            setup.logins.insert(user, QStringLiteral("x"));
        problem = setupProblem(setup);
    }
    problem_->setText(problem);
    if (problem.isEmpty())
        QDialog::accept();
}

} // namespace tavrin::rooms
