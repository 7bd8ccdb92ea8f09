#include "hold_link.h"

#include "controller.h"
#include "frame_port.h"
#include "room.h"
#include "rooms_ui.h"
#include "status_dialog.h"
#include "texts.h"

#include <QAction>
#include <QDateTime>
#include <QMessageBox>
#include <QPushButton>

namespace tavrin::rooms {

namespace {
using texts::str;
} // namespace

HoldIncident incidentOf(const QString &room, const HoldView &hold, qint64 endMs)
{
    return {room,          hold.by,   hold.sinceMs, qMax(hold.sinceMs, endMs), qMax(1, hold.question),
            hold.lastLost, hold.lost, false,        false,                      hold.question};
}


HoldLink::HoldLink(RoomsUi &rooms, FramePort &frame, StatusDialog &status, QObject *parent)
    : QObject(parent), rooms_(rooms), frame_(frame)
{
    connect(&rooms, &RoomsUi::memberMade, this, &HoldLink::attach);
    connect(frame.addMenuAction(str(texts::holdAction), QKeySequence(Qt::CTRL | Qt::Key_F8)), &QAction::triggered,
            this, &HoldLink::ownKey);
    connect(&status, &StatusDialog::holdAsked, this, [this](const QString &room, bool hold) {
        if (room.isEmpty()) {
            frame_.notify(str(texts::holdPickRoom));
            return;
        }
        if (!hold) {
            if (const QString why = ask(room, false); !why.isEmpty())
                frame_.notify(why);
            return;
        }
        auto *box = new QMessageBox(QMessageBox::Question, str(texts::holdTitle), str(texts::holdConfirmRoom).arg(room),
                                    QMessageBox::Yes | QMessageBox::No, frame_.dialogParent());
        box->setDefaultButton(QMessageBox::No);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal); // the clock and the rooms go on meanwhile
        connect(box, &QMessageBox::finished, this, [this, room](int answer) {
            if (answer == QMessageBox::Yes)
                if (const QString why = ask(room, true); !why.isEmpty())
                    frame_.notify(why);
        });
        box->show();
    });
}

void HoldLink::attach(Member *member)
{
    member_ = member;
    seen_.clear();
    if (Room *room = qobject_cast<Room *>(member)) {
        connect(room, &Room::holdEnded, this, [this, room](const HoldView &h, qint64 endMs) {
            emit incident(incidentOf(room->name(), h, endMs));
        });
        connect(room, &Room::holdKept, this, [this, room](const HoldView &h, int part) {
            HoldIncident i = incidentOf(room->name(), h, h.sinceMs);
            i.open = true;
            i.released = h.released;
            i.part = part;
            emit incident(i);
        });
        connect(room, &Room::holdCaption, this, &HoldLink::captionShown);
    } else {
        connect(member, &Member::changed, this, &HoldLink::roomsChanged);
    }
}

QString HoldLink::ask(const QString &room, bool hold)
{
    Controller *c = rooms_.controller();
    if (!c)
        return str(texts::holdNotRoom);
    const HoldAsk m{c->id(), room, hold, QDateTime::currentMSecsSinceEpoch()};
    if (!c->publishExtra(Topics(c->exam()).roomHold(room), writeHoldAsk(c->exam(), m), false))
        return str(texts::holdNotSent).arg(room);
    if (asked_.size() < kMaxRooms || asked_.contains(room))
        asked_[room] = m;
    emit rooms_.record(str(texts::holdSent).arg(room, str(hold ? texts::holdButton : texts::releaseButton)));
    return {};
}

// Ctrl+F8 in a room's window: the examiner there holds it, or brings it back.
void HoldLink::ownKey()
{
    Room *room = rooms_.room();
    if (!room) {
        frame_.notify(str(texts::holdNotRoom));
        return;
    }
    const bool holding = !room->holdView().held || room->holdView().released;
    auto *box = new QMessageBox(QMessageBox::Question, str(texts::holdTitle),
                                str(holding ? texts::holdAsk : texts::releaseAsk), QMessageBox::Yes | QMessageBox::No,
                                frame_.dialogParent());
    box->setDefaultButton(QMessageBox::No);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    connect(box, &QMessageBox::finished, this, [this, holding](int answer) {
        Room *r = rooms_.room();
        if (answer != QMessageBox::Yes || !r)
            return;
        if (holding)
            r->hold(HoldBy::Room);
        else
            r->release(HoldBy::Room);
    });
    box->show();
}

// The controller learns of a hold's end from the room's status: the last
// view it had of the hold says when it ended and what it cost.
void HoldLink::roomsChanged()
{
    if (!member_)
        return;
    const QMap<QString, RoomView> &rooms = member_->rooms();
    for (auto it = seen_.begin(); it != seen_.end();) {
        const auto r = rooms.find(it.key());
        // A room gone (its will says nothing of a hold) comes back still held.
        if (r != rooms.end() && (r->status.hold.held || !r->status.online)) {
            ++it;
            continue;
        }
        const qint64 end = it->rejoinMs > 0 ? it->rejoinMs : QDateTime::currentMSecsSinceEpoch();
        emit incident(incidentOf(it.key(), *it, end));
        it = seen_.erase(it);
    }
    for (auto it = rooms.begin(); it != rooms.end(); ++it)
        if (it->status.hold.held && (seen_.size() < kMaxRooms || seen_.contains(it.key())))
            seen_[it.key()] = it->status.hold;
    resendReleases();
}

// A release sent while the room was away (after its hold began, before it
// connected again) never reached it: the room came back held, and is sent
// a fresh one, once for that connection (an old one it would refuse).
void HoldLink::resendReleases()
{
    const QMap<QString, RoomView> &rooms = member_->rooms();
    for (auto it = asked_.begin(); it != asked_.end(); ++it) {
        const auto r = rooms.find(it.key());
        if (it->hold || r == rooms.end() || !r->status.online || r->status.follows != member_->id())
            continue;
        const RoomStatus &s = r->status;
        if (!s.hold.held || s.hold.released || it->atMs <= s.hold.sinceMs || it->atMs >= s.sinceMs ||
            resent_.value(it.key()) == s.sinceMs)
            continue;
        resent_[it.key()] = s.sinceMs;
        const QString room = it.key();
        if (ask(room, false).isEmpty())
            emit rooms_.record(str(texts::holdResent).arg(room));
        return; // asked_ has changed
    }
}

} // namespace tavrin::rooms
