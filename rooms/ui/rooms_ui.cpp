#include "rooms_ui.h"

#include "controller.h"
#include "cue_report.h"
#include "engine.h"
#include "frame_port.h"
#include "identity.h"
#include "join_dialog.h"
#include "mqtt_client.h"
#include "off_ui_thread.h"
#include "phase_timer.h"
#include "private_broker.h"
#include "ready_link.h"
#include "setup_dialog.h"
#include "sound_bank.h"
#include "status_dialog.h"
#include "texts.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin::rooms {

namespace {

using texts::str;

QString signedMs(double ms)
{
    return str(texts::roomsOffsetShort).arg((ms >= 0 ? QStringLiteral("+") : QString()) + QString::number(ms, 'f', 1));
}

} // namespace

// The engine's observers cannot be taken back, the members can: one
// observer for the program's life passes events on to the member of now.
class RoomsUi::Forward : public RunObserver {
public:
    RunObserver *to = nullptr;
    void runEvent(const RunEvent &event, const ExamState &state) override
    {
        if (to)
            to->runEvent(event, state);
    }
};

RoomsUi::RoomsUi(FramePort &frame, WindowPort &window, Engine &engine, PhaseTimer &clock, SoundBank &players,
                 const QString &optionsFile, QObject *parent)
    : QObject(parent), frame_(frame), window_(window), engine_(engine), clock_(clock), players_(players),
      optionsFile_(optionsFile), forward_(std::make_unique<Forward>())
{
    engine_.addObserver(forward_.get());

    connect(frame_.addMenuAction(str(texts::roomsStatusAction), QKeySequence(Qt::Key_F8)), &QAction::triggered,
            this, &RoomsUi::showStatus);
    connect(frame_.addMenuAction(str(texts::roomsSetupAction)), &QAction::triggered, this, &RoomsUi::showSetup);
    connect(frame_.addMenuAction(str(texts::joinExportAction)), &QAction::triggered, this, &RoomsUi::exportJoinFiles);

    status_ = new StatusDialog(frame_.dialogParent());
    connect(status_, &StatusDialog::keyApproved, this, &RoomsUi::approveKey);
    connect(status_, &StatusDialog::soundCheckAsked, this, [this] {
        const QString why = askSoundChecks_ ? askSoundChecks_() : QString();
        frame_.notify(why.isEmpty() ? str(texts::readyAskSent) : why);
    });
    // One set-up dialog for the program's life, made here at the start:
    // made anew at each opening, it held the UI thread for 5 to 13 ms, in
    // the middle of a run as like as not.
    setup_ = new SetupDialog({}, {}, frame_.dialogParent());
    // Polished and laid out now, which its first showing did otherwise.
    setup_->ensurePolished();
    setup_->adjustSize();
    connect(setup_, &QDialog::accepted, this, &RoomsUi::applySetup);
    auto *refresh = new QTimer(this);
    connect(refresh, &QTimer::timeout, this, &RoomsUi::refreshLine);
    refresh->start(1000);
}

RoomsUi::~RoomsUi()
{
    teardown();
    // At the program's end: the others learn of it from its leaving.
    MqttClient::waitForStopped(1000);
}

void RoomsUi::start(const RoomsOptions &options)
{
    if (const QString n = optionsFileNotice(optionsFile_); !n.isEmpty())
        frame_.notify(n);
    privateOptions_ = loadPrivateBrokerOptions(optionsFile_);
    loadApprovedKeys();
    options_ = options;
    // A room joined by its file (--join) stays so at the next start: its
    // path is kept, its secrets stay in it.
    if (options_.role == Role::Room && !options_.joinFile.isEmpty())
        saveOptionsLater(optionsFile_, options_, privateOptions_, this, [this](const QString &e) {
            if (!e.isEmpty())
                frame_.notify(e);
        });
    build();
}

// What a member needs that takes milliseconds to get: made off the UI thread.
struct RoomsUi::Prepared {
    SigningKey stretched;     // kept for the next member of the same passphrase
    SigningKey examKey;       // the controller's only
    QByteArray examPublicKey; // what a room checks the controller by; empty: nothing signed
    SigningKey roomKey;       // a room's only
    BrokerSettings login;
    BrokerLogins logins;      // the private broker's, on its controller
    BrokerCertificate cert;
    QString problem; // a file the connection needs that cannot be used
};

