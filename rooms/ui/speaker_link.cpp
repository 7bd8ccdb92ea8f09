#include "speaker_link.h"

#include "controller.h"
#include "frame_port.h"
#include "room.h"
#include "rooms_ui.h"
#include "sound_bank.h"
#include "status_dialog.h"
#include "texts.h"

#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tavrin::rooms {

namespace {
using texts::str;
static_assert(kMaxSpeakerDelayMs == SoundBank::maxSpeakerDelayMs, "a room takes what its F12 takes");
} // namespace

SpeakerLink::SpeakerLink(RoomsUi &rooms, FramePort &frame, StatusDialog &status, SpeakerSeams seams, QObject *parent)
    : QObject(parent), rooms_(rooms), frame_(frame), status_(status), seams_(std::move(seams))
{
    connect(&rooms, &RoomsUi::memberMade, this, &SpeakerLink::attach);
    connect(&status, &StatusDialog::speakerAsked, this, [this](const QString &room) {
        if (room.isEmpty())
            frame_.notify(str(texts::holdPickRoom));
        else
            openDialog(room);
    });
}

void SpeakerLink::attach(Member *member)
{
    askedMs_.clear();
    if (Room *room = qobject_cast<Room *>(member))
        room->setSpeakerDelay(seams_.current, seams_.apply);
}

QString SpeakerLink::ask(const QString &room, int ms)
{
    Controller *c = rooms_.controller();
    if (!c)
        return str(texts::speakerAskNotController);
    if (ms < -kMaxSpeakerDelayMs || ms > kMaxSpeakerDelayMs)
        return str(texts::speakerAskOutOfRange).arg(ms).arg(-kMaxSpeakerDelayMs).arg(kMaxSpeakerDelayMs);
    const auto it = c->rooms().find(room);
    if (it == c->rooms().end() || !it->status.online || it->status.follows != c->id())
        return str(texts::speakerAskNotFollowing).arg(room);
    if (!it->status.ready.known)
        return str(texts::speakerAskOld).arg(room);
    // The room refuses it then too; said here before anything is sent.
    if (underWay(it->status.state))
        return str(texts::speakerAskRunning).arg(room);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (const qint64 last = askedMs_.value(room); last > 0 && std::llabs(now - last) < kAskGapMs)
        return str(texts::speakerAskTooSoon);
    const SpeakerAsk m{c->id(), room, ms, now};
    if (!c->publishExtra(Topics(c->exam()).roomSpeaker(room), writeSpeakerAsk(c->exam(), m), false))
        return str(texts::holdNotSent).arg(room);
    if (askedMs_.size() >= kMaxRooms)
        askedMs_.clear();
    askedMs_[room] = now;
    emit rooms_.record(str(texts::speakerAskSent).arg(room).arg(it->status.ready.speakerDelayMs).arg(ms));
    return {};
}

// Not modal: the clock and the rooms go on while the operator types.
void SpeakerLink::openDialog(const QString &room)
{
    Controller *c = rooms_.controller();
    if (!c || !c->rooms().contains(room)) {
        frame_.notify(c ? str(texts::speakerAskNotFollowing).arg(room) : str(texts::speakerAskNotController));
        return;
    }
    auto *dialog = new QDialog(&status_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(str(texts::speakerAskTitle));
    auto *layout = new QVBoxLayout(dialog);
    const Readiness r = c->rooms().value(room).status.ready;
    auto *prompt = new QLabel(str(texts::speakerAskPrompt)
                                  .arg(room)
                                  .arg(r.sinkLatencyMs < 0 ? str(texts::readyUnknown) : QString::number(r.sinkLatencyMs))
                                  .arg(r.speakerDelayMs)
                                  .arg(-kMaxSpeakerDelayMs)
                                  .arg(kMaxSpeakerDelayMs),
                              dialog);
    prompt->setWordWrap(true);
    prompt->setTextFormat(Qt::PlainText);
    layout->addWidget(prompt);
    // Wider than the bounds, so that a value beyond them is refused in words
    // rather than silently not typed.
    auto *box = new QSpinBox(dialog);
    box->setRange(-99999, 99999);
    box->setSuffix(QStringLiteral(" ms"));
    box->setValue(r.speakerDelayMs);
    layout->addWidget(box);
    auto *why = new QLabel(dialog);
    why->setWordWrap(true);
    why->setTextFormat(Qt::PlainText);
    why->setStyleSheet(QStringLiteral("color: #c04000"));
    why->hide();
    layout->addWidget(why);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::accepted, dialog, [this, dialog, box, why, room] {
        box->interpretText();
        const QString refused = ask(room, box->value());
        if (refused.isEmpty()) {
            dialog->accept();
            return;
        }
        why->setText(refused);
        why->show();
    });
    dialog->setModal(false);
    dialog->show();
}

} // namespace tavrin::rooms
