#include "rooms_ui.h"

#include "engine.h"
#include "form1.h"
#include "phase_timer.h"
#include "private_broker.h"
#include "setup_dialog.h"
#include "signing.h"
#include "sound_bank.h"
#include "status_dialog.h"
#include "texts.h"

#include <QAction>
#include <QDateTime>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace tavrin::rooms {

namespace {

using texts::str;

// Under the buttons and the time boxes, above the first row of dots (which
// begins 80 pixels down at the smallest font factor): outside the part of
// the window the candidates read.
const QRect kLineGeometry(196, 67, 490, 11);

QString clockTime(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss"));
}

QString signedMs(double ms)
{
    return str(texts::roomsOffsetShort).arg((ms >= 0 ? QStringLiteral("+") : QString()) + QString::number(ms, 'f', 1));
}

CueKind cueKind(CueSource s)
{
    switch (s) {
    case CueSource::OwnFile: return CueKind::Own;
    case CueSource::BuiltIn: return CueKind::BuiltIn;
    case CueSource::Silent: return CueKind::Silent;
    default: return CueKind::Unknown;
    }
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

RoomsUi::RoomsUi(Form1 &form, Engine &engine, SoundBank &players, const QString &optionsFile, QObject *parent)
    : QObject(parent), form_(form), engine_(engine), players_(players), optionsFile_(optionsFile),
      caption_(form.windowTitle()), forward_(std::make_unique<Forward>())
{
    engine_.addObserver(forward_.get());

    auto *status = new QAction(str(texts::roomsStatusAction), &form_);
    status->setShortcut(Qt::Key_F8);
    connect(status, &QAction::triggered, this, &RoomsUi::showStatus);
    form_.addAction(status);
    auto *setup = new QAction(str(texts::roomsSetupAction), &form_);
    connect(setup, &QAction::triggered, this, &RoomsUi::showSetup);
    form_.addAction(setup);

    line_ = new QLabel(&form_);
    line_->setObjectName(QStringLiteral("roomsLine"));
    line_->setGeometry(kLineGeometry);
    line_->setTextFormat(Qt::PlainText);
    QFont f = line_->font();
    f.setPixelSize(10);
    line_->setFont(f);
    line_->hide();

    status_ = new StatusDialog(&form_);
    auto *refresh = new QTimer(this);
    connect(refresh, &QTimer::timeout, this, &RoomsUi::refreshLine);
    refresh->start(1000);
}

RoomsUi::~RoomsUi()
{
    teardown();
}

QString RoomsUi::start(const RoomsOptions &options)
{
    options_ = options;
    build();
    return options_.role == Role::None && options.role != Role::None ? QStringLiteral("not started") : QString();
}

void RoomsUi::build()
{
    QString problem;
    if (options_.role == Role::Controller) {
        if (options_.privateBroker) {
            broker_ = new PrivateBroker(this);
            connect(broker_, &PrivateBroker::failed, this,
                    [this](const QString &why) { form_.notify(str(texts::roomsNoMosquitto).arg(why)); });
            if (const QString e = broker_->start(options_.broker.port, options_.broker.user, options_.broker.password);
                !e.isEmpty())
                form_.notify(str(texts::roomsNoMosquitto).arg(e));
        }
        controller_ = new Controller(options_.exam, options_.broker, engine_, *form_.Timer1, seams(), this);
        controller_->setBrokerFallback(!resumeDecided_);
        connect(controller_, &Controller::interruptedRunFound, this, &RoomsUi::askAboutKeptRun);
        connect(controller_, &Controller::otherLeads, this, &RoomsUi::askAboutOtherLeader);
        connect(controller_, &Controller::leadTaken, this, [this](const PresenceMessage &other) {
            form_.notify(str(texts::roomsLeadTaken).arg(other.host, clockTime(other.sinceMs)));
        });
        connect(controller_, &Controller::leadingNow, this, [this] {
            if (question_)
                question_->close();
        });
        forward_->to = controller_;
        problem = controller_->start();
        if (resumeDecided_ && problem.isEmpty())
            controller_->operatorDecided();
        resumeDecided_ = false; // a controller set up later asks about the broker's run
        form_.setWindowTitle(caption_ + str(texts::roomsTitleController).arg(options_.exam));
    } else if (options_.role == Role::Room) {
        room_ = new Room(options_.exam, options_.room, options_.broker, engine_, form_, *form_.Timer1,
                         [this](int n) { return cueKind(players_.cueStatus(n).source); }, seams(), this);
        room_->setStateChanged([this](RunState s) { emit form_.runStateChanged(s); });
        if (keptRun_)
            room_->setKeptRun(keptRun_);
        forward_->to = room_;
        form_.setInputsLocked(true);
        problem = room_->start();
        form_.setWindowTitle(caption_ + str(texts::roomsTitleRoom).arg(options_.room, options_.exam));
    } else {
        return;
    }
    Member *member = controller_ ? static_cast<Member *>(controller_) : room_;
    connect(member, &Member::note, this, &RoomsUi::noteFromMember);
    connect(member, &Member::changed, this, &RoomsUi::refreshLine);
    if (!problem.isEmpty()) {
        form_.notify(str(texts::roomsStartFailed).arg(problem));
        teardown();
        options_.role = Role::None;
        return;
    }
    line_->show();
    refreshLine();
}

MemberSeams RoomsUi::seams() const
{
    MemberSeams s;
    s.key = deriveExamKey(options_.passphrase, options_.exam);
    return s;
}

void RoomsUi::askAboutOtherLeader(const PresenceMessage &other)
{
    if (question_ || !controller_)
        return;
    const QString text = str(texts::roomsOtherLeadsQuestion)
                             .arg(options_.exam, other.host.isEmpty() ? other.from : other.host, clockTime(other.sinceMs));
    auto *box = new QMessageBox(QMessageBox::Question, str(texts::roomsOtherLeadsTitle), text, QMessageBox::NoButton,
                                &form_);
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
    forward_->to = nullptr;
    if (question_)
        question_->close();
    delete controller_;
    controller_ = nullptr;
    delete room_;
    room_ = nullptr;
    delete broker_;
    broker_ = nullptr;
    form_.setInputsLocked(false);
    form_.setWindowTitle(caption_);
    line_->hide();
    toldBuiltin_.clear();
}

void RoomsUi::showStatus()
{
    status_->showFor(controller_ ? static_cast<Member *>(controller_) : room_);
}

void RoomsUi::showSetup()
{
    auto *dialog = new SetupDialog(options_, &form_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Window-modal without a loop of its own: the clock goes on meanwhile.
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const RoomsOptions chosen = dialog->options();
        if (const QString e = saveOptions(optionsFile_, chosen); !e.isEmpty()) {
            form_.notify(e);
            return;
        }
        teardown();
        options_ = chosen;
        build();
        if (status_->isVisible())
            showStatus();
    });
    dialog->open();
}

void RoomsUi::askAboutKeptRun(const StateMessage &kept)
{
    const QString text = str(texts::roomsResumeQuestion)
                             .arg(options_.exam, kept.run.question)
                             .arg(qMax(0, kept.run.t.value() - 1))
                             .arg(stateText(kept.run.state()));
    auto *box = new QMessageBox(QMessageBox::Question, str(texts::roomsResumeTitle), text, QMessageBox::NoButton,
                                &form_);
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
                QStringList builtin;
                for (int n = 1; n <= 4; ++n)
                    if (v.status.cues[std::size_t(n - 1)] != CueKind::Own)
                        builtin << QString::number(n);
                if (!builtin.isEmpty()) {
                    toldBuiltin_ << v.status.room;
                    form_.notify(str(texts::roomsRoomBuiltinCues).arg(v.status.room, builtin.join(u'、')));
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
    } else {
        const std::optional<OffsetEstimate> e = room_->offset();
        text = room_->following()
                   ? str(texts::roomsLineRoom)
                         .arg(options_.room, e ? signedMs(e->offsetUs / 1000.0) : str(texts::roomsOffsetUnknown))
                   : str(texts::roomsLineRoomWaiting).arg(options_.room);
        alarm = !room_->connected();
        if (!alarm && room_->following() && !room_->controllerOnline())
            text += QChar(u'\u3000') + str(texts::roomsLineNoController);
    }
    const Member &member = controller_ ? static_cast<const Member &>(*controller_) : *room_;
    if (!member.connected())
        text += QChar(u'\u3000') + str(texts::roomsLineNoBroker);
    if (const qint64 refused = member.refusals().total(); refused > 0) {
        text += QChar(u'\u3000') + str(texts::roomsLineRefused).arg(refused);
        alarm = true;
    }
    line_->setText(text);
    QPalette p = line_->palette();
    p.setColor(QPalette::WindowText, alarm ? QColor(0xFF, 0x70, 0x30) : QColor(0xFF, 0xC0, 0x80));
    line_->setPalette(p);
}

} // namespace tavrin::rooms