namespace {

// A TLS file must be a plain file that can be read: the library opens it
// on the UI thread, where a FIFO or a file being written would hang it.
QString unusableFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return str(texts::roomsTlsFileUnreadable).arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    const bool plain = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return plain ? QString() : str(texts::roomsTlsFileUnreadable).arg(path, str(texts::privateFileNotAFile));
}

// Where the keys and the login come from. The controller's examination key
// is typed there and then (stretched here, never stored) or kept in its
// owner-only key file, made at random at the first start; a room has a key
// of its own, made at its first start, and the examination's public key
// from its join file, and holds nothing that signs as the controller.
RoomsUi::Prepared prepare(const RoomsOptions &options, const QString &optionsFile, const PrivateBrokerOptions &broker,
                          const SigningKey &knownKey)
{
    RoomsUi::Prepared p;
    p.login = loginFor(options);
    if (options.role == Role::Controller) {
        if (!options.passphrase.isEmpty()) {
            // Stretching takes a while: a key already made is used again.
            p.examKey = !knownKey.isNull() ? knownKey : SigningKey::fromPassphrase(options.passphrase, options.exam);
            p.stretched = p.examKey;
        } else if (options.keyFromPassphrase) {
            p.problem = str(texts::roomsTypePassphrase);
        } else if (options.privateBroker || !options.keyFile.isEmpty()) {
            // On a broker of the operator's own without a key file named,
            // nothing is signed: the rooms there have no join file to check by.
            const QString file = options.keyFile.isEmpty() ? besideOptions(optionsFile, kExamKeyFile) : options.keyFile;
            KeyFileResult r = readOrMakeKeyFile(file, kExamKeyLabel);
            p.examKey = r.key;
            p.problem = r.error;
        }
        p.examPublicKey = p.examKey.isNull() ? QByteArray() : p.examKey.publicKey();
        // A room's PC made a controller by its own operator's key: a key that
        // is not the examination's would lead nobody.
        if (p.problem.isEmpty() && !options.examPublicKey.isEmpty() && options.examPublicKey != p.examPublicKey)
            p.problem = str(texts::roomsNotTheExamKey).arg(fingerprint(options.examPublicKey));
        if (p.problem.isEmpty() && options.privateBroker) {
            p.problem = readOrMakeLogins(besideOptions(optionsFile, kBrokerLoginsFile),
                                         QStringList(broker.rooms) << QString::fromLatin1(kControllerUser), p.logins);
            if (p.problem.isEmpty())
                p.problem = broker.certFile.isEmpty()
                                ? readOrMakeCertificate(besideOptions(optionsFile, kBrokerCertFile),
                                                        besideOptions(optionsFile, kBrokerKeyFile), p.cert)
                                : readOrMakeCertificate(broker.certFile, broker.keyFile, p.cert);
            // Its own broker, through the loopback address, pinned like a room.
            p.login.user = QString::fromLatin1(kControllerUser);
            p.login.password = p.logins.value(p.login.user);
            p.login.tls = true;
            p.login.tlsPin = p.cert.pin;
        }
    } else {
        const KeyFileResult r = readOrMakeKeyFile(besideOptions(optionsFile, kRoomKeyFile), kRoomKeyLabel);
        p.roomKey = r.key;
        p.problem = r.error;
        p.examPublicKey = options.examPublicKey;
    }
    if (p.login.tls && p.login.tlsPin.isEmpty())
        for (const QString &f : {p.login.caFile, p.login.certFile, p.login.keyFile})
            if (p.problem.isEmpty() && !f.isEmpty())
                p.problem = unusableFile(f);
    return p;
}

} // namespace

void RoomsUi::build()
{
    if (options_.role == Role::None)
        return;
    // The window is the member's from now on; the member itself comes once
    // its key is made.
    if (options_.role == Role::Controller) {
        frame_.setTitleSuffix(str(texts::roomsTitleController).arg(options_.exam));
    } else {
        frame_.setInputsLocked(true);
        frame_.setTitleSuffix(str(texts::roomsTitleRoom).arg(options_.room, options_.exam));
    }
    const bool known = keyOf_ == std::pair{options_.passphrase, options_.exam};
    offUiThread(
        this,
        [options = options_, file = optionsFile_, broker = privateOptions_, key = known ? key_ : SigningKey()] {
            return prepare(options, file, broker, key);
        },
        [this, build = ++builds_, keyOf = std::pair{options_.passphrase, options_.exam}](const Prepared &p) {
            keyOf_ = keyOf;
            key_ = p.stretched;
            if (build != builds_)
                return;
            examPublicKey_ = p.examPublicKey;
            logins_ = p.logins;
            cert_ = p.cert;
            if (p.problem.isEmpty() && options_.role == Role::Controller && options_.privateBroker)
                startPrivateBroker();
            makeMember(p, p.login, p.problem);
        });
}

void RoomsUi::makeMember(const Prepared &keys, const BrokerSettings &login, QString problem)
{
    MemberSeams seams;
    seams.examKey = keys.examKey;
    seams.examPublicKey = keys.examPublicKey;
    seams.roomKey = keys.roomKey;
    if (!problem.isEmpty()) {
        // Refused before anything is made, as a member that could not start.
    } else if (options_.role == Role::Controller) {
        controller_ = new Controller(options_.exam, login, engine_, clock_, std::move(seams), this);
        controller_->setBrokerFallback(!resumeDecided_);
        controller_->setApprovedKeys(approvedKeys_);
        connect(controller_, &Controller::interruptedRunFound, this, &RoomsUi::askAboutKeptRun);
        connect(controller_, &Controller::otherLeads, this, &RoomsUi::askAboutOtherLeader);
        connect(controller_, &Controller::leadTaken, this, [this](const PresenceMessage &other) {
            frame_.notify(str(texts::roomsLeadTaken).arg(other.host, clockTime(other.sinceMs)));
        });
        connect(controller_, &Controller::leadingNow, this, [this] {
            if (question_)
                question_->close();
        });
        forward_->to = controller_;
        emit memberMade(controller_);
        problem = controller_->start();
        if (resumeDecided_ && problem.isEmpty())
            controller_->operatorDecided();
        resumeDecided_ = false; // a controller set up later asks about the broker's run
    } else {
        room_ = new Room(options_.exam, options_.room, login, engine_, window_, clock_,
                         [this](int n) { return players_.cueStatus(n).source; }, std::move(seams), this);
        if (keptRun_)
            room_->setKeptRun(keptRun_);
        if (unsentReports_)
            room_->keepReports(unsentReports_());
        connect(room_, &Room::runAborted, this, [this] {
            emit runAborted(str(texts::roomsAbortedByController));
            // Once the run has stopped.
            QMetaObject::invokeMethod(
                this, [this] { frame_.notify(str(texts::roomsAbortedByController)); }, Qt::QueuedConnection);
        });
        forward_->to = room_;
        emit memberMade(room_);
        problem = room_->start();
    }
    if (!problem.isEmpty()) {
        frame_.notify(str(texts::roomsStartFailed).arg(problem));
        teardown();
        options_.role = Role::None;
        return;
    }
    Member *member = controller_ ? static_cast<Member *>(controller_) : room_;
    connect(member, &Member::note, this, &RoomsUi::noteFromMember);
    connect(member, &Member::changed, this, &RoomsUi::refreshLine);
    // The proof of every cue: when the output started it, and where it went.
    member->setCueSources([this](int n) { return players_.cueStatus(n).source; });
    connect(&players_, &SoundBank::cueStarted, member, &Member::cueStarted);
    connect(member, &Member::cuePlayed, this, &RoomsUi::cuePlayed);
    // Held again before anything of the controller's can come in.
    if (room_ && keptHold_)
        if (const std::optional<KeptHold> held = keptHold_())
            room_->keepHold(*held);
    refreshLine();
}

namespace {

constexpr qsizetype kMaxKeysFile = 64 * 1024;

// The approved rooms' keys: one line a room, its name and its key in base64url.
QString approvedKeysFile(const QString &optionsFile)
{
    return QFileInfo(optionsFile).dir().filePath(QStringLiteral("Tavrin-room-keys.txt"));
}

} // namespace

void RoomsUi::loadApprovedKeys()
{
    approvedKeys_.clear();
    QByteArray content;
    const SecretFileError e = readSecretFile(approvedKeysFile(optionsFile_), kMaxKeysFile, content);
    if (e.kind == SecretFileError::Missing)
        return;
    if (e.kind != SecretFileError::None) {
        frame_.notify(str(texts::roomsKeysReadFailed).arg(e.text));
        return;
    }
    for (const QByteArray &line : content.split('\n')) {
        const QList<QByteArray> f = line.split('\t');
        if (f.size() != 2)
            continue;
        const QString room = QString::fromUtf8(
            QByteArray::fromBase64(f[0].left(4 * kMaxNameLength * 4 / 3 + 4), QByteArray::Base64UrlEncoding));
        const std::optional<QByteArray> key = decodeKey(f[1], kPublicKeyBytes);
        if (key && validName(room) && approvedKeys_.size() < kMaxRooms)
            approvedKeys_.insert(room, *key);
    }
}

void RoomsUi::approveKey(const QString &room, const QByteArray &key)
{
    if (!controller_ || approvedKeys_.size() >= kMaxRooms)
        return;
    approvedKeys_.insert(room, key);
    controller_->setApprovedKeys(approvedKeys_);
    emit record(str(texts::roomsKeyApprovedRecord).arg(room, fingerprint(key)));
    QByteArray content;
    for (auto it = approvedKeys_.cbegin(); it != approvedKeys_.cend(); ++it)
        content += encodeKey(it.key().toUtf8()) + '\t' + encodeKey(it.value()) + '\n';
    // Owner-only and whole, never through a link, like every key file.
    if (const QString e = writeSecretFile(approvedKeysFile(optionsFile_), content); !e.isEmpty())
        frame_.notify(str(texts::roomsKeysSaveFailed).arg(e));
}

void RoomsUi::abortRun()
{
    if (controller_)
        controller_->abortRun();
}

qint64 RoomsUi::brokerProcessId() const
{
    return broker_ ? broker_->processId() : 0;
}

void RoomsUi::askAboutOtherLeader(const PresenceMessage &other)
{
    if (question_ || !controller_)
        return;
    const QString text = str(texts::roomsOtherLeadsQuestion)
                             .arg(options_.exam, other.host.isEmpty() ? other.from : other.host, clockTime(other.sinceMs));
    auto *box = new QMessageBox(QMessageBox::Question, str(texts::roomsOtherLeadsTitle), text, QMessageBox::NoButton,
                                frame_.dialogParent());
    QPushButton *takeOver = box->addButton(str(texts::roomsTakeOverYes), QMessageBox::YesRole);
    QPushButton *standBy = box->addButton(str(texts::roomsTakeOverNo), QMessageBox::NoRole);
    // Taking over is never the default: only a deliberate choice.
    box->setDefaultButton(standBy);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    connect(box, &QMessageBox::finished, this, [this, box, takeOver] {
        if (controller_ && !controller_->leading() && box->clickedButton() == takeOver)
            controller_->takeOverFromOther();
    });
    question_ = box;
    box->show();
}

void RoomsUi::teardown()
{
    ++builds_; // a member still being prepared is not made
    forward_->to = nullptr;
    if (question_)
        question_->close();
    delete controller_;
    controller_ = nullptr;
    delete room_;
    room_ = nullptr;
    delete broker_;
    broker_ = nullptr;
    frame_.setInputsLocked(false);
    frame_.setTitleSuffix({});
    frame_.setStatusLine({}, false);
    toldBuiltin_.clear();
}

void RoomsUi::startPrivateBroker()
{
    PrivateBrokerSetup setup;
    setup.port = options_.broker.port;
    setup.exam = options_.exam;
    setup.logins = logins_;
    setup.rooms = privateOptions_.rooms;
    setup.addresses = privateOptions_.addresses;
    setup.certFile = cert_.certFile;
    setup.keyFile = cert_.keyFile;
    setup.caFile = options_.broker.tls ? options_.broker.caFile : QString();
    if (const QString e = setupProblem(setup); !e.isEmpty()) {
        frame_.notify(str(texts::privateBrokerRefused).arg(e));
        return;
    }
    broker_ = new PrivateBroker(this);
    connect(broker_, &PrivateBroker::failed, this,
            [this](const QString &why) { frame_.notify(str(texts::roomsNoMosquitto).arg(why)); });
    // A room that tried and was refused is told where the operator looks,
    // once a minute at most; every refusal goes to the record.
    connect(broker_, &PrivateBroker::loginRefused, this, [this](const QString &line) {
        const QString text = str(texts::brokerLoginRefusedController).arg(line);
        emit record(text);
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (now - toldRefusedMs_ >= 60'000) {
            toldRefusedMs_ = now;
            frame_.notify(text);
        }
    });
    if (const QString e = broker_->start(setup); !e.isEmpty())
        frame_.notify(str(texts::roomsNoMosquitto).arg(e));
}

void RoomsUi::showStatus()
{
    status_->showFor(controller_ ? static_cast<Member *>(controller_) : room_);
}

void RoomsUi::showSetup()
{
    // A PC that has been a room (it has a room's key) stays one unless the
    // operator's key is given in the dialog.
    setup_->setOptions(options_, privateOptions_,
                       options_.role == Role::Room || QFile::exists(besideOptions(optionsFile_, kRoomKeyFile)));
    // Window-modal without a loop of its own: the clock goes on meanwhile.
    setup_->open();
}

void RoomsUi::applySetup()
{
    const RoomsOptions chosen = setup_->options();
    const PrivateBrokerOptions broker = setup_->privateBrokerOptions();
    // Written off the UI thread; the settings are used once they are kept.
    saveOptionsLater(optionsFile_, chosen, broker, this, [this, chosen, broker](const QString &e) {
        if (!e.isEmpty()) {
            frame_.notify(e);
            return;
        }
        teardown();
        options_ = chosen;
        privateOptions_ = broker;
        build();
        if (status_->isVisible())
            showStatus();
    });
}

void RoomsUi::askAboutKeptRun(const StateMessage &kept)
{
    const QString text = str(texts::roomsResumeQuestion)
                             .arg(options_.exam, kept.run.question)
                             .arg(qMax(0, kept.run.t.value() - 1))
                             .arg(stateText(kept.run.state()));
    auto *box = new QMessageBox(QMessageBox::Question, str(texts::roomsResumeTitle), text, QMessageBox::NoButton,
                                frame_.dialogParent());
    QPushButton *carryOn = box->addButton(str(texts::roomsResumeYes), QMessageBox::YesRole);
    box->addButton(str(texts::roomsResumeNo), QMessageBox::NoRole);
    box->setDefaultButton(carryOn);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // The clock and the rooms go on while the operator thinks.
    box->setWindowModality(Qt::NonModal);
    connect(box, &QMessageBox::finished, this, [this, box, carryOn, kept] {
        if (!controller_ || controller_->leading())
            return;
        if (box->clickedButton() == carryOn)
            controller_->takeOver(kept);
        else
            controller_->leadAfresh();
    });
    question_ = box;
    box->show();
}

void RoomsUi::noteFromMember(const QString &text)
{
    emit record(text);
}

void RoomsUi::refreshLine()
{
    if (!controller_ && !room_)
        return;
    QString text;
    bool alarm = false;
    if (controller_) {
        int online = 0;
        for (const RoomView &v : controller_->rooms()) {
            online += v.status.online ? 1 : 0;
            // A room playing built-in sounds is worth a word to the operator,
            // though not over the candidates' screen in the middle of a run.
            if (v.status.online && !toldBuiltin_.contains(v.status.room) &&
                engine_.runState() != RunState::Running) {
                if (const QString notOwn = cuesNotOwn(v.status.cues); !notOwn.isEmpty()) {
                    toldBuiltin_ << v.status.room;
                    frame_.notify(str(texts::roomsRoomBuiltinCues).arg(v.status.room, notOwn));
                }
            }
        }
        if (controller_->leading())
            text = str(texts::roomsLineController).arg(options_.exam).arg(online).arg(controller_->rooms().size());
        else if (const auto other = controller_->otherLeader())
            text = str(texts::roomsLineControllerStandby).arg(options_.exam, other->host.isEmpty() ? other->from : other->host);
        else
            text = str(texts::roomsLineControllerWaiting).arg(options_.exam);
        // Rooms that follow another controller, and forgeries, are shown
        // where the operator looks, not only in the record.
        QStringList others;
        for (const RoomView &v : controller_->rooms())
            if (v.status.online && !v.status.follows.isEmpty() && v.status.follows != controller_->id())
                others << v.status.room;
        if (!others.isEmpty() && controller_->leading()) {
            text += QChar(u'\u3000') + str(texts::roomsLineFollowOther).arg(others.join(u'、'));
            alarm = true;
        }
        alarm = alarm || !controller_->connected();
        // In its own name, and not its own: somebody holds what signs as it, or replays it.
        if (const qint64 seen = controller_->ownNameSeenMs(); seen > 0 && QDateTime::currentMSecsSinceEpoch() - seen < 10 * 60'000) {
            text += QChar(u'\u3000') + str(texts::roomsLineOwnNameForged);
            alarm = true;
        }
    } else {
        const std::optional<OffsetEstimate> e = room_->offset();
        text = room_->following()
                   ? str(texts::roomsLineRoom)
                         .arg(options_.room, e ? signedMs(e->offsetUs / 1000.0) : str(texts::roomsOffsetUnknown))
                   : str(texts::roomsLineRoomWaiting).arg(options_.room);
        alarm = !room_->connected();
        if (!alarm && room_->following() && !room_->controllerOnline())
            text += QChar(u'\u3000') + str(texts::roomsLineNoController);
        if (room_->clockUnanswered()) {
            text += QChar(u'\u3000') + str(texts::roomsLineClockUnanswered);
            alarm = true;
            // The line has room for the warning; what to check is told once.
            if (!toldUnanswered_)
                frame_.notify(str(texts::roomsClockUnanswered));
        }
        toldUnanswered_ = room_->clockUnanswered();
        // The controller changed this room's speaker correction: said on the line for a minute.
        if (const auto &c = room_->speakerChange(); c && std::llabs(QDateTime::currentMSecsSinceEpoch() - c->atMs) < 60'000)
            text += QChar(u'\u3000') + str(texts::roomsLineSpeakerChanged).arg(c->fromMs).arg(c->toMs).arg(clockTime(c->atMs));
    }
    const Member &member = controller_ ? static_cast<const Member &>(*controller_) : *room_;
    if (!member.connected()) {
        text += QChar(u'\u3000') + str(texts::roomsLineNoBroker);
        // A refusal that the operator can mend is told in words that say how,
        // once for each new reason, and named on the line as long as it holds.
        const QString problem = member.connectionProblem();
        const char *advice = problem.contains(QLatin1String("TLS pin mismatch")) ? texts::brokerPinMismatch
                                 : problem.contains(QLatin1String("authori"), Qt::CaseInsensitive)
                                     ? texts::brokerNotAuthorizedRoom
                                     : nullptr;
        if (advice) {
            text += QChar(u'\u3000') + problem;
            if (toldProblem_ != problem) {
                toldProblem_ = problem;
                frame_.notify(str(advice).arg(problem));
            }
        }
    } else {
        toldProblem_.clear();
    }
    if (member.refusals().count(Refusal::OtherVersion) > 0) {
        text += QChar(u'\u3000') + str(texts::roomsLineOldVersion);
        alarm = true;
    }
    if (!member.examFingerprint().isEmpty())
        text += QChar(u'\u3000') + str(texts::roomsLineExamKey).arg(member.examFingerprint());
    if (const qint64 refused = member.refusals().total(); refused > 0) {
        text += QChar(u'\u3000') + str(texts::roomsLineRefused).arg(refused);
        alarm = true;
    }
    frame_.setStatusLine(text, alarm);
}

// The join files of the private broker's rooms, one a room, into a folder
// the operator picks, and shown as QR codes.
void RoomsUi::exportJoinFiles()
{
    if (!controller_ || !options_.privateBroker || logins_.isEmpty()) {
        frame_.notify(str(options_.role == Role::Controller && options_.privateBroker ? texts::joinNoKey
                                                                                      : texts::joinExportNeedsController));
        return;
    }
    if (privateOptions_.rooms.isEmpty()) {
        frame_.notify(str(texts::joinExportNoRooms));
        return;
    }
    QList<JoinFile> joins;
    const QString host = joinHost(privateOptions_.addresses);
    for (const QString &room : privateOptions_.rooms) {
        JoinFile j;
        j.exam = options_.exam;
        j.room = room;
        j.examKey = examPublicKey_;
        j.host = host;
        j.port = options_.broker.port;
        j.tlsPin = cert_.pin;
        j.user = room;
        j.password = logins_.value(room);
        joins << j;
    }
    showJoinFiles(frame_.dialogParent(), joins, [this](const QString &text) { frame_.notify(text); });
}

} // namespace tavrin::rooms
